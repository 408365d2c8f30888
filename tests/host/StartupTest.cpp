// The main window's start-up sequence, its failure paths and its shutdown, run as the real
// modal window against the recording engine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/EngineAccess.h"
#include "host/ServerMainDialog.h"
#include "resources/resource.h"
#include "settings/ServerSettings.h"
#include "support/ModalDriver.h"
#include "support/RecordingEngine.h"
#include "support/TestWindow.h"

namespace korvane {
namespace {

using test::RecordingEngine;
using test::RecordingLibrary;
using test::RunModal;
using test::TestWindow;

std::string InstallDir() {
    const char* dir = std::getenv("KORVANE_INSTALL_DIR");
    return dir ? dir : ".";
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        serverSettings = ServerSettings{};
        ShowSettingsAtStartup = false;
    }
    // Constructing the window may change the working folder (registry): the tests then use
    // the build's installation folder, which has korvane/cres.dll.
    std::unique_ptr<TestWindow> MakeWindow() {
        auto window = std::make_unique<TestWindow>(engine);
        SetCurrentDirectoryA(folder.c_str());
        return window;
    }
    // Index of the first call equal to `call` at or after `from`; -1 when absent.
    int Find(const std::vector<std::string>& calls, const std::string& call, int from = 0) {
        for (int i = from; i < static_cast<int>(calls.size()); ++i)
            if (calls[i] == call) return i;
        return -1;
    }

    RecordingEngine engine;
    std::string folder = InstallDir();
};

TEST_F(StartupTest, StartsInOrderAndShutsDownCleanly) {
    auto window = MakeWindow();
    bool timedOut = false;
    std::string caption;
    RunModal(
        *window,
        [&] {
            if (engine.ticks < 3 || engine.CallsStartingWith("SendHostMessage").empty())
                return false;
            char text[128] = {};
            GetWindowTextA(window->Window(), text, sizeof text);
            caption = text;
            window->End(IDCANCEL);
            return true;
        },
        15000, &timedOut);
    ASSERT_FALSE(timedOut);
    EXPECT_EQ(caption, "Korvane Server 1.0.5");

    const auto calls = engine.Calls();
    const char* order[] = {"CreateEngine 2 iid",
                           "GetVersion",
                           "AttachHost callbacks",
                           "SetResourceArchives 4",
                           "ExecuteCommand +servername \"Korvane Server\"",
                           "ExecuteCommand map12 worlds/usa",
                           "ExecuteConfigFile korvane/server.cfg",
                           "FindVariable NumMaps 0",
                           "GetVariableFlags servername",
                           "ExecuteCommand sendbandwidth 32000",
                           "WriteConfigFile korvane/server.cfg 4",
                           "RefreshServiceProviders 0 0",
                           "GetServiceProviders",
                           "SelectServiceProvider 11",
                           "CommitServiceProviders IPX",
                           "FindVariable map0 0",
                           "GetVariableString map0 255",
                           "OpenHost",
                           "StartSession",
                           "SendHostMessage 1,10,",
                           "AttachHost null",
                           "ReleaseEngine"};
    int at = 0;
    for (const char* call : order) {
        const int found = Find(calls, call, at);
        EXPECT_GE(found, at) << "missing or out of order: " << call;
        if (found >= 0) at = found + 1;
    }
    EXPECT_EQ(calls.back(), "ReleaseEngine");
    EXPECT_EQ(engine.callsAfterRelease, 0);
    EXPECT_EQ(engine.overlappingCalls, 0);
    EXPECT_EQ(window->sheetRuns, 0);
    EXPECT_EQ(EngineAccess::Engine(), nullptr);
    EXPECT_EQ(EngineAccess::Lock(), nullptr);
    // The demo resource.txt names two archives after the fixed ones.
    ASSERT_EQ(engine.archives.size(), 4u);
    EXPECT_EQ(engine.archives[0], "korvane");
    EXPECT_EQ(engine.archives[1], "korvane.rez");
}

TEST_F(StartupTest, RecordsCarryTheStartMapAndMaxPlayers) {
    engine.configFile = {"map0 Worlds/Antarctica", "maxplayers 24"};
    auto window = MakeWindow();
    RunModal(*window, [&] {
        if (engine.CallsStartingWith("StartSession").empty()) return false;
        window->End(IDCANCEL);
        return true;
    });
    const auto* open = reinterpret_cast<const unsigned char*>(&engine.lastOpen);
    EXPECT_EQ(engine.lastOpen.maxPlayers, 24);
    for (size_t i = 0; i < sizeof engine.lastOpen; ++i)
        if (i < 8 || i >= 12) {
            EXPECT_EQ(open[i], 0) << "HostOpenRecord byte " << i;
        }

    EXPECT_STREQ(engine.lastStart.startMap, "worlds/antarctica");
    EXPECT_STREQ(engine.lastDescription.startMap, "worlds/antarctica");
    EXPECT_STREQ(engine.lastDescription.startMapAgain, "worlds/antarctica");
    EXPECT_EQ(engine.lastStart.maxPlayers, 24);
    EXPECT_EQ(engine.lastStart.descriptionSize, 180);
    const auto* start = reinterpret_cast<const unsigned char*>(&engine.lastStart);
    for (size_t i = 0; i < sizeof engine.lastStart; ++i) {
        const bool named =
            (i >= 4 && i < 4 + 17) || (i >= 416 && i < 420) || (i >= 4584 && i < 4592);
        if (!named) {
            EXPECT_EQ(start[i], 0) << "SessionStartRecord byte " << i;
        }
    }
}

TEST_F(StartupTest, LongStartMapIsCutToEachField) {
    const std::string map = "worlds/" + std::string(150, 'q');
    engine.configFile = {"map0 " + map};
    auto window = MakeWindow();
    RunModal(*window, [&] {
        if (engine.CallsStartingWith("StartSession").empty()) return false;
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_EQ(std::string(engine.lastStart.startMap), map.substr(0, 99));
    EXPECT_EQ(std::string(engine.lastDescription.startMap), map.substr(0, 63));
    EXPECT_EQ(std::string(engine.lastDescription.startMapAgain), map.substr(0, 63));
}

// Each failing step leaves the window open without an engine, and closing it is harmless.
TEST_F(StartupTest, FailedStepsShutTheEngineDownAndKeepTheWindow) {
    const char* steps[] = {"AttachHost", "SetResourceArchives", "GetServiceProviders",
                           "CommitServiceProviders", "OpenHost"};
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        RecordingEngine failing;
        failing.failStep = step;
        TestWindow window(failing);
        SetCurrentDirectoryA(folder.c_str());
        bool stillOpen = false;
        RunModal(window, [&] {
            if (!IsWindowVisible(window.Window())) return false;
            stillOpen = window.Engine() == nullptr;
            window.End(IDCANCEL);
            return true;
        });
        EXPECT_TRUE(stillOpen);
        const auto calls = failing.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2], "AttachHost null");
        EXPECT_EQ(calls.back(), "ReleaseEngine");
        EXPECT_EQ(failing.ticks, 0);
        EXPECT_EQ(failing.callsAfterRelease, 0);
        EXPECT_TRUE(failing.CallsStartingWith("StartSession").empty());
    }
}

TEST_F(StartupTest, MissingStringLibraryShutsTheEngineDown) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "korvane-empty";
    CreateDirectoryA(folder.c_str(), nullptr);
    auto window = MakeWindow();
    RunModal(*window, [&] {
        window->End(IDCANCEL);
        return true;
    });
    const auto calls = engine.Calls();
    EXPECT_LT(Find(calls, "ExecuteConfigFile korvane/server.cfg"), 0);
    EXPECT_EQ(calls.back(), "ReleaseEngine");
    // Without resource.txt only the two fixed archives are named.
    EXPECT_EQ(engine.archives.size(), 2u);
}

TEST_F(StartupTest, EngineThatCannotBeCreatedClosesTheWindow) {
    for (const char* step : {"CreateEngine", "NullEngine"}) {
        RecordingEngine failing;
        failing.failStep = step;
        TestWindow window(failing);
        bool timedOut = false;
        const INT_PTR result = RunModal(
            window, [] { return false; }, 5000, &timedOut);
        EXPECT_FALSE(timedOut) << step;
        EXPECT_EQ(result, IDCANCEL) << step;
        EXPECT_TRUE(failing.CallsStartingWith("AttachHost").empty());
        EXPECT_TRUE(failing.CallsStartingWith("ReleaseEngine").empty());
    }
}

TEST_F(StartupTest, CancelledSettingsSheetWritesTheFileAndEndsWithoutAQuestion) {
    ShowSettingsAtStartup = true;
    auto window = MakeWindow();
    window->sheetResult = IDCANCEL;
    bool timedOut = false;
    const INT_PTR result = RunModal(
        *window, [] { return false; }, 5000, &timedOut);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(window->sheetRuns, 1);
    const auto calls = engine.Calls();
    const int load = Find(calls, "ExecuteConfigFile korvane/server.cfg");
    const int write = Find(calls, "WriteConfigFile korvane/server.cfg 4");
    EXPECT_GT(write, load);
    EXPECT_LT(Find(calls, "OpenHost"), 0);
    EXPECT_EQ(calls.back(), "ReleaseEngine");
}

TEST_F(StartupTest, AcceptedSettingsSheetGoesOnToHosting) {
    ShowSettingsAtStartup = true;
    auto window = MakeWindow();
    RunModal(*window, [&] {
        if (engine.CallsStartingWith("SendHostMessage").empty()) return false;
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_EQ(window->sheetRuns, 1);
    EXPECT_EQ(engine.CallsStartingWith("WriteConfigFile").size(), 1u);
}

TEST_F(StartupTest, WithoutTcpIpTheCommitDecides) {
    engine.offerTcpIp = false;
    auto window = MakeWindow();
    RunModal(*window, [&] {
        if (engine.CallsStartingWith("SendHostMessage").empty()) return false;
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_TRUE(engine.CallsStartingWith("SelectServiceProvider").empty());
    EXPECT_EQ(engine.CallsStartingWith("OpenHost").size(), 1u);

    RecordingEngine other;
    other.commitResult = 2;  // only exactly 1 means ready
    TestWindow window2(other);
    SetCurrentDirectoryA(folder.c_str());
    RunModal(window2, [&] {
        window2.End(IDCANCEL);
        return true;
    });
    EXPECT_TRUE(other.CallsStartingWith("OpenHost").empty());
}

TEST_F(StartupTest, ResourceListFromTheWorkingFolder) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "korvane-resources";
    CreateDirectoryA(folder.c_str(), nullptr);
    FILE* file = std::fopen((folder + "\\resource.txt").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 40; ++i) std::fprintf(file, "pack%d.rez\n", i);
    std::fclose(file);

    auto window = MakeWindow();
    ASSERT_EQ(window->LoadEngine(), 1);
    EXPECT_EQ(window->SetUpResourceArchives(), 1);
    ASSERT_EQ(engine.archives.size(), 32u);
    EXPECT_EQ(engine.archives[2], "pack0.rez");
    EXPECT_EQ(engine.archives[31], "pack29.rez");
    window->ShutdownEngine();
    window->ShutdownEngine();
    std::remove((folder + "\\resource.txt").c_str());
}

TEST_F(StartupTest, TickAskingToStopUnloadsTheEngineAtTheNextRefresh) {
    engine.tickResult = 0;
    auto window = MakeWindow();
    int ticksAtShutdown = -1;
    bool stillOpen = false;
    DWORD shutdownAt = 0;
    RunModal(*window, [&] {
        if (window->Engine() != nullptr) return false;
        if (ticksAtShutdown < 0) {
            ticksAtShutdown = engine.ticks;
            shutdownAt = GetTickCount();
            return false;
        }
        if (GetTickCount() - shutdownAt < 300) return false;  // a few more refreshes
        stillOpen = IsWindowVisible(window->Window()) != FALSE;
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_EQ(ticksAtShutdown, 1);
    EXPECT_EQ(engine.ticks, 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(engine.Calls().back(), "ReleaseEngine");
    EXPECT_EQ(engine.callsAfterRelease, 0);
}

TEST_F(StartupTest, UpdateRateAndEngineTextReachTheWindow) {
    engine.configFile = {"nummaps -5"};
    auto window = MakeWindow();
    std::string rate, pane;
    RunModal(*window, [&] {
        char text[32] = {};
        GetDlgItemTextA(window->Window(), IDC_UPDATE_RATE, text, sizeof text);
        if (std::atoi(text) <= 0) return false;
        rate = text;
        const int length = GetWindowTextLengthA(window->Item(IDC_CONSOLE));
        pane.resize(length + 1);
        GetDlgItemTextA(window->Window(), IDC_CONSOLE, pane.data(), length + 1);
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_GT(std::atoi(rate.c_str()), 0);
    EXPECT_NE(pane.find("set maxplayers\r\n"), std::string::npos);
    // What the load made of a damaged file is told too.
    EXPECT_NE(pane.find("nummaps \"-5\" does not fit the map rotation"), std::string::npos);
}

// Shutting down while the server thread is inside a slow Tick, many times over: no crash, no
// deadlock, no engine call after ReleaseEngine and no two engine calls at once.
TEST_F(StartupTest, ShutdownNeverRacesATick) {
    for (int round = 0; round < 200; ++round) {
        RecordingEngine slow;
        slow.tickDelayMs = round % 7;
        TestWindow window(slow);
        SetCurrentDirectoryA(folder.c_str());
        const int wanted = 1 + round % 4;
        bool timedOut = false;
        RunModal(
            window,
            [&] {
                if (slow.ticks < wanted) return false;
                window.End(IDCANCEL);
                return true;
            },
            10000, &timedOut);
        ASSERT_FALSE(timedOut) << "round " << round;
        ASSERT_EQ(slow.callsAfterRelease, 0) << "round " << round;
        ASSERT_EQ(slow.overlappingCalls, 0) << "round " << round;
        ASSERT_TRUE(slow.released) << "round " << round;
    }
}

}  // namespace
}  // namespace korvane
