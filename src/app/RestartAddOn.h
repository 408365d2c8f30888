// Restarts in the main window: Game > Restart Server (after a question) and Game > Restart
// Schedule, the schedule's warnings and times, a restart asked for from the web, and what
// follows an engine that stopped or hung on its own. The window ends with kRestart; the
// program then starts its successor. Every other call goes on to the next add-on.
#pragma once

#include <atomic>
#include <optional>

#include "app/Restarts.h"
#include "console/MainWindowAddOn.h"
#include "console/ServerMainDialog.h"

namespace korvane::app {

class RestartAddOn final : public MainWindowAddOn {
  public:
    // `hung` is set by the hang watchdog's thread once the engine hangs.
    RestartAddOn(MainWindowAddOn& next, ServerMainDialog& window, RestartControl& control,
                 const std::atomic<bool>& hung)
        : next_(next), window_(window), control_(control), hung_(hung) {}

    void HostingStarted() override { next_.HostingStarted(); }
    void ConsoleLogState(const char* state) override { next_.ConsoleLogState(state); }
    bool OnCommand(HWND window, int id) override;
    void WindowClosing() override { next_.WindowClosing(); }
    void Refreshed(HWND window) override;
    void EngineStopped(HWND window) override;

    // Why the window ended for a restart; nothing when it did not.
    std::optional<RestartReason> Reason() const { return reason_; }

  private:
    void Restart(RestartReason reason, const std::string& line);
    void OfferAfterHang();
    void Failed(RestartReason reason, const std::string& line);

    MainWindowAddOn& next_;
    ServerMainDialog& window_;
    RestartControl& control_;
    const std::atomic<bool>& hung_;
    bool hangSeen_ = false;
    std::optional<RestartReason> reason_;
};

}  // namespace korvane::app
