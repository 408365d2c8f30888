// Creating the engine, resource archives, the network service and the start-up records.
#include "host/StartupSteps.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "host/ResourceList.h"

namespace korvane {

namespace {

const char kNetworkService[] = "Internet TCP/IP";
// resource.txt is a short list of names; anything past this is not read.
constexpr size_t kMaxResourceFileSize = 1 << 20;

std::string ReadSmallTextFile(const char* path) {
    std::string text;
    FILE* file = std::fopen(path, "rb");
    if (!file) return text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 &&
           text.size() < kMaxResourceFileSize)
        text.append(chunk, got);
    std::fclose(file);
    return text;
}

void CopyCut(char* target, size_t size, const std::string& source) {
    std::snprintf(target, size, "%s", source.c_str());
}

}  // namespace

EngineInterface* CreateEngine(EngineLibrary& library, std::array<int, 3>& version) {
    EngineInterface* engine = nullptr;
    if (library.Create(kEngineInterfaceVersion, &kEngineInterfaceId, &engine) != 0) return nullptr;
    if (engine) engine->GetVersion(&version[0], &version[1], &version[2]);
    return engine;
}

int SetUpResourceArchives(EngineInterface& engine) {
    const std::vector<std::string> names = ResourceArchiveNames(ReadSmallTextFile("resource.txt"));
    std::vector<const char*> pointers;
    pointers.reserve(names.size());
    for (const std::string& name : names) pointers.push_back(name.c_str());
    return engine.SetResourceArchives(pointers.data(), static_cast<int>(pointers.size()));
}

int SelectNetworkService(EngineInterface& engine) {
    engine.RefreshServiceProviders(0, 0);
    ServiceProviderEntry* head = nullptr;
    if (engine.GetServiceProviders(&head) == 0) return 0;
    // The list is the engine's; a bound on the walk guards against a list that loops.
    int guard = 0;
    for (ServiceProviderEntry* entry = head; entry && guard < 4096; entry = entry->next, ++guard) {
        if (std::strncmp(entry->name, kNetworkService, sizeof entry->name) == 0) {
            engine.SelectServiceProvider(entry->id);
            break;
        }
    }
    return engine.CommitServiceProviders(head) == 1 ? 1 : 0;
}

int StartHosting(EngineInterface& engine, const std::string& startMap, int maxPlayers,
                 const std::string& sessionText) {
    HostOpenRecord open;
    SessionStartRecord start;
    SessionDescription description;
    std::memset(&open, 0, sizeof open);
    std::memset(&start, 0, sizeof start);
    std::memset(&description, 0, sizeof description);

    open.maxPlayers = maxPlayers;
    CopyCut(open.sessionText, sizeof open.sessionText, sessionText);
    CopyCut(start.startMap, sizeof start.startMap, startMap);
    start.maxPlayers = maxPlayers;
    start.description = &description;
    start.descriptionSize = sizeof description;
    CopyCut(description.startMap, sizeof description.startMap, startMap);
    CopyCut(description.startMapAgain, sizeof description.startMapAgain, startMap);

    if (engine.OpenHost(&open) == 0) return 0;
    engine.StartSession(&start);
    return 1;
}

}  // namespace korvane
