// The held-value exchange: pushing held values into controls and pulling them back checked.
#include "ui/FieldBindings.h"

#include <commctrl.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

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

bool RefuseField(HWND page, int id, const std::string& message) {
    MessageBoxA(page, message.c_str(), WindowText(GetParent(page)).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    HWND control = GetDlgItem(page, id);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);  // a check box ignores it
    return false;
}

void FieldBindings::BindText(int id, std::string* value, int limit) {
    bindings_.push_back({id, Kind::Text, value, nullptr, limit});
}
void FieldBindings::BindCheck(int id, int* value) {
    bindings_.push_back({id, Kind::Check, nullptr, value, 0});
}
void FieldBindings::BindInteger(int id, int* value, int low, int high) {
    bindings_.push_back({id, Kind::Integer, nullptr, value, 0, 0, low, high});
}
void FieldBindings::BindSlider(int slider, int label, int* value, int low, int high, bool clamp) {
    bindings_.push_back({slider, Kind::Slider, nullptr, value, 0, label, low, high, clamp});
}

void FieldBindings::Push() {
    if (!page_.Window()) return;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_) PushBinding(binding);
}

void FieldBindings::Push(int id) {
    if (!page_.Window()) return;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_)
        if (binding.id == id) PushBinding(binding);
}

void FieldBindings::PushBinding(const Binding& binding) {
    HWND control = page_.Item(binding.id);
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
            SetNumber(page_.Item(binding.label), *binding.number);
            break;
    }
}

bool FieldBindings::Pull(bool quiet) {
    if (!page_.Window()) return true;
    ExchangeScope scope(exchanging_);
    for (const Binding& binding : bindings_) {
        HWND control = page_.Item(binding.id);
        switch (binding.kind) {
            case Kind::Text: {
                std::string text = WindowText(control);
                if (binding.limit > 0 && static_cast<int>(text.size()) > binding.limit)
                    return quiet ? false
                                 : RefuseField(page_.Window(), binding.id,
                                               "Please enter no more than " +
                                                   std::to_string(binding.limit) + " characters.");
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

bool FieldBindings::ReadInteger(int id, int low, int high, int* value, bool quiet) {
    int read = 0;
    const FieldNumber number = ParseIntegerField(WindowText(page_.Item(id)).c_str(), &read);
    if (number == FieldNumber::Whole && read >= low && read <= high) {
        *value = read;
        return true;
    }
    // A number too large for any field is out of its range, never clipped to fit.
    if (quiet) return false;
    return RefuseField(page_.Window(), id,
                       number == FieldNumber::NotWhole ? std::string("Please enter an integer.")
                                                       : RangeMessage(low, high));
}

void FieldBindings::SliderMoved(HWND slider) {
    // Only the moved slider's label is refreshed: text typed into the edits stays.
    for (const Binding& binding : bindings_) {
        if (binding.kind != Kind::Slider || page_.Item(binding.id) != slider) continue;
        *binding.number = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
        ExchangeScope scope(exchanging_);
        SetNumber(page_.Item(binding.label), *binding.number);
    }
}

}  // namespace korvane::ui
