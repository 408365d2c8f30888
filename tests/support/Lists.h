// Reading list rows and cells, and driving a list control's selection, double-click and drag
// with the messages the control itself would send or receive.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/ListView.h"

namespace korvane::test {

// The text of any cell, whatever its column.
inline std::string Cell(HWND list, int row, int column) {
    return ui::ListItemText(list, row, column);
}

inline std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    for (int row = 0; row < ui::ListCount(list); ++row) rows.push_back(ui::ListItemText(list, row));
    return rows;
}

inline void SelectRow(HWND list, int row) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
}

// A point inside the row's label, in the list's client coordinates.
inline POINT RowPoint(HWND list, int row) {
    RECT rect = {};
    rect.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    return {rect.left + 4, (rect.top + rect.bottom) / 2};
}

// A point in the empty space below the last row.
inline POINT BelowLastRow(HWND list) {
    const int last = ui::ListCount(list) - 1;
    RECT rect = {};
    rect.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(last), reinterpret_cast<LPARAM>(&rect));
    return {rect.left + 4, rect.bottom + (rect.bottom - rect.top) * 2};
}

// Sends the control's notification to its parent, as the control does.
inline void Notify(HWND list, UINT code, int row, POINT at = {}) {
    NMLISTVIEW info = {};
    info.hdr.hwndFrom = list;
    info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    info.hdr.code = code;
    info.iItem = row;
    info.ptAction = at;
    SendMessageA(GetParent(list), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}

inline void DoubleClick(HWND list) {
    Notify(list, NM_DBLCLK, ui::ListNextSelected(list));
}

inline void BeginDrag(HWND list, int row, UINT code = LVN_BEGINDRAG) {
    Notify(list, code, row, RowPoint(list, row));
}

inline void MouseMove(HWND list, POINT at, WPARAM keys = MK_LBUTTON) {
    SendMessageA(list, WM_MOUSEMOVE, keys, MAKELPARAM(at.x, at.y));
}

inline void Release(HWND list, POINT at, UINT message = WM_LBUTTONUP) {
    SendMessageA(list, message, 0, MAKELPARAM(at.x, at.y));
}

// Drags `from` over `over` (in order) and releases on the last of them.
inline void DragRow(HWND list, int from, std::vector<int> over) {
    BeginDrag(list, from);
    POINT at = RowPoint(list, from);
    for (int row : over) MouseMove(list, at = RowPoint(list, row));
    Release(list, at);
}

}  // namespace korvane::test
