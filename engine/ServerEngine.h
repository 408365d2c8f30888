// The EngineInterface object server.dll hands to the host: each slot forwards to EngineCore
// and catches every exception, since none may cross the boundary. Console text and events
// reach the host's OnConsoleText and OnEngineEvent only while the host is attached, and only
// from inside its own calls, because the engine has no thread of its own.
#pragma once

#include "Console.h"
#include "EngineCore.h"
#include "Events.h"
#include "EngineEnvironment.h"
#include "contract/EngineInterface.h"

namespace korvane {

class ServerEngine final : public EngineInterface, private ConsoleSink, private EventSink {
  public:
    explicit ServerEngine(EngineEnvironment& environment);
    ServerEngine(const ServerEngine&) = delete;
    ServerEngine& operator=(const ServerEngine&) = delete;
    ~ServerEngine() = default;

    EngineCore& Core() { return core_; }

    int AttachHost(HostCallbacks* callbacks) override;
    int ExecuteCommand(const char* command) override;
    int FindVariable(const char* name, void** handle, int reserved) override;
    int GetVariableValue(void* handle, float* value) override;
    int GetVariableString(void* handle, char* buffer, int size) override;
    int GetVariableFlags(const char* name, int* flags) override;
    int SetVariableFlags(const char* name, int flags) override;
    int ExecuteConfigFile(const char* path) override;
    int WriteConfigFile(const char* path, int flags) override;
    int Reserved9() override { return 0; }
    int SendHostMessage(const char* message) override;
    int SetResourceArchives(const char* const* names, int count) override;
    DirectoryEntry* ListDirectory(const char* folder) override;
    int FreeDirectoryList(DirectoryEntry* head) override;
    int StartSession(SessionStartRecord* record) override;
    int Reserved15() override { return 0; }
    int Reserved16() override { return 0; }
    int GetPlayerInfo(int id, PlayerInfo* info) override;
    int KickPlayer(int id) override;
    int GetPlayerPing(int id, float* ping) override;
    int Reserved20() override { return 0; }
    int Reserved21() override { return 0; }
    int Tick(int reserved) override;
    int RefreshServiceProviders(int, int) override;
    int GetServiceProviders(ServiceProviderEntry** head) override;
    int CommitServiceProviders(ServiceProviderEntry* head) override;
    int SelectServiceProvider(int id) override;
    int Reserved27() override { return 0; }
    int OpenHost(HostOpenRecord* record) override;
    int Reserved29() override { return 0; }
    int Reserved30() override { return 0; }
    int GetVersion(int* major, int* minor, int* build) override;
    int GetBandwidth(float* send, float* receive) override;

  private:
    void WriteLine(const char* line) override;
    void SendEvent(const char* message) override;

    EngineCore core_;
    HostCallbacks* host_ = nullptr;
};

}  // namespace korvane
