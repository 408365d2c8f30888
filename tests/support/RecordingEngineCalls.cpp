// The recording test engine, the engine's side: each call recorded with its arguments and
// answered as a real engine would.
#include "support/RecordingEngine.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace korvane::test {

int RecordingEngine::AttachHost(HostCallbacks* host) {
    CallScope scope(*this);
    Note(host ? "AttachHost callbacks" : "AttachHost null");
    callbacks = host;
    return failStep == "AttachHost" ? 1 : 0;
}

int RecordingEngine::ExecuteCommand(const char* command) {
    CallScope scope(*this);
    Note(std::string("ExecuteCommand ") + command);
    // "+name value" and "name value" set a variable; a quoted value loses its outer quotes.
    std::string text = command;
    if (!text.empty() && text[0] == '+') text.erase(0, 1);
    const size_t space = text.find(' ');
    if (space == std::string::npos) return 1;
    std::string name = text.substr(0, space);
    std::string value = text.substr(space + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    SetVariable(name, value);
    if (callbacks) callbacks->OnConsoleText(("set " + name + "\n").c_str());
    return 1;
}

int RecordingEngine::FindVariable(const char* name, void** handle, int reserved) {
    CallScope scope(*this);
    Note(std::string("FindVariable ") + name + " " + std::to_string(reserved));
    std::lock_guard<std::mutex> lock(mutex_);
    *handle = Find(name);
    return *handle != nullptr;
}

int RecordingEngine::GetVariableValue(void* handle, float* value) {
    CallScope scope(*this);
    auto* variable = static_cast<Variable*>(handle);
    Note("GetVariableValue " + variable->name);
    *value = variable->value;
    return 1;
}

int RecordingEngine::GetVariableString(void* handle, char* buffer, int size) {
    CallScope scope(*this);
    auto* variable = static_cast<Variable*>(handle);
    Note("GetVariableString " + variable->name + " " + std::to_string(size));
    std::snprintf(buffer, static_cast<size_t>(size), "%s", variable->text.c_str());
    return 1;
}

int RecordingEngine::GetVariableFlags(const char* name, int* flags) {
    CallScope scope(*this);
    Note(std::string("GetVariableFlags ") + name);
    std::lock_guard<std::mutex> lock(mutex_);
    const Variable* variable = Find(name);
    *flags = variable ? variable->flags : 0;
    return *flags;
}

int RecordingEngine::SetVariableFlags(const char* name, int flags) {
    CallScope scope(*this);
    Note(std::string("SetVariableFlags ") + name + " " + std::to_string(flags));
    std::lock_guard<std::mutex> lock(mutex_);
    if (Variable* variable = Find(name)) variable->flags = flags;
    return 1;
}

int RecordingEngine::ExecuteConfigFile(const char* path) {
    {
        CallScope scope(*this);
        Note(std::string("ExecuteConfigFile ") + path);
    }
    for (const std::string& line : configFile) ExecuteCommand(line.c_str());
    return 1;
}

int RecordingEngine::WriteConfigFile(const char* path, int flags) {
    CallScope scope(*this);
    Note(std::string("WriteConfigFile ") + path + " " + std::to_string(flags));
    return 1;
}

int RecordingEngine::SendHostMessage(const char* message) {
    CallScope scope(*this);
    std::string shown;
    for (const char* c = message; *c; ++c)
        shown += std::to_string(static_cast<unsigned char>(*c)) + ",";
    Note("SendHostMessage " + shown);
    return 1;
}

int RecordingEngine::SetResourceArchives(const char* const* names, int count) {
    CallScope scope(*this);
    Note("SetResourceArchives " + std::to_string(count));
    archives.assign(names, names + count);
    return failStep == "SetResourceArchives" ? 0 : 1;
}

DirectoryEntry* RecordingEngine::ListDirectory(const char* folder) {
    CallScope scope(*this);
    Note(std::string("ListDirectory ") + folder);
    if (directory.empty()) return nullptr;
    auto listing = std::make_unique<DirectoryListing>();
    // Texts first, so the entries' pointers stay valid while the list is out.
    listing->texts.reserve(directory.size() * 2);
    for (const auto& [kind, name] : directory) {
        listing->texts.push_back(name);
        listing->texts.push_back(std::string(folder) + "/" + name);
    }
    listing->entries.resize(directory.size());
    for (size_t i = 0; i < directory.size(); ++i) {
        DirectoryEntry& entry = listing->entries[i];
        entry.kind = directory[i].first;
        entry.name = listing->texts[2 * i].data();
        entry.alternativeName = listing->texts[2 * i + 1].data();
        entry.next = i + 1 < directory.size() ? &listing->entries[i + 1] : nullptr;
    }
    DirectoryEntry* head = listing->entries.data();
    std::lock_guard<std::mutex> lock(mutex_);
    listings_.push_back(std::move(listing));
    return head;
}

int RecordingEngine::FreeDirectoryList(DirectoryEntry* head) {
    CallScope scope(*this);
    Note("FreeDirectoryList");
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = listings_.begin(); it != listings_.end(); ++it) {
        if ((*it)->entries.data() == head) {
            listings_.erase(it);
            return 1;
        }
    }
    return 0;
}

int RecordingEngine::LiveDirectoryLists() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(listings_.size());
}

int RecordingEngine::StartSession(SessionStartRecord* record) {
    CallScope scope(*this);
    Note("StartSession");
    lastStart = *record;
    if (record->description) lastDescription = *record->description;
    return 1;
}

int RecordingEngine::GetPlayerInfo(int id, PlayerInfo* info) {
    CallScope scope(*this);
    Note("GetPlayerInfo " + std::to_string(id));
    std::memset(info, 0, sizeof *info);
    return 1;
}

int RecordingEngine::KickPlayer(int id) {
    CallScope scope(*this);
    Note("KickPlayer " + std::to_string(id));
    return 1;
}

int RecordingEngine::GetPlayerPing(int id, float* ping) {
    CallScope scope(*this);
    Note("GetPlayerPing " + std::to_string(id));
    *ping = 0.05f;
    return 1;
}

int RecordingEngine::RefreshServiceProviders(int a, int b) {
    CallScope scope(*this);
    Note("RefreshServiceProviders " + std::to_string(a) + " " + std::to_string(b));
    return 1;
}

int RecordingEngine::GetServiceProviders(ServiceProviderEntry** head) {
    CallScope scope(*this);
    Note("GetServiceProviders");
    if (failStep == "GetServiceProviders") return 0;
    *head = offerTcpIp ? &providers_[0] : &providers_[2];
    return 1;
}

int RecordingEngine::CommitServiceProviders(ServiceProviderEntry* head) {
    CallScope scope(*this);
    Note(std::string("CommitServiceProviders ") + (head ? head->name : "null"));
    return failStep == "CommitServiceProviders" ? 0 : commitResult;
}

int RecordingEngine::SelectServiceProvider(int id) {
    CallScope scope(*this);
    Note("SelectServiceProvider " + std::to_string(id));
    return 1;
}

int RecordingEngine::OpenHost(HostOpenRecord* record) {
    CallScope scope(*this);
    Note("OpenHost");
    lastOpen = *record;
    if (failStep != "OpenHost") return 1;
    if (callbacks && !failureText.empty()) callbacks->OnConsoleText(failureText.c_str());
    return 0;
}

int RecordingEngine::GetVersion(int* major, int* minor, int* build) {
    CallScope scope(*this);
    Note("GetVersion");
    *major = version[0];
    *minor = version[1];
    *build = version[2];
    return 1;
}

int RecordingEngine::GetBandwidth(float* send, float* receive) {
    CallScope scope(*this);
    Note("GetBandwidth");
    *send = 1234.9f;
    *receive = 567.2f;
    return 1;
}

}  // namespace korvane::test
