// The Map Rotation dialog: the maps on disk on the left, the rotation on the right; OK writes
// the rotation to the engine.
#pragma once

#include <windows.h>

#include <string>

#include "editor/DragListCtrl.h"
#include "ui/Dialog.h"

namespace korvane {

class MapRotationDialog : public ui::Dialog {
  public:
    // The Rules page passes its sheet; run with DoModal.
    explicit MapRotationDialog(HWND parent = nullptr);
    ~MapRotationDialog() override = default;

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnOK() override;

  private:
    void AddSelectedMap();
    void RemoveSelectedEntry();

    DragListCtrl rotation_;
    HICON icon_;
};

// Whether a map name can go into the rotation at all: "map<i> <name>" must fit the command
// buffer at every position the rotation can have.
bool FitsAnyRotationEntry(const std::string& name);

}  // namespace korvane
