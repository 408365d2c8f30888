// Drives the real settings sheet: scripted steps from inside its modal loop, and the small
// actions an operator takes on its pages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/PropSheet.h"
#include "ui/Text.h"
#include "support/ModalDriver.h"

namespace korvane::test {

// Runs the sheet with the steps in order; the sheet must be closed by the last step. Returns
// false on a time-out; `result` gets DoModal's.
inline bool RunSheet(ui::PropSheet& sheet, std::vector<Step> steps, INT_PTR* result = nullptr) {
    // A step waits for the sheet's window before it runs.
    for (Step& step : steps)
        step = [&sheet, step = std::move(step)] { return sheet.Window() && step(); };
    return RunSteps([&] { return sheet.DoModal(); },
                    [&] { PostMessageA(sheet.Window(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0); },
                    std::move(steps), 15000, result);
}

inline HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

inline int CurrentTab(HWND sheet) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    return static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
}

inline bool ApplyEnabled(HWND sheet) {
    constexpr int kApplyButton = 0x3021;
    return IsWindowEnabled(GetDlgItem(sheet, kApplyButton)) != FALSE;
}

// Typing: the edit's text changes and its page hears of it.
inline void TypeInto(HWND page, int id, const char* text) {
    SetWindowTextA(GetDlgItem(page, id), text);
}

inline void Click(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

inline void MoveSlider(HWND page, int id, int position) {
    HWND slider = GetDlgItem(page, id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                 reinterpret_cast<LPARAM>(slider));
}

inline void Choose(HWND page, int id, int index) {
    HWND combo = GetDlgItem(page, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

inline int SliderAt(HWND page, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(page, id), TBM_GETPOS, 0, 0));
}

}  // namespace korvane::test
