// Restarts: the schedule as the operator writes it, the planner's warnings and times over a
// fake day, the crash-loop stop over the record of past restarts, the successor's arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Restarts.h"
#include "support/HostFixture.h"
#include "support/TempFolder.h"

namespace korvane::app {
namespace {

TEST(RestartSchedule, TextsAsTheOperatorWritesThem) {
    std::string why;
    const struct {
        const char* text;
        std::vector<int> times;  // empty with `valid` false: refused
        bool valid;
    } times[] = {
        {"06:00, 18:00", {360, 1080}, true},  {"18:00 6:00,6:00", {360, 1080}, true},
        {"", {}, true},                       {"23:59", {1439}, true},
        {"24:00", {}, false},                 {"06:60", {}, false},
        {"6", {}, false},                     {"06:0", {}, false},
        {"06:00;18:00", {}, false},           {"-1:00", {}, false},
    };
    for (const auto& row : times) {
        SCOPED_TRACE(row.text);
        const auto parsed = ParseTimesOfDay(row.text, why);
        ASSERT_EQ(parsed.has_value(), row.valid);
        if (parsed) {
            EXPECT_EQ(*parsed, row.times);
        }
    }
    EXPECT_EQ(ParseWarnMinutes("1, 15 5 5", why), (std::vector<int>{15, 5, 1}));
    for (const char* bad : {"0", "121", "x", "1,2,3,4,5,6,7,8,9"})
        EXPECT_FALSE(ParseWarnMinutes(bad, why)) << bad;

    // A damaged file keeps each setting it cannot read at its default; a saved one reads back.
    const RestartSchedule schedule{{360, 1080}, {10, 2}, true};
    EXPECT_EQ(ParseSchedule(FormatSchedule(schedule)), schedule);
    const RestartSchedule damaged =
        ParseSchedule("restart_at=25:00\nwarn_minutes=0\nrestart_when_engine_stops=yes\n\x01");
    EXPECT_EQ(damaged, RestartSchedule{});
    // A wrong --restart-at is said, and the stored times stand.
    const Switches wrong = ParseSwitches("-s --restart-at 25:00");
    EXPECT_FALSE(wrong.restartAt);
    EXPECT_NE(wrong.error.find("--restart-at 25:00"), std::string::npos) << wrong.error;
}

class RestartControlTest : public test::HostFixture {
  protected:
    void SetUp() override {
        SetCurrentDirectoryA(folder.c_str());
        CreateDirectoryA((copy / "korvane").c_str(), nullptr);
        host = MakeHost(engine);
        ASSERT_EQ(host->Start({}), EngineHost::StartResult::Running);
    }
    void TearDown() override { host->Shutdown(); }
    RestartControl Control(const RestartSchedule& schedule) {
        return RestartControl(*host, schedule,
                              {[this] { return now; }, [this] { return unixNow; }}, records);
    }
    // The console's lines since the last call, but the recording engine's own answers.
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (std::string& line : host->TakeHandOver().lines)
            if (line.rfind("set ", 0) != 0) lines.push_back(std::move(line));
        return lines;
    }

    test::TempFolder copy{"restarts"};
    std::string records = copy / "korvane\\restarts.txt";
    std::unique_ptr<EngineHost> host;
    LocalTime now{2026, 12, 8, 5, 40, 0};
    int64_t unixNow = 1'800'000'000;
};

TEST_F(RestartControlTest, WarningsInOrderThenTheRestartAtItsTime) {
    RestartControl control = Control({{6 * 60}, {15, 5, 1}, false});
    Lines();
    std::vector<std::string> said;
    int restarts = 0;
    for (int minute = 40; minute < 60 + 5; ++minute) {
        now.hour = 5 + minute / 60;
        now.minute = minute % 60;
        for (int second : {0, 30}) {
            now.second = second;
            if (const auto reason = control.Poll()) {
                EXPECT_EQ(*reason, RestartReason::Schedule);
                EXPECT_EQ(now.hour * 60 + now.minute, 6 * 60);
                ++restarts;
            }
            for (const std::string& line : Lines()) said.push_back(line);
        }
    }
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(said, (std::vector<std::string>{"say The server restarts in 15 minutes.",
                                             "say The server restarts in 5 minutes.",
                                             "say The server restarts in 1 minute.",
                                             "Scheduled restart (06:00): restarting now."}));

    // Started close to a restart, the players hear the minutes really left, once; a restart
    // found long past (the machine slept) is skipped with a line, not carried out unwarned.
    now = {2026, 12, 8, 17, 57, 0};
    control.SetSchedule({{18 * 60}, {15, 5, 1}, false});
    EXPECT_FALSE(control.Poll());
    EXPECT_EQ(Lines(), std::vector<std::string>{"say The server restarts in 3 minutes."});
    now = {2026, 12, 8, 18, 30, 0};
    EXPECT_FALSE(control.Poll());
    const auto missed = Lines();
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].rfind("The restart at 18:00 was missed", 0), 0u) << missed[0];
    // A restart asked for from another thread comes at the next poll, once.
    control.Request(RestartReason::Requested);
    EXPECT_EQ(control.Poll(), RestartReason::Requested);
    EXPECT_FALSE(control.Poll());
}

TEST_F(RestartControlTest, FailuresRestartUntilFiveWithinTenMinutes) {
    EXPECT_FALSE(Control({}).RestartAfterFailure(RestartReason::EngineStopped));  // option off
    RestartControl control = Control({{}, {15, 5, 1}, true});
    // Requested and scheduled restarts are no failures; old failures have expired.
    RecordRestart(RestartReason::Hang, unixNow - kCrashLoopSeconds, records);
    for (int i = 0; i < 3; ++i) RecordRestart(RestartReason::Requested, unixNow - 10, records);
    for (int failure = 1; failure <= 4; ++failure) {
        SCOPED_TRACE(failure);
        ASSERT_TRUE(control.RestartAfterFailure(failure % 2 ? RestartReason::Crash
                                                            : RestartReason::EngineStopped));
        control.Restarting(RestartReason::Crash);
        unixNow += 60;
    }
    Lines();
    EXPECT_EQ(control.Notice(), "");
    EXPECT_FALSE(control.RestartAfterFailure(RestartReason::Hang));
    EXPECT_FALSE(control.RestartAfterFailure(RestartReason::Hang));
    EXPECT_EQ(Lines(), std::vector<std::string>{kCrashLoopLine});  // said once
    EXPECT_EQ(control.Notice(), kCrashLoopLine);
    const auto counts = CountRestarts(LoadRestartRecords(records));
    EXPECT_EQ(counts.at("crash"), 4u);
    EXPECT_EQ(counts.at("requested"), 3u);
    EXPECT_EQ(counts.at("schedule"), 0u);
    // Ten minutes later the loop is over.
    unixNow += kCrashLoopSeconds;
    EXPECT_TRUE(control.RestartAfterFailure(RestartReason::Hang));
}

TEST(Successor, SameSwitchesWithoutTheSheetAndWaitingForItsPredecessor) {
    EXPECT_EQ(SuccessorArguments(""), "-s --successor");
    EXPECT_EQ(SuccessorArguments(" --webadmin 127.0.0.1:8080"),
              "-s --webadmin 127.0.0.1:8080 --successor");
    EXPECT_EQ(SuccessorArguments("-Settings --no-dumps --successor"),
              "-Settings --no-dumps --successor");
}

}  // namespace
}  // namespace korvane::app
