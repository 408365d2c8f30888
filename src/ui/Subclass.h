// The frame every subclass procedure shares, so that each one states only its own messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/Dialog.h"

namespace korvane::ui {

// Answers one message of a window subclassed with SetWindowSubclass, whose reference data is
// the owner. `handle(owner, result)` sees the message first; true means it has answered, with
// `result`. At WM_NCDESTROY the owner's `detach` runs: a subclass must be removed before its
// window is gone. Anything thrown is reported as a failure in `where` and never reaches
// Windows; the window's own procedure then answers, as it does every message not answered.
template <class Owner, class Handler>
LRESULT SubclassMessage(const char* where, void (Owner::*detach)(), HWND window, UINT message,
                        WPARAM wParam, LPARAM lParam, DWORD_PTR data, Handler&& handle) noexcept {
    auto* owner = reinterpret_cast<Owner*>(data);
    try {
        LRESULT result = 0;
        const bool answered = handle(*owner, result);
        if (message == WM_NCDESTROY) (owner->*detach)();
        if (answered) return result;
    } catch (...) {
        ReportCallbackFailure(where);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace korvane::ui
