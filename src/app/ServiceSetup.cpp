// Registering korvane-console.exe as a service of its installation folder, and removing it.
#include "app/Service.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/ExitCodes.h"
#include "app/InstallFolder.h"
#include "app/RestartSchedule.h"
#include "app/ServiceParts.h"
#include "ui/Handles.h"
#include "ui/SystemError.h"

namespace korvane::app {

namespace {

// An open service manager or service, closed when the owner goes.
struct ServiceHandleTraits {
    using Type = SC_HANDLE;
    static bool Valid(SC_HANDLE handle) { return handle != nullptr; }
    static void Close(SC_HANDLE handle) { CloseServiceHandle(handle); }
};
using ServiceHandle = ui::Owned<ServiceHandleTraits>;

std::string DisplayName(const std::string& name) {
    return name == kDefaultServiceName ? std::string("Korvane Server")
                                       : "Korvane Server (" + name + ")";
}

// Being refused by the service manager is almost always a command prompt that was not started
// as an administrator.
int NeedsAdministrator(const std::string& doing) {
    Complain(doing + " needs administrator rights: run it from a command prompt started with "
                     "\"Run as administrator\".");
    return kExitNeedsAdministrator;
}

// The service manager with `access`; null after telling the operator why.
ServiceHandle OpenManager(DWORD access, const std::string& doing, int& exitCode) {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, access));
    if (!manager) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
            exitCode = NeedsAdministrator(doing);
        } else {
            Complain(doing + ": the service manager cannot be opened: " + Describe(error) + ".");
            exitCode = kExitServiceFailed;
        }
    }
    return manager;
}

// Creates the service, preferring the virtual account; `account` says which one it got.
ServiceHandle CreateTheService(SC_HANDLE manager, const std::string& name,
                               const std::string& command, std::string& account, DWORD& error) {
    account = "NT SERVICE\\" + name;
    ServiceHandle service(CreateServiceA(manager, name.c_str(), DisplayName(name).c_str(),
                                         SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                         SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                         command.c_str(), nullptr, nullptr, nullptr,
                                         account.c_str(), nullptr));
    error = service ? ERROR_SUCCESS : GetLastError();
    if (service || error == ERROR_SERVICE_EXISTS || error == ERROR_DUPLICATE_SERVICE_NAME ||
        error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_NAME)
        return service;
    Complain("The service manager refused the virtual account " + account + ": " +
             Describe(error) + ". Installing under its default account, LocalSystem, instead.");
    account = "LocalSystem";
    service.Reset(CreateServiceA(manager, name.c_str(), DisplayName(name).c_str(),
                                 SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                 SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, nullptr,
                                 nullptr, nullptr));
    error = service ? ERROR_SUCCESS : GetLastError();
    return service;
}

// The service runs the server where "Install Dir" points, as every start of the program does;
// the folders above are the program's own. Says so when the two differ.
void WarnOfAnotherInstallFolder() {
    const InstallFolder folder = EnterInstallFolder();
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(folder.named.c_str(), sizeof full, full, nullptr);
    std::string named(full, length < sizeof full ? length : 0);
    while (named.size() > 3 && (named.back() == '\\' || named.back() == '/')) named.pop_back();
    if (folder.source == InstallFolder::Source::Registry &&
        lstrcmpiA(named.c_str(), ProgramFolder().c_str()) != 0)
        Complain("Note: the registry value \"Install Dir\" names " + folder.named +
                 ", so the service will run the server there, not in " + ProgramFolder() +
                 ". Point it here (the setup program does), or install the service from there.");
}

int Install(const std::string& name, const Switches& switches) {
    if (!switches.web.error.empty()) {
        Complain(switches.web.error);
        return kExitServiceFailed;
    }
    int exitCode = kExitOk;
    const std::string doing = "Installing the service " + name;
    const ServiceHandle manager =
        OpenManager(SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE, doing, exitCode);
    if (!manager) return exitCode;
    const std::string command = ServiceCommandLine(ProgramFile(), name, switches);
    std::string account;
    DWORD error = ERROR_SUCCESS;
    const ServiceHandle service = CreateTheService(manager.Get(), name, command, account, error);
    if (!service) {
        if (error == ERROR_ACCESS_DENIED) return NeedsAdministrator(doing);
        if (error == ERROR_SERVICE_EXISTS || error == ERROR_DUPLICATE_SERVICE_NAME)
            Complain("A service named " + name + " is already installed. Remove it first with: "
                     "korvane-console.exe --uninstall-service " + name);
        else
            Complain(doing + " failed: " + Describe(error) + ".");
        return kExitServiceFailed;
    }
    std::string description = "Korvane dedicated game server in " + ProgramFolder() +
                              ", without a window. Its console log is in the folder's logs.";
    SERVICE_DESCRIPTIONA text = {description.data()};
    ChangeServiceConfig2A(service.Get(), SERVICE_CONFIG_DESCRIPTION, &text);
    if (account != "LocalSystem") {
        // A virtual account is a service SID; Windows wants the service to carry it in full.
        SERVICE_SID_INFO sidInfo = {SERVICE_SID_TYPE_UNRESTRICTED};
        ChangeServiceConfig2A(service.Get(), SERVICE_CONFIG_SERVICE_SID_INFO, &sidInfo);
    }
    // Time for the clean stop when Windows shuts down (its own default may be shorter).
    SERVICE_PRESHUTDOWN_INFO preshutdown = {kServiceStopWaitHintMs + 10000};
    ChangeServiceConfig2A(service.Get(), SERVICE_CONFIG_PRESHUTDOWN_INFO, &preshutdown);
    Say("Installed the service " + name + " (" + DisplayName(name) +
        "), started automatically with Windows, running " + command);
    Say("Account: " + account);
    SetRecoveryActions(service.Get(), name);
    if (account != "LocalSystem") GrantWritableFolders(name, account);
    WarnOfAnotherInstallFolder();
    Say("Start it now with: sc start " + name);
    return kExitOk;
}

// The account a service runs under, as the service manager has it; empty when unknown.
std::string ServiceAccount(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfigA(service, nullptr, 0, &needed);
    if (needed < sizeof(QUERY_SERVICE_CONFIGA)) return {};
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!QueryServiceConfigA(service, config, needed, &needed) || !config->lpServiceStartName)
        return {};
    return config->lpServiceStartName;
}

// Asks a running service to stop and waits, bounded, until it has.
bool StopAndWait(SC_HANDLE service, const std::string& name) {
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    auto query = [&] {
        return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO,
                                    reinterpret_cast<BYTE*>(&status), sizeof status, &needed);
    };
    if (!query() || status.dwCurrentState == SERVICE_STOPPED) return true;
    SERVICE_STATUS plain = {};
    if (status.dwCurrentState != SERVICE_STOP_PENDING &&
        !ControlService(service, SERVICE_CONTROL_STOP, &plain)) {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE)
            Complain("Could not stop the service " + name + ": " + Describe(error) + ".");
    }
    Say("Stopping the service " + name + "...");
    // The service's own wait hint, with room for a slow engine.
    const DWORD bound = kServiceStopWaitHintMs + 10000;
    const DWORD start = GetTickCount();
    while (query() && status.dwCurrentState != SERVICE_STOPPED) {
        if (GetTickCount() - start > bound) return false;
        Sleep(250);
    }
    return true;
}

int Uninstall(const std::string& name) {
    int exitCode = kExitOk;
    const std::string doing = "Removing the service " + name;
    const ServiceHandle manager = OpenManager(SC_MANAGER_CONNECT, doing, exitCode);
    if (!manager) return exitCode;
    const ServiceHandle service(OpenServiceA(manager.Get(), name.c_str(),
                                             SERVICE_STOP | SERVICE_QUERY_STATUS |
                                                 SERVICE_QUERY_CONFIG | DELETE));
    if (!service) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) return NeedsAdministrator(doing);
        Complain(error == ERROR_SERVICE_DOES_NOT_EXIST
                     ? "No service named " + name + " is installed."
                     : doing + " failed: " + Describe(error) + ".");
        return kExitServiceFailed;
    }
    const std::string account = ServiceAccount(service.Get());
    if (!StopAndWait(service.Get(), name))
        Complain("The service " + name + " did not stop in time; it is removed once it stops.");
    if (!DeleteService(service.Get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
        Complain(doing + " failed: " + Describe(GetLastError()) + ".");
        return kExitServiceFailed;
    }
    if (account.rfind("NT SERVICE\\", 0) == 0) RevokeWritableFolders(name);
    Say("Removed the service " + name + ".");
    return kExitOk;
}

}  // namespace

std::string ProgramFile() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

std::string ProgramFolder() {
    const std::string file = ProgramFile();
    const size_t slash = file.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

std::string ServiceName(const ServiceSwitches& service, std::string& error) {
    if (service.name.empty()) return kDefaultServiceName;
    // The service manager's rule (no slashes, at most 256 characters), and no quotes, which
    // would break the command line it starts.
    bool usable = service.name.size() <= 256;
    for (char c : service.name)
        if (c == '/' || c == '\\' || c == '"' || static_cast<unsigned char>(c) < ' ')
            usable = false;
    if (usable) return service.name;
    error = "A service name is at most 256 characters, without / \\ or quotes: \"" +
            service.name + "\" cannot be used.";
    return {};
}

std::string ServiceCommandLine(const std::string& program, const std::string& name,
                               const Switches& switches) {
    std::string command = "\"" + program + "\" --service \"" + name + "\"";
    if (!switches.consoleLog) command += " --no-console-log";
    if (!switches.dumps) command += " --no-dumps";
    if (switches.hangSeconds != Switches().hangSeconds)
        command += " --hang-seconds " + std::to_string(switches.hangSeconds);
    if (switches.restartAt) {
        std::string times = FormatTimesOfDay(*switches.restartAt);
        std::erase(times, ' ');  // one argument
        command += " --restart-at " + times;
    }
    const web::WebAdminSwitches& web = switches.web;
    if (web.listen) command += " --webadmin " + web.address + ":" + std::to_string(web.port);
    if (!web.passwordFile.empty())
        command += " --webadmin-password-file \"" + web.passwordFile + "\"";
    if (!web.hostName.empty()) command += " --webadmin-host " + web.hostName;
    if (!web.metricsTokenFile.empty())
        command += " --metrics-token-file \"" + web.metricsTokenFile + "\"";
    return command;
}

int RunServiceCommand(const Switches& switches) {
    if (switches.service.command == ServiceSwitches::Command::None) return -1;
    std::string error;
    const std::string name = ServiceName(switches.service, error);
    if (name.empty()) {
        Complain(error);
        return kExitServiceFailed;
    }
    switch (switches.service.command) {
        case ServiceSwitches::Command::Install:
            return Install(name, switches);
        case ServiceSwitches::Command::Uninstall:
            return Uninstall(name);
        case ServiceSwitches::Command::Run:
        default:
            return RunAsService(name, switches);
    }
}

}  // namespace korvane::app
