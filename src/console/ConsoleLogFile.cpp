// The console log file: daily files, one write per refresh, old files removed at start-up.
#include "console/ConsoleLogFile.h"

#include <shellapi.h>

#include <cctype>
#include <cstdio>

#include "ui/SystemError.h"

namespace korvane {

namespace {

constexpr char kNamePrefix[] = "console-";
constexpr char kNameSuffix[] = ".log";

std::string FileName(const LocalTime& t) {
    char name[40];
    std::snprintf(name, sizeof name, "%s%04d-%02d-%02d%s", kNamePrefix, t.year, t.month, t.day,
                  kNameSuffix);
    return name;
}

bool ParseDigits(std::string_view text, int& value) {
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return !text.empty();
}

}  // namespace

LocalTime SystemLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

int64_t DaysFromCivil(int year, int month, int day) {
    // Counted in 400-year eras from 0000-03-01, so that the leap day ends each year.
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::optional<LocalTime> LogFileDate(std::string_view name) {
    constexpr size_t prefix = sizeof kNamePrefix - 1, suffix = sizeof kNameSuffix - 1;
    if (name.size() != prefix + 10 + suffix) return std::nullopt;
    auto same = [](std::string_view a, std::string_view b) {
        for (size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
        return true;
    };
    if (!same(name.substr(0, prefix), kNamePrefix) || !same(name.substr(prefix + 10), kNameSuffix))
        return std::nullopt;
    const std::string_view date = name.substr(prefix, 10);
    LocalTime t;
    if (date[4] != '-' || date[7] != '-' || !ParseDigits(date.substr(0, 4), t.year) ||
        !ParseDigits(date.substr(5, 2), t.month) || !ParseDigits(date.substr(8, 2), t.day) ||
        t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31)
        return std::nullopt;
    return t;
}

std::string LogStamp(const LocalTime& t) {
    char stamp[32];
    const int length = std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", t.year,
                                     t.month, t.day, t.hour, t.minute, t.second);
    return std::string(stamp, static_cast<size_t>(length));
}

void AppendLogLines(std::string& out, const LocalTime& t, std::string_view text) {
    if (!text.empty()) AppendStampedLines(out, LogStamp(t), text);
}

void AppendStampedLines(std::string& out, std::string_view stamp, std::string_view text) {
    if (text.empty()) return;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    for (;;) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.append(stamp);
        for (char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            out += (byte < 32 && c != '\t') || byte == 127 ? ' ' : c;
        }
        out += "\r\n";
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

ConsoleLogFile::ConsoleLogFile(std::string folder, LocalClock clock, WriteFunction write)
    : folder_(std::move(folder)), clock_(std::move(clock)), write_(write) {}

std::string ConsoleLogFile::FolderPath() const {
    char full[MAX_PATH * 2] = {};
    const DWORD length = GetFullPathNameA(folder_.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full) : folder_;
}

bool ShellOpenFolder(HWND owner, const std::string& folder) {
    // ShellExecute reports success as a value above 32.
    return reinterpret_cast<INT_PTR>(
               ShellExecuteA(owner, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

bool ConsoleLogFile::OpenFolder(HWND owner, const FolderOpener& open) const {
    CreateDirectoryA(folder_.c_str(), nullptr);
    return open(owner, FolderPath());
}

void ConsoleLogFile::RemoveOldFiles() {
    const LocalTime now = clock_();
    const int64_t oldestKept = DaysFromCivil(now.year, now.month, now.day) - kKeepDays;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\console-*.log").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::optional<LocalTime> date = LogFileDate(found.cFileName);
        if (date && DaysFromCivil(date->year, date->month, date->day) < oldestKept)
            DeleteFileA((folder_ + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string ConsoleLogFile::Stop(const char* what, const std::string& where, DWORD error) {
    stopped_ = true;
    file_.Reset();
    batch_ = std::string();
    return "Console log stopped: " + std::string(what) + " " + where + " (" +
           ui::SystemErrorText(error) + ")";
}

std::optional<std::string> ConsoleLogFile::OpenFor(const LocalTime& now) {
    const int64_t day = DaysFromCivil(now.year, now.month, now.day);
    if (file_ && day == fileDay_) return std::nullopt;
    file_.Reset();
    const std::string folder = FolderPath();
    if (!CreateDirectoryA(folder_.c_str(), nullptr)) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(folder_.c_str());
        if (error != ERROR_ALREADY_EXISTS) return Stop("cannot create the folder", folder, error);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Stop("a file is in the way of the folder", folder, error);
    }
    const std::string path = folder + "\\" + FileName(now);
    // Others may read (and rotate away) the file while it is open: an operator's tail, a backup.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Stop("cannot open", path, GetLastError());
    file_.Reset(file);
    fileDay_ = day;
    return std::nullopt;
}

std::optional<std::string> ConsoleLogFile::Append(const std::vector<std::string>& lines) {
    if (stopped_ || lines.empty()) return std::nullopt;
    const LocalTime now = clock_();
    batch_.clear();
    for (const std::string& line : lines) AppendLogLines(batch_, now, line);
    if (batch_.empty()) return std::nullopt;
    if (auto failure = OpenFor(now)) return failure;
    // One write for the whole batch; a file of more than 4 GB a day is not a console log.
    DWORD written = 0;
    const auto size = static_cast<DWORD>(batch_.size());
    const bool wrote = write_(file_.Get(), batch_.data(), size, &written, nullptr) != FALSE;
    if (!wrote || written != size) {
        // A write that succeeds short has run out of room.
        const DWORD error = wrote ? ERROR_DISK_FULL : GetLastError();
        return Stop("cannot write", FolderPath() + "\\" + FileName(now), error);
    }
    bytesWritten_ += written;
    return std::nullopt;
}

}  // namespace korvane
