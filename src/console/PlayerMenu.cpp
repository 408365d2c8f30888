// The player list's menu and the kick question.
#include "console/PlayerMenu.h"

#include <commctrl.h>

#include <cstdio>

#include "resources/resource.h"
#include "ui/ListView.h"
#include "ui/Text.h"
#include "ui/WindowTools.h"

namespace korvane {

namespace {

constexpr int kNameColumn = 1;

std::string IdText(int32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", id);
    return text;
}

}  // namespace

std::optional<PlayerRow> ReadPlayerRow(HWND list, int row) {
    if (row < 0 || row >= ui::ListCount(list)) return std::nullopt;
    bool found = false;
    const auto id = static_cast<int32_t>(ui::ListItemData(list, row, &found));
    if (!found) return std::nullopt;
    return PlayerRow{row, id, ui::ListItemText(list, row, kNameColumn)};
}

std::optional<int32_t> RunPlayerMenu(HWND owner, HWND list, LPARAM where,
                                     const ui::PopupTracker& track) {
    POINT screen = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    int row = -1;
    if (screen.x == -1 && screen.y == -1) {
        // The context-menu key: the selected row, the menu at its lower left.
        row = ui::ListNextSelected(list);
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&bounds));
        screen = {bounds.left, bounds.bottom};
        ClientToScreen(list, &screen);
    } else {
        // Any cell of the row counts, whether or not the list selects whole rows.
        LVHITTESTINFO hit = {};
        hit.pt = screen;
        ScreenToClient(list, &hit.pt);
        row = static_cast<int>(
            SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (row >= 0) {
            LVITEMA state = {};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&state));
        }
    }
    const std::optional<PlayerRow> player = ReadPlayerRow(list, row);
    if (!player) return std::nullopt;
    switch (ui::ShowPopupMenu(IDR_PLAYER_MENU, owner, screen, track)) {
        case IDM_PLAYER_KICK:
            return player->id;
        case IDM_PLAYER_COPY_NAME:
            ui::CopyToClipboard(owner, player->name);
            break;
        case IDM_PLAYER_COPY_ID:
            ui::CopyToClipboard(owner, IdText(player->id));
            break;
        default:
            break;
    }
    return std::nullopt;
}

std::optional<int32_t> ConfirmKickSelected(HWND owner, HWND list) {
    const std::optional<PlayerRow> player = ReadPlayerRow(list, ui::ListNextSelected(list));
    if (!player) return std::nullopt;
    char question[160];
    std::snprintf(question, sizeof question, ui::ProgramString(IDS_KICK_QUESTION).c_str(),
                  player->name.c_str(), player->id);
    // Asked from a key, like the quit question: typing on must not answer it.
    if (!ui::AskYesNo(owner, question, ui::ProgramString(IDS_QUIT_CAPTION).c_str()))
        return std::nullopt;
    return player->id;
}

}  // namespace korvane
