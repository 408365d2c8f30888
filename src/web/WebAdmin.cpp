// The web administration's place in the program: settings for the run, the console ring, the
// listener's start and stop, and its dialog.
#include "web/WebAdmin.h"

#include <windows.h>

#include "host/ConsoleLine.h"
#include "resources/resource.h"
#include "web/WebAdminDialog.h"

namespace korvane::web {

WebAdmin::WebAdmin(EngineHost& host, const WebAdminSwitches& switches, std::string configPath,
                   std::string rconPath)
    : host_(host),
      configPath_(std::move(configPath)),
      stored_(LoadWebConfig(configPath_)),
      backend_(host, &history_),
      server_(backend_, ring_, [this](const PasswordRecord& before, const PasswordRecord& after) {
          Rehashed(before, after);
      }),
      rconPath_(std::move(rconPath)),
      rconStored_(LoadRconConfig(rconPath_)),
      rcon_(host) {
    if (stored_.passwordUnusable)
        host_.Note("Web administration: the password in " + configPath_ +
                   " was made by an older version (or edited by hand) and no longer works; set "
                   "the password again in Game > Web Administration.");
    host_.AddConsoleListener(feed_);
    server_.UseMetrics({[this] { return metrics_.Text(backend_.Figures(), ReadProcessFigures()); },
                        [this](std::string_view path, int status, double seconds) {
                            metrics_.RequestServed(path, status, seconds);
                        }});
    std::string message;
    run_ = ConfigForRun(stored_, switches, message);
    if (!message.empty()) host_.Note(message);
    rconRun_ = RconConfigForRun(rconStored_, switches.rcon, message);
    if (!message.empty()) host_.Note(message);
}

void WebAdmin::Rehashed(const PasswordRecord& before, const PasswordRecord& after) {
    std::lock_guard lock(storedMutex_);
    // A password from a switch's file is not the file's to keep.
    if (!(stored_.password == before)) return;
    WebConfig next = stored_;
    next.password = after;
    if (SaveWebConfig(next, configPath_)) stored_ = std::move(next);
}

void WebAdmin::HostingStarted() {
    sampler_.Start();
    if (run_.enabled) server_.Start(run_);
    if (rconRun_.enabled) rcon_.Start(rconRun_);
}

WebAdmin::~WebAdmin() {
    host_.RemoveConsoleListener(feed_);
}

void WebAdmin::ConsoleFeed::ConsoleLines(const std::vector<std::string>& lines) {
    size_t shownLines = 0;
    for (const std::string& line : lines) {
        const std::string shown = FormatConsoleLine(line);
        if (shown.empty()) continue;
        ring_.Append(shown);
        ++shownLines;
    }
    metrics_.ConsoleLines(shownLines);
}

bool WebAdmin::OnCommand(HWND window, int id) {
    if (id != IDM_WEB_ADMIN) return false;
    WebAdminDialog dialog(
        window, run_, [this](const WebConfig& shown) { return Apply(shown); }, rconRun_,
        [this](const WebConfig& shown) { return ApplyRcon(shown); });
    dialog.DoModal();
    return true;
}

void WebAdmin::Stop() {
    server_.Stop();
    sampler_.Stop();
    rcon_.Stop();
}

WebAdminDialog::ApplyResult WebAdmin::Apply(const WebConfig& shown) {
    {
        std::lock_guard lock(storedMutex_);
        WebConfig toStore = stored_;
        bool changed = false;
        const auto take = [&](auto member) {
            if (shown.*member == run_.*member) return;
            toStore.*member = shown.*member;
            changed = true;
        };
        take(&WebConfig::enabled);
        take(&WebConfig::address);
        take(&WebConfig::port);
        take(&WebConfig::hostName);
        take(&WebConfig::password);
        take(&WebConfig::metricsTokenHash);
        if (!(shown.password == run_.password)) toStore.passwordUnusable = false;
        if (changed && !SaveWebConfig(toStore, configPath_))
            return {"The settings could not be written to " + configPath_ + ".", false};
        stored_ = std::move(toStore);
    }

    // Unchanged settings leave a running listener alone, and with it everyone's session; a new
    // metrics token alone is put in force without a restart.
    WebConfig sameToken = shown;
    sameToken.metricsTokenHash = run_.metricsTokenHash;
    const bool unchanged = sameToken == run_ && server_.Listening();
    if (unchanged && shown.metricsTokenHash != run_.metricsTokenHash)
        server_.SetMetricsToken(shown.metricsTokenHash);
    run_ = shown;
    if (!run_.enabled) {
        server_.Stop();
        return {};
    }
    if (unchanged) return {};
    const StartResult started = server_.Start(run_);
    return {started.listening ? std::string() : started.message};
}

WebAdminDialog::ApplyResult WebAdmin::ApplyRcon(const WebConfig& shown) {
    {
        // Only what the operator changed is saved: a switch's setting is for this run.
        std::lock_guard lock(storedMutex_);
        WebConfig toStore = rconStored_;
        if (shown.enabled != rconRun_.enabled) toStore.enabled = shown.enabled;
        if (shown.address != rconRun_.address) toStore.address = shown.address;
        if (shown.port != rconRun_.port) toStore.port = shown.port;
        if (!(shown.password == rconRun_.password)) {
            toStore.password = shown.password;
            toStore.passwordUnusable = false;
        }
        if (!(toStore == rconStored_) && !SaveRconConfig(toStore, rconPath_))
            return {"The settings could not be written to " + rconPath_ + ".", false};
        rconStored_ = std::move(toStore);
    }
    // Unchanged settings leave a running listener and its logged-in clients alone.
    const bool unchanged = shown == rconRun_ && rcon_.Listening();
    rconRun_ = shown;
    if (!rconRun_.enabled) {
        rcon_.Stop();
        return {};
    }
    if (unchanged) return {};
    const StartResult started = rcon_.Start(rconRun_);
    return {started.listening ? std::string() : started.message};
}

}  // namespace korvane::web
