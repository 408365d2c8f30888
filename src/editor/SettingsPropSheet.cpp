// The settings sheet.
#include "editor/SettingsPropSheet.h"

#include "resources/resource.h"
#include "ui/Text.h"

namespace korvane {

SettingsPropSheet::SettingsPropSheet(HWND owner)
    : ui::PropSheet(owner, ui::ProgramString(IDS_SETTINGS_CAPTION)) {
    AddPage(&serverPage_);
    AddPage(&rulesPage_);
    AddPage(&teamRulesPage_);
    AddPage(&advancedPage_);
}

}  // namespace korvane
