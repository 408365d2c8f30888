// The EngineInterface operations of the simulated engine, over its variables, game and lists.
#include "EngineCore.h"

#include <algorithm>
#include <cstring>

#include "CommandLine.h"
#include "ConfigText.h"

namespace korvane {

namespace {

constexpr size_t kMaxPathLength = 259;
constexpr size_t kMaxArchiveNameLength = 1023;

// Length of a text the host should have terminated within limit bytes; limit when it did not.
size_t BoundedLength(const char* text, size_t limit) {
    const void* end = std::memchr(text, '\0', limit);
    return end == nullptr ? limit : static_cast<size_t>(static_cast<const char*>(end) - text);
}

// For printing a name of any length within "%.*s".
int PrintLength(std::string_view text) {
    return static_cast<int>(std::min<size_t>(text.size(), 200));
}

// A file's name as the exec cycle check compares it: Windows paths, so letter case and the
// kind of slash do not matter, and "." and "name/.." segments are taken out. Names that still
// differ for one file (links, short names) only get as far as the work bound lets them.
std::string ExecKey(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const size_t end = path.find_first_of("/\\");
        const std::string_view part = path.substr(0, end);
        if (part == ".." && !parts.empty() && parts.back() != "..")
            parts.pop_back();
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        if (end == std::string_view::npos) break;
        path.remove_prefix(end + 1);
    }
    std::string key;
    for (std::string_view part : parts) {
        if (!key.empty()) key += '/';
        for (char c : part) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

bool IsSafeRelativeFolder(std::string_view folder) {
    if (folder.empty() || folder.front() == '/' || folder.front() == '\\') return false;
    if (folder.find(':') != std::string_view::npos) return false;
    while (!folder.empty()) {
        size_t end = folder.find_first_of("/\\");
        if (folder.substr(0, end) == "..") return false;
        if (end == std::string_view::npos) break;
        folder.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace

EngineCore::EngineCore(EngineEnvironment& environment)
    : environment_(environment),
      game_(variables_, console_, events_, environment),
      serverName_(&variables_.Ensure("servername", "Korvane Server")),
      sendBandwidth_(&variables_.Ensure("sendbandwidth", "32000")),
      startMs_(environment.NowMs()) {}

void EngineCore::SetEventSink(EventSink* sink) {
    events_.SetSink(sink);
    if (sink != nullptr) game_.Players().AnnounceAgain();
}

uint64_t EngineCore::UptimeSeconds() {
    uint64_t now = environment_.NowMs();
    return now >= startMs_ ? (now - startMs_) / 1000 : 0;
}

int EngineCore::ExecuteCommand(const char* command) {
    return command == nullptr ? 0 : ExecuteLine(command);
}

int EngineCore::ExecuteLine(std::string_view line) {
    CommandParts parts = SplitCommand(line);
    if (parts.name.empty()) return 0;
    // Engine commands come first, so a variable can never hide one.
    if (const CommandEntry* command = FindCommand(parts.name)) {
        (this->*command->run)(parts.rest);
        return 1;
    }
    if (parts.rest.empty()) {
        if (const Variable* variable = variables_.Find(parts.name)) {
            console_.Print("%s is \"%s\"", variable->name.c_str(), variable->text.c_str());
            return 1;
        }
        console_.Print("Unknown command: %.*s", PrintLength(parts.name), parts.name.data());
        return 0;
    }
    if (!VariableStore::IsValidName(parts.name)) {
        console_.Print("Invalid or overlong variable name: %.*s", PrintLength(parts.name),
                       parts.name.data());
        return 0;
    }
    const Variable* existing = variables_.Find(parts.name);
    const bool existed = existing != nullptr;
    const std::string oldText = existed ? existing->text : std::string();
    const float oldValue = existed ? existing->value : 0.0f;
    const Variable* variable = variables_.Set(parts.name, CommandValue(parts.rest));
    if (variable == nullptr) {
        console_.Print("Too many variables: %.*s not created", PrintLength(parts.name),
                       parts.name.data());
        return 0;
    }
    // The operator sees every option that changes, but not the defaults being defined nor a
    // configuration file being read, and not "16" becoming "16.000000".
    const bool sameNumber = oldValue == variable->value && oldValue != 0.0f;
    if (existed && execDepth_ == 0 && oldText != variable->text && !sameNumber)
        console_.Print("%s changed to \"%s\"", variable->name.c_str(), variable->text.c_str());
    return 1;
}

int EngineCore::FindVariable(const char* name, void** handle) {
    Variable* variable = name == nullptr ? nullptr : variables_.Find(name);
    if (handle != nullptr) *handle = variable;
    return variable != nullptr ? 1 : 0;
}

int EngineCore::GetVariableValue(void* handle, float* value) {
    const Variable* variable = variables_.FromHandle(handle);
    if (value != nullptr) *value = variable != nullptr ? variable->value : 0.0f;
    return variable != nullptr ? 1 : 0;
}

int EngineCore::GetVariableString(void* handle, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const Variable* variable = variables_.FromHandle(handle);
    if (variable == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    size_t length = std::min(variable->text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, variable->text.data(), length);
    buffer[length] = '\0';
    return 1;
}

int EngineCore::GetVariableFlags(const char* name, int* flags) {
    const Variable* variable = name == nullptr ? nullptr : variables_.Find(name);
    int result = variable != nullptr ? variable->flags : 0;
    if (flags != nullptr) *flags = result;
    return result;
}

int EngineCore::SetVariableFlags(const char* name, int flags) {
    Variable* variable = name == nullptr ? nullptr : variables_.Find(name);
    if (variable == nullptr) return 0;  // flags never create a variable
    variable->flags = flags;
    return 1;
}

int EngineCore::ExecuteConfigFile(const char* path) {
    if (path == nullptr || *path == '\0') return 0;
    std::string file(path, BoundedLength(path, kMaxPathLength + 1));
    if (file.size() > kMaxPathLength) {
        console_.Print("exec: path too long");
        return 0;
    }
    if (execDepth_ == 0) {
        execLines_ = 0;
        execPrintedBefore_ = console_.LinesPrinted();
        execBytes_ = 0;
        execStopped_ = false;
    } else if (!ExecWorkLeft(file)) {
        return 0;
    }
    if (execDepth_ >= kMaxExecDepth) {
        console_.Print("exec: %s not executed, configuration files nested too deeply",
                       file.c_str());
        return 0;
    }
    std::string key = ExecKey(file);
    if (std::find(execStack_.begin(), execStack_.end(), key) != execStack_.end()) {
        console_.Print(
            "exec: %s is being executed already; a file that executes itself, "
            "directly or through others, is not run again",
            file.c_str());
        return 0;
    }
    std::string text;
    switch (environment_.ReadFile(file, text, kMaxConfigBytes)) {
        case ReadResult::Read:
            break;
        case ReadResult::Missing:
            console_.Print("%s not found, settings unchanged", file.c_str());
            return 0;
        case ReadResult::Folder:
            console_.Print("exec: %s is a folder, not a configuration file; settings unchanged",
                           file.c_str());
            return 0;
        case ReadResult::TooLarge:
            console_.Print(
                "exec: %s is larger than %u MB, not a configuration file; settings "
                "unchanged",
                file.c_str(), static_cast<unsigned>(kMaxConfigBytes >> 20));
            return 0;
        case ReadResult::Failed:
            console_.Print("exec: could not read %s; settings unchanged", file.c_str());
            return 0;
    }
    execBytes_ += text.size();
    console_.Print("Executing %s", file.c_str());
    return ExecuteConfigText(text, file, std::move(key));
}

bool EngineCore::ExecWorkLeft(const std::string& file) {
    if (execStopped_) return false;
    const uint64_t printed = console_.LinesPrinted() - execPrintedBefore_;
    if (execLines_ < kMaxExecWork && printed < kMaxExecWork && execBytes_ < kMaxExecBytes)
        return true;
    execStopped_ = true;
    console_.Print(
        "exec: stopped in %s after %llu lines run and %llu printed from %u KB read; "
        "the rest of the configuration is skipped",
        file.c_str(), static_cast<unsigned long long>(execLines_),
        static_cast<unsigned long long>(printed), static_cast<unsigned>(execBytes_ >> 10));
    return false;
}

int EngineCore::ExecuteConfigText(std::string_view text, const std::string& file, std::string key) {
    struct StackGuard {
        EngineCore& core;
        StackGuard(EngineCore& c, std::string key) : core(c) {
            core.execStack_.push_back(std::move(key));
            ++core.execDepth_;
        }
        ~StackGuard() {
            --core.execDepth_;
            core.execStack_.pop_back();
        }
    } guard(*this, std::move(key));
    ForEachLine(text, [this, &file](std::string_view line) {
        if (IsCommentOrBlank(line) || !ExecWorkLeft(file)) return;
        ++execLines_;
        ExecuteLine(line);
    });
    return 1;
}

int EngineCore::WriteConfigFile(const char* path, int flags) {
    if (path == nullptr || *path == '\0') return 0;
    std::string file(path, BoundedLength(path, kMaxPathLength + 1));
    if (file.size() > kMaxPathLength) return 0;
    if (!environment_.WriteFileReplacing(file, FormatConfig(variables_, flags))) {
        console_.Print("Could not write %s", file.c_str());
        return 0;
    }
    console_.Print("Configuration written to %s", file.c_str());
    return 1;
}

int EngineCore::SendHostMessage(const char* message) {
    if (message == nullptr || message[0] != kHostReadyMessage[0]) return 0;
    // Byte 1: the host has finished starting up and its server loop runs.
    console_.Print("Server is up: \"%s\" on %s, %d/%d players", serverName_->text.c_str(),
                   game_.Running() ? game_.Map().c_str() : "no map", game_.PlayerCount(),
                   game_.MaxPlayers());
    return 1;
}

int EngineCore::SetResourceArchives(const char* const* names, int count) {
    if (names == nullptr || count < 1 || count > kMaxArchives) {
        console_.Print("Resource archives refused: %d names", count);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (names[i] == nullptr) {
            console_.Print("Resource archives refused: name %d missing", i + 1);
            return 0;
        }
    }
    std::vector<std::string> archives;
    archives.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        archives.emplace_back(names[i], BoundedLength(names[i], kMaxArchiveNameLength));
    archives_ = std::move(archives);
    for (const std::string& archive : archives_)
        console_.Print("Resource archive: %s", archive.c_str());
    return 1;
}

DirectoryEntry* EngineCore::ListDirectory(const char* folder) {
    if (folder == nullptr) return nullptr;
    std::string_view name(folder, BoundedLength(folder, kMaxPathLength + 1));
    while (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.remove_suffix(1);
    if (name.size() > kMaxPathLength || !IsSafeRelativeFolder(name)) {
        console_.Print("ListDirectory: only folders inside the installation can be listed");
        return nullptr;
    }
    std::string path(name);
    std::vector<FoundFile> found;
    if (!environment_.ListFolder(path, found)) return nullptr;
    return directories_.Build(path, found);
}

int EngineCore::FreeDirectoryList(DirectoryEntry* head) {
    return head != nullptr && directories_.Free(head) ? 1 : 0;
}

int EngineCore::OpenHost(const HostOpenRecord* record) {
    if (record == nullptr || record->zero0 != 0 || record->zero4 != 0 ||
        BoundedLength(record->sessionText, sizeof record->sessionText) ==
            sizeof record->sessionText) {
        console_.Print("OpenHost: malformed host record");
        return 0;
    }
    if (record->maxPlayers < 1 || record->maxPlayers > kMaxPlayers) {
        console_.Print("OpenHost: maximum players %d is outside 1 to %d", record->maxPlayers,
                       kMaxPlayers);
        return 0;
    }
    if (!networkReady_) {
        console_.Print("OpenHost: no network service has been committed");
        return 0;
    }
    if (hostOpen_) {
        console_.Print("Host already open");
        return 1;
    }
    hostOpen_ = true;
    if (record->sessionText[0] != '\0')
        console_.Print("Host opened for %d players: %s", record->maxPlayers, record->sessionText);
    else
        console_.Print("Host opened for %d players", record->maxPlayers);
    return 1;
}

int EngineCore::StartSession(const SessionStartRecord* record) {
    if (record == nullptr || record->description == nullptr ||
        record->descriptionSize != static_cast<int32_t>(sizeof(SessionDescription)) ||
        BoundedLength(record->startMap, sizeof record->startMap) == sizeof record->startMap ||
        BoundedLength(record->description->startMap, sizeof record->description->startMap) ==
            sizeof record->description->startMap) {
        console_.Print("StartSession: malformed session record");
        return 0;
    }
    if (!hostOpen_) {
        console_.Print("StartSession: the host is not open");
        return 0;
    }
    if (game_.Running()) {
        console_.Print("StartSession: a game is already running on %s", game_.Map().c_str());
        return 0;
    }
    std::string_view map = TrimSpace(record->startMap);
    if (map.empty()) {
        console_.Print("StartSession: no start map");
        return 0;
    }
    game_.Start(map, environment_.NowMs());
    return 1;
}

int EngineCore::GetPlayerInfo(int id, PlayerInfo* info) {
    if (info == nullptr) return 0;
    std::memset(info, 0, sizeof *info);
    const Player* player = game_.FindPlayer(id);
    if (player == nullptr) return 0;
    // The engine's part of the record: id, team, specialty, then the name.
    int32_t numbers[3] = {player->id, player->team, player->specialty};
    std::memcpy(info->engineData, numbers, sizeof numbers);
    size_t nameRoom = sizeof info->engineData - sizeof numbers - 1;
    std::memcpy(info->engineData + sizeof numbers, player->name.data(),
                std::min(player->name.size(), nameRoom));
    std::memcpy(&info->pingSeed, &player->pingSeconds, sizeof info->pingSeed);
    return 1;
}

int EngineCore::KickPlayer(int id) {
    if (game_.Players().Remove(id, Departure::Kicked)) return 1;
    console_.Print("kick: no player with id %d", id);
    return 0;
}

int EngineCore::GetPlayerPing(int id, float* ping) {
    // The host seeds the float with the last ping it was given for the row; a player who has
    // gone keeps showing that rather than a jump to zero until the row disappears.
    const Player* player = game_.FindPlayer(id);
    if (ping == nullptr || player == nullptr) return 0;
    *ping = player->pingSeconds;
    return 1;
}

int EngineCore::Tick() {
    if (quit_) return 0;
    uint64_t now = environment_.NowMs();
    game_.Advance(now);
    flood_.Advance(now, console_);
    return quit_ ? 0 : 1;
}

int EngineCore::RefreshServiceProviders() {
    providers_.Refresh();
    return 1;
}

int EngineCore::GetServiceProviders(ServiceProviderEntry** head) {
    if (head == nullptr) return 0;
    if (!providers_.Refreshed()) providers_.Refresh();
    *head = providers_.Head();
    return 1;
}

int EngineCore::SelectServiceProvider(int id) {
    if (!providers_.Refreshed()) providers_.Refresh();
    const ServiceProviderEntry* entry = providers_.Find(id);
    if (entry == nullptr) {
        console_.Print("Unknown service provider %d", id);
        return 0;
    }
    providers_.Select(id);
    console_.Print("Service provider: %s", entry->name);
    return 1;
}

int EngineCore::CommitServiceProviders(ServiceProviderEntry* head) {
    if (!providers_.Refreshed() || !providers_.IsOwnHead(head)) {
        console_.Print("CommitServiceProviders: not the engine's provider list");
        return 0;
    }
    const ServiceProviderEntry* selected = providers_.Selected();
    if (selected == nullptr) {
        console_.Print("CommitServiceProviders: no service provider selected");
        return 0;
    }
    networkReady_ = true;
    console_.Print("Network ready: %s", selected->name);
    return 1;
}

int EngineCore::GetVersion(int* major, int* minor, int* build) {
    if (major != nullptr) *major = kEngineVersionMajor;
    if (minor != nullptr) *minor = kEngineVersionMinor;
    if (build != nullptr) *build = kEngineVersionBuild;
    return 1;
}

int EngineCore::GetBandwidth(float* send, float* receive) {
    // Status traffic to the master server plus each player's snapshots, within the
    // "sendbandwidth" budget.
    float budget = sendBandwidth_->value;
    float sending = game_.Players().SendRate();
    if (budget > 0.0f && sending > budget) sending = budget;
    if (send != nullptr) *send = hostOpen_ ? sending : 0.0f;
    if (receive != nullptr) *receive = hostOpen_ ? game_.Players().ReceiveRate() : 0.0f;
    return 1;
}

}  // namespace korvane
