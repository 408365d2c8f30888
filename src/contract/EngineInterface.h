// The binary boundary between the front end and server.dll: the interface and callback
// tables by slot, the records by byte offset, and the two exports by ordinal. Shared by the
// host, the simulated engine and the test doubles, so it must not depend on windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

static_assert(sizeof(void*) == 4, "the engine records hold 32-bit pointers: build for i686");

namespace korvane {

// The usual 16-byte GUID layout, without pulling in windows.h.
struct InterfaceId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(InterfaceId) == 16);

// {F6BD878B-3176-4196-B08F-40F3DC5AB353}
inline constexpr InterfaceId kEngineInterfaceId = {
    0xF6BD878Bu, 0x3176, 0x4196, {0xB0, 0x8F, 0x40, 0xF3, 0xDC, 0x5A, 0xB3, 0x53}};
inline constexpr int kEngineInterfaceVersion = 2;

inline bool SameInterfaceId(const InterfaceId& a, const InterfaceId& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i]) return false;
    return true;
}

// The first byte of an event message says what happened; the text after it carries the rest.
enum class EngineEvent : uint8_t {
    PlayerJoined = 1,    // the player's id
    PlayerLeft = 2,      // the player's id
    PlayersUpdated = 3,  // groups "id name\nteam specialty ", ended by the id -1
    ConsoleText = 6,     // a line for the console, up to its first line feed
    CloseHost = 7,       // the engine asks the front end to close
};

// The text id both sides use for "no team" and "no specialty"; an update's specialty 8
// stands for it.
inline constexpr uint32_t kUnassignedText = 1073;
inline constexpr int32_t kUnassignedSpecialty = 8;

// Variable flags: the engine writes variables carrying kVariableSaved to its configuration
// file; the host gives each of its options kHostOptionFlags, which includes it.
inline constexpr int kVariableSaved = 4;
inline constexpr int kHostOptionFlags = 5;

// The message the host sends once the server thread runs: the byte 1 and a line feed.
inline constexpr char kHostReadyMessage[] = {1, '\n', 0};

struct HostOpenRecord {
    int32_t zero0;
    int32_t zero4;
    int32_t maxPlayers;
    char sessionText[4096];
};
static_assert(sizeof(HostOpenRecord) == 4108);
static_assert(offsetof(HostOpenRecord, maxPlayers) == 8);
static_assert(offsetof(HostOpenRecord, sessionText) == 12);

struct SessionDescription {
    char startMap[64];
    char startMapAgain[64];
    int32_t zero128;
    uint8_t reserved132[32];
    int32_t zero164;
    uint8_t reserved168[12];
};
static_assert(sizeof(SessionDescription) == 180);
static_assert(offsetof(SessionDescription, startMapAgain) == 64);
static_assert(offsetof(SessionDescription, zero128) == 128);
static_assert(offsetof(SessionDescription, zero164) == 164);

struct SessionStartRecord {
    int32_t zero0;
    char startMap[100];
    char text104[100];
    char text204[100];
    char text304[100];
    int32_t zero404;
    uint8_t reserved408[8];
    int32_t maxPlayers;
    uint8_t reserved420[4160];
    int32_t zero4580;
    SessionDescription* description;
    int32_t descriptionSize;
    int32_t zero4592;
    int32_t zero4596;
};
static_assert(sizeof(SessionStartRecord) == 4600);
static_assert(offsetof(SessionStartRecord, startMap) == 4);
static_assert(offsetof(SessionStartRecord, text104) == 104);
static_assert(offsetof(SessionStartRecord, text204) == 204);
static_assert(offsetof(SessionStartRecord, text304) == 304);
static_assert(offsetof(SessionStartRecord, zero404) == 404);
static_assert(offsetof(SessionStartRecord, maxPlayers) == 416);
static_assert(offsetof(SessionStartRecord, zero4580) == 4580);
static_assert(offsetof(SessionStartRecord, description) == 4584);
static_assert(offsetof(SessionStartRecord, descriptionSize) == 4588);
static_assert(offsetof(SessionStartRecord, zero4592) == 4592);
static_assert(offsetof(SessionStartRecord, zero4596) == 4596);

struct ServiceProviderEntry {
    int32_t id;
    uint8_t reserved4[20];
    char name[128];
    ServiceProviderEntry* next;
};
static_assert(sizeof(ServiceProviderEntry) == 156);
static_assert(offsetof(ServiceProviderEntry, name) == 24);
static_assert(offsetof(ServiceProviderEntry, next) == 152);

inline constexpr int32_t kDirectoryEntryFile = 1;

struct DirectoryEntry {
    int32_t kind;
    char* name;
    char* alternativeName;
    DirectoryEntry* next;
};
static_assert(sizeof(DirectoryEntry) == 16);
static_assert(offsetof(DirectoryEntry, name) == 4);
static_assert(offsetof(DirectoryEntry, alternativeName) == 8);
static_assert(offsetof(DirectoryEntry, next) == 12);

struct PlayerInfo {
    uint8_t engineData[68];
    uint32_t pingSeed;  // bit pattern of the float handed to GetPlayerPing
};
static_assert(sizeof(PlayerInfo) == 72);
static_assert(offsetof(PlayerInfo, pingSeed) == 68);

// The engine calls these only from inside a call the host made into it.
class HostCallbacks {
  public:
    virtual int OnEngineEvent(const char* message) = 0;  // slot 0
    virtual int OnConsoleText(const char* text) = 0;     // slot 1
    virtual int Reserved2() = 0;                         // slot 2
    virtual int Reserved3(int, int, int, int) = 0;       // slot 3

  protected:
    // No virtual destructor: the table has exactly four slots.
    ~HostCallbacks() = default;
};

class EngineInterface {
  public:
    virtual int AttachHost(HostCallbacks* callbacks) = 0;                         // 0
    virtual int ExecuteCommand(const char* command) = 0;                          // 1
    virtual int FindVariable(const char* name, void** handle, int reserved) = 0;  // 2
    virtual int GetVariableValue(void* handle, float* value) = 0;                 // 3
    virtual int GetVariableString(void* handle, char* buffer, int size) = 0;      // 4
    virtual int GetVariableFlags(const char* name, int* flags) = 0;               // 5
    virtual int SetVariableFlags(const char* name, int flags) = 0;                // 6
    virtual int ExecuteConfigFile(const char* path) = 0;                          // 7
    virtual int WriteConfigFile(const char* path, int flags) = 0;                 // 8
    virtual int Reserved9() = 0;                                                  // 9
    virtual int SendHostMessage(const char* message) = 0;                         // 10
    virtual int SetResourceArchives(const char* const* names, int count) = 0;     // 11
    virtual DirectoryEntry* ListDirectory(const char* folder) = 0;                // 12
    virtual int FreeDirectoryList(DirectoryEntry* head) = 0;                      // 13
    virtual int StartSession(SessionStartRecord* record) = 0;                     // 14
    virtual int Reserved15() = 0;                                                 // 15
    virtual int Reserved16() = 0;                                                 // 16
    virtual int GetPlayerInfo(int id, PlayerInfo* info) = 0;                      // 17
    virtual int KickPlayer(int id) = 0;                                           // 18
    virtual int GetPlayerPing(int id, float* ping) = 0;                           // 19
    virtual int Reserved20() = 0;                                                 // 20
    virtual int Reserved21() = 0;                                                 // 21
    virtual int Tick(int reserved) = 0;                                           // 22
    virtual int RefreshServiceProviders(int, int) = 0;                            // 23
    virtual int GetServiceProviders(ServiceProviderEntry** head) = 0;             // 24
    virtual int CommitServiceProviders(ServiceProviderEntry* head) = 0;           // 25
    virtual int SelectServiceProvider(int id) = 0;                                // 26
    virtual int Reserved27() = 0;                                                 // 27
    virtual int OpenHost(HostOpenRecord* record) = 0;                             // 28
    virtual int Reserved29() = 0;                                                 // 29
    virtual int Reserved30() = 0;                                                 // 30
    virtual int GetVersion(int* major, int* minor, int* build) = 0;               // 31
    virtual int GetBandwidth(float* send, float* receive) = 0;                    // 32

  protected:
    // No virtual destructor: the engine owns the object and releases it through ReleaseEngine.
    ~EngineInterface() = default;
};

inline constexpr int kEngineSlotCount = 33;

// Exports of server.dll, by ordinal: CreateEngine @1, ReleaseEngine @2.
extern "C" {
typedef int(__cdecl* CreateEngineFn)(int version, const InterfaceId* iid, EngineInterface** out);
typedef int(__cdecl* ReleaseEngineFn)(void);
}

}  // namespace korvane
