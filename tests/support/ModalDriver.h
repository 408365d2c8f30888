// Runs a real modal dialog on the test thread and performs scripted steps from a timer inside
// its modal loop, so tests never sleep and never judge by screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/Dialog.h"

namespace korvane::test {

// Calls `step` every few milliseconds from inside the dialog's modal loop until it returns
// true; the dialog must then end (the step may end it). After `timeoutMs` the dialog is ended
// with -2 and `timedOut` is set. A quit message left by the dialog is removed afterwards.
INT_PTR RunModal(ui::Dialog& dialog, std::function<bool()> step, DWORD timeoutMs = 15000,
                 bool* timedOut = nullptr);

// The same for any modal run: `run` runs it, `abort` ends it on a time-out.
INT_PTR RunModalCall(const std::function<INT_PTR()>& run, const std::function<void()>& abort,
                     std::function<bool()> step, DWORD timeoutMs = 15000, bool* timedOut = nullptr);

// Steps run in order from inside a modal loop, each repeated until it returns true.
using Step = std::function<bool()>;
// Runs `run` (a modal loop) with the steps; the last must end it. False on a time-out.
bool RunSteps(const std::function<INT_PTR()>& run, const std::function<void()>& abort,
              std::vector<Step> steps, DWORD timeoutMs = 15000, INT_PTR* result = nullptr);
// The same for a dialog.
bool RunScript(ui::Dialog& dialog, std::vector<Step> steps, DWORD timeoutMs = 15000,
               INT_PTR* result = nullptr);
// A step that runs `action` once.
Step Do(std::function<void()> action);

// Pumps this thread's messages until `condition` holds or `timeoutMs` passes.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Clicks button `id` of `dialog` the way the button itself tells it, enabled or not.
inline void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// The first visible message box owned by `owner` (a "#32770" window with a static text), or null.
HWND FindMessageBox(HWND owner);

}  // namespace korvane::test
