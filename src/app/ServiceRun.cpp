// korvane-console.exe under the service manager: the server runs on the service's thread while
// the manager hears how far start-up has come; a stop, shut-down or pre-shut-down ends it the
// way Ctrl+C ends the console program.
#include "app/Service.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "app/ConsoleProgram.h"
#include "app/ExitCodes.h"
#include "ui/Handles.h"

namespace korvane::app {

namespace {

// How long the manager is asked to wait for the program's first steps, before the start-up
// sequence says how long each of its own takes.
constexpr DWORD kFirstWaitHintMs = 10000;

class ServiceRun {
  public:
    ServiceRun(const std::string& name, const Switches& switches)
        : name_(name), switches_(switches), stopEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    // ServiceMain: the whole life of the service, on the thread the dispatcher gives it.
    void Run();
    int ExitCode() const { return exitCode_; }

    static DWORD WINAPI Control(DWORD control, DWORD, LPVOID, LPVOID context) {
        try {
            return static_cast<ServiceRun*>(context)->OnControl(control);
        } catch (...) {
            return ERROR_CALL_NOT_IMPLEMENTED;
        }
    }

  private:
    DWORD OnControl(DWORD control);
    // Tells the manager the state; a state that is already over (start-up once running or
    // stopping, anything after stopped) is left untold.
    void Report(DWORD state, DWORD waitHintMs, int exitCode = kExitOk);
    void KeepStandardErrorInLog();
    void Note(const std::string& line);

    std::string name_;
    const Switches& switches_;
    ui::Handle stopEvent_;
    ui::Handle errorLog_;  // logs\service.log, the service's standard error
    SERVICE_STATUS_HANDLE status_ = nullptr;
    std::mutex mutex_;
    DWORD state_ = 0;  // none told yet
    DWORD checkpoint_ = 0;
    int exitCode_ = kExitOk;
};

// The dispatcher calls ServiceMain without a context: the one service of the process.
ServiceRun* g_service = nullptr;

void WINAPI ServiceMain(DWORD, LPSTR*) {
    try {
        if (g_service) g_service->Run();
    } catch (...) {
        // Nothing more to tell: the manager sees the process end.
    }
}

void ServiceRun::Run() {
    status_ = RegisterServiceCtrlHandlerExA(name_.c_str(), &ServiceRun::Control, this);
    if (!status_) {
        exitCode_ = kExitServiceFailed;
        return;
    }
    Report(SERVICE_START_PENDING, kFirstWaitHintMs);
    try {
        // A service starts in the system folder; the program's own folder is the installation
        // folder unless the registry names another.
        SetCurrentDirectoryA(ProgramFolder().c_str());
        KeepStandardErrorInLog();
        Note("The service " + name_ + " is starting.");
        UnattendedHooks hooks;
        hooks.starting = [this](unsigned waitHintMs) { Report(SERVICE_START_PENDING, waitHintMs); };
        hooks.ready = [this] { Report(SERVICE_RUNNING, 0); };
        UnattendedOptions options;
        options.toStandardOutput = false;
        options.readStandardInput = false;
        exitCode_ = stopEvent_ ? RunUnattended(switches_, stopEvent_.Get(), hooks, options)
                               : kExitSocketsFailed;
    } catch (...) {
        exitCode_ = kExitSocketsFailed;
    }
    Note("The service " + name_ + " stopped with exit code " + std::to_string(exitCode_) + ".");
    Report(SERVICE_STOPPED, 0, exitCode_);
}

DWORD ServiceRun::OnControl(DWORD control) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
        case SERVICE_CONTROL_PRESHUTDOWN:
            Report(SERVICE_STOP_PENDING, kServiceStopWaitHintMs);
            SetEvent(stopEvent_.Get());
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void ServiceRun::Report(DWORD state, DWORD waitHintMs, int exitCode) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool over = state_ == SERVICE_STOPPED ||
                      (state_ == SERVICE_RUNNING && state == SERVICE_START_PENDING) ||
                      (state_ == SERVICE_STOP_PENDING && state != SERVICE_STOP_PENDING &&
                       state != SERVICE_STOPPED);
    if (over) return;
    if (state != state_) checkpoint_ = 0;
    state_ = state;
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    // Stopping is offered once the server runs: a start-up is short, and ends on its own.
    status.dwControlsAccepted =
        state == SERVICE_RUNNING
            ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN
            : 0;
    // A non-zero code is a failure to the manager, so its recovery actions apply.
    status.dwWin32ExitCode = exitCode == kExitOk ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = static_cast<DWORD>(exitCode);
    status.dwCheckPoint = pending ? ++checkpoint_ : 0;
    status.dwWaitHint = pending ? waitHintMs : 0;
    SetServiceStatus(status_, &status);
}

// A service has no console: what the program says about itself (a start-up failure, a second
// copy) goes to logs\service.log beside the console log.
void ServiceRun::KeepStandardErrorInLog() {
    const std::string logs = ProgramFolder() + "\\logs";
    CreateDirectoryA(logs.c_str(), nullptr);
    errorLog_.Reset(CreateFileA((logs + "\\service.log").c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (errorLog_) SetStdHandle(STD_ERROR_HANDLE, errorLog_.Get());
}

void ServiceRun::Note(const std::string& line) {
    if (!errorLog_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    const std::string text = stamp + line + "\r\n";
    DWORD written = 0;
    WriteFile(errorLog_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int RunAsService(const std::string& name, const Switches& switches) {
    ServiceRun service(name, switches);
    g_service = &service;
    SERVICE_TABLE_ENTRYA table[] = {{const_cast<char*>(name.c_str()), &ServiceMain},
                                    {nullptr, nullptr}};
    const bool dispatched = StartServiceCtrlDispatcherA(table);
    const DWORD error = GetLastError();
    g_service = nullptr;
    if (dispatched) return service.ExitCode();
    if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
        std::fprintf(stderr,
                     "--service is for the service manager, which starts the program with it. "
                     "Start the service with: sc start %s; or leave --service out to run the "
                     "server in this console.\n",
                     name.c_str());
    else
        std::fprintf(stderr, "The service manager did not take the service (error %lu).\n",
                     error);
    return kExitServiceFailed;
}

}  // namespace korvane::app
