// The dialog procedure and the message fan-out of the thin window layer.
#include "ui/Dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <exception>

namespace korvane::ui {

Dialog::~Dialog() {
    // A dialog object that goes while its window still exists must not receive more messages.
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrA(window_, DWLP_USER, 0);
        if (ownsWindow_) DestroyWindow(window_);
    }
}

INT_PTR Dialog::DoModal() {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent_,
                           &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::End(INT_PTR result) {
    if (window_) EndDialog(window_, result);
}

bool Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog() ? TRUE : FALSE;
            return true;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return true;
            if (id == IDOK && code == BN_CLICKED) {
                OnOK();
                return true;
            }
            if (id == IDCANCEL && code == BN_CLICKED) {
                OnCancel();
                return true;
            }
            return false;
        }
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam), result);
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_QUERYDRAGICON:
            if (!dragIcon_) return false;
            result = reinterpret_cast<LRESULT>(dragIcon_);
            return true;
        case WM_DESTROY:
            OnDestroy();
            return false;
        default:
            return false;
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = message == WM_INITDIALOG
                       ? reinterpret_cast<Dialog*>(lParam)
                       : reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    return Dispatch(self, window, message, wParam, lParam);
}

INT_PTR CALLBACK Dialog::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self =
        message == WM_INITDIALOG
            ? reinterpret_cast<Dialog*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam)
            : reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    return Dispatch(self, window, message, wParam, lParam);
}

INT_PTR Dialog::Dispatch(Dialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!self) return FALSE;
    if (message == WM_INITDIALOG) {
        self->window_ = window;
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->OnMessage(message, wParam, lParam, result);
    } catch (...) {
        ReportCallbackFailure("dialog procedure");
        handled = false;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        self->window_ = nullptr;
    }
    if (!handled) return FALSE;
    // These few messages take their answer from the dialog procedure's own return value.
    switch (message) {
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
            return static_cast<INT_PTR>(result);
        default:
            break;
    }
    // A notification's answer travels in DWLP_MSGRESULT; the procedure itself says "handled".
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

void ReportCallbackFailure(const char* where) noexcept {
    char text[256];
    const char* what = "unknown error";
    try {
        if (auto current = std::current_exception()) std::rethrow_exception(current);
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    std::snprintf(text, sizeof text, "Korvane Server: unexpected failure in %s: %s\n", where, what);
    OutputDebugStringA(text);
}

}  // namespace korvane::ui
