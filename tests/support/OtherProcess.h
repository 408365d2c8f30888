// Watching the real program from another process: finding its windows, reading their texts
// without hanging on a busy window, and waiting for a condition with a bound.
#pragma once

#include <windows.h>

#include <string>

namespace korvane::test {

struct ProcessWindowSearch {
    DWORD process;      // 0: any process
    HWND owner;         // the owner a dialog must have, unless a title is given
    const char* title;  // when set, only a dialog with this caption
    HWND found;
};

inline BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ProcessWindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if ((search->process != 0 && process != search->process) || lstrcmpA(cls, "#32770") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    if (search->title) {
        char caption[128] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (lstrcmpA(caption, search->title) != 0) return TRUE;
    } else if (GetWindow(window, GW_OWNER) != search->owner) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// A visible dialog of `process` with the caption `title`, or null.
inline HWND FindProcessWindow(DWORD process, const char* title) {
    ProcessWindowSearch search = {process, nullptr, title, nullptr};
    EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible dialog of `process` owned by `owner` (null: a top-level one), or null.
inline HWND FindProcessDialog(DWORD process, HWND owner) {
    ProcessWindowSearch search = {process, owner, nullptr, nullptr};
    EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window's text, read with a time-out so a hung program cannot hang the test.
inline std::string ProcessWindowText(HWND window) {
    static char text[32768];
    text[0] = '\0';
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

// Polls `condition` until it holds or `timeoutMs` passes (the program runs in another process,
// so there is no message loop of ours to pump).
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

}  // namespace korvane::test
