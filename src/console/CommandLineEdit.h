// The command line's keys: Up and Down walk the command history, Tab completes the first
// word, Escape clears the line. Attached to the window's edit control by subclassing, so the
// dialog keeps Enter (send) and Escape on an empty line (quit question) and Shift+Tab still
// leaves the line.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "console/CommandCompletion.h"
#include "console/CommandHistory.h"

namespace korvane {

class CommandLineEdit {
  public:
    // `names` are completed besides the history's first words (the console variables).
    CommandLineEdit(CommandHistory& history, std::vector<std::string> names);
    ~CommandLineEdit() { Detach(); }
    CommandLineEdit(const CommandLineEdit&) = delete;
    CommandLineEdit& operator=(const CommandLineEdit&) = delete;

    bool Attach(HWND edit);
    void Detach();
    // The line the window has just sent: it joins the history and any walk ends.
    void Sent(std::string_view command) { history_.Add(command); }

  private:
    static LRESULT CALLBACK Procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    bool OnKeyDown(WPARAM key);
    // The line with the caret at `caret` (its end by default).
    void Show(const std::string& text, size_t caret = std::string::npos);

    CommandHistory& history_;
    std::vector<std::string> names_;
    CommandCompletion completion_;
    HWND edit_ = nullptr;
};

}  // namespace korvane
