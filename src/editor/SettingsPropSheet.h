// The settings sheet: "Server", "Rules", "Team Rules" and "Advanced".
#pragma once

#include "editor/AdvancedPage.h"
#include "editor/RulesPage.h"
#include "editor/ServerPage.h"
#include "editor/TeamRulesPage.h"
#include "ui/PropSheet.h"

namespace korvane {

class SettingsPropSheet : public ui::PropSheet {
  public:
    SettingsPropSheet(HWND owner, ServerSettings& settings);

  private:
    ServerPage serverPage_;
    RulesPage rulesPage_;
    TeamRulesPage teamRulesPage_;
    AdvancedPage advancedPage_;
};

}  // namespace korvane
