// Restart records, the crash-loop stop, the successor and the restart control.
#include "app/Restarts.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <ctime>

#include "host/EngineHost.h"
#include "ui/TextFile.h"
#include "web/WebAdmin.h"

namespace korvane::app {

namespace {

constexpr size_t kMaxRecordBytes = 64 * 1024;

bool IsFailure(RestartReason reason) {
    return reason == RestartReason::EngineStopped || reason == RestartReason::Hang ||
           reason == RestartReason::Crash;
}

std::string TimeOfDay(int minutes) {
    return FormatTimesOfDay({minutes});
}

}  // namespace

int64_t UnixNow() { return static_cast<int64_t>(std::time(nullptr)); }

std::vector<RestartRecord> ParseRestartRecords(std::string_view text) {
    std::vector<RestartRecord> records;
    for (const std::string_view line : TextLines(text)) {
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos) continue;
        RestartRecord record;
        const auto [stop, error] = std::from_chars(line.data(), line.data() + blank, record.unixSeconds);
        const auto name = std::find(kRestartReasonNames.begin(), kRestartReasonNames.end(),
                                    line.substr(blank + 1));
        if (error != std::errc() || stop != line.data() + blank || name == kRestartReasonNames.end())
            continue;  // a line the program did not write
        record.reason = static_cast<RestartReason>(name - kRestartReasonNames.begin());
        records.push_back(record);
    }
    return records;
}

std::vector<RestartRecord> LoadRestartRecords(const std::string& path) {
    return ParseRestartRecords(ui::ReadTextFile(path, kMaxRecordBytes));
}

void RecordRestart(RestartReason reason, int64_t unixSeconds, const std::string& path) {
    std::vector<RestartRecord> records = LoadRestartRecords(path);
    records.push_back({unixSeconds, reason});
    const size_t first = records.size() > kKeptRestartRecords ? records.size() - kKeptRestartRecords : 0;
    std::string text;
    for (size_t i = first; i < records.size(); ++i)
        text += std::to_string(records[i].unixSeconds) + " " + RestartReasonName(records[i].reason) + "\r\n";
    ui::WriteTextFile(path, text);
}

std::map<std::string, uint64_t> CountRestarts(const std::vector<RestartRecord>& records) {
    std::map<std::string, uint64_t> counts;
    for (const char* name : kRestartReasonNames) counts[name] = 0;
    for (const RestartRecord& record : records) ++counts[RestartReasonName(record.reason)];
    return counts;
}

bool InCrashLoop(const std::vector<RestartRecord>& records, int64_t nowUnixSeconds) {
    const auto recent = std::count_if(records.begin(), records.end(), [&](const RestartRecord& r) {
        return IsFailure(r.reason) && r.unixSeconds <= nowUnixSeconds &&
               nowUnixSeconds - r.unixSeconds < kCrashLoopSeconds;
    });
    return recent >= kCrashLoopFailures;
}

std::string SuccessorArguments(std::string_view arguments) {
    while (!arguments.empty() && arguments.front() == ' ') arguments.remove_prefix(1);
    std::string text(arguments);
    const bool skips = text.size() >= 2 && text[0] == '-' && (text[1] == 's' || text[1] == 'S');
    if (!skips) text = text.empty() ? "-s" : "-s " + text;
    if (text.find("--successor") == std::string::npos) text += " --successor";
    return text;
}

bool StartSuccessor(std::string_view arguments) {
    char program[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return false;
    std::string commandLine = "\"" + std::string(program) + "\" " + SuccessorArguments(arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

RestartControl::RestartControl(EngineHost& host, const RestartSchedule& schedule,
                               RestartClocks clocks, std::string recordFile)
    : host_(host), clocks_(std::move(clocks)), recordFile_(std::move(recordFile)) {
    SetSchedule(schedule);
}

int64_t RestartControl::Now() const {
    const LocalTime t = clocks_.local();
    return LocalMinutes(t.year, t.month, t.day, t.hour, t.minute);
}

void RestartControl::SetSchedule(const RestartSchedule& schedule) {
    schedule_ = schedule;
    planner_.Plan(schedule_, Now());
}

std::optional<RestartReason> RestartControl::Poll() {
    if (const int asked = requested_.exchange(0)) {
        const auto reason = static_cast<RestartReason>(asked - 1);
        host_.Note("Restarting the server: asked for (" + std::string(RestartReasonName(reason)) + ").");
        return reason;
    }
    for (const RestartPlanner::Step& step : planner_.Poll(Now())) {
        switch (step.kind) {
            case RestartPlanner::Step::Kind::Warn:
                host_.EchoAndExecute("say " + WarningText(step.minutesLeft));
                break;
            case RestartPlanner::Step::Kind::Missed:
                host_.Note("The restart at " + TimeOfDay(step.timeOfDay) +
                           " was missed (the clock jumped or the machine slept); the next "
                           "scheduled one stands.");
                break;
            case RestartPlanner::Step::Kind::Restart:
                host_.Note("Scheduled restart (" + TimeOfDay(step.timeOfDay) + "): restarting now.");
                return RestartReason::Schedule;
        }
    }
    return std::nullopt;
}

bool RestartControl::RestartAfterFailure(RestartReason reason) {
    // A quit the operator gave is no failure.
    if (!schedule_.restartWhenEngineStops ||
        (reason == RestartReason::EngineStopped && host_.Game().QuitGiven()))
        return false;
    std::vector<RestartRecord> records = LoadRestartRecords(recordFile_);
    records.push_back({clocks_.unix(), reason});
    if (!InCrashLoop(records, clocks_.unix())) return true;
    RecordRestart(reason, clocks_.unix(), recordFile_);  // counts though nothing restarts
    if (!crashLoop_.exchange(true)) host_.Note(kCrashLoopLine);
    return false;
}

void RestartControl::Tell(const std::string& line) { host_.Note(line); }

void RestartControl::Restarting(RestartReason reason) {
    RecordRestart(reason, clocks_.unix(), recordFile_);
}

RestartSchedule ScheduleForRun(const Switches& switches) {
    RestartSchedule schedule = LoadSchedule();
    if (switches.restartAt) schedule.times = *switches.restartAt;
    return schedule;
}

void ConnectRestarts(web::WebAdmin& web, RestartControl& control) {
    web.SetRestartHooks({[&control] { control.Request(RestartReason::Requested); },
                         [&control] { return control.Notice(); }});
    // A small file, read once per scrape: restarts of earlier runs count too.
    web.SetRestartCounts([] { return CountRestarts(LoadRestartRecords()); });
}

}  // namespace korvane::app
