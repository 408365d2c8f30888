// The engine host without a window: the start-up sequence, its records and failure paths,
// and a shutdown that never races a Tick.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "app/InstallFolder.h"
#include "support/HostFixture.h"
#include "host/EngineCalls.h"
#include "host/HangWatchdog.h"
#include "host/StartupSteps.h"
#include "support/ModalDriver.h"

namespace korvane {
namespace {

using test::RecordingEngine;
using Result = EngineHost::StartResult;

class EngineHostTest : public test::HostFixture {};

TEST_F(EngineHostTest, StartsInOrderAndShutsDownCleanly) {
    auto host = MakeHost(engine);
    std::array<int, 3> loaded{};
    EngineHost::StartHooks hooks;
    hooks.engineLoaded = [&](const std::array<int, 3>& version) { loaded = version; };
    ASSERT_EQ(host->Start(hooks), Result::Running);
    EXPECT_TRUE(test::PumpUntil([&] { return engine.ticks >= 3; }));
    host->Shutdown();

    EXPECT_EQ(loaded, (std::array<int, 3>{1, 0, 5}));
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
    EXPECT_FALSE(host->EngineLoaded());
    // The demo resource.txt names two archives after the fixed ones.
    ASSERT_EQ(engine.archives.size(), 4u);
    EXPECT_EQ(engine.archives[0], "korvane");
    EXPECT_EQ(engine.archives[1], "korvane.rez");
}

TEST_F(EngineHostTest, RecordsCarryTheStartMapAndMaxPlayers) {
    engine.configFile = {"map0 Worlds/Antarctica", "maxplayers 24"};
    auto host = MakeHost(engine);
    ASSERT_EQ(host->Start({}), Result::Running);
    host->Shutdown();
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

TEST_F(EngineHostTest, LongStartMapIsCutToEachField) {
    const std::string map = "worlds/" + std::string(150, 'q');
    engine.configFile = {"map0 " + map};
    auto host = MakeHost(engine);
    ASSERT_EQ(host->Start({}), Result::Running);
    host->Shutdown();
    EXPECT_EQ(std::string(engine.lastStart.startMap), map.substr(0, 99));
    EXPECT_EQ(std::string(engine.lastDescription.startMap), map.substr(0, 63));
    EXPECT_EQ(std::string(engine.lastDescription.startMapAgain), map.substr(0, 63));
}

// Each failing step shuts the engine down, and a second shutdown is harmless.
TEST_F(EngineHostTest, FailedStepsShutTheEngineDown) {
    const char* steps[] = {"AttachHost", "SetResourceArchives", "GetServiceProviders",
                           "CommitServiceProviders", "OpenHost"};
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        RecordingEngine failing;
        failing.failStep = step;
        auto host = MakeHost(failing);
        EXPECT_EQ(host->Start({}), Result::StepFailed);
        EXPECT_FALSE(host->EngineLoaded());
        host->Shutdown();
        const auto calls = failing.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2], "AttachHost null");
        EXPECT_EQ(calls.back(), "ReleaseEngine");
        EXPECT_EQ(failing.ticks, 0);
        EXPECT_EQ(failing.callsAfterRelease, 0);
        EXPECT_TRUE(failing.CallsStartingWith("StartSession").empty());
    }
}

TEST_F(EngineHostTest, MissingStringLibraryShutsTheEngineDown) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "korvane-empty";
    CreateDirectoryA(folder.c_str(), nullptr);
    SetCurrentDirectoryA(folder.c_str());
    auto host = MakeHost(engine);
    EXPECT_EQ(host->Start({}), Result::StepFailed);
    const auto calls = engine.Calls();
    EXPECT_LT(Find(calls, "ExecuteConfigFile korvane/server.cfg"), 0);
    EXPECT_EQ(calls.back(), "ReleaseEngine");
    // Without resource.txt only the two fixed archives are named.
    EXPECT_EQ(engine.archives.size(), 2u);
}

TEST_F(EngineHostTest, EngineThatCannotBeCreatedLeavesNothingToRelease) {
    for (const char* step : {"CreateEngine", "NullEngine"}) {
        RecordingEngine failing;
        failing.failStep = step;
        auto host = MakeHost(failing);
        EXPECT_EQ(host->Start({}), Result::NoEngine) << step;
        host->Shutdown();
        EXPECT_TRUE(failing.CallsStartingWith("AttachHost").empty());
        EXPECT_TRUE(failing.CallsStartingWith("ReleaseEngine").empty());
    }
}

TEST_F(EngineHostTest, MissingServerDllNamesTheFileTheFolderAndTheRegistryValue) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string empty = std::string(temp) + "korvane-no-engine";
    CreateDirectoryA(empty.c_str(), nullptr);
    EngineHost host(nullptr, DescribeInstallFolder(EnterInstallFolder()));  // as the program
    SetCurrentDirectoryA(empty.c_str());
    EXPECT_EQ(host.Start({}), Result::NoEngine);
    char full[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof full, full);
    const std::string text = host.StartFailure();
    EXPECT_NE(text.find(std::string(full) + "\\server.dll was not found"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Install Dir\" under HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\Korvane"),
              std::string::npos)
        << text;
}

TEST_F(EngineHostTest, TheSettingsHookDecidesAndTheFileIsWrittenEitherWay) {
    for (const bool accepted : {false, true}) {
        RecordingEngine with;
        auto host = MakeHost(with);
        int runs = 0;
        EngineHost::StartHooks hooks;
        hooks.settings = [&] {
            ++runs;
            return accepted;
        };
        EXPECT_EQ(host->Start(hooks), accepted ? Result::Running : Result::SettingsDeclined);
        host->Shutdown();
        EXPECT_EQ(runs, 1);
        const auto calls = with.Calls();
        const int load = Find(calls, "ExecuteConfigFile korvane/server.cfg");
        const int write = Find(calls, "WriteConfigFile korvane/server.cfg 4");
        EXPECT_GT(write, load);
        EXPECT_EQ(with.CallsStartingWith("WriteConfigFile").size(), 1u);
        EXPECT_EQ(with.CallsStartingWith("OpenHost").size(), accepted ? 1u : 0u);
    }
}

TEST_F(EngineHostTest, WithoutTcpIpTheCommitDecides) {
    engine.offerTcpIp = false;
    auto host = MakeHost(engine);
    EXPECT_EQ(host->Start({}), Result::Running);
    host->Shutdown();
    EXPECT_TRUE(engine.CallsStartingWith("SelectServiceProvider").empty());
    EXPECT_EQ(engine.CallsStartingWith("OpenHost").size(), 1u);

    RecordingEngine other;
    other.commitResult = 2;  // only exactly 1 means ready
    auto second = MakeHost(other);
    EXPECT_EQ(second->Start({}), Result::StepFailed);
    EXPECT_TRUE(other.CallsStartingWith("OpenHost").empty());
}

TEST_F(EngineHostTest, ResourceListFromTheWorkingFolder) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "korvane-resources";
    CreateDirectoryA(folder.c_str(), nullptr);
    SetCurrentDirectoryA(folder.c_str());
    FILE* file = std::fopen("resource.txt", "wb");
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 40; ++i) std::fprintf(file, "pack%d.rez\n", i);
    std::fclose(file);

    EXPECT_EQ(SetUpResourceArchives(engine), 1);
    ASSERT_EQ(engine.archives.size(), 32u);
    EXPECT_EQ(engine.archives[2], "pack0.rez");
    EXPECT_EQ(engine.archives[31], "pack29.rez");
    std::remove("resource.txt");
}

// A stop that Tick asks for: no further Tick, the owner is told, and the shutdown keeps the
// engine's last lines for the next hand-over.
TEST_F(EngineHostTest, TickAskingToStopIsToldAndItsLinesOutliveTheShutdown) {
    engine.tickResult = 0;
    engine.onTick = [&] { engine.callbacks->OnConsoleText("map data damaged, stopping"); };
    auto host = MakeHost(engine);
    std::atomic<int> stopped{0};
    host->SetListener([&](EngineHost::Notice notice) {
        if (notice == EngineHost::Notice::Stopped) ++stopped;
    });
    ASSERT_EQ(host->Start({}), Result::Running);
    EXPECT_TRUE(test::PumpUntil([&] { return stopped.load() > 0; }));
    const DWORD since = GetTickCount();  // a few more frames: still no Tick
    test::PumpUntil([&] { return GetTickCount() - since > 150; });
    host->Shutdown();
    EXPECT_EQ(engine.ticks, 1);
    EXPECT_EQ(stopped.load(), 1);
    const EngineHost::HandOver handOver = host->TakeHandOver();
    EXPECT_FALSE(handOver.engineLoaded);
    ASSERT_FALSE(handOver.lines.empty());
    EXPECT_EQ(handOver.lines.back(), "map data damaged, stopping");
    EXPECT_EQ(engine.callsAfterRelease, 0);
}

// Shutting down while the server thread is inside a slow Tick, many times over: no crash, no
// deadlock, no engine call after ReleaseEngine and no two engine calls at once.
TEST_F(EngineHostTest, ShutdownNeverRacesATick) {
    for (int round = 0; round < 200; ++round) {
        RecordingEngine slow;
        slow.tickDelayMs = round % 7;
        auto host = MakeHost(slow);
        ASSERT_EQ(host->Start({}), Result::Running) << "round " << round;
        const int wanted = 1 + round % 4;
        ASSERT_TRUE(test::PumpUntil([&] { return slow.ticks >= wanted; }, 10000))
            << "round " << round;
        host->Shutdown();
        ASSERT_EQ(slow.callsAfterRelease, 0) << "round " << round;
        ASSERT_EQ(slow.overlappingCalls, 0) << "round " << round;
        ASSERT_TRUE(slow.released) << "round " << round;
    }
}

// A Tick that does not return holds up nobody: the hand-over and notes go on, engine calls
// give up at once once it is stuck, and the shutdown leaves the engine alone for good.
TEST_F(EngineHostTest, AHungTickHoldsUpNoOtherCallerAndIsLeftAlone) {
    ui::Handle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> hang{false};
    engine.onTick = [&] {
        if (hang.exchange(false)) WaitForSingleObject(release.Get(), 30000);
    };
    auto host = MakeHost(engine);
    ASSERT_EQ(host->Start({}), Result::Running);
    ASSERT_TRUE(test::PumpUntil([&] { return engine.ticks >= 2; }));
    hang = true;
    ASSERT_TRUE(test::PumpUntil([&] { return !hang.load(); }));  // the hanging Tick has begun
    {
        // Before the Tick counts as stuck, a refresh's many calls share one short bound.
        CallClock::ShortWaits quick(100);
        const DWORD start = GetTickCount();
        for (int i = 0; i < 10; ++i) EXPECT_FALSE(ExecuteCommand(*host, "status"));
        EXPECT_LT(GetTickCount() - start, 700u);
    }
    ASSERT_TRUE(test::PumpUntil([&] { return host->Calls().Stuck(); }, 10000));
    EXPECT_EQ(host->Calls().Current().kind, RunningCall::Tick);
    EXPECT_GE(host->Calls().NotRespondingSeconds(), 2);
    host->Note("still answering");
    EXPECT_EQ(host->TakeHandOver().lines.back(), "still answering");
    EXPECT_FALSE(ExecuteCommand(*host, "status"));
    EXPECT_FALSE(host->Shutdown());
    EXPECT_FALSE(host->Shutdown());  // and stays so
    const int ticks = engine.ticks;
    SetEvent(release.Get());
    const DWORD since = GetTickCount();  // the Tick returns; no call follows it
    test::PumpUntil([&] { return GetTickCount() - since > 300; });
    EXPECT_EQ(engine.ticks, ticks);
    EXPECT_FALSE(engine.released);
}

TEST(HangWatchdog, EachCallHasItsBound) {
    const uint64_t start = 1000000;
    struct Row {
        RunningCall::Kind kind;
        EngineGate::CallLength length;
        unsigned boundSeconds;
        uint64_t ranMs;
        bool hang;
    } rows[] = {
        {RunningCall::Tick, EngineGate::CallLength::Regular, 60, 59999, false},
        {RunningCall::Tick, EngineGate::CallLength::Regular, 60, 60000, true},
        {RunningCall::Call, EngineGate::CallLength::Regular, 5, 5000, true},
        {RunningCall::Tick, EngineGate::CallLength::Regular, 0, 999999999, false},  // off
        // Start-up steps and map changes get at least five minutes, or more when asked.
        {RunningCall::StartUp, EngineGate::CallLength::Long, 60, 299999, false},
        {RunningCall::StartUp, EngineGate::CallLength::Long, 60, 300000, true},
        {RunningCall::Call, EngineGate::CallLength::Long, 60, 200000, false},
        {RunningCall::Call, EngineGate::CallLength::Long, 600, 599999, false},
        {RunningCall::Call, EngineGate::CallLength::Long, 600, 600000, true},
    };
    for (const Row& row : rows) {
        const RunningCall call{row.kind, row.length, start};
        EXPECT_EQ(IsHang(call, start + row.ranMs, {row.boundSeconds}), row.hang)
            << row.kind << " " << row.boundSeconds << " " << row.ranMs;
    }
    EXPECT_FALSE(IsHang({}, start, {60}));  // no call runs
}

}  // namespace
}  // namespace korvane
