// The EngineInterface object server.dll hands to the host: each slot forwards to the part of
// EngineCore that does its work, behind a barrier that catches every exception, since none
// may cross the boundary. Console text and events reach the host's OnConsoleText and
// OnEngineEvent only while the host is attached, and only from inside its own calls, because
// the engine has no thread of its own.
#pragma once

#include <functional>
#include <type_traits>

#include "Console.h"
#include "EngineCore.h"
#include "EngineEnvironment.h"
#include "Events.h"
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
    int ExecuteCommand(const char* command) override {
        return Forward<&ConsoleCommands::ExecuteCommand>(command);
    }
    int FindVariable(const char* name, void** handle, int) override {
        return Forward<&VariableSlots::FindVariable>(name, handle);
    }
    int GetVariableValue(void* handle, float* value) override {
        return Forward<&VariableSlots::GetVariableValue>(handle, value);
    }
    int GetVariableString(void* handle, char* buffer, int size) override {
        return Forward<&VariableSlots::GetVariableString>(handle, buffer, size);
    }
    int GetVariableFlags(const char* name, int* flags) override {
        return Forward<&VariableSlots::GetVariableFlags>(name, flags);
    }
    int SetVariableFlags(const char* name, int flags) override {
        return Forward<&VariableSlots::SetVariableFlags>(name, flags);
    }
    int ExecuteConfigFile(const char* path) override {
        return Forward<&ConfigFiles::ExecuteConfigFile>(path);
    }
    int WriteConfigFile(const char* path, int flags) override {
        return Forward<&ConfigFiles::WriteConfigFile>(path, flags);
    }
    int Reserved9() override { return 0; }
    int SendHostMessage(const char* message) override {
        return Forward<&Hosting::SendHostMessage>(message);
    }
    int SetResourceArchives(const char* const* names, int count) override {
        return Forward<&Hosting::SetResourceArchives>(names, count);
    }
    DirectoryEntry* ListDirectory(const char* folder) override {
        return Forward<&Hosting::ListDirectory>(folder);
    }
    int FreeDirectoryList(DirectoryEntry* head) override {
        return Forward<&Hosting::FreeDirectoryList>(head);
    }
    int StartSession(SessionStartRecord* record) override {
        return Forward<&Hosting::StartSession>(record);
    }
    int Reserved15() override { return 0; }
    int Reserved16() override { return 0; }
    int GetPlayerInfo(int id, PlayerInfo* info) override {
        return Forward<&PlayerSlots::GetPlayerInfo>(id, info);
    }
    int KickPlayer(int id) override { return Forward<&PlayerSlots::KickPlayer>(id); }
    int GetPlayerPing(int id, float* ping) override {
        return Forward<&PlayerSlots::GetPlayerPing>(id, ping);
    }
    int Reserved20() override { return 0; }
    int Reserved21() override { return 0; }
    int Tick(int reserved) override;
    int RefreshServiceProviders(int, int) override {
        return Forward<&Hosting::RefreshServiceProviders>();
    }
    int GetServiceProviders(ServiceProviderEntry** head) override {
        return Forward<&Hosting::GetServiceProviders>(head);
    }
    int CommitServiceProviders(ServiceProviderEntry* head) override {
        return Forward<&Hosting::CommitServiceProviders>(head);
    }
    int SelectServiceProvider(int id) override {
        return Forward<&Hosting::SelectServiceProvider>(id);
    }
    int Reserved27() override { return 0; }
    int OpenHost(HostOpenRecord* record) override { return Forward<&Hosting::OpenHost>(record); }
    int Reserved29() override { return 0; }
    int Reserved30() override { return 0; }
    int GetVersion(int* major, int* minor, int* build) override {
        return Forward<&Hosting::GetVersion>(major, minor, build);
    }
    int GetBandwidth(float* send, float* receive) override {
        return Forward<&Hosting::GetBandwidth>(send, receive);
    }

  private:
    // Runs one part's operation on the core; anything thrown (std::bad_alloc above all)
    // becomes the operation's failure: 0, or no list.
    template <auto operation, typename... Args>
    auto Forward(Args... args) noexcept
        -> std::invoke_result_t<decltype(operation), EngineCore&, Args...> {
        try {
            return std::invoke(operation, core_, args...);
        } catch (...) {
            return {};
        }
    }

    void WriteLine(const char* line) override;
    void SendEvent(const char* message) override;

    EngineCore core_;
    HostCallbacks* host_ = nullptr;
};

}  // namespace korvane
