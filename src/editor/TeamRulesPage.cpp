// The "Team Rules" page.
#include "editor/TeamRulesPage.h"

#include "editor/PageControls.h"
#include "resources/resource.h"
#include "settings/ServerSettings.h"

namespace korvane {

TeamRulesPage::TeamRulesPage() : ui::PropertyPage(IDD_TEAM_RULES_PAGE) {
    BindInteger(IDC_TEAM_FF_TEAM_VALUE, &ffTeam_);
    BindInteger(IDC_TEAM_FF_ALLIES_VALUE, &ffAllies_);
    BindInteger(IDC_TEAM_MIRROR_PCT_VALUE, &mirrorPercent_);
    // The flags come before the cash field, so a click with the field empty still reads
    // them before the field's complaint stops the pull.
    BindCheck(IDC_TEAM_MIRROR_DAMAGE, &mirrorDamage_);
    BindCheck(IDC_TEAM_TK_PUNISH, &tkPunish_);
    BindText(IDC_TEAM_TKS_TO_KICK, &tksToKick_);
    BindText(IDC_TEAM_CIVS_TO_KICK, &civsToKick_);
    BindInteger(IDC_TEAM_CASH_PENALTY, &mirrorCash_);
}

void TeamRulesPage::OnInitPage() {
    const ServerSettings& s = serverSettings;
    ffTeam_ = SetSlider(Item(IDC_TEAM_FF_TEAM), 0, 100, FractionToPosition(s.ffTeam));
    ffAllies_ = SetSlider(Item(IDC_TEAM_FF_ALLIES), 0, 100, FractionToPosition(s.ffAllies));
    mirrorPercent_ =
        SetSlider(Item(IDC_TEAM_MIRROR_PCT), 1, 200, FractionToPosition(s.mirrorDamagePercent));
    mirrorDamage_ = s.mirrorDamage;
    tkPunish_ = s.tkPunish;
    tksToKick_ = std::to_string(s.numTksToKick);
    civsToKick_ = std::to_string(s.numCivsToKick);
    mirrorCash_ = s.mirrorCash;
    SendMessageA(Item(IDC_TEAM_CASH_PENALTY), EM_LIMITTEXT, 4, 0);
    ApplyEnableRules();
    Push();
}

void TeamRulesPage::ApplyEnableRules() {
    Enable(Item(IDC_TEAM_MIRROR_PCT), mirrorDamage_ != 0);
    Enable(Item(IDC_TEAM_TKS_TO_KICK), tkPunish_ != 0);
    Enable(Item(IDC_TEAM_CIVS_TO_KICK), tkPunish_ != 0);
}

bool TeamRulesPage::OnCommand(int id, int code) {
    if (code == BN_CLICKED && (id == IDC_TEAM_MIRROR_DAMAGE || id == IDC_TEAM_TK_PUNISH)) {
        Pull();  // its verdict does not matter here: the flags are read either way
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

void TeamRulesPage::OnHScroll(HWND control) {
    // Only the moved slider's label is refreshed: text typed into the edits stays.
    if (control == Item(IDC_TEAM_FF_TEAM)) {
        ffTeam_ = SliderPosition(control);
        Push(IDC_TEAM_FF_TEAM_VALUE);
    } else if (control == Item(IDC_TEAM_FF_ALLIES)) {
        ffAllies_ = SliderPosition(control);
        Push(IDC_TEAM_FF_ALLIES_VALUE);
    } else if (control == Item(IDC_TEAM_MIRROR_PCT)) {
        mirrorPercent_ = SliderPosition(control);
        Push(IDC_TEAM_MIRROR_PCT_VALUE);
    }
    SetModified(true);
}

bool TeamRulesPage::Commit() {
    if (!Pull()) return false;
    ServerSettings& s = serverSettings;
    s.SetMirrorDamage(mirrorDamage_);
    s.SetMirrorDamagePercent(PositionToFraction(SliderPosition(Item(IDC_TEAM_MIRROR_PCT))));
    s.SetTkPunish(tkPunish_);
    s.SetFfTeam(PositionToFraction(SliderPosition(Item(IDC_TEAM_FF_TEAM))));
    s.SetFfAllies(PositionToFraction(SliderPosition(Item(IDC_TEAM_FF_ALLIES))));
    s.SetNumTksToKick(LeadingInt(tksToKick_));
    s.SetNumCivsToKick(LeadingInt(civsToKick_));
    s.SetMirrorCash(mirrorCash_);
    return true;
}

}  // namespace korvane
