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
    explicit SettingsPropSheet(HWND owner);

    RulesPage& Rules() { return rulesPage_; }

  private:
    RulesPage rulesPage_;
    ServerPage serverPage_;
    TeamRulesPage teamRulesPage_;
    AdvancedPage advancedPage_;
};

}  // namespace korvane
