// Restarting the server: why it restarts, the record of past restarts (for the crash-loop stop
// and the figures the web shows), the successor a window program starts, and the control that
// each front polls: a restart asked for from any thread, the schedule's warnings and times.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/RestartSchedule.h"
#include "app/Switches.h"
#include "console/ConsoleLogFile.h"

namespace korvane {
class EngineHost;
namespace web {
class WebAdmin;
}
}

namespace korvane::app {

enum class RestartReason { Requested, Schedule, EngineStopped, Hang, Crash };
inline constexpr std::array<const char*, 5> kRestartReasonNames = {
    "requested", "schedule", "engine_stopped", "hang", "crash"};
inline const char* RestartReasonName(RestartReason reason) {
    return kRestartReasonNames[static_cast<size_t>(reason)];
}

// korvane/restarts.txt: "<Unix seconds> <reason>" a line, the newest 200 kept.
inline constexpr const char* kRestartRecordFile = "korvane/restarts.txt";
inline constexpr size_t kKeptRestartRecords = 200;
struct RestartRecord {
    int64_t unixSeconds = 0;
    RestartReason reason = RestartReason::Requested;
};
std::vector<RestartRecord> ParseRestartRecords(std::string_view text);
std::vector<RestartRecord> LoadRestartRecords(const std::string& path = kRestartRecordFile);
void RecordRestart(RestartReason reason, int64_t unixSeconds,
                   const std::string& path = kRestartRecordFile);
// Every reason, with the records' count of it (0 when none).
std::map<std::string, uint64_t> CountRestarts(const std::vector<RestartRecord>& records);

// Five failures (a crash, a hang, an engine that stopped on its own) within ten minutes: the
// program stops restarting itself, since starting again evidently does not help.
inline constexpr int kCrashLoopFailures = 5;
inline constexpr int64_t kCrashLoopSeconds = 600;
bool InCrashLoop(const std::vector<RestartRecord>& records, int64_t nowUnixSeconds);
inline constexpr const char* kCrashLoopLine =
    "Korvane Server failed 5 times within 10 minutes and no longer restarts itself; start it "
    "again once the cause is found (the console log and dumps\\ say more).";

// The successor's command line after the program's name: the same switches, with "-s" first
// (the settings were confirmed already) and --successor (it waits for this copy to end).
std::string SuccessorArguments(std::string_view arguments);
// Starts this program again with those arguments; false when it could not be started.
bool StartSuccessor(std::string_view arguments);

int64_t UnixNow();

// The control's clocks; seams so that a test can run a day in a moment.
struct RestartClocks {
    LocalClock local = SystemLocalTime;
    std::function<int64_t()> unix = UnixNow;
};

class RestartControl {
  public:
    RestartControl(EngineHost& host, const RestartSchedule& schedule,
                   RestartClocks clocks = RestartClocks(),
                   std::string recordFile = kRestartRecordFile);

    // Any thread (the web's): a restart for the front to carry out at its next poll.
    void Request(RestartReason reason) { requested_.store(static_cast<int>(reason) + 1); }
    // The front's thread, every refresh: sends the warnings that are due (as `say` commands)
    // and gives the restart to carry out now, if any; the last console line says why.
    std::optional<RestartReason> Poll();
    // The engine stopped or hung on its own: whether to start it again, by the schedule's
    // option and the crash-loop stop (the failure is recorded either way; a crash loop is
    // said once, in the console, and kept for the web's status).
    bool RestartAfterFailure(RestartReason reason);
    // The restart is carried out: recorded for the figures and the crash-loop stop.
    void Restarting(RestartReason reason);

    // A line for the console and the log.
    void Tell(const std::string& line);

    void SetSchedule(const RestartSchedule& schedule);
    const RestartSchedule& Schedule() const { return schedule_; }
    // The crash-loop line once restarts have stopped; empty before.
    std::string Notice() const { return crashLoop_.load() ? kCrashLoopLine : ""; }

  private:
    int64_t Now() const;

    EngineHost& host_;
    RestartClocks clocks_;
    std::string recordFile_;
    RestartSchedule schedule_;
    RestartPlanner planner_;
    std::atomic<int> requested_{0};  // a RestartReason + 1; 0 when none
    std::atomic<bool> crashLoop_{false};
};

// The stored schedule, with --restart-at's times instead of the stored ones for this run.
RestartSchedule ScheduleForRun(const Switches& switches);
// A restart asked for through the web reaches `control`; the web's status shows its notice.
void ConnectRestarts(web::WebAdmin& web, RestartControl& control);

}  // namespace korvane::app
