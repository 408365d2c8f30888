// The command line's history and completion keys.
#include "console/CommandLineEdit.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Subclass.h"
#include "ui/Text.h"

namespace korvane {

namespace {

bool Down(int key) {
    return GetKeyState(key) < 0;
}

size_t FirstWordEnd(const std::string& line) {
    return std::min(line.find(' '), line.size());
}

}  // namespace

CommandLineEdit::CommandLineEdit(CommandHistory& history, std::vector<std::string> names)
    : history_(history), names_(std::move(names)) {}

bool CommandLineEdit::Attach(HWND edit) {
    Detach();
    if (!edit || !SetWindowSubclass(edit, &Procedure, 0, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    edit_ = edit;
    return true;
}

void CommandLineEdit::Detach() {
    if (edit_ && IsWindow(edit_)) RemoveWindowSubclass(edit_, &Procedure, 0);
    edit_ = nullptr;
}

void CommandLineEdit::Show(const std::string& text, size_t caret) {
    SetWindowTextA(edit_, text.c_str());
    const auto at = static_cast<WPARAM>(std::min(caret, text.size()));
    SendMessageA(edit_, EM_SETSEL, at, static_cast<LPARAM>(at));
}

bool CommandLineEdit::OnKeyDown(WPARAM key) {
    switch (key) {
        case VK_UP:
            if (auto older = history_.Older(ui::WindowText(edit_))) Show(*older);
            return true;
        case VK_DOWN:
            if (auto newer = history_.Newer()) Show(*newer);
            return true;
        case VK_ESCAPE:
            if (GetWindowTextLengthA(edit_) == 0) return false;
            Show("");
            return true;
        case VK_TAB: {
            if (Down(VK_SHIFT) || Down(VK_CONTROL) || Down(VK_MENU)) return false;
            // Only the first word is completed, and only while the caret is in it or at its
            // end: with the caret on an argument, Tab would turn "kick 4" into another
            // command. Nothing to complete leaves the line and the focus where they are.
            const std::string line = ui::WindowText(edit_);
            DWORD caret = 0;
            SendMessageA(edit_, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
            if (caret > FirstWordEnd(line)) return true;
            std::vector<std::string> names = names_;
            for (std::string& word : history_.FirstWords()) names.push_back(std::move(word));
            if (auto completed = completion_.Complete(line, names))
                Show(*completed, FirstWordEnd(*completed));
            return true;
        }
        default:
            return false;
    }
}

LRESULT CALLBACK CommandLineEdit::Procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR /*id*/, DWORD_PTR data) {
    return ui::SubclassMessage(
        "command line", &CommandLineEdit::Detach, edit, message, wParam, lParam, data,
        [&](CommandLineEdit& self, LRESULT& result) {
            switch (message) {
                case WM_GETDLGCODE:
                    // The dialog manager asks before it uses Tab and the arrows for moving the
                    // focus; Shift+Tab and Ctrl+Tab are left to it.
                    result = DefSubclassProc(edit, message, wParam, lParam) | DLGC_WANTARROWS;
                    if (!Down(VK_SHIFT) && !Down(VK_CONTROL)) result |= DLGC_WANTTAB;
                    // Escape clears a line being typed, as consoles do; only on an empty
                    // line is it the window's close request (and its question).
                    if (const auto* key = reinterpret_cast<const MSG*>(lParam);
                        key && key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE &&
                        GetWindowTextLengthA(edit) > 0)
                        result |= DLGC_WANTMESSAGE;
                    return true;
                case WM_KEYDOWN:
                    return self.OnKeyDown(wParam);
                case WM_CHAR:
                    // The Tab was completion and the Escape clearing, not text.
                    return wParam == '\t' || wParam == VK_ESCAPE;
                default:
                    return false;
            }
        });
}

}  // namespace korvane
