// The process-wide copy of the server options, and every operation that changes or reads an
// option in the engine (one console command per change).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvane {

// Rotation entries beyond this are never read, marked or written: a hand-edited "nummaps" of
// billions (or a negative one) must not turn into a loop of billions.
inline constexpr uint32_t kMaxMapCount = 256;
// A command, with its terminator, fits this buffer; a longer one is refused, never cut.
inline constexpr int kCommandSize = 256;
// Readers of a rotation entry pass at least this much.
inline constexpr int kMapNameSize = 255;

// The engine's float, truncated toward zero; NaN gives 0 and values beyond the int range
// saturate, since the plain conversion is undefined there.
int32_t TruncateToInt(float value);

class ServerSettings {
  public:
    int32_t timeSyncCheck;
    uint32_t mapCount;
    int32_t incapacitatedTime;
    int32_t dedicated;
    int32_t forceTeamBalance;
    int32_t mirrorCash;
    int32_t kickAfkTime;
    int32_t timeLimit;
    int32_t maxPlayers;
    float ffTeam;
    float ffAllies;
    int32_t mirrorDamage;
    float mirrorDamagePercent;
    int32_t tkPunish;
    int32_t numTksToKick;
    int32_t numCivsToKick;
    int32_t voting;
    float playerKickVote;
    float mapVote;
    int32_t autoTeamBalance;
    int32_t logEvents;
    int32_t numRounds;
    int32_t teamFlip;
    int32_t flipRound;
    float kaTime;
    int32_t allowUploads;
    int32_t voip;
    int32_t lan;
    int32_t serverBandwidth;
    int32_t customBandwidth;
    char serverName[64];
    char adminName[32];
    char adminEmail[48];
    char serverWebsite[48];
    char serverPassword[32];
    char remoteAdminPassword[32];

    void SetTimeLimit(int value);
    void SetNumRounds(int value);
    void SetTeamFlip(int value);
    void SetFlipRound(int value);
    void SetMaxPlayers(int value);
    void SetFfTeam(float value);
    void SetFfAllies(float value);
    void SetMirrorDamage(int value);
    void SetMirrorDamagePercent(float value);
    void SetTkPunish(int value);
    void SetNumTksToKick(int value);
    void SetNumCivsToKick(int value);
    void SetKickAfkTime(int value);
    void SetVoting(int value);
    void SetPlayerKickVote(float value);
    void SetMapVote(float value);
    void SetAutoTeamBalance(int value);
    void SetLogEvents(int value);
    void SetAllowUploads(int value);
    void SetVoip(int value);
    void SetLan(int value);
    void SetServerBandwidth(int value);
    void SetCustomBandwidth(int value);
    void SetMirrorCash(int value);
    void SetForceTeamBalance(int value);
    void SetTimeSyncCheck(int value);

    void SetServerName(const char* value);
    void SetAdminName(const char* value);
    void SetAdminEmail(const char* value);
    void SetServerWebsite(const char* value);
    void SetServerPassword(const char* value);
    void SetRemoteAdminPassword(const char* value);

    const char* GetServerName();
    const char* GetAdminName();
    const char* GetAdminEmail();
    const char* GetServerWebsite();
    const char* GetServerPassword();
    const char* GetRemoteAdminPassword();

    int GetServerBandwidth() const { return serverBandwidth; }
    int GetCustomBandwidth() const { return customBandwidth; }
    int IsLan() const { return lan != 0 ? 1 : 0; }
    // Sends "sendbandwidth" for the chosen preset, or the custom value for "CUSTOM". A
    // preset index outside the table (only a hand-edited file gives one) sends the default
    // preset's value.
    void PushSendBandwidth();

    // Rotation entry i is the engine variable "map<i>"; the count is "nummaps".
    int GetMapEntry(int index, char* buffer);
    void SetMapEntry(int index, const char* name);
    void SetMapCount(int count);

    void PushDefaults();
    // Returns a line for the console when the file had to be read otherwise than it says
    // (empty when not).
    std::string LoadSettings();
    int SaveSettings();
};

// All fields start at zero; filled by LoadSettings at start-up.
extern ServerSettings serverSettings;

// The longest text that "+<key> \"<text>\"" can carry within a command.
size_t MaxQuotedTextLength(const char* key);

// Formats a console command into a bounded buffer and sends it to the engine under the lock.
// Returns false, and sends nothing, when there is no engine or the text would not fit.
bool SendCommand(const char* format, ...) __attribute__((format(printf, 1, 2)));

// snprintf into `buffer`; false when the result was cut to fit.
bool FormatBounded(char* buffer, int size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace korvane
