// The web administration inside the program: its settings for the run (the file as the
// command-line switches change them), the console ring fed with the lines the main window's
// pane receives, the listener over the engine host, and Game > Web Administration.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "console/MainWindowAddOn.h"
#include "host/EngineHost.h"
#include "web/CommandLine.h"
#include "web/ConsoleRing.h"
#include "web/HostAdminBackend.h"
#include "web/WebAdminDialog.h"
#include "web/WebServer.h"

namespace korvane::web {

class WebAdmin final : public MainWindowAddOn {
  public:
    // The switches of `arguments`, with a password file's name made absolute: read them before
    // the host's construction changes the working folder.
    static WebAdminSwitches ReadSwitches(const char* arguments);

    // Reads `configPath` (relative to the installation folder, which the host has made the
    // working folder) and the switches' password file; a problem with either goes to the
    // console, and web administration stays off for the run.
    WebAdmin(EngineHost& host, const WebAdminSwitches& switches,
             std::string configPath = kWebConfigPath);
    ~WebAdmin() = default;
    WebAdmin(const WebAdmin&) = delete;
    WebAdmin& operator=(const WebAdmin&) = delete;

    void HostingStarted() override;
    void PaneLines(const std::vector<std::string>& lines) override;
    void ConsoleLogState(const char* state) override { backend_.SetConsoleLogState(state); }
    bool OnCommand(HWND window, int id) override;
    void WindowClosing() override;

    // What the dialog's OK does with its settings: saves what the operator changed in it (a
    // setting a switch forced for this run is not the operator's choice) and starts, restarts
    // or stops the listener.
    WebAdminDialog::ApplyResult Apply(const WebConfig& shown);

    const WebConfig& RunConfig() const { return run_; }
    const ConsoleRing& Console() const { return ring_; }
    int Port() const { return server_.Port(); }

  private:
    // A login re-hashed the stored password (on a listener thread): the file gets the new hash.
    void Rehashed(const PasswordRecord& before, const PasswordRecord& after);

    EngineHost& host_;
    std::string configPath_;
    std::mutex storedMutex_;  // the file and stored_, written from the dialog and the listener
    WebConfig stored_;        // as in the file
    WebConfig run_;           // in force for this run (the window thread's)
    ConsoleRing ring_;
    HostAdminBackend backend_;
    WebServer server_;
};

}  // namespace korvane::web
