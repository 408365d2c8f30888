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

// The text of a cell (column 0 by default), whatever its length.
inline std::string ListItemText(HWND list, int row, int column = 0) {
    constexpr size_t kMaxRead = 1 << 16;
    std::string text(128, '\0');
    for (;;) {
        LVITEMA item = {};
        item.iSubItem = column;
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

// A row's item data; `found` is false when the list has no such row.
inline LPARAM ListItemData(HWND list, int row, bool* found = nullptr) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    const bool got = SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    if (found) *found = got;
    return got ? item.lParam : 0;
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

// The width a header column needs to show its whole title, in the header's own font and with
// the margin it draws on either side.
inline int HeaderTitleWidth(HWND header, int column) {
    char title[128] = {};
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    item.pszText = title;
    item.cchTextMax = sizeof title;
    SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    HDC dc = GetDC(header);
    HGDIOBJ font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(header, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, title, lstrlenA(title), &size);
    SelectObject(dc, font);
    ReleaseDC(header, dc);
    return size.cx + 2 * static_cast<int>(SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0));
}

// Widens each column but the last that is too narrow for its whole title, and lets the last
// take the rest of the list again. LVSCW_AUTOSIZE_USEHEADER leaves a title a pixel short of
// the header's margins under Wine, which draws it as "..."; where the titles fit, as on
// Windows, nothing changes.
inline void ListFitHeaderTitles(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    if (columns < 2) return;
    bool widened = false;
    for (int column = 0; column + 1 < columns; ++column) {
        const int needed = HeaderTitleWidth(header, column);
        if (SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0) < needed) {
            SendMessageA(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(needed, 0));
            widened = true;
        }
    }
    if (widened)
        SendMessageA(list, LVM_SETCOLUMNWIDTH, columns - 1,
                     MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
}

}  // namespace korvane::ui
