// Property pages: the page procedure, the held-value exchange and the commit on leaving.
#include "ui/PropertyPage.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "ui/Dialog.h"
#include "ui/PropSheet.h"
#include "ui/Text.h"

namespace korvane::ui {

namespace {

// Counts the page as exchanging for a scope, so the notifications its own writes cause are
// not taken for the operator's.
class ExchangeScope {
  public:
    explicit ExchangeScope(int& depth) : depth_(depth) { ++depth_; }
    ~ExchangeScope() { --depth_; }
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

  private:
    int& depth_;
};

}  // namespace

bool ParseIntegerField(const char* text, int* value) {
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') return false;
    while (*p >= '0' && *p <= '9') ++p;
    const char* end = p;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p) return false;
    errno = 0;
    const long long parsed = std::strtoll(std::string(start, end).c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    *value = static_cast<int>(parsed);
    return true;
}

PropertyPage::~PropertyPage() {
    if (window_ && IsWindow(window_)) SetWindowLongPtrA(window_, DWLP_USER, 0);
}

PROPSHEETPAGEA PropertyPage::Describe(PropSheet* sheet) {
    sheet_ = sheet;
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(templateId_);
    page.pfnDlgProc = &PropertyPage::PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

void PropertyPage::SetModified(bool modified) {
    if (!window_) return;
    HWND sheet = GetParent(window_);
    SendMessageA(sheet, modified ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(window_),
                 0);
}

void PropertyPage::BindText(int id, std::string* value, int limit) {
    bindings_.push_back({id, Kind::Text, value, nullptr, limit});
}
void PropertyPage::BindCheck(int id, int* value) {
    bindings_.push_back({id, Kind::Check, nullptr, value, 0});
}
void PropertyPage::BindInteger(int id, int* value) {
    bindings_.push_back({id, Kind::Integer, nullptr, value, 0});
}

void PropertyPage::Push() {
    for (const Binding& binding : bindings_) Push(binding.id);
}

void PropertyPage::Push(int id) {
    if (!window_) return;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_) {
        if (binding.id != id) continue;
        HWND control = Item(binding.id);
        switch (binding.kind) {
            case Kind::Text:
                if (binding.limit > 0)
                    SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(binding.limit), 0);
                SetWindowTextA(control, binding.text->c_str());
                break;
            case Kind::Check: {
                const int state =
                    *binding.number >= 0 && *binding.number <= 2 ? *binding.number : 0;
                SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
                break;
            }
            case Kind::Integer: {
                char text[16];
                std::snprintf(text, sizeof text, "%d", *binding.number);
                SetWindowTextA(control, text);
                break;
            }
        }
    }
}

bool PropertyPage::Pull() {
    if (!window_) return true;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_) {
        HWND control = Item(binding.id);
        switch (binding.kind) {
            case Kind::Text: {
                std::string text = WindowText(control);
                if (binding.limit > 0 && static_cast<int>(text.size()) > binding.limit)
                    return FailField(binding.id, "Please enter no more than " +
                                                     std::to_string(binding.limit) +
                                                     " characters.");
                *binding.text = std::move(text);
                break;
            }
            case Kind::Check:
                *binding.number = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
                break;
            case Kind::Integer: {
                int value = 0;
                if (!ParseIntegerField(WindowText(control).c_str(), &value))
                    return FailField(binding.id, "Please enter an integer.");
                *binding.number = value;
                break;
            }
        }
    }
    return true;
}

bool PropertyPage::FailField(int id, const std::string& message) {
    char caption[128] = {};
    GetWindowTextA(GetParent(window_), caption, sizeof caption);
    MessageBoxA(window_, message.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
    HWND control = Item(id);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);  // a check box ignores it
    return false;
}

bool PropertyPage::OnNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
        case PSN_SETACTIVE:
            // Shown again: the controls show the held values, not whatever they showed before.
            Push();
            result = 0;
            return true;
        case PSN_KILLACTIVE:
            // A nonzero answer keeps the page: the tab does not change and OK or Apply stops.
            result = Commit() && Pull() ? FALSE : TRUE;
            return true;
        case PSN_APPLY:
            SetModified(false);
            if (sheet_) sheet_->NoteApplied(reinterpret_cast<PSHNOTIFY*>(header)->lParam != 0);
            result = PSNRET_NOERROR;
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PropertyPage* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<PropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        self->window_ = window;
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
        switch (message) {
            case WM_INITDIALOG:
                self->OnInitPage();
                return TRUE;
            case WM_COMMAND:
                if (self->Exchanging()) return FALSE;
                return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
            case WM_HSCROLL:
                if (!self->Exchanging()) self->OnHScroll(reinterpret_cast<HWND>(lParam));
                return TRUE;
            case WM_TIMER:
                self->OnTimer(wParam);
                return TRUE;
            case WM_NOTIFY: {
                LRESULT result = 0;
                if (!self->OnNotify(reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
                SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
                return TRUE;
            }
            case WM_NCDESTROY:
                SetWindowLongPtrA(window, DWLP_USER, 0);
                self->window_ = nullptr;
                return FALSE;
            default:
                return FALSE;
        }
    } catch (...) {
        ReportCallbackFailure("property page");
        return FALSE;
    }
}

}  // namespace korvane::ui
