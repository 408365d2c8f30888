// Forwards the EngineInterface slots to EngineCore behind an exception barrier.
#include "ServerEngine.h"

namespace korvane {

namespace {

// Runs one engine operation; anything thrown (std::bad_alloc above all) becomes failure.
template <typename Result, typename Operation>
Result Guarded(Result failure, Operation&& operation) noexcept {
    try {
        return operation();
    } catch (...) {
        return failure;
    }
}

}  // namespace

ServerEngine::ServerEngine(EngineEnvironment& environment) : core_(environment) {}

void ServerEngine::WriteLine(const char* line) {
    if (host_ == nullptr) return;
    try {
        host_->OnConsoleText(line);
    } catch (...) {
        // The host's trouble must not unwind through the engine.
    }
}

void ServerEngine::SendEvent(const char* message) {
    if (host_ == nullptr) return;
    try {
        host_->OnEngineEvent(message);
    } catch (...) {
    }
}

int ServerEngine::AttachHost(HostCallbacks* callbacks) {
    return Guarded(0, [&] {
        host_ = callbacks;
        core_.SetConsoleSink(callbacks != nullptr ? this : nullptr);
        core_.SetEventSink(callbacks != nullptr ? this : nullptr);
        return 0;
    });
}

int ServerEngine::ExecuteCommand(const char* command) {
    return Guarded(0, [&] { return core_.ExecuteCommand(command); });
}

int ServerEngine::FindVariable(const char* name, void** handle, int) {
    return Guarded(0, [&] { return core_.FindVariable(name, handle); });
}

int ServerEngine::GetVariableValue(void* handle, float* value) {
    return Guarded(0, [&] { return core_.GetVariableValue(handle, value); });
}

int ServerEngine::GetVariableString(void* handle, char* buffer, int size) {
    return Guarded(0, [&] { return core_.GetVariableString(handle, buffer, size); });
}

int ServerEngine::GetVariableFlags(const char* name, int* flags) {
    return Guarded(0, [&] { return core_.GetVariableFlags(name, flags); });
}

int ServerEngine::SetVariableFlags(const char* name, int flags) {
    return Guarded(0, [&] { return core_.SetVariableFlags(name, flags); });
}

int ServerEngine::ExecuteConfigFile(const char* path) {
    return Guarded(0, [&] { return core_.ExecuteConfigFile(path); });
}

int ServerEngine::WriteConfigFile(const char* path, int flags) {
    return Guarded(0, [&] { return core_.WriteConfigFile(path, flags); });
}

int ServerEngine::SendHostMessage(const char* message) {
    return Guarded(0, [&] { return core_.SendHostMessage(message); });
}

int ServerEngine::SetResourceArchives(const char* const* names, int count) {
    return Guarded(0, [&] { return core_.SetResourceArchives(names, count); });
}

DirectoryEntry* ServerEngine::ListDirectory(const char* folder) {
    return Guarded(static_cast<DirectoryEntry*>(nullptr),
                   [&] { return core_.ListDirectory(folder); });
}

int ServerEngine::FreeDirectoryList(DirectoryEntry* head) {
    return Guarded(0, [&] { return core_.FreeDirectoryList(head); });
}

int ServerEngine::StartSession(SessionStartRecord* record) {
    return Guarded(0, [&] { return core_.StartSession(record); });
}

int ServerEngine::GetPlayerInfo(int id, PlayerInfo* info) {
    return Guarded(0, [&] { return core_.GetPlayerInfo(id, info); });
}

int ServerEngine::KickPlayer(int id) {
    return Guarded(0, [&] { return core_.KickPlayer(id); });
}

int ServerEngine::GetPlayerPing(int id, float* ping) {
    return Guarded(0, [&] { return core_.GetPlayerPing(id, ping); });
}

int ServerEngine::Tick(int) {
    // On failure keep running: one bad tick is no reason to stop the server.
    return Guarded(1, [&] { return core_.Tick(); });
}

int ServerEngine::RefreshServiceProviders(int, int) {
    return Guarded(0, [&] { return core_.RefreshServiceProviders(); });
}

int ServerEngine::GetServiceProviders(ServiceProviderEntry** head) {
    return Guarded(0, [&] { return core_.GetServiceProviders(head); });
}

int ServerEngine::CommitServiceProviders(ServiceProviderEntry* head) {
    return Guarded(0, [&] { return core_.CommitServiceProviders(head); });
}

int ServerEngine::SelectServiceProvider(int id) {
    return Guarded(0, [&] { return core_.SelectServiceProvider(id); });
}

int ServerEngine::OpenHost(HostOpenRecord* record) {
    return Guarded(0, [&] { return core_.OpenHost(record); });
}

int ServerEngine::GetVersion(int* major, int* minor, int* build) {
    return Guarded(0, [&] { return core_.GetVersion(major, minor, build); });
}

int ServerEngine::GetBandwidth(float* send, float* receive) {
    return Guarded(0, [&] { return core_.GetBandwidth(send, receive); });
}

}  // namespace korvane
