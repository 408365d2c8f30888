// Process start-up and the window program's composition.
#include "app/ServerApp.h"

#include <winsock2.h>
#include <commctrl.h>

#include <atomic>

#include "app/CrashDumps.h"
#include "app/ExitCodes.h"
#include "app/InstallFolder.h"
#include "app/RestartAddOn.h"
#include "app/Restarts.h"
#include "app/Switches.h"
#include "app/WebAddOn.h"
#include "console/ServerMainDialog.h"
#include "host/EngineHost.h"
#include "host/HangWatchdog.h"
#include "resources/resource.h"
#include "ui/SingleInstance.h"
#include "ui/Text.h"

namespace korvane {

namespace {

// How long a successor waits for the copy that started it to end.
constexpr DWORD kSuccessorWaitMs = 60000;

}  // namespace

ServerApp::~ServerApp() {
    if (socketsStarted_) WSACleanup();
}

bool ServerApp::InitInstance() {
    WSADATA data = {};
    if (startup_(MAKEWORD(1, 1), &data) == 0) {
        socketsStarted_ = true;
        // Any other version than the one asked for counts as failure.
        if (data.wVersion == MAKEWORD(1, 1)) {
            INITCOMMONCONTROLSEX controls = {
                sizeof controls,
                ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
            InitCommonControlsEx(&controls);
            return true;
        }
    }
    MessageBoxA(nullptr, ui::ProgramString(IDS_SOCKETS_INIT_FAILED).c_str(), nullptr,
                MB_OK | MB_ICONSTOP);
    return false;
}

int ServerApp::Run(const char* arguments) {
    // Read first: a file a switch names is relative to the folder the program was started in.
    const app::Switches switches = app::ParseSwitches(arguments ? arguments : "");
    // Everything from here on is found in the installation folder.
    const InstallFolder folder = EnterInstallFolder();
    // A second copy on the same folder would start a second engine on the same configuration
    // and files: it brings the running copy's window forward instead, and ends.
    ui::SingleInstance instance(".");
    // A successor waits for the copy that started it to go.
    if (!instance.IsFirst() && !(switches.successor && instance.WaitToBeFirst(kSuccessorWaitMs))) {
        instance.ActivateFirst();
        return app::kExitAlreadyRunning;
    }
    app::InstallCrashHandler({switches.dumps, switches.consoleLog, KORVANE_PROGRAM_VERSION});
    // The host and the web administration outlive the window: its end stops the listener,
    // then shuts the engine down.
    EngineHost host(nullptr, DescribeInstallFolder(folder));
    if (const auto lastCrash = app::TakeLastCrashReport()) {
        host.Note(*lastCrash);
        app::RecordRestart(app::RestartReason::Crash, app::UnixNow());
    }
    if (!switches.error.empty()) host.Note(switches.error);
    std::atomic<bool> hung{false};
    HangWatchdog watchdog(host, {switches.hangSeconds},
                          [&host, &hung](const RunningCall& call, uint64_t now) {
                              app::ReportHang(host, call, now);
                              hung = true;
                          });
    app::RestartControl restarts(host, app::ScheduleForRun(switches));
    web::WebAdmin webAdmin(host, switches.web);
    app::ConnectRestarts(webAdmin, restarts);
    app::WebAddOn webAddOn(webAdmin);
    ServerMainDialog window(host, !switches.skipSettings);
    app::RestartAddOn addOn(webAddOn, window, restarts, hung);
    window.SetAddOn(&addOn);
    window.Tools().MarkWindowFor(&instance);
    window.Tools().SetConsoleLog(switches.consoleLog);
    const INT_PTR result = window.DoModal();
    const bool clean = host.Shutdown();
    int code = result == ServerMainDialog::kStartFailed ? app::kExitStartupFailed : app::kExitOk;
    if (result == ServerMainDialog::kRestart && addOn.Reason()) {
        restarts.Restarting(*addOn.Reason());
        code = app::StartSuccessor(arguments ? arguments : "") ? app::kExitRestartRequested
                                                               : app::kExitSocketsFailed;
    }
    // An engine hung in a call cannot be shut down: the process ends around it, without
    // calling it again, once the window has written its files (and a successor is started).
    if (!clean)
        TerminateProcess(GetCurrentProcess(),
                         code == app::kExitRestartRequested ? code : app::kExitEngineHung);
    return code;
}

}  // namespace korvane
