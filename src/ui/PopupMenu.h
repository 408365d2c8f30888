// Shortcut menus from the program's menu resources, and the clipboard.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace korvane::ui {

// Shows `popup` at `screen` for `owner` and returns the chosen command, 0 when none. A seam:
// tests choose without a real menu loop.
using PopupTracker = std::function<int(HMENU popup, HWND owner, POINT screen)>;
int TrackPopup(HMENU popup, HWND owner, POINT screen);

// Shows the first popup of menu resource `menuId`; returns the chosen command or 0.
int ShowPopupMenu(int menuId, HWND owner, POINT screen, const PopupTracker& track = TrackPopup);

// Puts `text` on the clipboard as ANSI text; false when the clipboard is busy or out of memory.
bool CopyToClipboard(HWND owner, std::string_view text);

}  // namespace korvane::ui
