// Setters, getters, bandwidth and rotation operations of the settings object.
#include "settings/ServerSettings.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/EngineAccess.h"
#include "settings/SettingTable.h"

namespace korvane {

ServerSettings serverSettings;

int32_t TruncateToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(value);
}

static bool FormatBoundedV(char* buffer, int size, const char* format, va_list args) {
    const int length = std::vsnprintf(buffer, static_cast<size_t>(size), format, args);
    return length >= 0 && length < size;
}

bool FormatBounded(char* buffer, int size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const bool fits = FormatBoundedV(buffer, size, format, args);
    va_end(args);
    return fits;
}

size_t MaxQuotedTextLength(const char* key) {
    const size_t overhead = std::strlen(key) + 4;  // '+', the blank and the two quotes
    return overhead < kCommandSize - 1 ? kCommandSize - 1 - overhead : 0;
}

bool SendCommand(const char* format, ...) {
    char command[kCommandSize];
    va_list args;
    va_start(args, format);
    const bool fits = FormatBoundedV(command, sizeof command, format, args);
    va_end(args);
    // A cut command would carry a different value (a shortened password, a truncated map
    // name): better that the engine keeps the value it has.
    if (!fits) return false;
    EngineCall engine;
    if (!engine) return false;
    engine->ExecuteCommand(command);
    return true;
}

void ServerSettings::SetTimeLimit(int value) {
    SendCommand("timelimit %d", timeLimit = value);
}
void ServerSettings::SetNumRounds(int value) {
    SendCommand("numrounds %d", numRounds = value);
}
void ServerSettings::SetTeamFlip(int value) {
    SendCommand("teamflip %d", teamFlip = value);
}
void ServerSettings::SetFlipRound(int value) {
    SendCommand("flipround %d", flipRound = value);
}
void ServerSettings::SetMaxPlayers(int value) {
    SendCommand("maxplayers %d", maxPlayers = value);
}
void ServerSettings::SetFfTeam(float value) {
    SendCommand("ffteam %f", static_cast<double>(ffTeam = value));
}
void ServerSettings::SetFfAllies(float value) {
    SendCommand("ffallies %f", static_cast<double>(ffAllies = value));
}
void ServerSettings::SetMirrorDamage(int value) {
    SendCommand("mirrordamage %d", mirrorDamage = value);
}
void ServerSettings::SetMirrorDamagePercent(float value) {
    SendCommand("mirrordamagepercent %f", static_cast<double>(mirrorDamagePercent = value));
}
void ServerSettings::SetTkPunish(int value) {
    SendCommand("tkpunish %d", tkPunish = value);
}
void ServerSettings::SetNumTksToKick(int value) {
    SendCommand("numtkstokick %d", numTksToKick = value);
}
void ServerSettings::SetNumCivsToKick(int value) {
    SendCommand("numcivstokick %d", numCivsToKick = value);
}
void ServerSettings::SetKickAfkTime(int value) {
    SendCommand("kickafktime %d", kickAfkTime = value);
}
void ServerSettings::SetVoting(int value) {
    SendCommand("voting %d", voting = value);
}
void ServerSettings::SetPlayerKickVote(float value) {
    SendCommand("playerkickvote %f", static_cast<double>(playerKickVote = value));
}
void ServerSettings::SetMapVote(float value) {
    SendCommand("mapvote %f", static_cast<double>(mapVote = value));
}
void ServerSettings::SetAutoTeamBalance(int value) {
    SendCommand("autoteambalance %d", autoTeamBalance = value);
}
void ServerSettings::SetLogEvents(int value) {
    SendCommand("logevents %d", logEvents = value);
}
void ServerSettings::SetAllowUploads(int value) {
    SendCommand("allowuploads %d", allowUploads = value);
}
void ServerSettings::SetVoip(int value) {
    SendCommand("voip %d", voip = value);
}
void ServerSettings::SetLan(int value) {
    SendCommand("lan %d", lan = value);
}
void ServerSettings::SetServerBandwidth(int value) {
    SendCommand("serverbandwidth %d", serverBandwidth = value);
}
void ServerSettings::SetCustomBandwidth(int value) {
    SendCommand("custombandwidth %d", customBandwidth = value);
}
void ServerSettings::SetMirrorCash(int value) {
    SendCommand("mirrorcash %d", mirrorCash = value);
}
void ServerSettings::SetForceTeamBalance(int value) {
    SendCommand("forceteambalance %d", forceTeamBalance = value);
}
void ServerSettings::SetTimeSyncCheck(int value) {
    SendCommand("TimeSyncCheck %d", timeSyncCheck = value);
}

// The optional texts are never sent empty: one blank stands for "none", and the getters
// turn it back into an empty text.
static void SendOptionalText(const char* key, const char* value) {
    if (!value || !*value) value = " ";
    SendCommand("+%s \"%s\"", key, value);
}

void ServerSettings::SetServerName(const char* value) {
    if (value && *value) SendCommand("+servername \"%s\"", value);
}
void ServerSettings::SetAdminName(const char* value) {
    SendOptionalText("adminname", value);
}
void ServerSettings::SetAdminEmail(const char* value) {
    SendOptionalText("adminemail", value);
}
void ServerSettings::SetServerWebsite(const char* value) {
    SendOptionalText("serverwebsite", value);
}
void ServerSettings::SetServerPassword(const char* value) {
    SendOptionalText("serverpassword", value);
}
void ServerSettings::SetRemoteAdminPassword(const char* value) {
    SendOptionalText("remoteadminpassword", value);
}

// Reads the variable's text into `buffer`; leaves it unchanged when the engine lacks it. A
// text that fills the buffer is read once more with room to spare, to tell a value of exactly
// that length from a longer one.
static const char* ReadText(const char* key, char* buffer, int size, bool blankMeansEmpty,
                            bool* cut) {
    if (cut) *cut = false;
    EngineCall engine;
    if (!engine) return buffer;
    void* handle = nullptr;
    engine->FindVariable(key, &handle, 0);
    if (!handle) return buffer;
    engine->GetVariableString(handle, buffer, size);
    buffer[size - 1] = '\0';  // whatever the engine did, the text ends inside the buffer
    if (cut && std::strlen(buffer) == static_cast<size_t>(size - 1)) {
        char probe[1024] = {};
        engine->GetVariableString(handle, probe, sizeof probe);
        probe[sizeof probe - 1] = '\0';
        *cut = std::strlen(probe) > static_cast<size_t>(size - 1);
    }
    if (blankMeansEmpty && buffer[0] == ' ' && buffer[1] == '\0') buffer[0] = '\0';
    return buffer;
}

const char* ServerSettings::GetServerName(bool* cut) {
    return ReadText("servername", serverName, sizeof serverName, false, cut);
}
const char* ServerSettings::GetAdminName(bool* cut) {
    return ReadText("adminname", adminName, sizeof adminName, true, cut);
}
const char* ServerSettings::GetAdminEmail(bool* cut) {
    return ReadText("adminemail", adminEmail, sizeof adminEmail, true, cut);
}
const char* ServerSettings::GetServerWebsite(bool* cut) {
    return ReadText("serverwebsite", serverWebsite, sizeof serverWebsite, true, cut);
}
const char* ServerSettings::GetServerPassword(bool* cut) {
    return ReadText("serverpassword", serverPassword, sizeof serverPassword, true, cut);
}
const char* ServerSettings::GetRemoteAdminPassword(bool* cut) {
    return ReadText("remoteadminpassword", remoteAdminPassword, sizeof remoteAdminPassword, true,
                    cut);
}

void ServerSettings::PushSendBandwidth() {
    int preset = serverBandwidth;
    if (preset < 0 || preset >= kBandwidthPresetCount) preset = kDefaultBandwidthPreset;
    const long long value = preset == kCustomBandwidthPreset
                                ? static_cast<long long>(customBandwidth)
                                : static_cast<long long>(BandwidthPresetValues[preset]);
    SendCommand("sendbandwidth %lld", value);
}

int ServerSettings::GetMapEntry(int index, char* buffer) {
    char name[kCommandSize];
    FormatBounded(name, sizeof name, "map%d", index);
    EngineCall engine;
    if (!engine) return 0;
    void* handle = nullptr;
    engine->FindVariable(name, &handle, 0);
    if (!handle) return 0;
    engine->GetVariableString(handle, buffer, kMapNameSize);
    buffer[kMapNameSize - 1] = '\0';
    return 1;
}

void ServerSettings::SetMapEntry(int index, const char* name) {
    if (!name) return;
    // A name too long for the command is refused whole: a cut name would point the rotation
    // at a map that does not exist.
    if (!SendCommand("map%d %s", index, name)) return;
    char key[kCommandSize];
    FormatBounded(key, sizeof key, "map%d", index);
    EngineCall engine;
    if (engine) engine->SetVariableFlags(key, 5);
}

void ServerSettings::SetMapCount(int count) {
    if (count < 0) count = 0;
    if (static_cast<uint32_t>(count) > kMaxMapCount) count = kMaxMapCount;
    mapCount = static_cast<uint32_t>(count);
    SendCommand("nummaps %d", count);
}

}  // namespace korvane
