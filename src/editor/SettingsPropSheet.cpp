// The settings sheet.
#include "editor/SettingsPropSheet.h"

#include "resources/resource.h"
#include "ui/Text.h"

namespace korvane {

SettingsPropSheet::SettingsPropSheet(HWND owner, ServerSettings& settings)
    : ui::PropSheet(owner, ui::ProgramString(IDS_SETTINGS_CAPTION)),
      serverPage_(settings),
      rulesPage_(settings),
      teamRulesPage_(settings),
      advancedPage_(settings) {
    AddPage(&serverPage_);
    AddPage(&rulesPage_);
    AddPage(&teamRulesPage_);
    AddPage(&advancedPage_);
}

}  // namespace korvane
