// The host's set-up calls and the running game's figures. Every record and name from the
// host is checked before use: its texts need not be terminated, its numbers not in range.
#include "Hosting.h"

#include <cstring>

#include "CommandLine.h"

namespace korvane {

namespace {

constexpr size_t kMaxArchiveNameLength = 1023;

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

Hosting::Hosting(EngineState& state)
    : environment_(state.environment),
      console_(state.console),
      game_(state.game),
      serverName_(state.serverName),
      sendBandwidth_(state.sendBandwidth) {}

int Hosting::SendHostMessage(const char* message) {
    if (message == nullptr || message[0] != kHostReadyMessage[0]) return 0;
    // Byte 1: the host has finished starting up and its server loop runs.
    console_.Print("Server is up: \"%s\" on %s, %d/%d players", serverName_->text.c_str(),
                   game_.Running() ? game_.Map().c_str() : "no map", game_.PlayerCount(),
                   game_.MaxPlayers());
    return 1;
}

int Hosting::SetResourceArchives(const char* const* names, int count) {
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

DirectoryEntry* Hosting::ListDirectory(const char* folder) {
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

int Hosting::FreeDirectoryList(DirectoryEntry* head) {
    return head != nullptr && directories_.Free(head) ? 1 : 0;
}

int Hosting::RefreshServiceProviders() {
    providers_.Refresh();
    return 1;
}

int Hosting::GetServiceProviders(ServiceProviderEntry** head) {
    if (head == nullptr) return 0;
    if (!providers_.Refreshed()) providers_.Refresh();
    *head = providers_.Head();
    return 1;
}

int Hosting::SelectServiceProvider(int id) {
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

int Hosting::CommitServiceProviders(ServiceProviderEntry* head) {
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

int Hosting::OpenHost(const HostOpenRecord* record) {
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

int Hosting::StartSession(const SessionStartRecord* record) {
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

int Hosting::GetBandwidth(float* send, float* receive) {
    // Status traffic to the master server plus each player's snapshots, within the
    // "sendbandwidth" budget.
    float budget = sendBandwidth_->value;
    float sending = game_.Players().SendRate();
    if (budget > 0.0f && sending > budget) sending = budget;
    if (send != nullptr) *send = hostOpen_ ? sending : 0.0f;
    if (receive != nullptr) *receive = hostOpen_ ? game_.Players().ReceiveRate() : 0.0f;
    return 1;
}

int Hosting::GetVersion(int* major, int* minor, int* build) {
    if (major != nullptr) *major = kEngineVersionMajor;
    if (minor != nullptr) *minor = kEngineVersionMinor;
    if (build != nullptr) *build = kEngineVersionBuild;
    return 1;
}

}  // namespace korvane
