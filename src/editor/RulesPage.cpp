// The "Rules" page.
#include "editor/RulesPage.h"

#include "editor/MapRotationDialog.h"
#include "editor/PageControls.h"
#include "resources/resource.h"
#include "settings/ServerSettings.h"

namespace korvane {

RulesPage::RulesPage() : ui::PropertyPage(IDD_RULES_PAGE) {
    BindInteger(IDC_RULES_MAX_PLAYERS_VALUE, &maxPlayers_);
    BindText(IDC_RULES_TIME_LIMIT, &timeLimit_);
    BindText(IDC_RULES_ROUNDS, &rounds_);
    BindCheck(IDC_RULES_TEAM_FLIP, &teamFlip_);
    BindText(IDC_RULES_FLIP_ROUNDS, &flipRounds_);
    BindCheck(IDC_RULES_LAN, &lan_);
}

void RulesPage::OnInitPage() {
    const ServerSettings& s = serverSettings;
    SetSlider(Item(IDC_RULES_MAX_PLAYERS), 2, 24, s.maxPlayers);
    // The stored value, not the slider's clamped one: a hand-edited 32 stays 32 until the
    // operator moves the slider.
    maxPlayers_ = s.maxPlayers;
    timeLimit_ = std::to_string(s.timeLimit);
    rounds_ = std::to_string(s.numRounds);
    teamFlip_ = s.teamFlip;
    flipRounds_ = std::to_string(s.flipRound);
    lan_ = serverSettings.IsLan();
    Push();
}

bool RulesPage::OnCommand(int id, int code) {
    const bool edited =
        code == EN_CHANGE &&
        (id == IDC_RULES_TIME_LIMIT || id == IDC_RULES_ROUNDS || id == IDC_RULES_FLIP_ROUNDS);
    if (edited) {
        // A value still being typed never reaches the running game: the commit waits for a
        // pause (each keystroke restarts the timer) or for the page to be left.
        SetTimer(Window(), kTypingTimer, kTypingPauseMs, nullptr);
        SetModified(true);
        return true;
    }
    if (code == BN_CLICKED && (id == IDC_RULES_TEAM_FLIP || id == IDC_RULES_LAN)) {
        Commit();
        SetModified(true);
        return true;
    }
    if (code == BN_CLICKED && id == IDC_RULES_MAP_ROTATION) {
        EditMapRotation();
        SetModified(true);
        return true;
    }
    return false;
}

void RulesPage::OnHScroll(HWND control) {
    if (control == Item(IDC_RULES_MAX_PLAYERS)) {
        maxPlayers_ = SliderPosition(control);
        Push(IDC_RULES_MAX_PLAYERS_VALUE);
    }
    SetModified(true);
}

void RulesPage::OnTimer(UINT_PTR id) {
    if (id == kTypingTimer) Commit();
}

void RulesPage::EditMapRotation() {
    MapRotationDialog dialog(Window());
    dialog.DoModal();
}

bool RulesPage::Commit() {
    KillTimer(Window(), kTypingTimer);
    if (!Pull()) return false;
    serverSettings.SetMaxPlayers(maxPlayers_);
    serverSettings.SetTeamFlip(teamFlip_);
    serverSettings.SetFlipRound(LeadingInt(flipRounds_));
    serverSettings.SetNumRounds(LeadingInt(rounds_));
    serverSettings.SetTimeLimit(LeadingInt(timeLimit_));
    serverSettings.SetLan(lan_);
    return true;
}

}  // namespace korvane
