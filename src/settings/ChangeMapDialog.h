// The Change Map dialog: the rotation's maps in a list; OK switches the running game to the
// selected one.
#pragma once

#include <windows.h>

#include "editor/DragListCtrl.h"
#include "ui/Dialog.h"

namespace korvane {

class ChangeMapDialog : public ui::Dialog {
  public:
    explicit ChangeMapDialog(HWND parent = nullptr);
    ~ChangeMapDialog() override = default;

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnOK() override;

  private:
    // OK is offered only while a row is selected.
    void UpdateOkButton();

    DragListCtrl mapList_;
    HICON icon_;
};

}  // namespace korvane
