// One-line helpers for the report-view list controls of the map dialogs: one text column,
// rows of text only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include "ui/Text.h"

namespace korvane::ui {

inline int ListCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

// The first row with the selected state after `after` (-1: from the top), or -1.
inline int ListNextSelected(HWND list, int after = -1) {
    return static_cast<int>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

inline bool IsReportView(HWND list) {
    return (GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

// Inserts a row with its text and item data; a position past the end appends. Returns the
// row or -1.
inline int ListInsertText(HWND list, int row, const char* text, LPARAM data = 0) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(text);
    item.lParam = data;
    return static_cast<int>(
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

inline int ListAppendText(HWND list, const char* text, LPARAM data = 0) {
    return ListInsertText(list, ListCount(list), text, data);
}

inline LPARAM ListItemData(HWND list, int row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

// The text of column 0, whatever its length.
inline std::string ListItemText(HWND list, int row) {
    constexpr size_t kMaxRead = 1 << 16;
    std::string text(128, '\0');
    for (;;) {
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto length = static_cast<size_t>(SendMessageA(
            list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        // A copy that filled the buffer may have been cut: read again with room to spare.
        if (length + 1 < text.size() || text.size() >= kMaxRead) {
            text.resize(length < text.size() ? length : text.size() - 1);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

// Makes the only column as wide as the list's client area, which shrinks once a vertical
// scroll bar appears; a wider column would bring a needless horizontal one.
inline void ListFitColumn(HWND list) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
}

// Gives an empty list its one left-aligned column, as wide as the list allows with the title
// fitted (the only column spans the list).
inline void ListAddTextColumn(HWND list, const char* title) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.pszText = const_cast<char*>(title);
    column.iSubItem = 0;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
}

}  // namespace korvane::ui
