// A modal property sheet over pages of the thin layer: centred over its owner, Help hidden,
// and a result that says whether it was closed with OK.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/PropertyPage.h"

namespace korvane::ui {

class PropSheet {
  public:
    PropSheet(HWND owner, std::string caption) : owner_(owner), caption_(std::move(caption)) {}
    virtual ~PropSheet() = default;
    PropSheet(const PropSheet&) = delete;
    PropSheet& operator=(const PropSheet&) = delete;

    // In tab order; the first is shown first.
    void AddPage(PropertyPage* page) { pages_.push_back(page); }
    // IDOK when closed with OK, IDCANCEL otherwise (Cancel, Escape, the close box).
    INT_PTR DoModal();
    HWND Window() const { return window_; }

    // Pages report an apply that went through (Apply, or OK with the platform's OK flag).
    void NoteApplied(bool byOk) {
        applied_ = true;
        if (byOk) closedWithOk_ = true;
    }
    // Whether any Apply or OK went through during the last DoModal.
    bool AnyApplied() const { return applied_; }

  private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
    void OnInitialized(HWND window);

    HWND owner_;
    std::string caption_;
    std::vector<PropertyPage*> pages_;
    HWND window_ = nullptr;
    bool closedWithOk_ = false;
    bool applied_ = false;
};

}  // namespace korvane::ui
