// A property page is a dialog of its sheet, with the held-value exchange written once
// (ui/FieldBindings.h): the notifications the exchange itself causes never reach the page's
// handlers, showing the page pushes, and leaving it (tab, OK, Apply) pulls, then runs the
// page's Commit.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/Dialog.h"
#include "ui/FieldBindings.h"

namespace korvane::ui {

class PropSheet;

class PropertyPage : public Dialog {
  public:
    explicit PropertyPage(int templateId);

    PROPSHEETPAGEA Describe(PropSheet* sheet);
    // Enables or disables the sheet's Apply button for this page.
    void SetModified(bool modified);

    // What leaving the page does: Pull, then the page's own Commit. False keeps the page.
    bool PullAndCommit() { return fields_.Pull() && Commit(); }

  protected:
    // The page's controls and the values they hold; bound once (usually in the constructor).
    FieldBindings& Fields() { return fields_; }

    // The first time the page is shown; the default pushes.
    virtual void OnInitPage() { fields_.Push(); }
    // The page's own commit, after a successful Pull; false keeps the page.
    virtual bool Commit() { return true; }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    // A page has no OK or Cancel of its own: those are the sheet's.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    PropSheet* sheet_ = nullptr;
    FieldBindings fields_{*this};
};

}  // namespace korvane::ui
