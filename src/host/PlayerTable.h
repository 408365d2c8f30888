// The front end's table of connected players, fed only by the engine's event messages, and
// the decoding of those messages. No windows here: the refresh copies records out of it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/EngineInterface.h"

namespace korvane {

inline constexpr size_t kPlayerNameChars = 30;

struct PlayerRecord {
    int32_t id = 0;
    uint32_t team = kUnassignedText;
    int32_t specialty = 0;
    char name[kPlayerNameChars + 1] = {};
    int64_t joinTime = 0;  // calendar time, whole seconds
};

class PlayerTable {
  public:
    // Players are one entry when their ids agree in the low 16 bits.
    static uint16_t KeyOf(int32_t id) { return static_cast<uint16_t>(id & 0xFFFF); }

    // A (re)joining player starts afresh under `newName`.
    void Join(int32_t id, int64_t now, std::string_view newName);
    void Leave(int32_t id);
    PlayerRecord* Find(int32_t id);
    void Clear() { records_.clear(); }
    size_t Size() const { return records_.size(); }
    // The records in the table's order, which stays the same while the table does not change.
    std::vector<PlayerRecord> Snapshot() const;

  private:
    std::map<uint16_t, PlayerRecord> records_;
};

// What one event message asks of the window.
struct EngineEventOutcome {
    bool playersChanged = false;
    bool close = false;
    std::optional<std::string> consoleText;
};

// Decodes `message` (type byte, then its payload) and applies player events to `table`.
// Reads nothing past the message, whatever its bytes.
EngineEventOutcome ApplyEngineEvent(PlayerTable& table, std::string_view message, int64_t now,
                                    std::string_view newPlayerName);

// A connection time as the player list shows it: "%Mm:%Ss", "%Hh:%Mm:%Ss" or
// "%Dd:%Hh:%Mm:%Ss". A negative span (the clock was set back) shows as 00m:00s.
std::string FormatDuration(int64_t seconds);

}  // namespace korvane
