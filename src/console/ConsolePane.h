// Appending engine text and typed commands to the console pane (a read-only multi-line edit).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/ConsoleListeners.h"

namespace korvane {

// Appends one line, trimming the oldest three quarters first when the pane holds more than
// 250 lines or has reached its text limit. The text is shown as it is (no format directives).
// The view follows the end only while it is there: scrolled back, the operator keeps the
// lines and the selection being read (less what trimming removed) until scrolling back down.
void ConsoleLog(HWND pane, const char* text);

// Brings the view to the end, where it follows new lines again.
void ConsoleScrollToEnd(HWND pane);

// Appends a refresh's lines with the same rules and the same result as calling ConsoleLog for
// each, but in at most two edits of the control: each edit costs the control a pass over its
// whole text, so line by line cannot keep up with a busy engine.
void ConsoleLogBatch(HWND pane, const std::vector<std::string>& lines);

// The pane as a console listener: the operator's own screen, so it shows what the engine
// printed.
class ConsolePaneFeed final : public ConsoleListener {
  public:
    void Attach(HWND pane) { pane_ = pane; }
    bool OperatorScreen() const override { return true; }
    void ConsoleLines(const std::vector<std::string>& lines) override {
        if (pane_) ConsoleLogBatch(pane_, lines);
    }

  private:
    HWND pane_ = nullptr;
};

}  // namespace korvane
