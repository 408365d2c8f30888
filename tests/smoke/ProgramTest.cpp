// The real program on the demo installation, as an operator starts it: found through the
// registry, hosting the simulated engine, ticking at about 30 per second, and closing cleanly
// after the quit question; its console log and history in the installation folder; one copy
// per installation folder; a crash's dump and the next start's word about it.
#include <windows.h>
#include <commctrl.h>
#include <dbghelp.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/Installation.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

namespace {

using korvane::test::CopyInstallation;
using korvane::test::InstallDir;
using korvane::test::SetInstallDir;

using korvane::test::TodaysLog;
using korvane::test::FindProcessDialog;
using korvane::test::FindProcessWindow;
using korvane::test::WaitFor;

std::string Text(HWND window) {
    return korvane::test::ProcessWindowText(window);
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = InstallDir();
        ASSERT_FALSE(folder.empty()) << "KORVANE_INSTALL_DIR is not set";
        SetInstallDir(folder);
        std::remove((folder + "\\korvane\\server.cfg").c_str());
        std::remove((folder + "\\korvane\\history.txt").c_str());
    }
    void TearDown() override {
        SetInstallDir(folder);
        others.push_back(process);
        for (PROCESS_INFORMATION& other : others) {
            if (!other.hProcess) continue;
            if (WaitForSingleObject(other.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(other.hProcess, 99);
            CloseHandle(other.hProcess);
            CloseHandle(other.hThread);
        }
    }
    // Starts the program in `process`; a program started before is kept in `others`.
    void Start(const char* arguments, const std::string& from = {}) {
        if (process.hProcess) others.push_back(process);
        process = {};
        std::string command =
            "\"" + (from.empty() ? folder : from) + "\\korvane-server.exe\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        // Started from another folder: the program must find its own through the registry.
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   temp, &startup, &process));
    }
    HWND WaitForMainWindow() {
        HWND window = nullptr;
        WaitFor(
            [&] { return (window = FindProcessDialog(process.dwProcessId, nullptr)) != nullptr; },
            20000);
        return window;
    }
    // Types a command into the running program's command line and presses Enter.
    static void TypeCommand(HWND window, const std::string& command) {
        SendMessageTimeoutA(GetDlgItem(window, 1040), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(command.c_str()), SMTO_ABORTIFHUNG, 2000,
                            nullptr);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(1041, BN_CLICKED), 0);
    }
    // File > Quit, answered Yes.
    void Quit(HWND window) { Confirm(window, 32773); }
    // A menu command with a question, answered Yes.
    void Confirm(HWND window, int command) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        HWND question = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] { return (question = FindProcessDialog(process.dwProcessId, window)) != nullptr; },
            5000));
        PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
    }

    HWND WaitForWindow(const char* title) {
        HWND window = nullptr;
        WaitFor([&] { return (window = FindProcessWindow(process.dwProcessId, title)) != nullptr; },
                20000);
        return window;
    }
    // The exit code once the program has ended, or STILL_ACTIVE after 10 s.
    DWORD WaitForExit() {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
    // The copy the program started to replace itself: it becomes `process`.
    HWND FollowSuccessor(DWORD predecessor) {
        HWND window = nullptr;
        WaitFor(
            [&] {
                window = FindWindowA(nullptr, "Korvane Server 1.0.5");
                DWORD id = 0;
                if (window) GetWindowThreadProcessId(window, &id);
                return window && id != predecessor && IsWindowVisible(window);
            },
            20000);
        if (!window) return nullptr;
        others.push_back(process);
        process = {};
        GetWindowThreadProcessId(window, &process.dwProcessId);
        process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE,
                                       FALSE, process.dwProcessId);
        return window;
    }
    bool ConfigWritten() {
        FILE* config = std::fopen((folder + "\\korvane\\server.cfg").c_str(), "rb");
        if (config) std::fclose(config);
        return config != nullptr;
    }

    std::string folder;
    PROCESS_INFORMATION process = {};
    std::vector<PROCESS_INFORMATION> others;
};

TEST_F(ProgramTest, HostsTheDemoEngineAndClosesAfterTheQuestion) {
    Start("-s");
    HWND window = WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window), "Korvane Server 1.0.5");

    // The first sample spans the whole start-up, so the figure settles after 64 ticks.
    HWND rate = GetDlgItem(window, 1036);
    EXPECT_TRUE(WaitFor(
        [&] {
            const int shown = std::atoi(Text(rate).c_str());
            return shown >= 29 && shown <= 31;
        },
        15000))
        << "update rate shows " << Text(rate);

    HWND pane = GetDlgItem(window, 1000);
    EXPECT_TRUE(
        WaitFor([&] { return Text(pane).find("worlds/antarctica") != std::string::npos; }, 5000))
        << Text(pane);
    EXPECT_TRUE(ConfigWritten()) << "the engine writes the configuration at every start";

    // File > Quit: the quit question comes up; Yes ends the program with code 0, which
    // service wrappers and restart scripts take for a clean end.
    Quit(window);
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(ProgramTest, ConsoleLogAndHistoryAreKeptInTheInstallationFolder) {
    const std::string marker = "echo logged-" + std::to_string(GetTickCount());
    Start("-s");
    HWND window = WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    TypeCommand(window, marker);
    // The echo, then the engine's answer, each with its time.
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::string log = TodaysLog(folder);
            const size_t echo = log.find(" " + marker + "\r\n");
            return echo != std::string::npos &&
                   log.find(" " + marker.substr(5) + "\r\n", echo) != std::string::npos;
        },
        5000))
        << TodaysLog(folder);
    Quit(window);
    EXPECT_EQ(WaitForExit(), 0u);
    const std::string history =
        korvane::test::TempFolder::ReadFile(folder + "\\korvane\\history.txt");
    EXPECT_NE(history.find(marker + "\r\n"), std::string::npos) << history;

    // --no-console-log: the console shows the command, the log never gets it.
    const std::string unlogged = "echo unlogged-" + std::to_string(GetTickCount());
    Start("-s --no-console-log");
    window = WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    TypeCommand(window, unlogged);
    EXPECT_TRUE(WaitFor(
        [&] { return Text(GetDlgItem(window, 1000)).find(unlogged) != std::string::npos; }, 5000));
    Quit(window);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(TodaysLog(folder).find(unlogged), std::string::npos);
}

TEST_F(ProgramTest, OneCopyPerInstallationFolder) {
    Start("-s");
    HWND first = WaitForMainWindow();
    ASSERT_NE(first, nullptr);
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(first) != FALSE; }, 5000));

    // A second copy on the same folder brings the first one back and ends with code 3.
    Start("-s");
    EXPECT_EQ(WaitForExit(), 3u);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(first); }, 5000));

    // Another installation folder runs beside it.
    korvane::test::TempFolder other("second-installation");
    CopyInstallation(folder, other.Path());
    SetInstallDir(other.Path());
    Start("-s", other.Path());
    HWND second = WaitForMainWindow();
    EXPECT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_TRUE(IsWindow(first));
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);  // its files are free before the folder goes
}

// The stream types of a minidump file; empty when it is not one.
std::vector<ULONG32> DumpStreams(const std::string& dump, ULONG32& exceptionCode) {
    std::vector<ULONG32> types;
    MINIDUMP_HEADER header;
    if (dump.size() < sizeof header) return types;
    std::memcpy(&header, dump.data(), sizeof header);
    if (header.Signature != 0x504D444Du) return types;  // "MDMP"
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry;
        const size_t at = header.StreamDirectoryRva + i * sizeof entry;
        if (at + sizeof entry > dump.size()) break;
        std::memcpy(&entry, dump.data() + at, sizeof entry);
        types.push_back(entry.StreamType);
        MINIDUMP_EXCEPTION_STREAM exception;
        if (entry.StreamType == ExceptionStream &&
            entry.Location.Rva + sizeof exception <= dump.size()) {
            std::memcpy(&exception, dump.data() + entry.Location.Rva, sizeof exception);
            exceptionCode = exception.ExceptionRecord.ExceptionCode;
        }
    }
    return types;
}

TEST_F(ProgramTest, ACrashLeavesADumpAndTheNextStartSaysSo) {
    korvane::test::TempFolder copy("crashing-installation");
    CopyInstallation(folder, copy.Path());
    SetInstallDir(copy.Path());
    Start("-s", copy.Path());
    HWND window = WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    TypeCommand(window, "crashtick");
    // No error dialog holds the process: it ends by itself, with the exception's code.
    EXPECT_EQ(WaitForExit(), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((copy.Path() + "\\dumps\\korvane-1.0.5-*.dmp").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no dump written";
    FindClose(search);
    const std::string dumpPath = copy.Path() + "\\dumps\\" + found.cFileName;
    ULONG32 code = 0;
    const std::vector<ULONG32> streams =
        DumpStreams(korvane::test::TempFolder::ReadFile(dumpPath), code);
    for (ULONG32 type : {ThreadListStream, ModuleListStream, ExceptionStream, SystemInfoStream})
        EXPECT_NE(std::find(streams.begin(), streams.end(), type), streams.end()) << type;
    EXPECT_EQ(code, static_cast<ULONG32>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_NE(TodaysLog(copy.Path()).find("The server ended with exception 0xC0000005; dump: " +
                                          dumpPath),
              std::string::npos)
        << TodaysLog(copy.Path());

    // The next start tells the operator, once.
    Start("-s", copy.Path());
    window = WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    HWND pane = GetDlgItem(window, 1000);
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::string text = Text(pane);
            return text.find("The last run ended with exception 0xC0000005 at ") !=
                       std::string::npos &&
                   text.find("; dump: " + dumpPath) != std::string::npos;
        },
        10000))
        << Text(pane);
    Quit(window);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(GetFileAttributesA((copy.Path() + "\\korvane\\last-crash.txt").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProgramTest, AHungEngineLeavesTheWindowAnsweringAndIsLeftAlone) {
    korvane::test::TempFolder copy("hanging-installation");
    CopyInstallation(folder, copy.Path());
    SetInstallDir(copy.Path());
    Start("-s --hang-seconds 3", copy.Path());
    HWND window = WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    const auto saysHung = [&] {
        return Text(window).find("Korvane Server 1.0.5 - Engine not responding for ") == 0;
    };
    // The window goes on refreshing while the Tick hangs; the watchdog's bound passes.
    TypeCommand(window, "hangtick 8");
    EXPECT_TRUE(WaitFor(saysHung, 10000)) << Text(window);
    HWND pane = GetDlgItem(window, 1000);
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::string text = Text(pane);
            return text.find("The engine has not returned from its Tick since ") !=
                       std::string::npos &&
                   text.find("A dump of the process: " + copy.Path() + "\\dumps\\korvane-1.0.5-") !=
                       std::string::npos;
        },
        10000))
        << Text(pane);
    // Once the Tick returns the engine goes on, and the caption is the window's own again.
    EXPECT_TRUE(WaitFor([&] { return Text(window) == "Korvane Server 1.0.5"; }, 15000))
        << Text(window);

    // Quit while it hangs: the engine is never called again and the program ends with 5.
    TypeCommand(window, "hangtick 60");
    EXPECT_TRUE(WaitFor(saysHung, 10000)) << Text(window);
    Quit(window);
    EXPECT_EQ(WaitForExit(), 5u);
}

TEST_F(ProgramTest, ARestartStartsTheSuccessorAfterTheQuestionOrAHang) {
    korvane::test::TempFolder copy("restarting-installation");
    CopyInstallation(folder, copy.Path());
    SetInstallDir(copy.Path());
    ASSERT_TRUE(korvane::test::TempFolder::WriteFile(copy / "korvane\\schedule.cfg",
                                                     "restart_when_engine_stops=1\r\n"));
    Start("-s --hang-seconds 2", copy.Path());
    HWND window = WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    // Game > Restart Server, answered Yes: the program ends with 4 and its successor hosts.
    const DWORD first = process.dwProcessId;
    Confirm(window, 33056);
    EXPECT_EQ(WaitForExit(), 4u);
    window = FollowSuccessor(first);
    ASSERT_NE(window, nullptr);
    // A hang, with restarts after failures turned on: the successor's successor.
    const DWORD hanging = process.dwProcessId;
    TypeCommand(window, "hangtick 30");
    EXPECT_EQ(WaitForExit(), 4u);
    window = FollowSuccessor(hanging);
    ASSERT_NE(window, nullptr);
    Quit(window);
    EXPECT_EQ(WaitForExit(), 0u);
    const std::string records =
        korvane::test::TempFolder::ReadFile(copy / "korvane\\restarts.txt");
    EXPECT_NE(records.find(" requested\r\n"), std::string::npos) << records;
    EXPECT_NE(records.find(" hang\r\n"), std::string::npos) << records;
    const std::string log = TodaysLog(copy.Path());
    EXPECT_NE(log.find("Restart confirmed by the operator."), std::string::npos);
    EXPECT_NE(log.find("The engine hung: restarting the server."), std::string::npos);
}

TEST_F(ProgramTest, CancellingTheStartUpSheetWritesTheFileAndEnds) {
    Start("");
    HWND sheet = WaitForWindow("Server Settings");
    ASSERT_NE(sheet, nullptr);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_EQ(WaitForExit(), static_cast<DWORD>(IDCANCEL));
    EXPECT_TRUE(ConfigWritten());
}

TEST_F(ProgramTest, StartUpSheetAcceptedGoesOnToHosting) {
    Start("");
    HWND sheet = WaitForWindow("Server Settings");
    ASSERT_NE(sheet, nullptr);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    HWND window = WaitForWindow("Korvane Server 1.0.5");
    ASSERT_NE(window, nullptr);
    HWND pane = GetDlgItem(window, 1000);
    EXPECT_TRUE(
        WaitFor([&] { return Text(pane).find("worlds/antarctica") != std::string::npos; }, 10000));
    // The demo engine brings a few players within seconds.
    HWND list = GetDlgItem(window, 1001);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= 2; }, 15000));
    TerminateProcess(process.hProcess, 0);
}

}  // namespace
