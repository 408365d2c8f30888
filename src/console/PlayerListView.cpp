// Rows, cells and selection of the player list.
#include "console/PlayerListView.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "host/EngineCalls.h"
#include "resources/resource.h"
#include "ui/ListView.h"
#include "ui/Text.h"

namespace korvane {

namespace {

LRESULT List(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(list, message, wParam, lParam);
}

// Writes a cell only when its text changes, so a steady list does not flicker.
void SetCell(HWND list, int row, int column, const char* text) {
    char shown[300] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = shown;
    item.cchTextMax = sizeof shown;
    List(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (std::strcmp(shown, text) == 0) return;
    item.pszText = const_cast<char*>(text);
    List(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetRowPlayerId(HWND list, int row, int32_t id) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = id;
    List(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

std::string Decimal(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

}  // namespace

void PlayerListView::Attach(HWND list) {
    list_ = list;
    if (!list_) return;
    // Clicking anywhere on a row selects it, as operators expect of a list of players.
    List(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    static const int titles[] = {IDS_COL_ID,        IDS_COL_NAME, IDS_COL_TEAM,
                                 IDS_COL_SPECIALTY, IDS_COL_PING, IDS_COL_TIME};
    for (int column = 0; column < 6; ++column) {
        std::string title = ui::ProgramString(static_cast<UINT>(titles[column]));
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
        info.fmt = LVCFMT_LEFT;
        info.pszText = title.data();
        info.iSubItem = column;
        List(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
             reinterpret_cast<LPARAM>(&info));
    }
    RECT outer = {};
    GetWindowRect(list_, &outer);
    const int fifth = (outer.right - outer.left) / 5;
    const int widths[] = {LVSCW_AUTOSIZE_USEHEADER, fifth, fifth, fifth, LVSCW_AUTOSIZE_USEHEADER,
                          LVSCW_AUTOSIZE_USEHEADER};
    for (int column = 0; column < 6; ++column)
        List(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(widths[column], 0));
    ui::ListFitHeaderTitles(list_);
}

void PlayerListView::Show(const EngineHost::HandOver& handOver, EngineHost& host) {
    if (!handOver.engineLoaded) {
        if (ui::ListCount(list_) > 0) List(list_, LVM_DELETEALLITEMS);
        return;
    }
    // The selection follows the player, not the row: a rewrite may move players between rows.
    const std::optional<int32_t> selected = SelectedPlayer();
    MatchRowCount(static_cast<int>(handOver.players.size()));
    const int rows = ui::ListCount(list_);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (int row = 0; row < rows && row < static_cast<int>(handOver.players.size()); ++row) {
        const PlayerRecord& player = handOver.players[static_cast<size_t>(row)];
        if (handOver.playersChanged) WritePlayer(row, player, host);
        const float ping = PlayerPing(host, static_cast<int32_t>(ui::ListItemData(list_, row)));
        SetCell(list_, row, 4, Decimal(TruncateToInt(ping * 1000.0f)).c_str());
        SetCell(list_, row, 5, FormatDuration(now - player.joinTime).c_str());
    }
    if (!handOver.playersChanged) return;
    FitIdColumn();
    if (selected) SelectPlayer(*selected);
}

std::optional<int32_t> PlayerListView::SelectedPlayer() const {
    const int row = ui::ListNextSelected(list_);
    if (row < 0) return std::nullopt;
    return static_cast<int32_t>(ui::ListItemData(list_, row));
}

void PlayerListView::MatchRowCount(int wanted) {
    // A list that refuses an insertion or deletion is left as it is.
    for (int rows = ui::ListCount(list_); rows < wanted; ++rows)
        if (ui::ListInsertText(list_, rows, "") < 0) break;
    for (int rows = ui::ListCount(list_); rows > wanted; --rows)
        if (!List(list_, LVM_DELETEITEM, static_cast<WPARAM>(rows - 1))) break;
}

void PlayerListView::WritePlayer(int row, const PlayerRecord& player, EngineHost& host) {
    SetRowPlayerId(list_, row, player.id);
    SetCell(list_, row, 0, Decimal(player.id).c_str());
    SetCell(list_, row, 1, player.name);
    SetCell(list_, row, 2, host.ResourceText(static_cast<int>(player.team)).c_str());
    SetCell(list_, row, 3, host.ResourceText(player.specialty).c_str());
}

void PlayerListView::SelectPlayer(int32_t id) {
    // Cleared when the player has left.
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    const int rows = ui::ListCount(list_);
    for (int row = 0; row < rows; ++row) {
        const bool match = static_cast<int32_t>(ui::ListItemData(list_, row)) == id;
        state.state = match ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
        List(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    }
}

// The ID column grows to show the widest id in full (ids are what `kick` takes); it never
// gets narrower than it is, so it does not jump as players come and go.
void PlayerListView::FitIdColumn() {
    const LRESULT before = List(list_, LVM_GETCOLUMNWIDTH, 0);
    List(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    if (List(list_, LVM_GETCOLUMNWIDTH, 0) < before)
        List(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(static_cast<int>(before), 0));
}

}  // namespace korvane
