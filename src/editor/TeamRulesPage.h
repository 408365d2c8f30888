// The "Team Rules" page: friendly fire, mirrored damage, cash penalty and team-kill
// punishment. It commits only when it is left.
#pragma once

#include <string>

#include "settings/ServerSettings.h"
#include "ui/PropertyPage.h"

namespace korvane {

class TeamRulesPage : public ui::PropertyPage {
  public:
    explicit TeamRulesPage(ServerSettings& settings);

  protected:
    void OnInitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool Commit() override;

  private:
    void ApplyEnableRules();

    ServerSettings& settings_;
    int ffTeam_ = 0, ffAllies_ = 0, mirrorPercent_ = 0;  // slider positions, in the labels
    int mirrorDamage_ = 0, tkPunish_ = 0;
    int tksToKick_ = 0, civsToKick_ = 0;
    int mirrorCash_ = 0;
};

}  // namespace korvane
