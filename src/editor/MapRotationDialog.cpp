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

namespace korvane {

bool FitsAnyRotationEntry(const std::string& name) {
    return MapEntryFits(static_cast<int>(kMaxMapCount) - 1, name);
}

MapRotationDialog::MapRotationDialog(HWND parent)
    : Dialog(IDD_MAP_ROTATION, parent),
      // A shared icon from LoadIcon: it is never destroyed.
      icon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

bool MapRotationDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_QUERYDRAGICON) {
        result = reinterpret_cast<LRESULT>(icon_);
        return true;
    }
    return Dialog::OnMessage(message, wParam, lParam, result);
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
    MapCatalog("worlds", true, maps);
    for (const std::string& map : maps) ui::ListAppendText(disk, map.c_str());

    const uint32_t count =
        serverSettings.mapCount < kMaxMapCount ? serverSettings.mapCount : kMaxMapCount;
    for (uint32_t i = 0; i < count; ++i) {
        char name[kMapNameSize + 1] = {};
        if (!serverSettings.GetMapEntry(static_cast<int>(i), name)) continue;  // a gap closes up
        LowerMapName(name);
        ui::ListAppendText(rotation, name);
    }
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
    // Entries are numbered as written. A name that cannot be sent whole at its position (only
    // an overlong entry read back from the engine can be one) is left out, so the count never
    // covers an entry that kept an older map.
    int written = 0;
    for (int row = 0; row < rows && written < static_cast<int>(kMaxMapCount); ++row) {
        const std::string map = LowerMapName(ui::ListItemText(rotation, row));
        if (!MapEntryFits(written, map)) continue;
        serverSettings.SetMapEntry(written, map.c_str());
        ++written;
    }
    serverSettings.SetMapCount(written);
    End(IDOK);
}

}  // namespace korvane
