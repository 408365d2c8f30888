// The web administration's place in the main window: its menu command, the console log's
// state, and the moments hosting begins and the window goes. The window and the web know
// nothing of each other; the program puts them together here.
#pragma once

#include "console/MainWindowAddOn.h"
#include "web/WebAdmin.h"

namespace korvane::app {

class WebAddOn final : public MainWindowAddOn {
  public:
    explicit WebAddOn(web::WebAdmin& web) : web_(web) {}
    void HostingStarted() override { web_.HostingStarted(); }
    void ConsoleLogState(const char* state) override { web_.SetConsoleLogState(state); }
    bool OnCommand(HWND window, int id) override { return web_.OnCommand(window, id); }
    void WindowClosing() override { web_.Stop(); }

  private:
    web::WebAdmin& web_;
};

}  // namespace korvane::app
