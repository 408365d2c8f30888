// The "Rules" page.
#include "editor/RulesPage.h"

#include "editor/MapRotationDialog.h"
#include "resources/resource.h"

namespace korvane {

RulesPage::RulesPage(ServerSettings& settings)
    : ui::PropertyPage(IDD_RULES_PAGE), settings_(settings) {
    // Not clamped: a hand-edited 32 stays 32 until the operator moves the slider.
    BindSlider(IDC_RULES_MAX_PLAYERS, IDC_RULES_MAX_PLAYERS_VALUE, &maxPlayers_, 2, 24, false);
    BindText(IDC_RULES_TIME_LIMIT, &timeLimit_);
    BindText(IDC_RULES_ROUNDS, &rounds_);
    BindCheck(IDC_RULES_TEAM_FLIP, &teamFlip_);
    BindText(IDC_RULES_FLIP_ROUNDS, &flipRounds_);
    BindCheck(IDC_RULES_LAN, &lan_);
}

void RulesPage::OnInitPage() {
    maxPlayers_ = settings_.maxPlayers;
    timeLimit_ = std::to_string(settings_.timeLimit);
    rounds_ = std::to_string(settings_.numRounds);
    teamFlip_ = settings_.teamFlip;
    flipRounds_ = std::to_string(settings_.flipRound);
    lan_ = settings_.IsLan();
    Push();
}

bool RulesPage::OnCommand(int id, int code, HWND) {
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
        PullAndCommit();
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

bool RulesPage::OnTimer(UINT_PTR id) {
    if (id != kTypingTimer) return false;
    PullAndCommit();
    return true;
}

void RulesPage::EditMapRotation() {
    MapRotationDialog dialog(Window(), settings_);
    dialog.DoModal();
}

bool RulesPage::Commit() {
    KillTimer(Window(), kTypingTimer);
    settings_.Set(&ServerSettings::maxPlayers, maxPlayers_);
    settings_.Set(&ServerSettings::teamFlip, teamFlip_);
    settings_.Set(&ServerSettings::flipRound, LeadingInt(flipRounds_));
    settings_.Set(&ServerSettings::numRounds, LeadingInt(rounds_));
    settings_.Set(&ServerSettings::timeLimit, LeadingInt(timeLimit_));
    settings_.Set(&ServerSettings::lan, lan_);
    return true;
}

}  // namespace korvane
