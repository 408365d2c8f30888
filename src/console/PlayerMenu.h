// The player list's shortcut menu (Kick, Copy Name, Copy ID) and the question before Delete
// kicks. Each returns the id to kick; the window kicks it as Game > Kick Player does.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "ui/PopupMenu.h"

namespace korvane {

// A row of the player list: its player id (the item data that Kick uses) and its Name cell.
struct PlayerRow {
    int row = -1;
    int32_t id = 0;
    std::string name;
};
std::optional<PlayerRow> ReadPlayerRow(HWND list, int row);

// For WM_CONTEXTMENU from the list: `where` is the message's lParam, the pointer's screen
// position, or -1,-1 from the keyboard (then the selected row). The row under the pointer is
// selected, the menu shown, Copy Name and Copy ID done here. The id when Kick was chosen.
std::optional<int32_t> RunPlayerMenu(HWND owner, HWND list, LPARAM where,
                                     const ui::PopupTracker& track = ui::TrackPopup);

// For Delete on the list: asks "Kick <name> (<id>)?" with No as the default answer. The
// selected row's id when the answer is Yes.
std::optional<int32_t> ConfirmKickSelected(HWND owner, HWND list);

}  // namespace korvane
