// The recording test engine.
#include "support/RecordingEngine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <functional>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#endif

namespace korvane::test {

namespace {

// The calling thread as the tests compare it: Windows' own id there, so that it matches
// GetCurrentThreadId in the tests; any stable nonzero number in the native build.
unsigned long CurrentThread() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return static_cast<unsigned long>(std::hash<std::thread::id>{}(std::this_thread::get_id())) | 1;
#endif
}

}  // namespace

bool CaseLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

RecordingEngine::RecordingEngine() {
    const char* names[] = {"IPX", "Internet TCP/IP", "Serial Link"};
    for (int i = 0; i < 3; ++i) {
        providers_[i].id = 10 + i;
        std::snprintf(providers_[i].name, sizeof providers_[i].name, "%s", names[i]);
        providers_[i].next = i < 2 ? &providers_[i + 1] : nullptr;
    }
}

RecordingEngine::CallScope::CallScope(RecordingEngine& engine) : engine_(engine) {
    if (engine_.inCall_.fetch_add(1) != 0) engine_.overlappingCalls++;
    if (engine_.released) engine_.callsAfterRelease++;
}
RecordingEngine::CallScope::~CallScope() {
    engine_.inCall_.fetch_sub(1);
}

void RecordingEngine::Note(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
    callThreads_.push_back(CurrentThread());
}

unsigned long RecordingEngine::ThreadOf(const std::string& call) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < calls_.size(); ++i)
        if (calls_[i] == call) return callThreads_[i];
    return 0;
}

std::vector<std::string> RecordingEngine::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingEngine::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : Calls())
        if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call);
    return found;
}

std::vector<std::string> RecordingEngine::Commands() const {
    std::vector<std::string> texts;
    for (const std::string& call : CallsStartingWith("ExecuteCommand "))
        texts.push_back(call.substr(15));
    return texts;
}

void RecordingEngine::ClearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    callThreads_.clear();
}

int RecordingEngine::Unexpected(const char* slot) {
    Note(std::string("UNEXPECTED ") + slot);
    return 0;
}

RecordingEngine::Variable* RecordingEngine::Find(const std::string& name) {
    auto it = variables_.find(name);
    return it == variables_.end() ? nullptr : it->second.get();
}
const RecordingEngine::Variable* RecordingEngine::Find(const std::string& name) const {
    auto it = variables_.find(name);
    return it == variables_.end() ? nullptr : it->second.get();
}

void RecordingEngine::SetVariable(const std::string& name, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = variables_[name];
    if (!slot) slot = std::make_unique<Variable>(Variable{name, "", 0, 0});
    slot->text = text;
    slot->value = static_cast<float>(std::atof(text.c_str()));
}

bool RecordingEngine::HasVariable(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Find(name) != nullptr;
}

std::string RecordingEngine::VariableText(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Variable* variable = Find(name);
    return variable ? variable->text : std::string();
}

int RecordingEngine::VariableFlags(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Variable* variable = Find(name);
    return variable ? variable->flags : -1;
}

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

int RecordingEngine::Tick(int) {
    CallScope scope(*this);
    tickThread = CurrentThread();
    ticks++;
    if (onTick) onTick();
    std::vector<std::string> events;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events.swap(pendingEvents_);
    }
    for (const std::string& event : events)
        if (callbacks) callbacks->OnEngineEvent(event.c_str());
    if (tickDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(tickDelayMs));
    return tickResult.load();
}

void RecordingEngine::QueueEvent(const std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    pendingEvents_.push_back(message);
}

void RecordingEngine::QueuePlayers(int count) {
    std::string update = "\x03";
    for (int id = 1; id <= count; ++id) {
        QueueEvent("\x01 " + std::to_string(id));
        update += std::to_string(id) + " Player " + std::to_string(id) + "\n1070 3 ";
    }
    QueueEvent(update + "-1");
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

int RecordingLibrary::Create(int version, const InterfaceId* iid, EngineInterface** out) {
    const bool idOk = iid && SameInterfaceId(*iid, kEngineInterfaceId);
    engine_.Note("CreateEngine " + std::to_string(version) + (idOk ? " iid" : " wrong-iid"));
    engine_.released = false;
    if (engine_.failStep == "CreateEngine") return 1;
    if (engine_.failStep == "NullEngine") return 0;
    *out = &engine_;
    return 0;
}

void RecordingLibrary::Release() {
    engine_.Note("ReleaseEngine");
    engine_.released = true;
}

}  // namespace korvane::test
