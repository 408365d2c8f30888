// The settings sheet.
#include "editor/SettingsPropSheet.h"

#include "resources/resource.h"

namespace korvane {

namespace {
std::string SheetCaption() {
    char caption[64] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_SETTINGS_CAPTION, caption, sizeof caption);
    return caption;
}
}  // namespace

SettingsPropSheet::SettingsPropSheet(HWND owner) : ui::PropSheet(owner, SheetCaption()) {
    AddPage(&serverPage_);
    AddPage(&rulesPage_);
    AddPage(&teamRulesPage_);
    AddPage(&advancedPage_);
}

}  // namespace korvane
