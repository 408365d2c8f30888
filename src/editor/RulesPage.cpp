// The "Rules" page.
#include "editor/RulesPage.h"

#include "editor/MapRotationDialog.h"
#include "resources/resource.h"

namespace korvane {

namespace {

// What the numbers mean to a game: 0 minutes is a round without a time limit; a map is played
// for at least one round before the switch, and teams flip after at least one.
constexpr int kMostMinutes = 999;
constexpr int kMostRounds = 999;

}  // namespace

RulesPage::RulesPage(ServerSettings& settings)
    : ui::PropertyPage(IDD_RULES_PAGE), settings_(settings) {
    // Not clamped: a hand-edited 32 stays 32 until the operator moves the slider.
    Fields().BindSlider(IDC_RULES_MAX_PLAYERS, IDC_RULES_MAX_PLAYERS_VALUE, &maxPlayers_, 2, 24,
                        false);
    Fields().BindInteger(IDC_RULES_TIME_LIMIT, &timeLimit_, 0, kMostMinutes);
    Fields().BindInteger(IDC_RULES_ROUNDS, &rounds_, 1, kMostRounds);
    Fields().BindCheck(IDC_RULES_TEAM_FLIP, &teamFlip_);
    Fields().BindInteger(IDC_RULES_FLIP_ROUNDS, &flipRounds_, 1, kMostRounds);
    Fields().BindCheck(IDC_RULES_LAN, &lan_);
}

void RulesPage::OnInitPage() {
    maxPlayers_ = settings_.maxPlayers;
    timeLimit_ = settings_.timeLimit;
    rounds_ = settings_.numRounds;
    teamFlip_ = settings_.teamFlip;
    flipRounds_ = settings_.flipRound;
    lan_ = settings_.IsLan();
    Fields().Push();
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
    // A number outside its range waits, untold, for the operator to finish it; leaving the
    // page says what is wrong.
    KillTimer(Window(), kTypingTimer);
    if (Fields().Pull(true)) Commit();
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
    settings_.Set(&ServerSettings::flipRound, flipRounds_);
    settings_.Set(&ServerSettings::numRounds, rounds_);
    settings_.Set(&ServerSettings::timeLimit, timeLimit_);
    settings_.Set(&ServerSettings::lan, lan_);
    return true;
}

}  // namespace korvane
