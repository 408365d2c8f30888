// The Map Rotation dialog: double-click adds a map from disk or removes a rotation entry,
// dragging reorders the rotation, OK writes entries 0..n-1 and then the count n.
#include "editor/MapRotationDialog.h"

#include <commctrl.h>

#include <vector>

#include "editor/MapCatalog.h"
#include "resources/resource.h"
#include "settings/MapName.h"
#include "settings/ServerSettings.h"
#include "ui/ListView.h"
#include "ui/Text.h"

namespace korvane {

MapRotationDialog::MapRotationDialog(HWND parent, ServerSettings& settings)
    : Dialog(IDD_MAP_ROTATION, parent), settings_(settings) {
    SetDragIcon(ui::ProgramIcon(IDR_MAINFRAME));
}

bool MapRotationDialog::OnInitDialog() {
    HWND disk = Item(IDC_DISK_MAP_LIST);
    HWND rotation = Item(IDC_MAP_LIST);
    rotation_.Attach(rotation);
    const std::string title = ui::ProgramString(IDS_COL_WORLD);
    ui::ListAddTextColumn(disk, title.c_str());
    ui::ListAddTextColumn(rotation, title.c_str());
    SendMessageA(disk, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(rotation, LVM_DELETEALLITEMS, 0, 0);

    // Every map on disk, whether or not it is in the rotation; the control keeps them sorted.
    std::vector<std::string> maps;
    MapCatalog(settings_.Gate(), "worlds", true, maps);
    for (const std::string& map : maps) ui::ListAppendText(disk, map.c_str());

    // A gap in the rotation closes up: OK writes the entries 0..n-1.
    for (const RotationEntry& entry : settings_.ReadRotation())
        ui::ListAppendText(rotation, entry.name.c_str());
    ui::ListFitColumn(disk);
    ui::ListFitColumn(rotation);
    return true;
}

bool MapRotationDialog::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->code != NM_DBLCLK) return false;
    if (header->idFrom == IDC_DISK_MAP_LIST)
        AddSelectedMap();
    else if (header->idFrom == IDC_MAP_LIST)
        RemoveSelectedEntry();
    else
        return false;
    result = 0;
    return true;
}

void MapRotationDialog::AddSelectedMap() {
    HWND disk = Item(IDC_DISK_MAP_LIST);
    HWND rotation = Item(IDC_MAP_LIST);
    const int row = ui::ListNextSelected(disk);
    if (row < 0) return;
    // The map stays on the left, so it can be added more than once. A name that no rotation
    // entry could carry, or a rotation already at its longest, is refused here rather than
    // written cut or dropped at OK.
    const std::string map = ui::ListItemText(disk, row);
    if (!FitsAnyRotationEntry(map) || ui::ListCount(rotation) >= static_cast<int>(kMaxMapCount)) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    ui::ListAppendText(rotation, map.c_str());
    ui::ListFitColumn(rotation);
}

void MapRotationDialog::RemoveSelectedEntry() {
    HWND rotation = Item(IDC_MAP_LIST);
    const int row = ui::ListNextSelected(rotation);
    if (row >= 0) SendMessageA(rotation, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    ui::ListFitColumn(rotation);
}

void MapRotationDialog::OnOK() {
    HWND rotation = Item(IDC_MAP_LIST);
    const int rows = ui::ListCount(rotation);
    // "nummaps 0" would leave the game nothing to change to and Change Map nothing to offer:
    // the operator is told, and the dialog stays for a map to be added (or Cancel).
    if (rows == 0) {
        MessageBoxA(Window(), "The map rotation needs at least one map.",
                    ui::WindowText(Window()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        SetFocus(Item(IDC_DISK_MAP_LIST));
        return;
    }
    // Entries are numbered as written. A name that cannot be sent whole at its position (only
    // an overlong entry read back from the engine can be one) is left out, so the count never
    // covers an entry that kept an older map.
    int written = 0;
    for (int row = 0; row < rows && written < static_cast<int>(kMaxMapCount); ++row) {
        const std::string map = LowerMapName(ui::ListItemText(rotation, row));
        if (!MapEntryFits(written, map)) continue;
        settings_.SetMapEntry(written, map.c_str());
        ++written;
    }
    settings_.SetMapCount(written);
    End(IDOK);
}

}  // namespace korvane
