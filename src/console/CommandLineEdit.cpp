// The command line's history and completion keys.
#include "console/CommandLineEdit.h"

#include <commctrl.h>

#include "ui/Subclass.h"
#include "ui/Text.h"

namespace korvane {

namespace {

bool Down(int key) {
    return GetKeyState(key) < 0;
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

void CommandLineEdit::Show(const std::string& text) {
    SetWindowTextA(edit_, text.c_str());
    const auto end = static_cast<WPARAM>(text.size());
    SendMessageA(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
}

bool CommandLineEdit::OnKeyDown(WPARAM key) {
    switch (key) {
        case VK_UP:
            if (auto older = history_.Older(ui::WindowText(edit_))) Show(*older);
            return true;
        case VK_DOWN:
            if (auto newer = history_.Newer()) Show(*newer);
            return true;
        case VK_TAB: {
            if (Down(VK_SHIFT) || Down(VK_CONTROL) || Down(VK_MENU)) return false;
            std::vector<std::string> names = names_;
            for (std::string& word : history_.FirstWords()) names.push_back(std::move(word));
            // Nothing to complete leaves the line and the focus where they are.
            if (auto completed = completion_.Complete(ui::WindowText(edit_), names))
                Show(*completed);
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
                    return true;
                case WM_KEYDOWN:
                    return self.OnKeyDown(wParam);
                case WM_CHAR:
                    return wParam == '\t';  // the Tab was completion, not text
                default:
                    return false;
            }
        });
}

}  // namespace korvane
