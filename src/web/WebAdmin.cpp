// The web administration's place in the program: settings for the run, the console ring, the
// listener's start and stop, and its dialog.
#include "web/WebAdmin.h"

#include <windows.h>

#include "console/ConsoleBuffer.h"
#include "resources/resource.h"
#include "web/WebAdminDialog.h"

namespace korvane::web {

WebAdminSwitches WebAdmin::ReadSwitches(const char* arguments) {
    WebAdminSwitches switches = ParseWebAdminSwitches(arguments ? arguments : "");
    if (!switches.passwordFile.empty()) {
        char full[MAX_PATH] = {};
        const DWORD length =
            GetFullPathNameA(switches.passwordFile.c_str(), sizeof full, full, nullptr);
        if (length > 0 && length < sizeof full) switches.passwordFile = full;
    }
    return switches;
}

WebAdmin::WebAdmin(EngineHost& host, const WebAdminSwitches& switches, std::string configPath)
    : host_(host),
      configPath_(std::move(configPath)),
      stored_(LoadWebConfig(configPath_)),
      backend_(host),
      server_(backend_, ring_) {
    std::string message;
    run_ = ConfigForRun(stored_, switches, message);
    if (!message.empty()) host_.Note(message);
}

void WebAdmin::HostingStarted() {
    if (run_.enabled) server_.Start(run_);
}

void WebAdmin::PaneLines(const std::vector<std::string>& lines) {
    // Exactly what the pane shows of each line: a line the pane leaves out is left out here.
    for (const std::string& line : lines) {
        const std::string shown = FormatConsoleLine(line);
        if (!shown.empty()) ring_.Append(shown);
    }
}

bool WebAdmin::OnCommand(HWND window, int id) {
    if (id != IDM_WEB_ADMIN) return false;
    WebAdminDialog dialog(window, run_, [this](const WebConfig& shown) { return Apply(shown); });
    dialog.DoModal();
    return true;
}

void WebAdmin::WindowClosing() {
    server_.Stop();
}

std::string WebAdmin::Apply(const WebConfig& shown) {
    WebConfig toStore = shown;
    // A password from a switch's file holds for this run only: unless the operator typed a
    // new one, the file keeps its own.
    if (shown.password == run_.password) toStore.password = stored_.password;
    if (!SaveWebConfig(toStore, configPath_))
        return "The settings could not be written to " + configPath_ + ".";
    stored_ = std::move(toStore);

    // Unchanged settings leave a running listener alone, and with it everyone's session.
    const bool unchanged = shown == run_ && server_.Listening();
    run_ = shown;
    if (!run_.enabled) {
        server_.Stop();
        return {};
    }
    if (unchanged) return {};
    const StartResult started = server_.Start(run_);
    return started.listening ? std::string() : started.message;
}

}  // namespace korvane::web
