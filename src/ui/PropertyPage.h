// A property page with the held-value exchange written once: controls are bound to held
// values, Push writes the values into the controls, Pull reads and validates them, and the
// notifications the exchange itself causes never reach the page's handlers.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace korvane::ui {

class PropSheet;

class PropertyPage {
  public:
    explicit PropertyPage(int templateId) : templateId_(templateId) {}
    virtual ~PropertyPage();
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;

    PROPSHEETPAGEA Describe(PropSheet* sheet);
    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    // Enables or disables the sheet's Apply button for this page.
    void SetModified(bool modified);

    // Writes the held values into the controls (or only the one bound to control `id`).
    void Push();
    void Push(int id);
    // Reads the controls back into the held values; on a value that does not validate, tells
    // the operator, puts the focus on the field and returns false.
    bool Pull();

  protected:
    // Bindings, made once (usually in the constructor).
    void BindText(int id, std::string* value, int limit = 0);  // limit > 0: at most that many
    void BindCheck(int id, int* value);
    void BindInteger(int id, int* value);  // an edit or a value label

    bool Exchanging() const { return exchanging_ > 0; }
    // Tells the operator what is wrong with the field `id`, puts the focus on it (its text
    // selected) and returns false, as a refused Pull does.
    bool FailField(int id, const std::string& message);

    // The first time the page is shown; the default pushes.
    virtual void OnInitPage() { Push(); }
    virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
    virtual void OnHScroll(HWND /*control*/) {}
    virtual void OnTimer(UINT_PTR /*id*/) {}
    // The page's own commit when it is left (tab change, OK, Apply); false keeps the page.
    virtual bool Commit() { return true; }

  private:
    enum class Kind { Text, Check, Integer };
    struct Binding {
        int id;
        Kind kind;
        std::string* text;
        int* number;
        int limit;
    };
    bool OnNotify(NMHDR* header, LRESULT& result);
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    PropSheet* sheet_ = nullptr;
    HWND window_ = nullptr;
    std::vector<Binding> bindings_;
    int exchanging_ = 0;
};

// Parses an integer field: a whole decimal number, optionally with a sign, optionally
// surrounded by blanks or tabs, within the int range; false for anything else.
bool ParseIntegerField(const char* text, int* value);

}  // namespace korvane::ui
