// The Map Rotation dialog: the maps on disk on the left, the rotation on the right; OK writes
// the rotation to the engine.
#pragma once

#include <windows.h>

#include <string>

#include "editor/DragListCtrl.h"
#include "settings/ServerSettings.h"
#include "ui/Dialog.h"

namespace korvane {

class MapRotationDialog : public ui::Dialog {
  public:
    // The Rules page passes its page; run with DoModal.
    MapRotationDialog(HWND parent, ServerSettings& settings);

  protected:
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnOK() override;

  private:
    void AddSelectedMap();
    void RemoveSelectedEntry();

    ServerSettings& settings_;
    DragListCtrl rotation_;
};

}  // namespace korvane
