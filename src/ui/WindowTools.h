// Small window chores shared by the program's windows.
#pragma once

#include <windows.h>

namespace korvane::ui {

// Ends every dialog and message box this thread shows over `owner`, newest first, so that
// the owner's own modal run can end behind them. A property sheet is cancelled as its
// Cancel button would.
void EndOwnedDialogs(HWND owner);

// While `window` is minimised, paints `icon` centred in it and returns true; otherwise leaves
// painting to the default processing.
bool PaintIconWhenMinimised(HWND window, HICON icon);

// A message box answered Yes or No, with No as the default button. Typing does not answer it:
// the buttons' letters and the space bar are ignored while it shows, so text meant for
// another window cannot say Yes (or No); a click does, or Enter on the focused button.
bool AskYesNo(HWND owner, const char* text, const char* caption);

}  // namespace korvane::ui
