// The command line's history: Up and Down walk back and forth through earlier commands as a
// shell does, and the list is kept across runs in a text file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingValues.h"

namespace korvane {

// Where the history is kept, under the installation folder.
inline constexpr char kHistoryFile[] = "korvane\\history.txt";

class CommandHistory {
  public:
    static constexpr size_t kMaxEntries = 200;
    // A line in the file longer than the command line sends (kMaxTypedCommandLength) is damage.
    // The file is read this far at most, whatever its size.
    static constexpr size_t kMaxFileBytes = 64 * 1024;
    // Saved this often while commands are typed (and at exit).
    static constexpr uint64_t kSaveIntervalMs = 3 * 60 * 1000;

    // A sent command: the newest entry (unless it repeats the newest), and the walk ends.
    void Add(std::string_view command);
    // Up: the next older command, or nothing at the oldest. The first step keeps `current`,
    // the line being typed, for the way back.
    std::optional<std::string> Older(std::string_view current);
    // Down: the next newer command, the kept line after the newest, or nothing when not walking.
    std::optional<std::string> Newer();

    const std::deque<std::string>& Entries() const { return entries_; }
    // The distinct first words of the entries, newest first (for completion).
    std::vector<std::string> FirstWords() const;

    // The file's text: one command a line, oldest first.
    std::string Serialize() const;
    // Replaces the entries with the first 200 good lines of `text`: a line with a control
    // character, an empty one or one longer than a command is skipped, never trusted.
    void Parse(std::string_view text);

    // Loads and saves the file (korvane/history.txt); the caller drives the saving: at exit and
    // whenever SaveDue says so. A missing file is an empty history.
    void Load(const std::string& path);
    bool Save(const std::string& path, uint64_t nowMs);
    bool SaveDue(uint64_t nowMs) const { return changed_ && nowMs - savedAt_ >= kSaveIntervalMs; }
    // Commands were added since the last load or save.
    bool Changed() const { return changed_; }

  private:
    void Push(std::string_view command);

    std::deque<std::string> entries_;  // oldest first
    size_t walk_ = 0;                  // entries_.size() when not walking
    std::string typed_;                // the line being typed when the walk began
    bool changed_ = false;
    uint64_t savedAt_ = 0;
};

}  // namespace korvane
