// The real program on the demo installation, as an operator starts it: found through the
// registry, hosting the simulated engine, ticking at about 30 per second, and closing cleanly
// after the quit question.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/OtherProcess.h"

namespace {

std::string WindowsPath(std::string path) {
    // ctest hands over a Unix path; Wine maps the Unix root to drive Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string InstallDir() {
    const char* dir = std::getenv("KORVANE_INSTALL_DIR");
    return dir ? WindowsPath(dir) : std::string();
}

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
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Korvane", 0, nullptr, 0,
                                  KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "Install Dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>(folder.size() + 1));
        RegCloseKey(key);
        std::remove((folder + "\\korvane\\server.cfg").c_str());
    }
    void TearDown() override {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
    void Start(const char* arguments) {
        std::string command = "\"" + folder + "\\korvane-server.exe\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        // Started from another folder: the program must find its own through the registry.
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   temp, &startup, &process));
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
    bool ConfigWritten() {
        FILE* config = std::fopen((folder + "\\korvane\\server.cfg").c_str(), "rb");
        if (config) std::fclose(config);
        return config != nullptr;
    }

    std::string folder;
    PROCESS_INFORMATION process = {};
};

TEST_F(ProgramTest, HostsTheDemoEngineAndClosesAfterTheQuestion) {
    Start("-s");
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (window = FindProcessDialog(process.dwProcessId, nullptr)) != nullptr; },
        20000));
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
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(32773, 0), 0);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (question = FindProcessDialog(process.dwProcessId, window)) != nullptr; },
        5000));
    PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
    EXPECT_EQ(WaitForExit(), 0u);
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
