// The Change Map dialog: lists the rotation (lower case, gaps left out) and sends
// "changemap <entry>" for the selected row's rotation entry on OK.
#include "settings/ChangeMapDialog.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "settings/MapName.h"
#include "settings/ServerSettings.h"
#include "ui/ListView.h"

namespace korvane {

ChangeMapDialog::ChangeMapDialog(HWND parent)
    : Dialog(IDD_CHANGE_MAP, parent),
      // A shared icon from LoadIcon: it is never destroyed.
      icon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

bool ChangeMapDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_QUERYDRAGICON) {
        result = reinterpret_cast<LRESULT>(icon_);
        return true;
    }
    return Dialog::OnMessage(message, wParam, lParam, result);
}

bool ChangeMapDialog::OnInitDialog() {
    HWND list = Item(IDC_MAP_LIST);
    mapList_.Attach(list);
    ui::ListAddTextColumn(list, ui::ProgramString(IDS_COL_WORLD).c_str());
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);

    const uint32_t count =
        serverSettings.mapCount < kMaxMapCount ? serverSettings.mapCount : kMaxMapCount;
    for (uint32_t i = 0; i < count; ++i) {
        char name[kMapNameSize + 1] = {};
        if (!serverSettings.GetMapEntry(static_cast<int>(i), name)) continue;  // a gap
        LowerMapName(name);
        // Each row keeps its entry's rotation index: the engine switches by entry, and after
        // a gap or a drag a row's position no longer is one.
        ui::ListAppendText(list, name, static_cast<LPARAM>(i));
    }
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
    SendCommand("changemap %d", static_cast<int>(ui::ListItemData(Item(IDC_MAP_LIST), row)));
    End(IDOK);
}

}  // namespace korvane
