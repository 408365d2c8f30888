// The Change Map dialog: lists the rotation (lower case, gaps left out) and sends
// "changemap <entry>" for the selected row's rotation entry on OK.
#include "editor/ChangeMapDialog.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "ui/ListView.h"
#include "ui/Text.h"

namespace korvane {

ChangeMapDialog::ChangeMapDialog(HWND parent, ServerSettings& settings)
    : Dialog(IDD_CHANGE_MAP, parent), settings_(settings) {
    SetDragIcon(ui::ProgramIcon(IDR_MAINFRAME));
}

bool ChangeMapDialog::OnInitDialog() {
    HWND list = Item(IDC_MAP_LIST);
    mapList_.Attach(list);
    ui::ListAddTextColumn(list, ui::ProgramString(IDS_COL_WORLD).c_str());
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    // Each row keeps its entry's rotation index: the engine switches by entry, and after a gap
    // or a drag a row's position no longer is one. The count is the engine's own, read now: a
    // "nummaps" typed into the console since the settings were read counts too.
    for (const RotationEntry& entry : ReadEngineRotation(settings_.Gate()))
        ui::ListAppendText(list, entry.name.c_str(), static_cast<LPARAM>(entry.index));
    ui::ListFitColumn(list);
    UpdateOkButton();
    return true;
}

bool ChangeMapDialog::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_MAP_LIST) return false;
    switch (header->code) {
        case NM_DBLCLK:
            // A double-click picks nothing: only OK switches the map.
            result = 0;
            return true;
        case LVN_ITEMCHANGED:
        case LVN_INSERTITEM:  // a drop re-inserts the dragged row without its selection
            UpdateOkButton();
            return false;
        default:
            return false;
    }
}

void ChangeMapDialog::UpdateOkButton() {
    EnableWindow(Item(IDOK), ui::ListNextSelected(Item(IDC_MAP_LIST)) >= 0);
}

void ChangeMapDialog::OnOK() {
    // "changemap -1" would ask the engine for a map that is not in the rotation; with no row
    // selected (OK is disabled then, but Enter or a posted command can still arrive) nothing
    // is sent and the dialog stays open.
    const int row = ui::ListNextSelected(Item(IDC_MAP_LIST));
    if (row < 0) return;
    settings_.ChangeMap(static_cast<int>(ui::ListItemData(Item(IDC_MAP_LIST), row)));
    End(IDOK);
}

}  // namespace korvane
