// The settings object against the recording engine: the commands it sends, what it reads
// back, and how it copes with values only a hand-edited file can give.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

#include "EngineTestSupport.h"
#include "ServerEngine.h"
#include "settings/ServerSettings.h"
#include "settings/SettingTable.h"
#include "support/RecordingEngine.h"
#include "support/TestGate.h"

namespace korvane {
namespace {

using test::RecordingEngine;

class SettingsTest : public ::testing::Test {
  protected:
    std::vector<std::string> Commands() { return engine.Commands(); }
    std::string LastCommand() {
        auto all = Commands();
        return all.empty() ? "" : all.back();
    }

    RecordingEngine engine;
    test::DirectGate gate{&engine};
    ServerSettings settings{gate};
};

TEST_F(SettingsTest, DefaultsAreSentAsTheEngineConsoleExpectsThem) {
    settings.PushDefaults();
    const auto sent = Commands();
    ASSERT_EQ(sent.size(), 50u);
    EXPECT_EQ(sent[0], "+servername \"Korvane Server\"");
    EXPECT_EQ(sent[1], "+adminname \" \"");
    EXPECT_EQ(sent[6], "timelimit 30.000000");
    EXPECT_EQ(sent[10], "maxplayers 16.000000");
    EXPECT_EQ(sent[11], "ffteam 0.500000");
    EXPECT_EQ(sent[20], "playerkickvote 0.600000");
    EXPECT_EQ(sent[27], "map%d 0.000000");
    EXPECT_EQ(sent[29], "IncapacitatedTime 30.000000");
    EXPECT_EQ(sent[33], "custombandwidth 32000.000000");
    EXPECT_EQ(sent[36], "TimeSyncCheck 1.000000");
    EXPECT_EQ(sent[37], "map0 worlds/antarctica");
    EXPECT_EQ(sent[41], "map4 worlds/lima");
    EXPECT_EQ(sent[49], "map12 worlds/usa");
}

TEST_F(SettingsTest, FirstLoadWithoutFileMarksEveryOptionAndTheDefaultRotation) {
    settings.LoadSettings();
    EXPECT_EQ(settings.mapCount, 13u);
    EXPECT_EQ(settings.maxPlayers, 16);
    EXPECT_FLOAT_EQ(settings.ffTeam, 0.5f);
    EXPECT_EQ(settings.serverBandwidth, 2);
    EXPECT_EQ(settings.customBandwidth, 32000);
    EXPECT_EQ(settings.timeSyncCheck, 1);
    EXPECT_EQ(LastCommand(), "sendbandwidth 32000");
    for (const SettingEntry& row : SettingTable)
        EXPECT_EQ(engine.VariableFlags(row.name), 5) << row.name;
    for (int i = 0; i < 13; ++i) EXPECT_EQ(engine.VariableFlags("map" + std::to_string(i)), 5);

    // The count is looked up under another spelling than it was defined with.
    const auto calls = engine.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "FindVariable NumMaps 0"), calls.end());
}

TEST_F(SettingsTest, FileValuesAreReadBackTruncatedTowardZero) {
    engine.configFile = {"timelimit 7.9", "numrounds -2.5",    "ffteam 0.25",
                         "nummaps 5",     "serverbandwidth 5", "custombandwidth 20000"};
    settings.LoadSettings();
    EXPECT_EQ(settings.timeLimit, 7);
    EXPECT_EQ(settings.numRounds, -2);
    EXPECT_FLOAT_EQ(settings.ffTeam, 0.25f);
    EXPECT_EQ(settings.mapCount, 5u);
    EXPECT_EQ(LastCommand(), "sendbandwidth 20000");
    // Entries in use are marked for saving; the rest stay out of the next file.
    EXPECT_EQ(engine.VariableFlags("map4"), 5);
    EXPECT_EQ(engine.VariableFlags("map5"), 0);
    EXPECT_TRUE(engine.CallsStartingWith("GetVariableFlags map5").empty());
}

TEST_F(SettingsTest, HandEditedCountsAndNumbersStayBounded) {
    // A count that fits no rotation, in a file that names no map: the default rotation stays.
    engine.configFile = {"nummaps -3"};
    settings.LoadSettings();
    EXPECT_FALSE(gate.notes.empty());
    EXPECT_EQ(settings.mapCount, 13u);
    EXPECT_EQ(engine.VariableText("nummaps"), "13");

    engine.ClearCalls();
    engine.configFile = {"nummaps 4000000000", "map300 worlds/far", "timelimit 1e30",
                         "maxplayers -1e30", "voting nan"};
    settings.LoadSettings();
    EXPECT_EQ(settings.mapCount, 13u);  // map300 lies beyond what is ever read
    EXPECT_EQ(settings.timeLimit, INT32_MAX);
    EXPECT_EQ(settings.maxPlayers, INT32_MIN);
    EXPECT_EQ(settings.voting, 0);
    EXPECT_TRUE(engine.CallsStartingWith("FindVariable map256 ").empty());
}

TEST_F(SettingsTest, NumericSettersStoreAndSendOneCommand) {
    settings.Set(&ServerSettings::ffTeam, 0.5f);
    EXPECT_FLOAT_EQ(settings.ffTeam, 0.5f);
    EXPECT_EQ(LastCommand(), "ffteam 0.500000");
    settings.Set(&ServerSettings::maxPlayers, 24);
    EXPECT_EQ(settings.maxPlayers, 24);
    EXPECT_EQ(LastCommand(), "maxplayers 24");
    settings.Set(&ServerSettings::playerKickVote, 0.75f);
    EXPECT_EQ(LastCommand(), "playerkickvote 0.750000");
    settings.Set(&ServerSettings::timeSyncCheck, 0);
    EXPECT_EQ(LastCommand(), "TimeSyncCheck 0");
    settings.Set(&ServerSettings::serverBandwidth, 3);
    EXPECT_EQ(LastCommand(), "serverbandwidth 3");  // sendbandwidth is the caller's business
    EXPECT_EQ(Commands().size(), 5u);
}

TEST_F(SettingsTest, SendBandwidthFollowsThePresetOrTheCustomValue) {
    struct Case {
        int preset;
        int custom;
        const char* sent;
    } cases[] = {{0, 0, "sendbandwidth 4000"},         {3, 0, "sendbandwidth 1000000"},
                 {4, 0, "sendbandwidth 10000000"},     {5, 12000, "sendbandwidth 12000"},
                 {6, 12000, "sendbandwidth 32000"},    {-1, 0, "sendbandwidth 32000"},
                 {INT32_MIN, 0, "sendbandwidth 32000"}};
    for (const Case& c : cases) {
        settings.serverBandwidth = c.preset;
        settings.customBandwidth = c.custom;
        settings.PushSendBandwidth();
        EXPECT_EQ(LastCommand(), c.sent) << c.preset;
    }
}

TEST_F(SettingsTest, OptionalTextsUseOneBlankForEmpty) {
    settings.SetText(TextOption::AdminName, "");
    EXPECT_EQ(LastCommand(), "+adminname \" \"");
    EXPECT_STREQ(settings.GetText(TextOption::AdminName), "");

    settings.SetText(TextOption::ServerWebsite, "http://x/\"q\"");
    EXPECT_EQ(LastCommand(), "+serverwebsite \"http://x/\"q\"\"");

    settings.SetText(TextOption::ServerName, "Alpha");
    EXPECT_STREQ(settings.GetText(TextOption::ServerName), "Alpha");
    engine.ClearCalls();
    settings.SetText(TextOption::ServerName, "");
    EXPECT_TRUE(Commands().empty());
    EXPECT_STREQ(settings.GetText(TextOption::ServerName), "Alpha");

    engine.SetVariable("servername", " ");
    EXPECT_STREQ(settings.GetText(TextOption::ServerName), " ");
    engine.SetVariable("adminemail", "  ");
    EXPECT_STREQ(settings.GetText(TextOption::AdminEmail), "  ");
}

TEST_F(SettingsTest, GettersCutToTheirBuffersAndKeepOldTextForUnknownVariables) {
    engine.SetVariable("adminemail", std::string(40, 'e'));
    EXPECT_EQ(std::strlen(settings.GetText(TextOption::AdminEmail)), 40u);
    engine.SetVariable("adminemail", std::string(60, 'f'));
    EXPECT_EQ(std::string(settings.GetText(TextOption::AdminEmail)), std::string(47, 'f'));
    EXPECT_EQ(engine.CallsStartingWith("GetVariableString adminemail 48").size(), 2u);

    // Never set in the engine: the buffer is returned as it was.
    std::strcpy(settings.serverPassword, "kept");
    EXPECT_STREQ(settings.GetText(TextOption::ServerPassword), "kept");
}

TEST_F(SettingsTest, OverlongCommandsAreRefusedNotCut) {
    const std::string name(240, 'n');
    settings.SetText(TextOption::AdminName, name.c_str());
    EXPECT_EQ(LastCommand(), "+adminname \"" + name + "\"");  // 254 characters: fits

    engine.ClearCalls();
    const std::string longer(254, 'p');
    settings.SetText(TextOption::RemoteAdminPassword, longer.c_str());
    settings.SetMapEntry(1, ("worlds/" + std::string(250, 'm')).c_str());
    EXPECT_TRUE(engine.Calls().empty());
}

TEST_F(SettingsTest, RotationEntriesAreReadWrittenAndMarked) {
    settings.SetMapEntry(3, "worlds/usa");
    const auto calls = engine.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "ExecuteCommand map3 worlds/usa");
    EXPECT_EQ(calls[1], "SetVariableFlags map3 5");

    settings.SetMapCount(4);
    EXPECT_EQ(settings.mapCount, 4u);
    EXPECT_EQ(LastCommand(), "nummaps 4");

    char buffer[kMapNameSize + 1];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(settings.GetMapEntry(3, buffer), 1);
    EXPECT_STREQ(buffer, "worlds/usa");
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(settings.GetMapEntry(99, buffer), 0);
    EXPECT_EQ(buffer[0], 'x');

    settings.SetMapCount(-5);
    EXPECT_EQ(settings.mapCount, 0u);
    EXPECT_EQ(LastCommand(), "nummaps 0");
}

TEST_F(SettingsTest, NothingIsSentWithoutAnEngine) {
    gate.SetEngine(nullptr);
    settings.Set(&ServerSettings::maxPlayers, 8);
    EXPECT_EQ(settings.maxPlayers, 8);
    char buffer[kMapNameSize] = "old";
    EXPECT_EQ(settings.GetMapEntry(0, buffer), 0);
    EXPECT_TRUE(engine.Calls().empty());
}

// The start-up's load and save with the simulated engine over an in-memory file system: what
// a hand-edited rotation count leaves in the file written next.
class SettingsFileTest : public ::testing::Test {
  protected:
    // Loads `file` as the configuration, saves, and returns what was written.
    std::string LoadAndSave(const std::string& file) {
        environment.files["korvane/server.cfg"] = file;
        gate.notes.clear();
        settings.LoadSettings();
        notice = gate.notes.empty() ? "" : gate.notes.back();
        settings.SaveSettings();
        return environment.files["korvane/server.cfg"];
    }

    test::FakeEnvironment environment;
    ServerEngine engine{environment};
    test::DirectGate gate{&engine};
    ServerSettings settings{gate};
    std::string notice;
};

TEST_F(SettingsFileTest, ACountOutOfRangeNeitherDropsNorInventsRotationEntries) {
    const std::string maps =
        "map0 \"worlds/lima\"\nmap1 \"worlds/usa\"\nmap2 \"worlds/hidden valley\"\n";
    for (const char* count : {"-5", "99999999"}) {
        const std::string written = LoadAndSave(std::string("nummaps ") + count + "\n" + maps);
        EXPECT_NE(written.find("+map0 \"worlds/lima\""), std::string::npos) << count;
        EXPECT_NE(written.find("+map2 \"worlds/hidden valley\""), std::string::npos) << count;
        EXPECT_EQ(written.find("+map3 "), std::string::npos) << count;
        EXPECT_NE(written.find("+nummaps \"3\""), std::string::npos) << count;
        EXPECT_EQ(settings.mapCount, 3u);
        EXPECT_NE(notice.find(std::string("nummaps \"") + count), std::string::npos) << notice;
        EXPECT_NE(notice.find("using the 3 entries the file holds"), std::string::npos) << notice;
    }
    // The file written is read back as it is, with nothing more to say.
    LoadAndSave(environment.files["korvane/server.cfg"]);
    EXPECT_EQ(notice, "");
    EXPECT_EQ(settings.mapCount, 3u);
}

}  // namespace
}  // namespace korvane
