// The settings sheet from the main window: at start-up, and from Game, Settings.
#include "editor/SettingsPropSheet.h"
#include "host/ServerMainDialog.h"

namespace korvane {

INT_PTR ServerMainDialog::RunStartupSettings() {
    SettingsPropSheet sheet(Window());
    return sheet.DoModal();
}

void ServerMainDialog::ShowSettings() {
    // Every change reaches the engine through the pages' own commits; the result is of no use.
    SettingsPropSheet sheet(Window());
    sheet.DoModal();
}

}  // namespace korvane
