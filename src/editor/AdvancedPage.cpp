// The "Advanced" page.
#include "editor/AdvancedPage.h"

#include "resources/resource.h"
#include "settings/ServerSettings.h"
#include "settings/SettingTable.h"

namespace korvane {

namespace {

// Idle minutes before the kick, as many as a round may last; a custom bandwidth in bytes a
// second, from a quarter of the slowest preset's up to ten times the fastest's.
constexpr int kMostIdleMinutes = 999;
constexpr int kLeastBandwidth = 1000;
constexpr int kMostBandwidth = 100000000;

}  // namespace

AdvancedPage::AdvancedPage(ServerSettings& settings)
    : ui::PropertyPage(IDD_ADVANCED_PAGE), settings_(settings) {
    Fields().BindCheck(IDC_ADV_UPLOADS, &uploads_);
    Fields().BindCheck(IDC_ADV_LOG_EVENTS, &logging_);
    Fields().BindCheck(IDC_ADV_VOTING, &voting_);
    Fields().BindSlider(IDC_ADV_KICK_RATIO, IDC_ADV_KICK_RATIO_VALUE, &kickRatio_, 0, 100);
    Fields().BindSlider(IDC_ADV_MAP_RATIO, IDC_ADV_MAP_RATIO_VALUE, &mapRatio_, 0, 100);
    Fields().BindCheck(IDC_ADV_AUTO_BALANCE, &autoBalance_);
    Fields().BindCheck(IDC_ADV_VOIP, &voip_);
    // Only under "CUSTOM" is the field enabled, and so read.
    Fields().BindInteger(IDC_ADV_CUSTOM_BANDWIDTH, &customBandwidth_, kLeastBandwidth,
                         kMostBandwidth);
    Fields().BindCheck(IDC_ADV_FORCE_BALANCE, &forceBalance_);
    Fields().BindCheck(IDC_ADV_TIME_SYNC, &timeSync_);
    Fields().BindInteger(IDC_ADV_AFK_KICK, &idleKick_, 0, kMostIdleMinutes);
}

void AdvancedPage::OnInitPage() {
    const ServerSettings& s = settings_;
    uploads_ = s.allowUploads;
    logging_ = s.logEvents;
    voting_ = s.voting;
    kickRatio_ = FractionToPosition(s.playerKickVote);
    mapRatio_ = FractionToPosition(s.mapVote);
    ApplyVotingRule();
    autoBalance_ = s.autoTeamBalance;
    voip_ = s.voip;

    // Nine digits, as many as the largest custom bandwidth has.
    SendMessageA(Item(IDC_ADV_CUSTOM_BANDWIDTH), EM_LIMITTEXT, 9, 0);
    HWND combo = Item(IDC_ADV_BANDWIDTH);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* name : BandwidthPresetNames)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    // A stored preset outside the table (a hand-edited file) shows as the default preset,
    // the one the engine is then given.
    preset_ = s.serverBandwidth;
    if (preset_ < 0 || preset_ >= kBandwidthPresetCount) preset_ = kDefaultBandwidthPreset;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(preset_), 0);
    ApplyBandwidthRule(preset_);

    idleKick_ = s.kickAfkTime;
    forceBalance_ = s.forceTeamBalance;
    timeSync_ = s.timeSyncCheck;
    Fields().Push();
}

void AdvancedPage::ApplyVotingRule() {
    EnableWindow(Item(IDC_ADV_KICK_RATIO), voting_ != 0);
    EnableWindow(Item(IDC_ADV_MAP_RATIO), voting_ != 0);
}

void AdvancedPage::ApplyBandwidthRule(int preset) {
    const bool custom = preset == kCustomBandwidthPreset;
    EnableWindow(Item(IDC_ADV_CUSTOM_BANDWIDTH), custom);
    customBandwidth_ =
        custom ? settings_.customBandwidth : static_cast<int>(BandwidthPresetValues[preset]);
    Fields().Push(IDC_ADV_CUSTOM_BANDWIDTH);
}

int AdvancedPage::SelectedPreset() {
    HWND combo = Item(IDC_ADV_BANDWIDTH);
    int selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (selected < 0 || selected >= kBandwidthPresetCount) {
        char typed[64] = {};
        GetWindowTextA(combo, typed, sizeof typed);
        selected = static_cast<int>(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(typed)));
    }
    if (selected < 0 || selected >= kBandwidthPresetCount) {
        selected = preset_;
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }
    preset_ = selected;
    return selected;
}

bool AdvancedPage::OnCommand(int id, int code, HWND) {
    if (code == BN_CLICKED && id == IDC_ADV_VOTING) {
        Fields().Pull();  // the flag is read even when the idle-kick field refuses
        ApplyVotingRule();
        SetModified(true);
        return true;
    }
    if (code == BN_CLICKED && (id == IDC_ADV_AUTO_BALANCE || id == IDC_ADV_UPLOADS ||
                               id == IDC_ADV_LOG_EVENTS || id == IDC_ADV_VOIP)) {
        PullAndCommit();
        SetModified(true);
        return true;
    }
    if (id == IDC_ADV_BANDWIDTH && code == CBN_SELCHANGE) {
        ApplyBandwidthRule(SelectedPreset());
        PullAndCommit();
        SetModified(true);
        return true;
    }
    if ((code == EN_CHANGE && (id == IDC_ADV_CUSTOM_BANDWIDTH || id == IDC_ADV_AFK_KICK)) ||
        (code == BN_CLICKED && (id == IDC_ADV_FORCE_BALANCE || id == IDC_ADV_TIME_SYNC))) {
        SetModified(true);
        return true;
    }
    return false;
}

bool AdvancedPage::Commit() {
    // A custom bandwidth is an integer field like the others (the pull refused "32k" before
    // anything is sent, rather than throttling every player to 32 or 0).
    const int preset = SelectedPreset();
    ServerSettings& s = settings_;
    s.Set(&ServerSettings::allowUploads, uploads_);
    s.Set(&ServerSettings::logEvents, logging_);
    s.Set(&ServerSettings::voting, voting_);
    s.Set(&ServerSettings::playerKickVote, PositionToFraction(kickRatio_));
    s.Set(&ServerSettings::mapVote, PositionToFraction(mapRatio_));
    s.Set(&ServerSettings::autoTeamBalance, autoBalance_);
    s.Set(&ServerSettings::voip, voip_);
    s.Set(&ServerSettings::kickAfkTime, idleKick_);
    s.Set(&ServerSettings::forceTeamBalance, forceBalance_);
    s.Set(&ServerSettings::timeSyncCheck, timeSync_);
    s.Set(&ServerSettings::serverBandwidth, preset);
    if (preset == kCustomBandwidthPreset) s.Set(&ServerSettings::customBandwidth, customBandwidth_);
    s.PushSendBandwidth();
    return true;
}

}  // namespace korvane
