// The simulated engine's logic behind the EngineInterface table: variables, console commands,
// configuration files, service providers, hosting and the game clock. Free of windows.h; the
// operating system is reached through EngineEnvironment and text goes out through Console.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Console.h"
#include "DirectoryLists.h"
#include "EngineEnvironment.h"
#include "Events.h"
#include "FloodTest.h"
#include "Game.h"
#include "ServiceProviders.h"
#include "VariableStore.h"
#include "contract/EngineInterface.h"

namespace korvane {

inline constexpr int kEngineVersionMajor = 1;
inline constexpr int kEngineVersionMinor = 0;
inline constexpr int kEngineVersionBuild = 5;

class EngineCore {
  public:
    static constexpr int kMaxArchives = 32;
    static constexpr int kMaxPlayers = 64;
    static constexpr size_t kMaxConfigBytes = 4 * 1024 * 1024;
    static constexpr int kMaxExecDepth = 8;
    // One top-level exec, with every file it executes in turn, runs at most this many lines
    // and prints at most as many, and reads at most this much: files that execute each other
    // many times over must not freeze the caller (who holds the engine lock) for long.
    static constexpr uint64_t kMaxExecWork = 20000;
    static constexpr size_t kMaxExecBytes = 4 * kMaxConfigBytes;

    explicit EngineCore(EngineEnvironment& environment);
    EngineCore(const EngineCore&) = delete;
    EngineCore& operator=(const EngineCore&) = delete;

    void SetConsoleSink(ConsoleSink* sink) { console_.SetSink(sink); }
    // A newly attached host hears of the players already present at the next Tick.
    void SetEventSink(EventSink* sink);
    VariableStore& Variables() { return variables_; }
    const Game& CurrentGame() const { return game_; }
    bool QuitRequested() const { return quit_; }

    // The operations of the EngineInterface table, with its results.
    int ExecuteCommand(const char* command);
    int FindVariable(const char* name, void** handle);
    int GetVariableValue(void* handle, float* value);
    int GetVariableString(void* handle, char* buffer, int size);
    int GetVariableFlags(const char* name, int* flags);
    int SetVariableFlags(const char* name, int flags);
    int ExecuteConfigFile(const char* path);
    int WriteConfigFile(const char* path, int flags);
    int SendHostMessage(const char* message);
    int SetResourceArchives(const char* const* names, int count);
    DirectoryEntry* ListDirectory(const char* folder);
    int FreeDirectoryList(DirectoryEntry* head);
    int StartSession(const SessionStartRecord* record);
    int GetPlayerInfo(int id, PlayerInfo* info);
    int KickPlayer(int id);
    int GetPlayerPing(int id, float* ping);
    int Tick();
    int RefreshServiceProviders();
    int GetServiceProviders(ServiceProviderEntry** head);
    int CommitServiceProviders(ServiceProviderEntry* head);
    int SelectServiceProvider(int id);
    int OpenHost(const HostOpenRecord* record);
    int GetVersion(int* major, int* minor, int* build);
    int GetBandwidth(float* send, float* receive);

    const std::vector<std::string>& ResourceArchives() const { return archives_; }

  private:
    struct CommandEntry {
        const char* name;
        void (EngineCore::*run)(std::string_view arguments);
        const char* help;
    };
    static const CommandEntry* FindCommand(std::string_view name);
    static const CommandEntry* Commands(size_t& count);

    int ExecuteLine(std::string_view line);
    // file names the file in console lines; key is its ExecKey.
    int ExecuteConfigText(std::string_view text, const std::string& file, std::string key);
    // Whether the current top-level exec may go on; says so once when it may not.
    bool ExecWorkLeft(const std::string& file);
    uint64_t UptimeSeconds();

    // Console commands (EngineCommands.cpp).
    void CommandHelp(std::string_view arguments);
    void CommandQuit(std::string_view arguments);
    void CommandStatus(std::string_view arguments);
    void CommandEcho(std::string_view arguments);
    void CommandVariableList(std::string_view arguments);
    void CommandChangeMap(std::string_view arguments);
    void CommandKick(std::string_view arguments);
    void CommandExec(std::string_view arguments);
    void CommandAddPlayer(std::string_view arguments);
    void CommandRemovePlayer(std::string_view arguments);
    void CommandPlayers(std::string_view arguments);
    void CommandSay(std::string_view arguments);
    void CommandCloseHost(std::string_view arguments);
    void CommandFloodTest(std::string_view arguments);
    void PrintPlayers();

    EngineEnvironment& environment_;
    Console console_;
    EventChannel events_;
    VariableStore variables_;
    Game game_;
    FloodTest flood_;
    Variable* serverName_;
    Variable* sendBandwidth_;
    ServiceProviders providers_;
    DirectoryLists directories_;
    std::vector<std::string> archives_;
    uint64_t startMs_;
    bool networkReady_ = false;
    bool hostOpen_ = false;
    bool quit_ = false;
    int execDepth_ = 0;
    // The files being executed, outermost first, as ExecKey gives them.
    std::vector<std::string> execStack_;
    // Work of the current top-level exec: lines run, console lines when it began, bytes read.
    uint64_t execLines_ = 0;
    uint64_t execPrintedBefore_ = 0;
    size_t execBytes_ = 0;
    bool execStopped_ = false;
};

}  // namespace korvane
