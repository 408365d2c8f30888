// The console log file: content, order and daily files after a flood; removal of old files;
// the folder that cannot be written.
#include "console/ConsoleLogFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace korvane {
namespace {

using test::TempFolder;

int writes = 0;
BOOL WINAPI FullDisk(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    ++writes;
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

class ConsoleLogFileTest : public ::testing::Test {
  protected:
    TempFolder temp{"log"};
    LocalTime now{2026, 3, 14, 9, 26, 53};
    LocalClock clock = [this] { return now; };
    std::string Logs() const { return temp / "logs"; }
    std::string LogFile(const char* date) const { return Logs() + "\\console-" + date + ".log"; }
};

TEST_F(ConsoleLogFileTest, FloodReachesTheFileInOrderOneFilePerDay) {
    ConsoleLogFile log(Logs(), clock);
    std::string expected;
    int n = 0;
    for (int batch = 0; batch < 40; ++batch) {
        std::vector<std::string> lines;
        for (int i = 0; i < 500; ++i, ++n) {
            lines.push_back("flood line " + std::to_string(n) + "\n");
            expected += "2026-03-14 09:26:53 flood line " + std::to_string(n) + "\r\n";
        }
        EXPECT_FALSE(log.Append(lines));
    }
    EXPECT_EQ(TempFolder::ReadFile(LogFile("2026-03-14")), expected);
    EXPECT_EQ(log.BytesWritten(), expected.size());

    // The batch read at 23:59:59 stays whole in its day; the next one starts a new file.
    now = {2026, 3, 14, 23, 59, 59};
    EXPECT_FALSE(log.Append({"before midnight", "same batch"}));
    now = {2026, 3, 15, 0, 0, 0};
    EXPECT_FALSE(log.Append({"after midnight"}));
    EXPECT_EQ(TempFolder::ReadFile(LogFile("2026-03-15")),
              "2026-03-15 00:00:00 after midnight\r\n");
    EXPECT_EQ(
        TempFolder::ReadFile(LogFile("2026-03-14")),
        expected + "2026-03-14 23:59:59 before midnight\r\n2026-03-14 23:59:59 same batch\r\n");

    // A second run appends to the day's file.
    ConsoleLogFile again(Logs(), clock);
    EXPECT_FALSE(again.Append({"second run"}));
    EXPECT_EQ(TempFolder::ReadFile(LogFile("2026-03-15")),
              "2026-03-15 00:00:00 after midnight\r\n2026-03-15 00:00:00 second run\r\n");
}

TEST(ConsoleLogLines, OneStampedLinePerLineOfText) {
    const LocalTime t{2026, 1, 2, 3, 4, 5};
    std::string out;
    AppendLogLines(out, t, "");
    EXPECT_EQ(out, "");
    AppendLogLines(out, t, "a\r\nb\nc\x1b[31m\td\r\n\n");
    AppendLogLines(out, t, "\n");
    EXPECT_EQ(out,
              "2026-01-02 03:04:05 a\r\n2026-01-02 03:04:05 b\r\n"
              "2026-01-02 03:04:05 c [31m\td\r\n2026-01-02 03:04:05 \r\n");
}

TEST(ConsoleLogDates, NamesAndDayArithmetic) {
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2);  // leap year
    EXPECT_EQ(DaysFromCivil(2100, 3, 1) - DaysFromCivil(2100, 2, 28), 1);  // not one
    EXPECT_EQ(DaysFromCivil(2026, 1, 1) - DaysFromCivil(2025, 12, 31), 1);
    EXPECT_EQ(DaysFromCivil(1969, 12, 31), -1);

    const auto date = LogFileDate("CONSOLE-2026-02-28.LOG");
    ASSERT_TRUE(date);
    EXPECT_EQ(date->year * 10000 + date->month * 100 + date->day, 20260228);
    for (const char* other :
         {"console-2026-13-01.log", "console-2026-1-01.log", "console-2026-01-01.log.bak",
          "xconsole-2026-01-01.log", "console-2026-01-0a.log", "console-2026_01-01.log"})
        EXPECT_FALSE(LogFileDate(other)) << other;
}

TEST_F(ConsoleLogFileTest, StartUpRemovesOnlyLogFilesOlderThanFourteenDays) {
    CreateDirectoryA(Logs().c_str(), nullptr);
    now = {2026, 1, 4, 12, 0, 0};  // 14 days back is 2025-12-21
    const char* removed[] = {"console-2025-12-20.log", "console-2024-06-01.log"};
    const char* kept[] = {"console-2025-12-21.log",
                          "console-2026-01-04.log",
                          "console-2026-01-05.log",
                          "console-notadate.log",
                          "server.log",
                          "console-2025-12-20.log.txt"};
    for (const char* name : removed) TempFolder::WriteFile(Logs() + "\\" + name, "x");
    for (const char* name : kept) TempFolder::WriteFile(Logs() + "\\" + name, "x");
    CreateDirectoryA((Logs() + "\\console-2020-01-01.log").c_str(), nullptr);

    ConsoleLogFile(Logs(), clock).RemoveOldFiles();
    for (const char* name : removed) EXPECT_FALSE(TempFolder::Exists(Logs() + "\\" + name)) << name;
    for (const char* name : kept) EXPECT_TRUE(TempFolder::Exists(Logs() + "\\" + name)) << name;
    EXPECT_TRUE(TempFolder::Exists(Logs() + "\\console-2020-01-01.log"));
}

TEST_F(ConsoleLogFileTest, AFolderThatCannotBeWrittenStopsLoggingWithOneLine) {
    // A file where the folder should be.
    TempFolder::WriteFile(Logs(), "not a folder");
    ConsoleLogFile blocked(Logs(), clock);
    const auto line = blocked.Append({"a"});
    ASSERT_TRUE(line);
    EXPECT_NE(line->find("in the way"), std::string::npos) << *line;
    EXPECT_NE(line->find(Logs()), std::string::npos) << *line;
    EXPECT_TRUE(blocked.Stopped());
    EXPECT_FALSE(blocked.Append({"b"}));
    DeleteFileA(Logs().c_str());

    // A day's file that cannot be opened for writing (a folder of that name).
    CreateDirectoryA(Logs().c_str(), nullptr);
    CreateDirectoryA(LogFile("2026-03-14").c_str(), nullptr);
    ConsoleLogFile denied(Logs(), clock);
    const auto notOpened = denied.Append({"a"});
    ASSERT_TRUE(notOpened);
    EXPECT_NE(notOpened->find("cannot open " + LogFile("2026-03-14")), std::string::npos)
        << *notOpened;
    EXPECT_FALSE(denied.Append({"b"}));
    RemoveDirectoryA(LogFile("2026-03-14").c_str());

    // A full disk: the write fails once, and no write is tried again.
    writes = 0;
    ConsoleLogFile full(Logs(), clock, &FullDisk);
    const auto noRoom = full.Append({"a"});
    ASSERT_TRUE(noRoom);
    EXPECT_NE(noRoom->find("cannot write " + LogFile("2026-03-14")), std::string::npos) << *noRoom;
    EXPECT_FALSE(full.Append({"b"}));
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(full.BytesWritten(), 0u);
}

}  // namespace
}  // namespace korvane
