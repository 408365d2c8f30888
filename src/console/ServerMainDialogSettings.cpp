// The settings sheet from the main window: at start-up, and from Game, Settings.
#include "editor/SettingsPropSheet.h"
#include "host/ServerMainDialog.h"
#include "settings/ServerSettings.h"

namespace korvane {

INT_PTR ServerMainDialog::RunStartupSettings() {
    SettingsPropSheet sheet(Window());
    return sheet.DoModal();
}

void ServerMainDialog::ShowSettings() {
    // Every change reaches the engine through the pages' own commits. Once the operator has
    // confirmed them (OK, or an Apply that went through), the engine writes the file, so the
    // next start does not bring the old values back.
    SettingsPropSheet sheet(Window());
    const bool accepted = sheet.DoModal() == IDOK;
    if (accepted || sheet.AnyApplied()) serverSettings.SaveSettings();
}

}  // namespace korvane
