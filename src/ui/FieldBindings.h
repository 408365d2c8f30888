// The held-value exchange of a property page, written once: controls are bound to held
// values, Push writes the values into the controls, Pull reads and validates them, and while
// it does so the page can tell its own writes from the operator's (Exchanging).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/Dialog.h"

namespace korvane::ui {

class FieldBindings {
  public:
    // The page's window is looked up at each exchange: bindings are made before it exists.
    explicit FieldBindings(const Dialog& page) : page_(page) {}

    // Bindings, made once (usually in the page's constructor).
    void BindText(int id, std::string* value, int limit = 0);  // limit > 0: at most that many
    void BindCheck(int id, int* value);
    // A whole number from `low` to `high`: anything else keeps the page, and the operator is
    // told the range. A disabled field is not read: it keeps its held value.
    void BindInteger(int id, int* value, int low, int high);
    // A track bar from `low` to `high` whose label shows the held value; moving it changes the
    // value and the label. With `clamp`, the held value becomes the slider's (clamped)
    // position on every push; without, a stored value outside the range shows in the label
    // until the slider is moved.
    void BindSlider(int slider, int label, int* value, int low, int high, bool clamp = true);

    // Writes the held values into the controls (or only the one bound to control `id`).
    void Push();
    void Push(int id);
    // Reads the controls back into the held values; on a value that does not validate, tells
    // the operator (unless `quiet`), puts the focus on the field and returns false.
    bool Pull(bool quiet = false);
    // A bound slider moved: its value and label follow (other fields keep what is typed).
    void SliderMoved(HWND slider);
    // True while a push or pull writes to the controls.
    bool Exchanging() const { return exchanging_ > 0; }

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
    // `quiet`, tells the operator as RefuseField does. False when it does not read.
    bool ReadInteger(int id, int low, int high, int* value, bool quiet);

    const Dialog& page_;
    std::vector<Binding> bindings_;
    int exchanging_ = 0;
};

// Tells the operator what is wrong with the page's field `id` (in a box captioned as the
// sheet), puts the focus on it (its text selected) and returns false, as a refused Pull does.
bool RefuseField(HWND page, int id, const std::string& message);

// How an integer field's text reads: a whole decimal number, optionally with a sign, optionally
// surrounded by blanks or tabs (Whole, with `value` set, when it fits an int; TooLarge when it
// does not), or anything else (NotWhole).
enum class FieldNumber { Whole, NotWhole, TooLarge };
FieldNumber ParseIntegerField(const char* text, int* value);

}  // namespace korvane::ui
