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

// The window whose question shows, innermost first; the filter sees only its box's keys.
thread_local HWND questionOwner = nullptr;

bool InQuestionBox(HWND window) {
    HWND box = GetAncestor(window, GA_ROOT);
    return box && box != questionOwner && GetWindow(box, GW_OWNER) == questionOwner;
}

// A message box presses a button for its letter (Y, N, with or without Alt) and the focused
// button for a space; an Enter or a click is a choice, a typed character is not.
bool IsTyping(const MSG& message) {
    switch (message.message) {
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_DEADCHAR:
        case WM_SYSDEADCHAR:
            return true;
        case WM_KEYDOWN:
        case WM_KEYUP:
            return message.wParam == VK_SPACE;
        default:
            return false;
    }
}

// The dialog manager of the box's modal loop offers every message here before it acts on it.
LRESULT CALLBACK QuestionFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX) {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (IsTyping(*message) && InQuestionBox(message->hwnd)) return 1;  // dropped
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The filter for one question's time on this thread; a question within one nests.
class QuestionTypingOff {
  public:
    explicit QuestionTypingOff(HWND owner)
        : outerOwner_(questionOwner),
          hook_(SetWindowsHookExA(WH_MSGFILTER, &QuestionFilter, nullptr, GetCurrentThreadId())) {
        questionOwner = owner;
    }
    ~QuestionTypingOff() {
        if (hook_) UnhookWindowsHookEx(hook_);
        questionOwner = outerOwner_;
    }
    QuestionTypingOff(const QuestionTypingOff&) = delete;
    QuestionTypingOff& operator=(const QuestionTypingOff&) = delete;

  private:
    HWND outerOwner_;
    HHOOK hook_;
};

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
    QuestionTypingOff typingOff(owner);
    return MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace korvane::ui
