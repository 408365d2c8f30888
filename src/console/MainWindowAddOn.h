// What another part of the program (the web administration, restarts) adds to the main window without
// the window knowing it: a menu command of its own, the console log's state, and the moments
// hosting begins and the window goes. All calls come on the window thread. (Console lines reach
// it from the host, not from the window.)
#pragma once

#include <windows.h>

namespace korvane {

class MainWindowAddOn {
  public:
    // The host is Running and the server thread ticks.
    virtual void HostingStarted() = 0;
    // The console log's state after each refresh: "writing", "off" or "stopped" (a string
    // literal, kept as it is).
    virtual void ConsoleLogState(const char* state) = 0;
    // A menu command the window does not know; true when it was the add-on's.
    virtual bool OnCommand(HWND window, int id) = 0;
    // The window is going: called before it shuts the engine down.
    virtual void WindowClosing() = 0;
    // After each refresh (every 100 ms, the engine hung or not).
    virtual void Refreshed(HWND /*window*/) {}
    // The engine stopped on its own (its Tick asked to stop), after the window showed it.
    virtual void EngineStopped(HWND /*window*/) {}

  protected:
    ~MainWindowAddOn() = default;
};

}  // namespace korvane
