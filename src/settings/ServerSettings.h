// The front end's copy of the server options, and every operation that changes or reads an
// option in the engine (one console command per change), reaching the engine through its
// host's gate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "contract/EngineGate.h"
#include "settings/MapName.h"
#include "settings/SettingTable.h"
#include "settings/SettingValues.h"

namespace korvane {

// Under a hold of the lock already taken: engine variable `name`'s text into `buffer` (`size`
// bytes, the text always ending inside it), or its value. False or empty, with nothing
// written, when the engine has no such variable. `cut`, when given, tells whether the text
// was longer than the buffer.
bool ReadHeldText(EngineInterface& engine, const char* name, char* buffer, size_t size,
                  bool* cut = nullptr);
std::optional<float> ReadHeldValue(EngineInterface& engine, const char* name);
// An engine variable's value or text, read in one hold of the lock; empty when the engine
// has no such variable or there is no engine. A text is cut to 255 characters.
std::optional<float> ReadVariableValue(EngineGate& gate, const char* name);
std::optional<std::string> ReadVariableText(EngineGate& gate, const char* name);
// Rotation entry `index` (the engine variable "map<index>") into `buffer`, which holds
// kMapNameSize characters; 0 when the entry does not exist (a gap) or there is no engine.
int ReadMapEntry(EngineGate& gate, int index, char* buffer);
// The entries below `count` (bounded by kMaxMapCount) that exist, names in lower case; each
// entry is read in one hold of the lock.
std::vector<RotationEntry> ReadRotationEntries(EngineGate& gate, uint32_t count);
// The rotation as the engine holds it now, its count read from the engine too: for threads
// that must not read the settings object's fields.
std::vector<RotationEntry> ReadEngineRotation(EngineGate& gate);

class ServerSettings {
  public:
    explicit ServerSettings(EngineGate& gate) : gate_(gate) {}
    ServerSettings(const ServerSettings&) = delete;
    ServerSettings& operator=(const ServerSettings&) = delete;

    int32_t timeSyncCheck = 0;
    uint32_t mapCount = 0;
    int32_t incapacitatedTime = 0;
    int32_t dedicated = 0;
    int32_t forceTeamBalance = 0;
    int32_t mirrorCash = 0;
    int32_t kickAfkTime = 0;
    int32_t timeLimit = 0;
    int32_t maxPlayers = 0;
    float ffTeam = 0;
    float ffAllies = 0;
    int32_t mirrorDamage = 0;
    float mirrorDamagePercent = 0;
    int32_t tkPunish = 0;
    int32_t numTksToKick = 0;
    int32_t numCivsToKick = 0;
    int32_t voting = 0;
    float playerKickVote = 0;
    float mapVote = 0;
    int32_t autoTeamBalance = 0;
    int32_t logEvents = 0;
    int32_t numRounds = 0;
    int32_t teamFlip = 0;
    int32_t flipRound = 0;
    float kaTime = 0;
    int32_t allowUploads = 0;
    int32_t voip = 0;
    int32_t lan = 0;
    int32_t serverBandwidth = 0;
    int32_t customBandwidth = 0;
    char serverName[64] = {};
    char adminName[32] = {};
    char adminEmail[48] = {};
    char serverWebsite[48] = {};
    char serverPassword[32] = {};
    char remoteAdminPassword[32] = {};

    EngineGate& Gate() { return gate_; }

    // Stores `value` in the option's field and sends "<key> <value>" with the option's key
    // from the table ("%d" for whole numbers, "%f" for fractions).
    void Set(int32_t ServerSettings::*field, int value);
    void Set(float ServerSettings::*field, float value);

    // The six texts. An empty one is sent as one blank ("none"), except the server name,
    // which is never sent empty. A text its command cannot carry whole is not sent.
    void SetText(TextOption option, const char* value);
    // Reads the engine's value into the option's field, cut to fit, and returns it; `cut`,
    // when given, tells whether the engine's value was longer than the field.
    const char* GetText(TextOption option, bool* cut = nullptr);
    // The longest text the option's field reads back and its command carries.
    static size_t TextRoom(TextOption option);

    int IsLan() const { return lan != 0 ? 1 : 0; }
    // Sends "sendbandwidth" for the chosen preset, or the custom value for "CUSTOM". A preset
    // index outside the table (only a hand-edited file gives one) sends the default preset's.
    void PushSendBandwidth();

    // Rotation entry i is the engine variable "map<i>"; the count is "nummaps".
    int GetMapEntry(int index, char* buffer) { return ReadMapEntry(gate_, index, buffer); }
    void SetMapEntry(int index, const char* name);
    void SetMapCount(int count);
    // The rotation's entries up to the count, gaps left out, names in lower case.
    std::vector<RotationEntry> ReadRotation() { return ReadRotationEntries(gate_, mapCount); }
    // Switches the running game to rotation entry `index`.
    bool ChangeMap(int index);

    void PushDefaults();
    void LoadSettings();
    int SaveSettings();

  private:
    // Formats a console command into a bounded buffer and sends it under the lock. False,
    // with nothing sent, when there is no engine or the text would not fit: a cut command
    // would carry a different value (a shortened password, a truncated map name).
    bool Send(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The field a text option reads into, and its size.
    std::pair<char*, size_t> TextField(TextOption option);

    EngineGate& gate_;
};

// The console variable a numeric setting is sent as; null for a field no row binds.
const char* SettingKey(int32_t ServerSettings::*field);
const char* SettingKey(float ServerSettings::*field);

}  // namespace korvane
