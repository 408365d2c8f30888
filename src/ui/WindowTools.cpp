// Ending owned dialogs, the minimised icon and the Yes/No question.
#include "ui/WindowTools.h"

#include <commctrl.h>

#include <vector>

namespace korvane::ui {

namespace {

struct OwnedSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwnedDialogs(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<OwnedSearch*>(data);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || window == search->owner) return TRUE;
    for (HWND owner = GetWindow(window, GW_OWNER); owner; owner = GetWindow(owner, GW_OWNER)) {
        if (owner == search->owner) {
            search->found.push_back(window);
            break;
        }
    }
    return TRUE;
}

}  // namespace

void EndOwnedDialogs(HWND owner) {
    OwnedSearch search = {owner, {}};
    EnumThreadWindows(GetCurrentThreadId(), &CollectOwnedDialogs,
                      reinterpret_cast<LPARAM>(&search));
    for (auto it = search.found.rbegin(); it != search.found.rend(); ++it) {
        if (SendMessageA(*it, PSM_GETCURRENTPAGEHWND, 0, 0))
            PostMessageA(*it, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        else
            EndDialog(*it, IDCANCEL);
    }
}

bool PaintIconWhenMinimised(HWND window, HICON icon) {
    if (!IsIconic(window)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon);
    EndPaint(window, &paint);
    return true;
}

bool AskYesNo(HWND owner, const char* text, const char* caption) {
    return MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace korvane::ui
