// The console log: every line the pane receives, with the local time, appended to one file a
// day (logs/console-YYYY-MM-DD.log under the installation folder).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Handles.h"

namespace korvane {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
using LocalClock = std::function<LocalTime()>;
LocalTime SystemLocalTime();

// Opens a folder for the operator to look at; a seam so tests start no Explorer.
using FolderOpener = std::function<bool(HWND owner, const std::string& folder)>;
// The folder in Explorer.
bool ShellOpenFolder(HWND owner, const std::string& folder);

// Days since 1970-01-01 of a calendar date (proleptic Gregorian); dates before it are negative.
int64_t DaysFromCivil(int year, int month, int day);
// The date of a log file's name "console-YYYY-MM-DD.log" (any case), or nothing for any other
// name, so that no file the log did not write is ever removed.
std::optional<LocalTime> LogFileDate(std::string_view name);
// "YYYY-MM-DD HH:MM:SS " and the text, one log line per line of the text (a text with line
// breaks inside gives several, each with the stamp); trailing line ends are dropped and other
// control characters but tab become spaces. An empty text gives nothing, as in the pane.
void AppendLogLines(std::string& out, const LocalTime& time, std::string_view text);
// "YYYY-MM-DD HH:MM:SS ", the stamp of each log line.
std::string LogStamp(const LocalTime& time);
// The same with any stamp, an empty one included (standard output without the time).
void AppendStampedLines(std::string& out, std::string_view stamp, std::string_view text);

class ConsoleLogFile {
  public:
    // How many days back files are kept: today's and those of the last 14 days.
    static constexpr int kKeepDays = 14;
    // The file write; a seam so that a full disk can be tested.
    using WriteFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

    // `folder` is relative to the working folder (the installation folder) or absolute.
    explicit ConsoleLogFile(std::string folder = "logs", LocalClock clock = SystemLocalTime,
                            WriteFunction write = &WriteFile);

    // At start-up: removes the log files dated more than 14 days before today.
    void RemoveOldFiles();
    // Appends one refresh's lines in one write. The clock is read once per batch: every line
    // carries that time and goes to that day's file, so a batch is never split at midnight
    // (its lines arrived within one refresh period anyway). The write goes straight to the
    // system, with no buffer in the program, so a crash of the program loses nothing written.
    // When the log cannot be written, logging stops for the rest of the run and the one
    // console line that says why and where is returned, once; otherwise nothing.
    std::optional<std::string> Append(const std::vector<std::string>& lines);

    bool Stopped() const { return stopped_; }
    uint64_t BytesWritten() const { return bytesWritten_; }
    // The folder's full path (for Open Log Folder and for the messages).
    std::string FolderPath() const;
    // File > Open Log Folder: the folder in Explorer (made first if there is none yet).
    bool OpenFolder(HWND owner, const FolderOpener& open = ShellOpenFolder) const;

  private:
    std::optional<std::string> OpenFor(const LocalTime& now);
    std::string Stop(const char* what, const std::string& where, DWORD error);

    std::string folder_;
    LocalClock clock_;
    WriteFunction write_;
    ui::Handle file_;
    int64_t fileDay_ = INT64_MIN;
    bool stopped_ = false;
    uint64_t bytesWritten_ = 0;
    std::string batch_;  // kept to reuse its memory from one refresh to the next
};

}  // namespace korvane
