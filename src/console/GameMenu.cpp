#include "console/GameMenu.h"

#include "console/AboutDialog.h"
#include "editor/ChangeMapDialog.h"
#include "editor/SettingsPropSheet.h"
#include "host/EngineCalls.h"
#include "resources/resource.h"

namespace korvane {

bool GameMenu::OnCommand(HWND owner, int id) {
    switch (id) {
        case IDM_KICK_PLAYER:
            if (!host_.EngineLoaded()) return true;
            if (const std::optional<int32_t> player = players_.SelectedPlayer())
                KickPlayer(host_, *player);
            return true;
        case IDM_CHANGE_MAP: {
            if (!host_.EngineLoaded()) return true;
            // The dialog sends its own command; how it was closed does not matter here.
            ChangeMapDialog dialog(owner, host_.Settings());
            dialog.DoModal();
            return true;
        }
        case IDM_SETTINGS:
            ShowSettings(owner);
            return true;
        case IDM_ABOUT:
            ShowAbout(owner);
            return true;
        default:
            return false;
    }
}

void GameMenu::ShowSettings(HWND owner) {
    if (!host_.EngineLoaded()) return;
    // Every change reaches the engine through the pages' own commits. Once the operator has
    // confirmed them (OK, or an Apply that went through), the engine writes the file, so the
    // next start does not bring the old values back.
    SettingsPropSheet sheet(owner, host_.Settings());
    const bool accepted = sheet.DoModal() == IDOK;
    if (accepted || sheet.AnyApplied()) host_.Settings().SaveSettings();
}

void GameMenu::ShowAbout(HWND owner) {
    AboutDialog about(owner, host_.Version());
    about.DoModal();
}

void GameMenu::EngineStopped(HWND window) {
    HMENU menu = GetMenu(window);
    for (UINT id : {IDM_CHANGE_MAP, IDM_KICK_PLAYER, IDM_SETTINGS})
        EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
    DrawMenuBar(window);
}

}  // namespace korvane
