// The "Advanced" page.
#include "editor/AdvancedPage.h"

#include "editor/PageControls.h"
#include "resources/resource.h"
#include "settings/ServerSettings.h"
#include "settings/SettingTable.h"

namespace korvane {

AdvancedPage::AdvancedPage() : ui::PropertyPage(IDD_ADVANCED_PAGE) {
    BindCheck(IDC_ADV_UPLOADS, &uploads_);
    BindCheck(IDC_ADV_LOG_EVENTS, &logging_);
    BindCheck(IDC_ADV_VOTING, &voting_);
    BindInteger(IDC_ADV_KICK_RATIO_VALUE, &kickRatio_);
    BindInteger(IDC_ADV_MAP_RATIO_VALUE, &mapRatio_);
    BindCheck(IDC_ADV_AUTO_BALANCE, &autoBalance_);
    BindCheck(IDC_ADV_VOIP, &voip_);
    BindText(IDC_ADV_CUSTOM_BANDWIDTH, &customBandwidth_, 9);
    BindCheck(IDC_ADV_FORCE_BALANCE, &forceBalance_);
    BindCheck(IDC_ADV_TIME_SYNC, &timeSync_);
    BindInteger(IDC_ADV_AFK_KICK, &idleKick_);
}

void AdvancedPage::OnInitPage() {
    const ServerSettings& s = serverSettings;
    uploads_ = s.allowUploads;
    logging_ = s.logEvents;
    voting_ = s.voting;
    kickRatio_ = SetSlider(Item(IDC_ADV_KICK_RATIO), 0, 100, FractionToPosition(s.playerKickVote));
    mapRatio_ = SetSlider(Item(IDC_ADV_MAP_RATIO), 0, 100, FractionToPosition(s.mapVote));
    ApplyVotingRule();
    autoBalance_ = s.autoTeamBalance;
    voip_ = s.voip;

    HWND combo = Item(IDC_ADV_BANDWIDTH);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* name : BandwidthPresetNames)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    // A stored preset outside the table (a hand-edited file) shows as the default preset,
    // the one the engine is then given.
    preset_ = s.GetServerBandwidth();
    if (preset_ < 0 || preset_ >= kBandwidthPresetCount) preset_ = kDefaultBandwidthPreset;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(preset_), 0);
    ApplyBandwidthRule(preset_);

    idleKick_ = s.kickAfkTime;
    forceBalance_ = s.forceTeamBalance;
    timeSync_ = s.timeSyncCheck;
    Push();
}

void AdvancedPage::ApplyVotingRule() {
    Enable(Item(IDC_ADV_KICK_RATIO), voting_ != 0);
    Enable(Item(IDC_ADV_MAP_RATIO), voting_ != 0);
}

void AdvancedPage::ApplyBandwidthRule(int preset) {
    const bool custom = preset == kCustomBandwidthPreset;
    Enable(Item(IDC_ADV_CUSTOM_BANDWIDTH), custom);
    const long long value =
        custom ? serverSettings.GetCustomBandwidth() : BandwidthPresetValues[preset];
    customBandwidth_ = std::to_string(value);
    Push(IDC_ADV_CUSTOM_BANDWIDTH);
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

bool AdvancedPage::OnCommand(int id, int code) {
    if (code == BN_CLICKED && id == IDC_ADV_VOTING) {
        Pull();  // the flag is read even when the idle-kick field refuses
        ApplyVotingRule();
        SetModified(true);
        return true;
    }
    if (code == BN_CLICKED && (id == IDC_ADV_AUTO_BALANCE || id == IDC_ADV_UPLOADS ||
                               id == IDC_ADV_LOG_EVENTS || id == IDC_ADV_VOIP)) {
        Commit();
        SetModified(true);
        return true;
    }
    if (id == IDC_ADV_BANDWIDTH && code == CBN_SELCHANGE) {
        ApplyBandwidthRule(SelectedPreset());
        Commit();
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

void AdvancedPage::OnHScroll(HWND control) {
    if (control == Item(IDC_ADV_KICK_RATIO)) {
        kickRatio_ = SliderPosition(control);
        Push(IDC_ADV_KICK_RATIO_VALUE);
    } else if (control == Item(IDC_ADV_MAP_RATIO)) {
        mapRatio_ = SliderPosition(control);
        Push(IDC_ADV_MAP_RATIO_VALUE);
    }
    SetModified(true);
}

bool AdvancedPage::Commit() {
    if (!Pull()) return false;
    // A custom bandwidth is an integer field like the others: "32k" or letters are refused
    // before anything is sent, rather than throttling every player to 32 or 0.
    const int preset = SelectedPreset();
    int custom = 0;
    if (preset == kCustomBandwidthPreset &&
        !ui::ParseIntegerField(customBandwidth_.c_str(), &custom))
        return FailField(IDC_ADV_CUSTOM_BANDWIDTH, "Please enter an integer.");
    ServerSettings& s = serverSettings;
    s.SetAllowUploads(uploads_);
    s.SetLogEvents(logging_);
    s.SetVoting(voting_);
    s.SetPlayerKickVote(PositionToFraction(SliderPosition(Item(IDC_ADV_KICK_RATIO))));
    s.SetMapVote(PositionToFraction(SliderPosition(Item(IDC_ADV_MAP_RATIO))));
    s.SetAutoTeamBalance(autoBalance_);
    s.SetVoip(voip_);
    s.SetKickAfkTime(idleKick_);
    s.SetForceTeamBalance(forceBalance_);
    s.SetTimeSyncCheck(timeSync_);
    s.SetServerBandwidth(preset);
    if (preset == kCustomBandwidthPreset) s.SetCustomBandwidth(custom);
    s.PushSendBandwidth();
    return true;
}

}  // namespace korvane
