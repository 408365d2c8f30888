// korvane-console.exe as a Windows service, through the real program and the service manager:
// installed with its recovery actions, RUNNING only once the engine hosts and ticks, stopped
// cleanly (the engine detached, then released), a start-up failure stopped with the program's
// exit code, and removed. The installation is a copy of the build's, with the recording
// engine as its server.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ExitCodes.h"
#include "app/Service.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

namespace korvane::app {
namespace {

using test::TempFolder;
using test::WaitFor;

std::string WindowsPath(std::string path) {
    // ctest hands over a Unix path; Wine maps the Unix root to drive Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

struct Ran {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // standard output and standard error
};

class ServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* install = std::getenv("KORVANE_INSTALL_DIR");
        ASSERT_TRUE(install) << "KORVANE_INSTALL_DIR is not set";
        from = WindowsPath(install);
        CreateDirectoryA((folder / "korvane").c_str(), nullptr);
        CreateDirectoryA((folder / "worlds").c_str(), nullptr);
        for (const char* file : {"korvane-console.exe", "korvane\\cres.dll", "resource.txt",
                                 "worlds\\antarctica.dat", "worlds\\usa.dat"})
            ASSERT_TRUE(CopyFileA((from + "\\" + file).c_str(), (folder / file).c_str(), FALSE))
                << file;
        ASSERT_TRUE(CopyFileA((from + "\\..\\tests\\recording-server.dll").c_str(),
                              (folder / "server.dll").c_str(), FALSE));
        SetInstallDir(folder.Path());
        manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_TRUE(manager);
        Run("--uninstall-service " + name);  // what an interrupted run left
    }
    void TearDown() override {
        Run("--uninstall-service " + name);
        if (manager) CloseServiceHandle(manager);
        SetInstallDir(from);  // where the other program tests expect it
    }

    Ran Run(const std::string& arguments) {
        Ran ran;
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        // A file of its own for each run: a helper process of Wine's may hold the last one.
        const std::string outputFile = folder / ("output-" + std::to_string(++runs) + ".txt");
        HANDLE output = CreateFileA(outputFile.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0,
                                    nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        std::string command = "\"" + (folder / "korvane-console.exe") + "\" " + arguments;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &startup, &process)) {
            if (WaitForSingleObject(process.hProcess, 60000) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            GetExitCodeProcess(process.hProcess, &ran.exitCode);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        CloseHandle(output);
        ran.output = TempFolder::ReadFile(outputFile);
        return ran;
    }

    SERVICE_STATUS_PROCESS Status() {
        SERVICE_STATUS_PROCESS status = {};
        DWORD needed = 0;
        SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS);
        QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                             sizeof status, &needed);
        CloseServiceHandle(service);
        return status;
    }

    // Starts the service and follows it until it runs or stops; the states seen, in order.
    std::vector<DWORD> StartAndFollow(std::string& callsWhenRunning) {
        SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_START);
        EXPECT_TRUE(service && StartServiceA(service, 0, nullptr)) << GetLastError();
        if (service) CloseServiceHandle(service);
        std::vector<DWORD> seen;
        WaitFor(
            [&] {
                const SERVICE_STATUS_PROCESS status = Status();
                if (seen.empty() || seen.back() != status.dwCurrentState) seen.push_back(status.dwCurrentState);
                if (status.dwCurrentState == SERVICE_RUNNING)
                    callsWhenRunning = TempFolder::ReadFile(folder / "engine-calls.txt");
                return status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_STOPPED;
            },
            30000);
        return seen;
    }

    bool WaitUntilStopped() {
        return WaitFor([&] { return Status().dwCurrentState == SERVICE_STOPPED; }, 30000);
    }

    static void SetInstallDir(const std::string& value) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Korvane", 0, nullptr, 0,
                            KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(key, "Install Dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }

    // The recovery actions as the service manager gives them back, or, where it keeps none
    // (Wine's), as written where Windows keeps them, in the same layout with offsets for
    // pointers: reset period, each action's type and delay, then the non-crash flag.
    std::vector<DWORD> RecoveryActions() {
        alignas(SERVICE_FAILURE_ACTIONSA) BYTE buffer[1024] = {};
        auto* actions = reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(buffer);
        DWORD size = sizeof buffer, flag = 0, flagSize = sizeof flag;
        SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_CONFIG);
        if (!QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, buffer, size, &size) ||
            !QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG,
                                  reinterpret_cast<BYTE*>(&flag), flagSize, &flagSize)) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
            const std::string key = "SYSTEM\\CurrentControlSet\\Services\\" + name;
            size = sizeof buffer;
            RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "FailureActions", RRF_RT_REG_BINARY,
                         nullptr, buffer, &size);
            RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "FailureActionsOnNonCrashFailures",
                         RRF_RT_REG_DWORD, nullptr, &flag, &flagSize);
            actions->lpsaActions = reinterpret_cast<SC_ACTION*>(buffer + sizeof *actions);
            actions->cActions = std::min<DWORD>(actions->cActions, 8);
        }
        CloseServiceHandle(service);
        std::vector<DWORD> found = {actions->dwResetPeriod};
        for (DWORD i = 0; i < actions->cActions; ++i) {
            found.push_back(actions->lpsaActions[i].Type);
            found.push_back(actions->lpsaActions[i].Delay);
        }
        found.push_back(flag);
        return found;
    }

    std::string name = "KorvaneServiceTest";
    TempFolder folder{"service"};
    std::string from;  // the build's installation
    SC_HANDLE manager = nullptr;
    int runs = 0;
};

TEST_F(ServiceTest, RunsUnderTheServiceManagerFromInstallToRemoval) {
    const Ran install = Run("--install-service " + name);
    ASSERT_EQ(install.exitCode, static_cast<DWORD>(kExitOk)) << install.output;
    const Ran again = Run("--install-service " + name);
    EXPECT_EQ(again.exitCode, static_cast<DWORD>(kExitServiceFailed));
    EXPECT_NE(again.output.find("already installed"), std::string::npos) << again.output;

    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_CONFIG);
    ASSERT_TRUE(service);
    BYTE buffer[4096] = {};
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
    ASSERT_TRUE(QueryServiceConfigA(service, config, sizeof buffer, &needed));
    CloseServiceHandle(service);
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_STREQ(config->lpBinaryPathName,
                 ("\"" + (folder / "korvane-console.exe") + "\" --service \"" + name + "\"").c_str());
    // The account the install command named is the one the service has.
    const std::string account = config->lpServiceStartName ? config->lpServiceStartName : "";
    EXPECT_NE(install.output.find("Account: " + account + "\r\n"), std::string::npos)
        << account << "\n" << install.output;
    const std::vector<DWORD> recovery = {600,
                                         SC_ACTION_RESTART, 10000,
                                         SC_ACTION_RESTART, 10000,
                                         SC_ACTION_RESTART, 30000,
                                         SC_ACTION_RESTART, 60000,
                                         SC_ACTION_NONE, 0,
                                         TRUE};
    EXPECT_EQ(RecoveryActions(), recovery);

    // RUNNING only once the engine hosts and has ticked.
    std::string callsWhenRunning;
    const std::vector<DWORD> states = StartAndFollow(callsWhenRunning);
    ASSERT_EQ(states.back(), static_cast<DWORD>(SERVICE_RUNNING))
        << TempFolder::ReadFile(folder / "logs\\service.log");
    EXPECT_NE(callsWhenRunning.find("\nStartSession\n"), std::string::npos) << callsWhenRunning;
    EXPECT_NE(callsWhenRunning.find("\nTick\n"), std::string::npos) << callsWhenRunning;
    EXPECT_EQ(Status().dwControlsAccepted,
              static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN |
                                 SERVICE_ACCEPT_PRESHUTDOWN));

    // Stopped cleanly: the engine detached, then released; exit code 0.
    SERVICE_STATUS stopping = {};
    service = OpenServiceA(manager, name.c_str(), SERVICE_STOP);
    ASSERT_TRUE(service && ControlService(service, SERVICE_CONTROL_STOP, &stopping));
    CloseServiceHandle(service);
    ASSERT_TRUE(WaitUntilStopped());
    EXPECT_EQ(Status().dwWin32ExitCode, static_cast<DWORD>(NO_ERROR));
    const std::string calls = TempFolder::ReadFile(folder / "engine-calls.txt");
    const size_t detached = calls.find("\nAttachHost null\n");
    ASSERT_NE(detached, std::string::npos) << calls;
    EXPECT_EQ(calls.substr(detached), "\nAttachHost null\nReleaseEngine\n");

    const Ran removal = Run("--uninstall-service " + name);
    EXPECT_EQ(removal.exitCode, static_cast<DWORD>(kExitOk)) << removal.output;
    service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS);
    EXPECT_FALSE(service);
    if (service) CloseServiceHandle(service);
}

TEST_F(ServiceTest, AStartUpFailureStopsWithTheProgramsExitCode) {
    name = "KorvaneServiceFailing";
    ASSERT_TRUE(DeleteFileA((folder / "server.dll").c_str()));
    ASSERT_EQ(Run("--install-service " + name).exitCode, static_cast<DWORD>(kExitOk));
    std::string callsWhenRunning;
    const std::vector<DWORD> states = StartAndFollow(callsWhenRunning);
    EXPECT_EQ(std::count(states.begin(), states.end(), SERVICE_RUNNING), 0);
    ASSERT_TRUE(WaitUntilStopped());
    const SERVICE_STATUS_PROCESS status = Status();
    EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
    EXPECT_EQ(status.dwServiceSpecificExitCode, static_cast<DWORD>(kExitStartupFailed));
    // Without a console, why it failed is in the service's log.
    const std::string log = TempFolder::ReadFile(folder / "logs\\service.log");
    EXPECT_NE(log.find("server.dll"), std::string::npos) << log;
}

// The command line the service manager is to start, from the install command's switches:
// the name (given or the default) and the switches that hold for every run.
TEST(ServiceCommandLine, CarriesTheNameAndTheSwitchesThatHoldForEveryRun) {
    struct Row {
        const char* install;
        const char* command;  // after the quoted program; empty: the name is refused
    };
    const Row rows[] = {
        {"--install-service", "--service \"KorvaneServer\""},
        {"--install-service Game2", "--service \"Game2\""},
        {"--install-service=Game2", "--service \"Game2\""},
        {"--install-service --no-console-log", "--service \"KorvaneServer\" --no-console-log"},
        {"--install-service --no-dumps --hang-seconds 30 --restart-at 18:00,6:00",
         "--service \"KorvaneServer\" --no-dumps --hang-seconds 30 --restart-at 06:00,18:00"},
        {"--webadmin 0.0.0.0:8080 --install-service \"Game 2\" --webadmin-host Game.Example",
         "--service \"Game 2\" --webadmin 0.0.0.0:8080 --webadmin-host game.example"},
        {"--install-service a/b", ""},
        {"--install-service a\\b", ""},
    };
    for (const Row& row : rows) {
        const Switches switches = ParseSwitches(row.install);
        EXPECT_EQ(switches.service.command, ServiceSwitches::Command::Install) << row.install;
        std::string error;
        const std::string name = ServiceName(switches.service, error);
        EXPECT_EQ(name.empty(), *row.command == '\0') << row.install;
        if (!name.empty()) {
            EXPECT_EQ(ServiceCommandLine("P", name, switches), std::string("\"P\" ") + row.command)
                << row.install;
        }
    }
    EXPECT_EQ(ParseSwitches("-s --webadmin 127.0.0.1:80").service.command,
              ServiceSwitches::Command::None);
}

// The virtual account's security identifier, as Windows derives it from the service's name.
TEST(ServiceSidText, IsDerivedFromTheNameInUpperCase) {
    const char* installer = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    EXPECT_EQ(ServiceSidText("TrustedInstaller"), installer);
    EXPECT_EQ(ServiceSidText("trustedinstaller"), installer);
}

}  // namespace
}  // namespace korvane::app
