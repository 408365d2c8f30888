// The engine's configuration files, service providers, host records, game clock and the rule
// that console text reaches the host only inside its calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "EngineTestSupport.h"
#include "ServerEngine.h"

namespace korvane::test {
namespace {

constexpr const char* kConfig = "korvane/server.cfg";

TEST(ConfigFile, RoundTripRestoresSavedVariablesOnly) {
    CoreFixture writer;
    const char* commands[] = {"+servername \"My \"Best\" Server\"",
                              "+adminname \" \"",
                              "maxplayers 24.000000",
                              "map%d 0.000000",
                              "map0 worlds/lima",
                              "+#odd \"x\"",
                              "secret 42",
                              "onlyflag1 3"};
    for (const char* command : commands) writer.core.ExecuteCommand(command);
    for (const char* name : {"servername", "adminname", "maxplayers", "map%d", "map0", "#odd"})
        writer.core.SetVariableFlags(name, 5);
    writer.core.SetVariableFlags("onlyflag1", 1);
    ASSERT_EQ(writer.core.WriteConfigFile(kConfig, 4), 1);
    const std::string& file = writer.environment.files[kConfig];
    EXPECT_EQ(file.find("secret"), std::string::npos);
    EXPECT_EQ(file.find("onlyflag1"), std::string::npos);
    EXPECT_LT(file.find("servername"), file.find("map0"));  // creation order

    CoreFixture reader;
    reader.environment.files = writer.environment.files;
    reader.core.ExecuteCommand("secret 7");
    reader.core.ExecuteCommand("maxplayers 16");
    EXPECT_EQ(reader.core.ExecuteConfigFile(kConfig), 1);
    EXPECT_EQ(reader.Text("servername"), "My \"Best\" Server");
    EXPECT_EQ(reader.Text("adminname"), " ");
    EXPECT_EQ(reader.Text("maxplayers"), "24.000000");
    EXPECT_EQ(reader.Value("maxplayers"), 24.0f);
    EXPECT_EQ(reader.Text("map%d"), "0.000000");
    EXPECT_EQ(reader.Text("map0"), "worlds/lima");
    EXPECT_EQ(reader.Text("#odd"), "x");
    EXPECT_EQ(reader.Text("secret"), "7");
    void* handle = nullptr;
    EXPECT_EQ(reader.core.FindVariable("onlyflag1", &handle), 0);
}

TEST(ConfigFile, MissingUnwritableAndHandEditedFiles) {
    CoreFixture f;
    size_t before = f.core.Variables().Count();
    EXPECT_EQ(f.core.ExecuteConfigFile(kConfig), 0);
    EXPECT_EQ(f.core.ExecuteConfigFile(nullptr), 0);
    EXPECT_EQ(f.core.Variables().Count(), before);
    EXPECT_TRUE(f.console.Saw("not found"));

    f.environment.failWrites = true;
    EXPECT_EQ(f.core.WriteConfigFile(kConfig, 4), 0);
    EXPECT_EQ(f.core.WriteConfigFile(nullptr, 4), 0);

    f.environment.files[kConfig] =
        "\xEF\xBB\xBF// comment\r\n# timelimit 99\r\n\r\n   \r\n  timelimit 7.9\r\n"
        "+serverwebsite \"a\"b\"\r\nNumRounds 3";
    EXPECT_EQ(f.core.ExecuteConfigFile(kConfig), 1);
    EXPECT_EQ(f.Text("timelimit"), "7.9");
    EXPECT_EQ(f.Text("serverwebsite"), "a\"b");
    EXPECT_EQ(f.Value("numrounds"), 3.0f);
    EXPECT_TRUE(f.console.Saw("Executing korvane/server.cfg"));
}

TEST(ConfigFile, DamagedFilesAreNamedForWhatIsWrongAndShownEscaped) {
    CoreFixture f;
    f.environment.folders[kConfig] = {};
    EXPECT_EQ(f.core.ExecuteConfigFile(kConfig), 0);
    EXPECT_TRUE(f.console.Saw("korvane/server.cfg is a folder, not a configuration file"));
    EXPECT_FALSE(f.console.Saw("not found"));
    f.environment.folders.clear();
    f.environment.files[kConfig] = std::string(EngineCore::kMaxConfigBytes + 1, 'x');
    EXPECT_EQ(f.core.ExecuteConfigFile(kConfig), 0);
    EXPECT_TRUE(f.console.Saw("korvane/server.cfg is larger than 4 MB"));

    f.console.lines.clear();
    const char damaged[] = "\x01\x02junk\x7F\x1B[2J \x05\n\xC4ra\x00\x0C\n";
    f.environment.files[kConfig] = std::string(damaged, sizeof damaged - 1);
    EXPECT_EQ(f.core.ExecuteConfigFile(kConfig), 1);
    f.core.ExecuteCommand("say \x07ring");
    EXPECT_TRUE(f.console.Saw("name: \\x01\\x02junk\\x7F\\x1B[2J"));
    EXPECT_TRUE(f.console.Saw("Unknown command: \xC4ra"));  // the code page's letters stay
    ASSERT_FALSE(f.events.messages.empty());
    EXPECT_NE(f.events.messages.back().find("[Server] \\x07ring\n"), std::string::npos);
    for (const std::string& line : f.console.lines)
        for (size_t i = 0; i + 1 < line.size(); ++i)
            EXPECT_TRUE(line[i] == '\t' ||
                        (static_cast<unsigned char>(line[i]) >= 0x20 && line[i] != '\x7F'))
                << line;
}

TEST(ConfigFile, FilesThatExecuteThemselvesAreRefusedAndOneExecIsBounded) {
    CoreFixture f;
    // Six lines that execute their own file used to run 6^8 times over.
    std::string loop = "count 1\n";
    for (int i = 0; i < 6; ++i) loop += "exec ./LOOP.cfg\n";
    f.environment.files["loop.cfg"] = loop;
    EXPECT_EQ(f.core.ExecuteConfigFile("loop.cfg"), 1);
    EXPECT_LT(f.console.lines.size(), 10u);
    EXPECT_TRUE(f.console.Saw("exec: ./LOOP.cfg is being executed already"));
    // Through another file, and by another spelling of the same path.
    f.environment.files["a.cfg"] = "exec b.cfg\n";
    f.environment.files["b.cfg"] = "exec worlds/../A.CFG\nafter 1\n";
    f.console.lines.clear();
    f.core.ExecuteConfigFile("a.cfg");
    EXPECT_TRUE(f.console.Saw("exec: worlds/../A.CFG is being executed already"));
    EXPECT_EQ(f.Text("after"), "1");
    // A file run twice in a row is no cycle.
    f.environment.files["twice.cfg"] = "exec b.cfg\nexec b.cfg\n";
    f.console.lines.clear();
    f.core.ExecuteConfigFile("twice.cfg");
    EXPECT_EQ(std::count(f.console.lines.begin(), f.console.lines.end(), "Executing b.cfg\n"), 2);

    // Eight files each executing the next twenty times, and a file that lists the variables
    // over and over: both stop at the bound, which the next exec starts afresh.
    for (int i = 0; i < 8; ++i) {
        std::string lines;
        for (int j = 0; j < 20; ++j) lines += "exec f" + std::to_string(i + 1) + ".cfg\n";
        f.environment.files["f" + std::to_string(i) + ".cfg"] = lines;
    }
    f.environment.files["list.cfg"] = "";
    for (int j = 0; j < 2000; ++j) f.environment.files["list.cfg"] += "cvarlist\n";
    for (const char* file : {"f0.cfg", "list.cfg"}) {
        f.console.lines.clear();
        EXPECT_EQ(f.core.ExecuteConfigFile(file), 1);
        EXPECT_LT(f.console.lines.size(), EngineCore::kMaxExecWork + 200) << file;
        EXPECT_TRUE(f.console.Saw("the rest of the configuration is skipped")) << file;
    }
}

TEST(ServiceProviders, InternetMustBeSelectedOnTheEnginesOwnList) {
    CoreFixture f;
    EXPECT_EQ(f.core.GetServiceProviders(nullptr), 0);
    f.core.RefreshServiceProviders(), f.core.RefreshServiceProviders();
    ServiceProviderEntry* head = nullptr;
    ASSERT_NE(f.core.GetServiceProviders(&head), 0);
    int count = 0;
    int internetId = 0;
    for (ServiceProviderEntry* entry = head; entry != nullptr; entry = entry->next, ++count)
        if (std::string(entry->name) == "Internet TCP/IP") internetId = entry->id;
    EXPECT_GE(count, 2);
    ASSERT_NE(internetId, 0);

    EXPECT_EQ(f.core.CommitServiceProviders(head), 0);  // nothing selected
    f.core.SelectServiceProvider(99);
    EXPECT_EQ(f.core.CommitServiceProviders(head), 0);
    f.core.SelectServiceProvider(internetId);
    ServiceProviderEntry foreign{};
    EXPECT_EQ(f.core.CommitServiceProviders(&foreign), 0);
    EXPECT_EQ(f.core.CommitServiceProviders(nullptr), 0);
    EXPECT_EQ(f.core.CommitServiceProviders(head), 1);
}

TEST(Hosting, OpenHostChecksItsRecord) {
    CoreFixture f;
    EXPECT_EQ(f.Open(), 0);  // no network yet
    ASSERT_EQ(f.Connect(), 1);
    EXPECT_EQ(f.core.OpenHost(nullptr), 0);
    EXPECT_EQ(f.Open(0), 0);
    EXPECT_EQ(f.Open(65), 0);
    HostOpenRecord record{};
    record.maxPlayers = 16;
    record.zero4 = 1;
    EXPECT_EQ(f.core.OpenHost(&record), 0);
    record.zero4 = 0;
    std::memset(record.sessionText, 'a', sizeof record.sessionText);  // unterminated
    EXPECT_EQ(f.core.OpenHost(&record), 0);
    EXPECT_EQ(f.Open(64), 1);
    EXPECT_TRUE(f.console.Saw("Host opened for 64 players"));
}

TEST(Hosting, StartSessionChecksItsRecordAndLoadsTheMap) {
    CoreFixture f;
    f.environment.files["worlds/lima.dat"] = "# test\nname Lima\n";
    EXPECT_EQ(f.Start("worlds/lima"), 0);  // host not open
    f.Connect();
    f.Open();
    EXPECT_EQ(f.core.StartSession(nullptr), 0);
    SessionStartRecord record{};
    SessionDescription description{};
    std::strcpy(record.startMap, "worlds/lima");
    record.description = &description;
    record.descriptionSize = 179;
    EXPECT_EQ(f.core.StartSession(&record), 0);
    record.descriptionSize = sizeof description;
    record.description = nullptr;
    EXPECT_EQ(f.core.StartSession(&record), 0);
    record.description = &description;
    std::memset(description.startMap, 'm', sizeof description.startMap);
    EXPECT_EQ(f.core.StartSession(&record), 0);
    std::memset(description.startMap, 0, sizeof description.startMap);
    std::memset(record.startMap, 'm', sizeof record.startMap);
    EXPECT_EQ(f.core.StartSession(&record), 0);
    EXPECT_EQ(f.Start(""), 0);
    EXPECT_FALSE(f.core.CurrentGame().Running());

    EXPECT_EQ(f.Start("worlds/lima"), 1);
    EXPECT_TRUE(f.console.Saw("Loading map worlds/lima (Lima)"));
    EXPECT_TRUE(f.console.Saw("Game started on worlds/lima"));
    EXPECT_EQ(f.Start("worlds/usa"), 0);  // one game at a time
}

TEST(Hosting, MissingMapDataOnlyWarns) {
    CoreFixture f;
    f.Connect();
    f.Open();
    EXPECT_EQ(f.Start("worlds/nowhere"), 1);
    EXPECT_TRUE(f.console.Saw("Warning: worlds/nowhere.dat not found"));
    EXPECT_EQ(f.core.SendHostMessage("\x01\n"), 1);
    EXPECT_TRUE(f.console.Saw("Server is up"));
    EXPECT_EQ(f.core.SendHostMessage(nullptr), 0);
}

TEST(FaultCommands, HangAndCrashTakeOnlyTheNextTick) {
    CoreFixture f;
    const struct {
        const char* command;
        uint64_t hangMs;  // how long the next Tick blocks
        int faults;       // access violations it makes
    } rows[] = {
        {"hangtick 2", 2000, 0}, {"HANGTICK 3600", 3600000, 0}, {"hangtick 0", 0, 0},
        {"hangtick 3601", 0, 0}, {"hangtick x", 0, 0},          {"crashtick", 0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        f.core.ExecuteCommand(row.command);
        const uint64_t before = f.environment.now;
        const int faultsBefore = f.environment.faults;
        f.core.Tick();
        EXPECT_EQ(f.environment.now - before, row.hangMs);
        EXPECT_EQ(f.environment.faults - faultsBefore, row.faults);
        f.core.Tick();  // the one after runs as usual
        EXPECT_EQ(f.environment.now - before, row.hangMs);
        EXPECT_EQ(f.environment.faults - faultsBefore, row.faults);
    }
}

struct RotationFixture : CoreFixture {
    RotationFixture() {
        for (const char* command : {"timelimit 1", "numrounds 2", "nummaps 3", "map0 worlds/a",
                                    "map1 worlds/b", "map2 worlds/c"})
            core.ExecuteCommand(command);
        Connect();
        Open();
    }
    void Advance(uint64_t ms) {
        environment.now += ms;
        core.Tick();
    }
};

TEST(GameClock, RoundsEndOnTheTimeLimitAndTheRotationWraps) {
    RotationFixture f;
    f.Start("worlds/b");
    f.Advance(59999);
    EXPECT_FALSE(f.console.Saw("ended"));
    f.Advance(1);
    EXPECT_TRUE(f.console.Saw("Round 1 of 2 ended: time limit reached"));
    EXPECT_TRUE(f.console.Saw("Round 2 of 2 started on worlds/b"));
    f.Advance(60000);
    EXPECT_TRUE(f.console.Saw("Switching to map worlds/c"));
    EXPECT_EQ(f.core.CurrentGame().Map(), "worlds/c");
    f.Advance(120000);
    EXPECT_EQ(f.core.CurrentGame().Map(), "worlds/a");
    EXPECT_EQ(f.core.CurrentGame().Round(), 1);
}

TEST(GameClock, ChangeMapTakesARotationIndex) {
    RotationFixture f;
    f.core.ExecuteCommand("changemap 1");
    EXPECT_TRUE(f.console.Saw("no game is running"));
    f.Start("worlds/elsewhere");
    f.core.ExecuteCommand("changemap 2");
    EXPECT_EQ(f.core.CurrentGame().Map(), "worlds/c");
    for (const char* bad : {"changemap 3", "changemap -1", "changemap x", "changemap"})
        f.core.ExecuteCommand(bad);
    EXPECT_EQ(f.core.CurrentGame().Map(), "worlds/c");
    f.Advance(120000);  // the rotation carries on from the chosen entry
    EXPECT_EQ(f.core.CurrentGame().Map(), "worlds/a");
}

TEST(GameClock, ClockJumpsAndOddSettingsStayCheap) {
    RotationFixture f;
    f.core.ExecuteCommand("timelimit 0.0001");
    f.core.ExecuteCommand("nummaps 999999999");
    f.Start("worlds/a");
    f.console.lines.clear();
    f.Advance(1000ull * 60 * 60 * 24 * 365);
    EXPECT_LT(f.console.lines.size(), 200u);
    f.core.ExecuteCommand("timelimit 0");
    f.console.lines.clear();
    f.Advance(1000ull * 60 * 60);
    EXPECT_FALSE(f.console.Saw("ended"));
    EXPECT_TRUE(f.console.Saw("Heartbeat"));
}

TEST(ServerEngine, ConsoleTextOnlyInsideCallsAndNeverAfterDetach) {
    FakeEnvironment environment;
    ServerEngine engine(environment);
    EngineInterface& api = engine;
    RecordingHost host;
    auto call = [&](auto&& operation) {
        host.insideCall = true;
        operation();
        host.insideCall = false;
    };
    call([&] { EXPECT_EQ(api.AttachHost(&host), 0); });
    call([&] { api.ExecuteCommand("status"); });
    call([&] { api.ExecuteCommand("changemap 1"); });
    call([&] { api.Tick(0); });
    ASSERT_GE(host.lines.size(), 5u);
    EXPECT_EQ(host.outsideCall, 0);
    for (const std::string& line : host.lines) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
    }
    call([&] { api.AttachHost(nullptr); });
    size_t seen = host.lines.size();
    api.ExecuteCommand("status");
    api.ExecuteCommand("quit");
    EXPECT_EQ(api.Tick(0), 0);
    EXPECT_EQ(host.lines.size(), seen);
    int major = 0, minor = 0, build = 0;
    EXPECT_NE(api.GetVersion(&major, &minor, &build), 0);
    EXPECT_EQ(major * 100 + minor * 10 + build, 105);
    EXPECT_EQ(api.Reserved9() + api.Reserved15() + api.Reserved30(), 0);
}

}  // namespace
}  // namespace korvane::test

namespace korvane::test {
namespace {

TEST(Settings, ChangedOptionsAreAnnouncedButNotDefinitionsOrFileReads) {
    CoreFixture f;
    f.core.ExecuteCommand("maxplayers 16.000000");  // same number, other spelling
    f.core.ExecuteCommand("+adminname \" \"");      // defined
    EXPECT_FALSE(f.console.Saw("changed to"));
    f.core.ExecuteCommand("maxplayers 24");
    EXPECT_TRUE(f.console.Saw("maxplayers changed to \"24\""));
    f.core.ExecuteCommand("+adminname \"Ann\"");
    EXPECT_TRUE(f.console.Saw("adminname changed to \"Ann\""));

    CoreFixture reader;
    reader.core.ExecuteCommand("timelimit 30");
    reader.environment.files["korvane/server.cfg"] = "timelimit 45\n";
    reader.core.ExecuteConfigFile("korvane/server.cfg");
    EXPECT_FALSE(reader.console.Saw("changed to"));
    EXPECT_EQ(reader.Text("timelimit"), "45");
}

}  // namespace
}  // namespace korvane::test
