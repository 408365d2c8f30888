// The built server.dll and korvane/cres.dll as the host sees them: loaded by full path from
// the installation folder, the engine reached through its ordinal exports and virtual table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "StringIds.h"
#include "contract/EngineInterface.h"

namespace korvane::test {
namespace {

// KORVANE_INSTALL_DIR as a Windows path; ctest hands over the host's path, which under Wine
// is reached through drive Z:.
std::string InstallPath(const char* file) {
    const char* folder = std::getenv("KORVANE_INSTALL_DIR");
    std::string path = folder != nullptr ? folder : ".";
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    path += "/";
    path += file;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

template <typename Function>
Function Export(HMODULE library, int ordinal) {
    FARPROC address = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

class Host final : public HostCallbacks {
  public:
    std::string text;
    std::vector<std::string> events;
    int OnEngineEvent(const char* message) override {
        events.emplace_back(message);
        return 0;
    }
    int OnConsoleText(const char* line) override {
        text += line;
        return 0;
    }
    int Reserved2() override { return 0; }
    int Reserved3(int, int, int, int) override { return 0; }
};

TEST(ServerDll, DrivenThroughOrdinalsAndTheInterfaceTable) {
    std::string path = InstallPath("server.dll");
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, nullptr) << path;
    auto create = Export<CreateEngineFn>(library, 1);
    auto release = Export<ReleaseEngineFn>(library, 2);
    ASSERT_NE(create, nullptr);
    ASSERT_NE(release, nullptr);

    EngineInterface* engine = reinterpret_cast<EngineInterface*>(1);
    EXPECT_NE(create(1, &kEngineInterfaceId, &engine), 0);
    EXPECT_EQ(engine, nullptr);
    InterfaceId other = kEngineInterfaceId;
    other.data4[7] ^= 1;
    EXPECT_NE(create(kEngineInterfaceVersion, &other, &engine), 0);
    EXPECT_NE(create(kEngineInterfaceVersion, nullptr, &engine), 0);
    ASSERT_EQ(create(kEngineInterfaceVersion, &kEngineInterfaceId, &engine), 0);
    ASSERT_NE(engine, nullptr);

    int major = 0, minor = 0, build = 0;
    engine->GetVersion(&major, &minor, &build);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(build, 5);

    Host host;
    EXPECT_EQ(engine->AttachHost(&host), 0);
    const char* archives[] = {"korvane", "korvane.rez"};
    EXPECT_NE(engine->SetResourceArchives(archives, 2), 0);
    EXPECT_EQ(engine->SetResourceArchives(archives, 0), 0);
    engine->ExecuteCommand("+serverwebsite \"a\"b\"");
    void* handle = nullptr;
    engine->FindVariable("ServerWebsite", &handle, 0);
    char text[48] = {};
    engine->GetVariableString(handle, text, sizeof text);
    EXPECT_STREQ(text, "a\"b");

    ServiceProviderEntry* head = nullptr;
    engine->RefreshServiceProviders(0, 0);
    ASSERT_NE(engine->GetServiceProviders(&head), 0);
    for (ServiceProviderEntry* entry = head; entry != nullptr; entry = entry->next)
        if (std::string(entry->name) == "Internet TCP/IP") engine->SelectServiceProvider(entry->id);
    EXPECT_EQ(engine->CommitServiceProviders(head), 1);

    EXPECT_NE(engine->Tick(0), 0);
    engine->ExecuteCommand("status");
    EXPECT_NE(host.text.find("Version: 1.0.5\n"), std::string::npos) << host.text;
    engine->ExecuteCommand("quit");
    EXPECT_EQ(engine->Tick(0), 0);
    engine->AttachHost(nullptr);
    release();
    FreeLibrary(library);
}

// Player events and the close request cross the boundary through the callback table.
TEST(ServerDll, PlayerEventsAndCloseReachTheHost) {
    HMODULE library = LoadLibraryA(InstallPath("server.dll").c_str());
    ASSERT_NE(library, nullptr);
    auto create = Export<CreateEngineFn>(library, 1);
    auto release = Export<ReleaseEngineFn>(library, 2);
    EngineInterface* engine = nullptr;
    ASSERT_EQ(create(kEngineInterfaceVersion, &kEngineInterfaceId, &engine), 0);
    Host host;
    engine->AttachHost(&host);
    engine->ExecuteCommand("botcount 0");
    ServiceProviderEntry* head = nullptr;
    engine->RefreshServiceProviders(0, 0);
    engine->GetServiceProviders(&head);
    for (ServiceProviderEntry* entry = head; entry != nullptr; entry = entry->next)
        if (std::string(entry->name) == "Internet TCP/IP") engine->SelectServiceProvider(entry->id);
    engine->CommitServiceProviders(head);
    HostOpenRecord open{};
    open.maxPlayers = 16;
    ASSERT_EQ(engine->OpenHost(&open), 1);
    SessionStartRecord record{};
    SessionDescription description{};
    std::strcpy(record.startMap, "worlds/lima");
    record.description = &description;
    record.descriptionSize = sizeof description;
    ASSERT_EQ(engine->StartSession(&record), 1);

    engine->ExecuteCommand("addbot Alice");
    ASSERT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0], "\x01 1");
    PlayerInfo info{};
    EXPECT_EQ(engine->GetPlayerInfo(1, &info), 1);
    float ping = 0.0f;
    std::memcpy(&ping, &info.pingSeed, sizeof ping);
    EXPECT_EQ(engine->GetPlayerPing(1, &ping), 1);
    EXPECT_TRUE(ping >= 0.020f && ping <= 0.250f) << ping;
    float send = 0.0f, receive = 0.0f;
    EXPECT_EQ(engine->GetBandwidth(&send, &receive), 1);
    EXPECT_GT(send, 0.0f);
    engine->KickPlayer(1);
    ASSERT_EQ(host.events.size(), 2u);
    EXPECT_EQ(host.events[1], "\x02 1");
    EXPECT_NE(host.text.find("Player Alice was kicked\n"), std::string::npos);

    EXPECT_NE(engine->Tick(0), 0);
    engine->ExecuteCommand("closehost");
    EXPECT_EQ(host.events.back(), "\x07");
    EXPECT_EQ(engine->Tick(0), 0);
    engine->AttachHost(nullptr);
    release();
    FreeLibrary(library);
}

TEST(StringLibrary, TextsLoadFromTheResourceImage) {
    std::string path = InstallPath("korvane/cres.dll");
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr) << path;
    char text[260] = {};
    EXPECT_GT(LoadStringA(image, KORVANE_UNASSIGNED, text, sizeof text), 0);
    EXPECT_STREQ(text, "Unassigned");
    EXPECT_GT(LoadStringA(image, KORVANE_SPECIALTY_NONE, text, sizeof text), 0);
    EXPECT_STREQ(text, "None");
    EXPECT_GT(LoadStringA(image, KORVANE_TEAM_RED, text, sizeof text), 0);
    EXPECT_EQ(LoadStringA(image, 999, text, sizeof text), 0);
    FreeLibrary(image);

    // The host loads it as an ordinary library: with no entry point that must work too.
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_GT(LoadStringA(library, KORVANE_SPECIALTY_SIGNALS, text, sizeof text), 0);
    EXPECT_STREQ(text, "Signals");
    FreeLibrary(library);
}

}  // namespace
}  // namespace korvane::test
