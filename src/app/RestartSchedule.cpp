// The restart schedule and its planner.
#include "app/RestartSchedule.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "console/ConsoleLogFile.h"
#include "ui/TextFile.h"

namespace korvane::app {

namespace {

constexpr size_t kMaxFileBytes = 4096;

// The parts of a list separated by commas and blanks.
std::vector<std::string_view> ListParts(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ',' || std::isspace(static_cast<unsigned char>(text[i]))))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ',' && !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (i > start) parts.push_back(text.substr(start, i - start));
    }
    return parts;
}

// Up to `digits` decimal digits, the whole of `text`.
std::optional<int> Number(std::string_view text, size_t digits) {
    if (text.empty() || text.size() > digits) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string Two(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

std::optional<std::vector<int>> ParseTimesOfDay(std::string_view text, std::string& error) {
    std::vector<int> times;
    for (const std::string_view part : ListParts(text)) {
        const size_t colon = part.find(':');
        const auto hour = colon == std::string_view::npos ? std::nullopt : Number(part.substr(0, colon), 2);
        const auto minute = colon == std::string_view::npos ? std::nullopt : Number(part.substr(colon + 1), 2);
        if (!hour || !minute || *hour > 23 || *minute > 59 || part.size() - colon != 3) {
            error = "\"" + std::string(part.substr(0, 16)) +
                    "\" is not a time of day; give times such as 06:00, 18:00";
            return std::nullopt;
        }
        times.push_back(*hour * 60 + *minute);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    if (times.size() > kMaxRestartTimes) {
        error = "at most " + std::to_string(kMaxRestartTimes) + " restart times a day";
        return std::nullopt;
    }
    return times;
}

std::string FormatTimesOfDay(const std::vector<int>& times) {
    std::string text;
    for (const int time : times) text += (text.empty() ? "" : ", ") + Two(time / 60) + ":" + Two(time % 60);
    return text;
}

std::optional<std::vector<int>> ParseWarnMinutes(std::string_view text, std::string& error) {
    std::vector<int> minutes;
    for (const std::string_view part : ListParts(text)) {
        const auto value = Number(part, 3);
        if (!value || *value < 1 || *value > kMaxWarnMinutes) {
            error = "\"" + std::string(part.substr(0, 16)) + "\" is not a number of minutes from 1 to " +
                    std::to_string(kMaxWarnMinutes);
            return std::nullopt;
        }
        minutes.push_back(*value);
    }
    std::sort(minutes.begin(), minutes.end(), std::greater<>());
    minutes.erase(std::unique(minutes.begin(), minutes.end()), minutes.end());
    if (minutes.size() > kMaxWarnings) {
        error = "at most " + std::to_string(kMaxWarnings) + " warnings before a restart";
        return std::nullopt;
    }
    return minutes;
}

std::string FormatWarnMinutes(const std::vector<int>& minutes) {
    std::string text;
    for (const int value : minutes) text += (text.empty() ? "" : ", ") + std::to_string(value);
    return text;
}

RestartSchedule ParseSchedule(std::string_view text) {
    RestartSchedule schedule;
    for (const std::string_view line : TextLines(text)) {
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
        std::string ignored;
        if (key == "restart_at") {
            if (auto times = ParseTimesOfDay(value, ignored)) schedule.times = std::move(*times);
        } else if (key == "warn_minutes") {
            if (auto minutes = ParseWarnMinutes(value, ignored)) schedule.warnMinutes = std::move(*minutes);
        } else if (key == "restart_when_engine_stops") {
            schedule.restartWhenEngineStops = value == "1";
        }
    }
    return schedule;
}

std::string FormatSchedule(const RestartSchedule& schedule) {
    return "restart_at=" + FormatTimesOfDay(schedule.times) + "\r\nwarn_minutes=" +
           FormatWarnMinutes(schedule.warnMinutes) + "\r\nrestart_when_engine_stops=" +
           (schedule.restartWhenEngineStops ? "1" : "0") + "\r\n";
}

RestartSchedule LoadSchedule(const std::string& path) {
    return ParseSchedule(ui::ReadTextFile(path, kMaxFileBytes));
}

bool SaveSchedule(const RestartSchedule& schedule, const std::string& path) {
    return ui::WriteTextFile(path, FormatSchedule(schedule));
}

std::vector<std::string_view> TextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
    }
    return lines;
}

int64_t LocalMinutes(int year, int month, int day, int hour, int minute) {
    return DaysFromCivil(year, month, day) * 1440 + hour * 60 + minute;
}

void RestartPlanner::Plan(const RestartSchedule& schedule, int64_t now) {
    schedule_ = schedule;
    next_ = NextAfter(now);
    warned_ = 0;
}

std::optional<int64_t> RestartPlanner::NextAfter(int64_t now) const {
    if (schedule_.times.empty()) return std::nullopt;
    const int64_t day = now >= 0 ? now / 1440 : (now - 1439) / 1440;
    for (int64_t d = day; d <= day + 1; ++d)
        for (const int time : schedule_.times)
            if (d * 1440 + time > now) return d * 1440 + time;
    return std::nullopt;  // not reached: tomorrow's first time is always later
}

std::vector<RestartPlanner::Step> RestartPlanner::Poll(int64_t now) {
    std::vector<Step> steps;
    if (!next_) return steps;
    const int timeOfDay = static_cast<int>(((*next_ % 1440) + 1440) % 1440);
    if (now >= *next_) {
        steps.push_back({now - *next_ <= kLateMinutes ? Step::Kind::Restart : Step::Kind::Missed,
                         0, timeOfDay});
        next_ = NextAfter(now);
        warned_ = 0;
        return steps;
    }
    const int64_t left = *next_ - now;
    // Every warning whose moment has come is passed; only the nearest of them is said, with
    // the minutes that are really left.
    bool due = false;
    while (warned_ < schedule_.warnMinutes.size() && schedule_.warnMinutes[warned_] >= left) {
        ++warned_;
        due = true;
    }
    if (due) steps.push_back({Step::Kind::Warn, static_cast<int>(left), timeOfDay});
    return steps;
}

std::string WarningText(int minutesLeft) {
    return "The server restarts in " + std::to_string(minutesLeft) +
           (minutesLeft == 1 ? " minute." : " minutes.");
}

}  // namespace korvane::app
