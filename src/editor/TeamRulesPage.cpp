// The "Team Rules" page.
#include "editor/TeamRulesPage.h"

#include "resources/resource.h"

namespace korvane {

namespace {

// At least one kill before a kick (the punishment is switched off by its own box); the cash
// penalty fits the field's four digits.
constexpr int kMostKills = 99;
constexpr int kMostCash = 9999;

}  // namespace

TeamRulesPage::TeamRulesPage(ServerSettings& settings)
    : ui::PropertyPage(IDD_TEAM_RULES_PAGE), settings_(settings) {
    Fields().BindSlider(IDC_TEAM_FF_TEAM, IDC_TEAM_FF_TEAM_VALUE, &ffTeam_, 0, 100);
    Fields().BindSlider(IDC_TEAM_FF_ALLIES, IDC_TEAM_FF_ALLIES_VALUE, &ffAllies_, 0, 100);
    Fields().BindSlider(IDC_TEAM_MIRROR_PCT, IDC_TEAM_MIRROR_PCT_VALUE, &mirrorPercent_, 1, 200);
    // The flags come before the cash field, so a click with the field empty still reads
    // them before the field's complaint stops the pull.
    Fields().BindCheck(IDC_TEAM_MIRROR_DAMAGE, &mirrorDamage_);
    Fields().BindCheck(IDC_TEAM_TK_PUNISH, &tkPunish_);
    Fields().BindInteger(IDC_TEAM_TKS_TO_KICK, &tksToKick_, 1, kMostKills);
    Fields().BindInteger(IDC_TEAM_CIVS_TO_KICK, &civsToKick_, 1, kMostKills);
    Fields().BindInteger(IDC_TEAM_CASH_PENALTY, &mirrorCash_, 0, kMostCash);
}

void TeamRulesPage::OnInitPage() {
    ffTeam_ = FractionToPosition(settings_.ffTeam);
    ffAllies_ = FractionToPosition(settings_.ffAllies);
    mirrorPercent_ = FractionToPosition(settings_.mirrorDamagePercent);
    mirrorDamage_ = settings_.mirrorDamage;
    tkPunish_ = settings_.tkPunish;
    tksToKick_ = settings_.numTksToKick;
    civsToKick_ = settings_.numCivsToKick;
    mirrorCash_ = settings_.mirrorCash;
    SendMessageA(Item(IDC_TEAM_CASH_PENALTY), EM_LIMITTEXT, 4, 0);
    Fields().Push();
    ApplyEnableRules();
}

void TeamRulesPage::ApplyEnableRules() {
    EnableWindow(Item(IDC_TEAM_MIRROR_PCT), mirrorDamage_ != 0);
    EnableWindow(Item(IDC_TEAM_TKS_TO_KICK), tkPunish_ != 0);
    EnableWindow(Item(IDC_TEAM_CIVS_TO_KICK), tkPunish_ != 0);
}

bool TeamRulesPage::OnCommand(int id, int code, HWND) {
    if (code == BN_CLICKED && (id == IDC_TEAM_MIRROR_DAMAGE || id == IDC_TEAM_TK_PUNISH)) {
        Fields().Pull();  // its verdict does not matter here: the flags are read either way
        ApplyEnableRules();
        SetModified(true);
        return true;
    }
    if (code == EN_CHANGE && (id == IDC_TEAM_TKS_TO_KICK || id == IDC_TEAM_CIVS_TO_KICK ||
                              id == IDC_TEAM_CASH_PENALTY)) {
        SetModified(true);
        return true;
    }
    return false;
}

bool TeamRulesPage::Commit() {
    settings_.Set(&ServerSettings::mirrorDamage, mirrorDamage_);
    settings_.Set(&ServerSettings::mirrorDamagePercent, PositionToFraction(mirrorPercent_));
    settings_.Set(&ServerSettings::tkPunish, tkPunish_);
    settings_.Set(&ServerSettings::ffTeam, PositionToFraction(ffTeam_));
    settings_.Set(&ServerSettings::ffAllies, PositionToFraction(ffAllies_));
    settings_.Set(&ServerSettings::numTksToKick, tksToKick_);
    settings_.Set(&ServerSettings::numCivsToKick, civsToKick_);
    settings_.Set(&ServerSettings::mirrorCash, mirrorCash_);
    return true;
}

}  // namespace korvane
