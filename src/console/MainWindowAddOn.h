// What another part of the program (the web administration) adds to the main window without
// the window knowing it: a menu command of its own, every line the console pane receives, the
// console log's state, and the moments hosting begins and the window goes. All calls come on the
// window thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace korvane {

class MainWindowAddOn {
  public:
    // The host is Running and the server thread ticks.
    virtual void HostingStarted() = 0;
    // Lines as the pane receives them, in the order it shows them: the refresh's and the
    // command line's own echo alike.
    virtual void PaneLines(const std::vector<std::string>& lines) = 0;
    // The console log's state after each refresh: "writing", "off" or "stopped" (a string
    // literal, kept as it is).
    virtual void ConsoleLogState(const char* state) = 0;
    // A menu command the window does not know; true when it was the add-on's.
    virtual bool OnCommand(HWND window, int id) = 0;
    // The window is going: called before it shuts the engine down.
    virtual void WindowClosing() = 0;

  protected:
    ~MainWindowAddOn() = default;
};

}  // namespace korvane
