// Process start-up and the modal run of the main window.
#include "host/ServerApp.h"

#include <winsock2.h>
#include <commctrl.h>

#include <cstring>

#include "console/ServerMainDialog.h"
#include "host/EngineHost.h"
#include "resources/resource.h"
#include "ui/SingleInstance.h"
#include "ui/Text.h"
#include "web/WebAdmin.h"

namespace korvane {

bool CommandLineSkipsSettings(const char* arguments) {
    if (!arguments || arguments[0] != '-') return false;
    return arguments[1] == 's' || arguments[1] == 'S';
}

bool CommandLineHasSwitch(const char* arguments, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* at = arguments; at && (at = std::strstr(at, name)); at += length) {
        const bool starts = at == arguments || at[-1] == ' ' || at[-1] == '\t';
        const char after = at[length];
        if (starts && (after == '\0' || after == ' ' || after == '\t')) return true;
    }
    return false;
}

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
    // Read before the host makes the installation folder the working folder, so that a
    // password file named relative to where the program was started is found.
    const web::WebAdminSwitches switches = web::WebAdmin::ReadSwitches(arguments);
    // The host and the web administration outlive the window: its end stops the listener,
    // then shuts the engine down. The host's construction enters the installation folder.
    EngineHost host;
    // A second copy on the same folder would start a second engine on the same configuration
    // and files: it brings the running copy's window forward instead, and ends.
    ui::SingleInstance instance(".");
    if (!instance.IsFirst()) {
        instance.ActivateFirst();
        return kExitAlreadyRunning;
    }
    web::WebAdmin webAdmin(host, switches);
    ServerMainDialog window(host, !CommandLineSkipsSettings(arguments));
    window.SetAddOn(&webAdmin);
    window.Tools().MarkWindowFor(&instance);
    window.Tools().SetConsoleLog(!CommandLineHasSwitch(arguments, "--no-console-log"));
    return static_cast<int>(window.DoModal());
}

}  // namespace korvane
