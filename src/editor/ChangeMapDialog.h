// The Change Map dialog: the rotation's maps in a list; OK switches the running game to the
// selected one.
#pragma once

#include <windows.h>

#include "editor/DragListCtrl.h"
#include "settings/ServerSettings.h"
#include "ui/Dialog.h"

namespace korvane {

class ChangeMapDialog : public ui::Dialog {
  public:
    ChangeMapDialog(HWND parent, ServerSettings& settings);

  protected:
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnOK() override;

  private:
    // OK is offered only while a row is selected.
    void UpdateOkButton();

    ServerSettings& settings_;
    DragListCtrl mapList_;
};

}  // namespace korvane
