// A property page is a dialog of its sheet, with the held-value exchange written once:
// controls are bound to held values, Push writes the values into the controls, Pull reads
// and validates them, and the notifications the exchange itself causes never reach the
// page's handlers. Leaving the page (tab, OK, Apply) pulls, then runs the page's Commit.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/Dialog.h"

namespace korvane::ui {

class PropSheet;

class PropertyPage : public Dialog {
  public:
    explicit PropertyPage(int templateId);

    PROPSHEETPAGEA Describe(PropSheet* sheet);
    // Enables or disables the sheet's Apply button for this page.
    void SetModified(bool modified);

    // Writes the held values into the controls (or only the one bound to control `id`).
    void Push();
    void Push(int id);
    // Reads the controls back into the held values; on a value that does not validate, tells
    // the operator (unless `quiet`), puts the focus on the field and returns false.
    bool Pull(bool quiet = false);
    // What leaving the page does: Pull, then the page's own Commit. False keeps the page.
    bool PullAndCommit() { return Pull() && Commit(); }

  protected:
    // Bindings, made once (usually in the constructor).
    void BindText(int id, std::string* value, int limit = 0);  // limit > 0: at most that many
    void BindCheck(int id, int* value);
    // A whole number from `low` to `high`: anything else keeps the page, and the operator is
    // told the range. A disabled field is not read: it keeps its held value.
    void BindInteger(int id, int* value, int low, int high);
    // A track bar from `low` to `high` whose label shows the held value; moving it changes the
    // value and the label and marks the page modified. With `clamp`, the held value becomes
    // the slider's (clamped) position on every push; without, a stored value outside the range
    // shows in the label until the slider is moved.
    void BindSlider(int slider, int label, int* value, int low, int high, bool clamp = true);

    bool Exchanging() const { return exchanging_ > 0; }
    // Tells the operator what is wrong with the field `id`, puts the focus on it (its text
    // selected) and returns false, as a refused Pull does.
    bool FailField(int id, const std::string& message);

    // The first time the page is shown; the default pushes.
    virtual void OnInitPage() { Push(); }
    // The page's own commit, after a successful Pull; false keeps the page.
    virtual bool Commit() { return true; }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    // A page has no OK or Cancel of its own: those are the sheet's.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    enum class Kind { Text, Check, Integer, Slider };
    struct Binding {
        int id;
        Kind kind;
        std::string* text;
        int* number;
        int limit;
        int label = 0, low = 0, high = 0;
        bool clamp = false;
    };
    void PushBinding(const Binding& binding);
    // Reads field `id` as a whole number from `low` to `high` into `value`; otherwise, unless
    // `quiet`, tells the operator as FailField does. False when it does not read.
    bool ReadInteger(int id, int low, int high, int* value, bool quiet);
    void OnSliderMoved(HWND slider);

    PropSheet* sheet_ = nullptr;
    std::vector<Binding> bindings_;
    int exchanging_ = 0;
};

// How an integer field's text reads: a whole decimal number, optionally with a sign, optionally
// surrounded by blanks or tabs (Whole, with `value` set, when it fits an int; TooLarge when it
// does not), or anything else (NotWhole).
enum class FieldNumber { Whole, NotWhole, TooLarge };
FieldNumber ParseIntegerField(const char* text, int* value);

}  // namespace korvane::ui
