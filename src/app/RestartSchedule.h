// Restarts at fixed times of day, with warnings to the players before each: the operator's
// schedule (korvane/schedule.cfg, or --restart-at for one run) and the planner that turns the
// local clock into warnings and restarts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::app {

inline constexpr const char* kScheduleFile = "korvane/schedule.cfg";
inline constexpr size_t kMaxRestartTimes = 24;
inline constexpr size_t kMaxWarnings = 8;
inline constexpr int kMaxWarnMinutes = 120;

struct RestartSchedule {
    std::vector<int> times;                  // minutes after local midnight, ascending
    std::vector<int> warnMinutes{15, 5, 1};  // before each restart, descending
    // Start the game again when the engine stops or hangs on its own (not after a Quit).
    bool restartWhenEngineStops = false;

    bool operator==(const RestartSchedule&) const = default;
};

// "06:00, 18:00" (commas or blanks between; H:MM or HH:MM, 00:00 to 23:59; duplicates merged):
// the minutes after midnight, ascending. An empty text is no schedule. Nothing, and `error`
// says which part is wrong, for anything else.
std::optional<std::vector<int>> ParseTimesOfDay(std::string_view text, std::string& error);
std::string FormatTimesOfDay(const std::vector<int>& times);  // "06:00, 18:00"
// "15, 5, 1": whole minutes from 1 to 120, at most 8; descending, duplicates merged.
std::optional<std::vector<int>> ParseWarnMinutes(std::string_view text, std::string& error);
std::string FormatWarnMinutes(const std::vector<int>& minutes);  // "15, 5, 1"

// The file's text: "restart_at=", "warn_minutes=", "restart_when_engine_stops=" lines. The
// operator may edit it by hand: a line that does not read keeps that setting's default.
RestartSchedule ParseSchedule(std::string_view text);
std::string FormatSchedule(const RestartSchedule& schedule);
RestartSchedule LoadSchedule(const std::string& path = kScheduleFile);
bool SaveSchedule(const RestartSchedule& schedule, const std::string& path = kScheduleFile);

// The lines of a small text file, without their line ends (LF or CR LF).
std::vector<std::string_view> TextLines(std::string_view text);

// A local time as whole minutes since 1970-01-01 00:00 local; what the planner counts in.
int64_t LocalMinutes(int year, int month, int day, int hour, int minute);

class RestartPlanner {
  public:
    // A restart later than this (the machine slept, the clock jumped) is skipped: the players
    // had no fresh warning, and the next time of day comes round anyway.
    static constexpr int kLateMinutes = 10;

    struct Step {
        enum class Kind { Warn, Restart, Missed } kind;
        int minutesLeft = 0;  // Warn: until the restart
        int timeOfDay = 0;    // the restart's, minutes after midnight
    };

    // From `now` on: the first time of day after the current minute.
    void Plan(const RestartSchedule& schedule, int64_t now);
    // The steps due at `now`, in order: at most one warning per call (the nearest one passed,
    // should several pass at once) or the restart itself.
    std::vector<Step> Poll(int64_t now);
    std::optional<int64_t> Next() const { return next_; }

  private:
    std::optional<int64_t> NextAfter(int64_t now) const;

    RestartSchedule schedule_;
    std::optional<int64_t> next_;
    size_t warned_ = 0;  // how many of the warnings (largest first) are sent or passed
};

// "The server restarts in 5 minutes." / "in 1 minute."
std::string WarningText(int minutesLeft);

}  // namespace korvane::app
