// Property pages: the held-value exchange, slider bindings and the commit on leaving.
#include "ui/PropertyPage.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

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

void SetNumber(HWND control, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    SetWindowTextA(control, text);
}

// "Enter a whole number from 1 to 999."
std::string RangeMessage(int low, int high) {
    return "Enter a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ".";
}

}  // namespace

FieldNumber ParseIntegerField(const char* text, int* value) {
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') return FieldNumber::NotWhole;
    while (*p >= '0' && *p <= '9') ++p;
    const char* end = p;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p) return FieldNumber::NotWhole;
    errno = 0;
    const long long parsed = std::strtoll(std::string(start, end).c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return FieldNumber::TooLarge;
    *value = static_cast<int>(parsed);
    return FieldNumber::Whole;
}

PropertyPage::PropertyPage(int templateId) : Dialog(templateId, nullptr) {
    LeaveWindowToOwner();
}

PROPSHEETPAGEA PropertyPage::Describe(PropSheet* sheet) {
    sheet_ = sheet;
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(TemplateId());
    page.pfnDlgProc = &Dialog::PageProc;
    page.lParam = reinterpret_cast<LPARAM>(static_cast<Dialog*>(this));
    return page;
}

void PropertyPage::SetModified(bool modified) {
    if (!Window()) return;
    SendMessageA(GetParent(Window()), modified ? PSM_CHANGED : PSM_UNCHANGED,
                 reinterpret_cast<WPARAM>(Window()), 0);
}

void PropertyPage::BindText(int id, std::string* value, int limit) {
    bindings_.push_back({id, Kind::Text, value, nullptr, limit});
}
void PropertyPage::BindCheck(int id, int* value) {
    bindings_.push_back({id, Kind::Check, nullptr, value, 0});
}
void PropertyPage::BindInteger(int id, int* value, int low, int high) {
    bindings_.push_back({id, Kind::Integer, nullptr, value, 0, 0, low, high});
}
void PropertyPage::BindSlider(int slider, int label, int* value, int low, int high, bool clamp) {
    bindings_.push_back({slider, Kind::Slider, nullptr, value, 0, label, low, high, clamp});
}

void PropertyPage::Push() {
    if (!Window()) return;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_) PushBinding(binding);
}

void PropertyPage::Push(int id) {
    if (!Window()) return;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_)
        if (binding.id == id) PushBinding(binding);
}

void PropertyPage::PushBinding(const Binding& binding) {
    HWND control = Item(binding.id);
    switch (binding.kind) {
        case Kind::Text:
            if (binding.limit > 0)
                SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(binding.limit), 0);
            SetWindowTextA(control, binding.text->c_str());
            break;
        case Kind::Check: {
            const int state = *binding.number >= 0 && *binding.number <= 2 ? *binding.number : 0;
            SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
            break;
        }
        case Kind::Integer:
            SetNumber(control, *binding.number);
            break;
        case Kind::Slider:
            // The control clamps the position; a clamping binding takes the clamped value.
            SendMessageA(control, TBM_SETRANGE, TRUE, MAKELPARAM(binding.low, binding.high));
            SendMessageA(control, TBM_SETPOS, TRUE, *binding.number);
            if (binding.clamp)
                *binding.number = static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
            SetNumber(Item(binding.label), *binding.number);
            break;
    }
}

bool PropertyPage::Pull(bool quiet) {
    if (!Window()) return true;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_) {
        HWND control = Item(binding.id);
        switch (binding.kind) {
            case Kind::Text: {
                std::string text = WindowText(control);
                if (binding.limit > 0 && static_cast<int>(text.size()) > binding.limit)
                    return quiet ? false
                                 : FailField(binding.id, "Please enter no more than " +
                                                             std::to_string(binding.limit) +
                                                             " characters.");
                *binding.text = std::move(text);
                break;
            }
            case Kind::Check:
                *binding.number = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
                break;
            case Kind::Integer:
                // A field the operator cannot reach cannot be put right either.
                if (!IsWindowEnabled(control)) break;
                if (!ReadInteger(binding.id, binding.low, binding.high, binding.number, quiet))
                    return false;
                break;
            case Kind::Slider:
                break;  // kept up to date as the slider moves
        }
    }
    return true;
}

bool PropertyPage::FailField(int id, const std::string& message) {
    MessageBoxA(Window(), message.c_str(), WindowText(GetParent(Window())).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    HWND control = Item(id);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);  // a check box ignores it
    return false;
}

bool PropertyPage::ReadInteger(int id, int low, int high, int* value, bool quiet) {
    int read = 0;
    const FieldNumber number = ParseIntegerField(WindowText(Item(id)).c_str(), &read);
    if (number == FieldNumber::Whole && read >= low && read <= high) {
        *value = read;
        return true;
    }
    // A number too large for any field is out of its range, never clipped to fit.
    if (quiet) return false;
    return FailField(id, number == FieldNumber::NotWhole ? std::string("Please enter an integer.")
                                                         : RangeMessage(low, high));
}

void PropertyPage::OnSliderMoved(HWND slider) {
    // Only the moved slider's label is refreshed: text typed into the edits stays.
    for (const Binding& binding : bindings_) {
        if (binding.kind != Kind::Slider || Item(binding.id) != slider) continue;
        *binding.number = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
        ExchangeScope scope(exchanging_);
        SetNumber(Item(binding.label), *binding.number);
    }
    SetModified(true);
}

bool PropertyPage::OnInitDialog() {
    OnInitPage();
    return true;
}

bool PropertyPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND:
            // The page's own writes to its controls are not the operator's doing.
            if (Exchanging()) return false;
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_HSCROLL:
            if (!Exchanging()) OnSliderMoved(reinterpret_cast<HWND>(lParam));
            return true;
        default:
            return Dialog::OnMessage(message, wParam, lParam, result);
    }
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
            result = PullAndCommit() ? FALSE : TRUE;
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

}  // namespace korvane::ui
