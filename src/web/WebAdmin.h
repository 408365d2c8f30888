// The web administration inside the program: its settings for the run (the file as the
// command-line switches change them), the console ring fed by the host's hand-over, the
// listener over the engine host, and Game > Web Administration.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "host/EngineHost.h"
#include "web/CommandLine.h"
#include "web/ConsoleRing.h"
#include "web/History.h"
#include "web/HistorySampler.h"
#include "web/HostAdminBackend.h"
#include "web/RconConfig.h"
#include "web/RconServer.h"
#include "web/Metrics.h"
#include "web/WebAdminDialog.h"
#include "web/WebServer.h"

namespace korvane::web {

class WebAdmin final {
  public:
    // Reads `configPath` (relative to the installation folder, which the program has made the
    // working folder) and the switches' password file; a problem with either goes to the
    // console, and web administration stays off for the run.
    WebAdmin(EngineHost& host, const WebAdminSwitches& switches,
             std::string configPath = kWebConfigPath, std::string rconPath = kRconConfigPath);
    ~WebAdmin();
    WebAdmin(const WebAdmin&) = delete;
    WebAdmin& operator=(const WebAdmin&) = delete;

    // Hosting has begun: the history's sampling starts, and the listener when the settings
    // for the run say so.
    void HostingStarted();
    // The console log's state: "writing", "off" or "stopped" (a string literal, kept).
    void SetConsoleLogState(const char* state) { backend_.SetConsoleLogState(state); }
    // Game > Web Administration; false for any other menu command.
    bool OnCommand(HWND window, int id);
    // Before the engine goes: the listener and the history's sampling stop.
    void Stop();

    // What the dialog's OK does with its settings: saves what the operator changed in it (a
    // setting a switch forced for this run is not the operator's choice) and starts, restarts
    // or stops the listener.
    WebAdminDialog::ApplyResult Apply(const WebConfig& shown);

    // How a restart asked for through the web reaches the program; set before hosting begins.
    void SetRestartHooks(HostAdminBackend::RestartHooks hooks) {
        backend_.SetRestartHooks(std::move(hooks));
    }
    // The same for the Source RCON console's settings.
    WebAdminDialog::ApplyResult ApplyRcon(const WebConfig& shown);
    // Where the restart counts of GET /metrics come from (all 0 until this is set).
    void SetRestartCounts(RestartCounts counts) { metrics_.SetRestartCounts(std::move(counts)); }

    const WebConfig& RunConfig() const { return run_; }
    const WebConfig& RconRunConfig() const { return rconRun_; }
    int RconPort() const { return rcon_.Port(); }
    const ConsoleRing& Console() const { return ring_; }
    int Port() const { return server_.Port(); }

  private:
    // The console ring's feed: every line the host hands over, password values hidden, as the
    // pane shows it (a line the pane leaves out is left out here), counted for the metrics.
    class ConsoleFeed final : public EngineHost::ConsoleListener {
      public:
        ConsoleFeed(ConsoleRing& ring, WebMetrics& metrics) : ring_(ring), metrics_(metrics) {}
        void ConsoleLines(const std::vector<std::string>& lines) override;

      private:
        ConsoleRing& ring_;
        WebMetrics& metrics_;
    };

    // A login re-hashed the stored password (on a listener thread): the file gets the new hash.
    void Rehashed(const PasswordRecord& before, const PasswordRecord& after);

    EngineHost& host_;
    std::string configPath_;
    std::mutex storedMutex_;  // the file and stored_, written from the dialog and the listener
    WebConfig stored_;        // as in the file
    WebConfig run_;           // in force for this run (the window thread's)
    WebMetrics metrics_;
    ConsoleRing ring_;
    HistoryRing history_;
    HistorySampler sampler_{host_, history_};
    ConsoleFeed feed_{ring_, metrics_};
    HostAdminBackend backend_;
    WebServer server_;
    // The Source RCON console: its own file, settings for the run and listener.
    std::string rconPath_;
    WebConfig rconStored_;
    WebConfig rconRun_;
    RconServer rcon_;
};

}  // namespace korvane::web
