// The main window's Game menu and About: Change Map, Kick Player and Settings over the running
// engine, the About box from the Help and the system menu; greyed once the engine has stopped.
#pragma once

#include <windows.h>

#include "console/PlayerListView.h"
#include "host/EngineHost.h"

namespace korvane {

class GameMenu {
  public:
    GameMenu(EngineHost& host, const PlayerListView& players) : host_(host), players_(players) {}

    // True when `id` was one of the menu's commands (done, or nothing to do without an
    // engine); the dialogs open over `owner`.
    bool OnCommand(HWND owner, int id);
    void ShowAbout(HWND owner);
    // What needs an engine is greyed in the window's menu bar.
    void EngineStopped(HWND window);

  private:
    void ShowSettings(HWND owner);

    EngineHost& host_;
    const PlayerListView& players_;
};

}  // namespace korvane
