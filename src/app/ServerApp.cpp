// Process start-up and the window program's composition.
#include "app/ServerApp.h"

#include <winsock2.h>
#include <commctrl.h>

#include "app/CrashDumps.h"
#include "app/ExitCodes.h"
#include "app/InstallFolder.h"
#include "app/Switches.h"
#include "app/WebAddOn.h"
#include "console/ServerMainDialog.h"
#include "host/EngineHost.h"
#include "host/HangWatchdog.h"
#include "resources/resource.h"
#include "ui/SingleInstance.h"
#include "ui/Text.h"

namespace korvane {

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
    if (!instance.IsFirst()) {
        instance.ActivateFirst();
        return app::kExitAlreadyRunning;
    }
    app::InstallCrashHandler({switches.dumps, switches.consoleLog, KORVANE_PROGRAM_VERSION});
    // The host and the web administration outlive the window: its end stops the listener,
    // then shuts the engine down.
    EngineHost host(nullptr, DescribeInstallFolder(folder));
    if (const auto lastCrash = app::TakeLastCrashReport()) host.Note(*lastCrash);
    if (!switches.error.empty()) host.Note(switches.error);
    HangWatchdog watchdog(host, {switches.hangSeconds},
                          [&host](const RunningCall& call, uint64_t now) {
                              app::ReportHang(host, call, now);
                          });
    web::WebAdmin webAdmin(host, switches.web);
    app::WebAddOn addOn(webAdmin);
    ServerMainDialog window(host, !switches.skipSettings);
    window.SetAddOn(&addOn);
    window.Tools().MarkWindowFor(&instance);
    window.Tools().SetConsoleLog(switches.consoleLog);
    const INT_PTR result = window.DoModal();
    // An engine hung in a call cannot be shut down: the process ends around it, without
    // calling it again, once the window has written its files.
    if (!host.Shutdown()) TerminateProcess(GetCurrentProcess(), app::kExitEngineHung);
    return result == ServerMainDialog::kStartFailed ? app::kExitStartupFailed : app::kExitOk;
}

}  // namespace korvane
