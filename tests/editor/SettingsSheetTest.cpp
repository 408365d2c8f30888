// The settings sheet with its four pages, driven as an operator would, against the recording
// engine: which commands reach the engine, in which order, and when.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/SettingsPropSheet.h"
#include "resources/resource.h"
#include "settings/ServerSettings.h"
#include "support/SheetDriver.h"
#include "support/RecordingEngine.h"
#include "support/TestGate.h"

namespace korvane {
namespace {

using namespace test;

enum Tab { kServer = 0, kRules = 1, kTeamRules = 2, kAdvanced = 3 };

class SettingsSheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.LoadSettings();
        engine.ClearCalls();
    }

    std::vector<std::string> Commands() { return engine.Commands(); }
    HWND Sheet() { return sheet.Window(); }
    HWND Page() { return CurrentPage(Sheet()); }
    Step Do(std::function<void()> action) {
        return [action] {
            action();
            return true;
        };
    }
    Step GoTo(int tab) {
        return Do(
            [this, tab] { PostMessageA(Sheet(), PSM_SETCURSEL, static_cast<WPARAM>(tab), 0); });
    }
    Step Press(int button) {
        return Do([this, button] {
            PostMessageA(Sheet(), PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        });
    }
    // Waits for the message box over the sheet, notes its text and caption, and answers OK.
    Step AnswerBox() {
        return [this] {
            HWND box = FindMessageBox(Sheet());
            if (!box) return false;
            boxes.push_back(ui::WindowText(GetDlgItem(box, 0xFFFF)) + " | " + ui::WindowText(box));
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        };
    }
    // Lets posted messages (a tab change, a button) be handled before the next step.
    Step Settle() {
        return [this] {
            if (++settled < 4) return false;
            settled = 0;
            return true;
        };
    }

    RecordingEngine engine;
    DirectGate gate{&engine};
    ServerSettings settings{gate};
    SettingsPropSheet sheet{nullptr, settings};
    std::vector<std::string> boxes;
    int settled = 0;
};

TEST_F(SettingsSheetTest, ServerPasswordsNeedSixCharactersOrNone) {
    int tabAfterRefusal = -1;
    bool applyEnabled = false, applyAfter = true;
    std::vector<std::string> sentBeforeFix;
    INT_PTR result = 0;
    ASSERT_TRUE(
        RunSheet(sheet,
                 {Do([&] {
                      TypeInto(Page(), IDC_SERVER_NAME, "Alpha");
                      TypeInto(Page(), IDC_SERVER_PASSWORD, "12345");
                      applyEnabled = ApplyEnabled(Sheet());
                  }),
                  GoTo(kRules), AnswerBox(), Settle(), Do([&] {
                      tabAfterRefusal = CurrentTab(Sheet());
                      sentBeforeFix = Commands();
                      TypeInto(Page(), IDC_SERVER_PASSWORD, "123456");
                  }),
                  Press(PSBTN_APPLYNOW), Settle(), Do([&] { applyAfter = ApplyEnabled(Sheet()); }),
                  Do([&] { TypeInto(Page(), IDC_SERVER_PASSWORD, ""); }), Press(PSBTN_OK)},
                 &result));
    EXPECT_TRUE(applyEnabled);
    EXPECT_EQ(
        boxes,
        (std::vector<std::string>{"Password must be at least 6 characters in length. | Error"}));
    EXPECT_EQ(tabAfterRefusal, kServer);
    EXPECT_TRUE(sentBeforeFix.empty());
    EXPECT_FALSE(applyAfter);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Commands(), (std::vector<std::string>{
                              "+servername \"Alpha\"", "+adminname \" \"", "+adminemail \" \"",
                              "+serverwebsite \" \"", "+serverpassword \"123456\"",
                              "+remoteadminpassword \" \"", "+servername \"Alpha\"",
                              "+adminname \" \"", "+adminemail \" \"", "+serverwebsite \" \"",
                              "+serverpassword \" \"", "+remoteadminpassword \" \""}));
}

TEST_F(SettingsSheetTest, ShortRemotePasswordBlocksTheWholePage) {
    INT_PTR result = 0;
    ASSERT_TRUE(RunSheet(sheet,
                         {Do([&] {
                              TypeInto(Page(), IDC_SERVER_NAME, "Changed");
                              TypeInto(Page(), IDC_REMOTE_ADMIN_PASSWORD, "abc");
                          }),
                          Press(PSBTN_OK), AnswerBox(), Settle(), Press(PSBTN_CANCEL)},
                         &result));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(Commands().empty());  // not even the changed server name
}

TEST_F(SettingsSheetTest, CancelWithAShortPasswordAsksNothing) {
    INT_PTR result = 0;
    ASSERT_TRUE(RunSheet(
        sheet, {Do([&] { TypeInto(Page(), IDC_SERVER_PASSWORD, "abc"); }), Press(PSBTN_CANCEL)},
        &result));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(Commands().empty());
}

// Each edit takes only what its getter reads back; a longer stored value is shown cut but
// never sent back cut, and the console says so.
TEST_F(SettingsSheetTest, NoTextIsCutSilently) {
    const std::string stored(10000, 'n');  // a hand-edited file
    engine.SetVariable("servername", stored);
    std::vector<LRESULT> limits;
    std::string shown;
    ASSERT_TRUE(RunSheet(
        sheet,
        {Do([&] {
             for (int id : {IDC_SERVER_NAME, IDC_ADMIN_NAME, IDC_ADMIN_EMAIL, IDC_SERVER_WEBSITE,
                            IDC_SERVER_PASSWORD, IDC_REMOTE_ADMIN_PASSWORD})
                 limits.push_back(SendMessageA(GetDlgItem(Page(), id), EM_GETLIMITTEXT, 0, 0));
             shown = ui::WindowText(GetDlgItem(Page(), IDC_SERVER_NAME));
             TypeInto(Page(), IDC_ADMIN_NAME, std::string(32, 'a').c_str());
         }),
         Press(PSBTN_OK), AnswerBox(), Settle(),
         Do([&] { TypeInto(Page(), IDC_ADMIN_NAME, "Ann"); }), Press(PSBTN_OK)}));
    EXPECT_EQ(limits, (std::vector<LRESULT>{63, 31, 47, 47, 31, 31}));
    EXPECT_EQ(shown, stored.substr(0, 63));
    EXPECT_EQ(
        boxes,
        (std::vector<std::string>{"Please enter no more than 31 characters. | Server Settings"}));
    const auto sent = Commands();
    ASSERT_EQ(sent.size(), 5u);  // every field but the untouched, overlong server name
    EXPECT_EQ(sent[0], "+adminname \"Ann\"");
    EXPECT_EQ(engine.VariableText("servername"), stored);
    ASSERT_EQ(gate.notes.size(), 1u);
    EXPECT_NE(gate.notes[0].find("servername is longer than the 63 characters"), std::string::npos)
        << gate.notes[0];
}

TEST_F(SettingsSheetTest, EmptyServerNameIsNotSentAndMaskingIsRight) {
    LONG serverStyle = 0, remoteStyle = 0;
    ASSERT_TRUE(RunSheet(sheet, {Do([&] {
                                     serverStyle = GetWindowLongA(
                                         GetDlgItem(Page(), IDC_SERVER_PASSWORD), GWL_STYLE);
                                     remoteStyle = GetWindowLongA(
                                         GetDlgItem(Page(), IDC_REMOTE_ADMIN_PASSWORD), GWL_STYLE);
                                     TypeInto(Page(), IDC_SERVER_NAME, "");
                                 }),
                                 GoTo(kRules), Settle(), Press(PSBTN_CANCEL)}));
    EXPECT_TRUE(serverStyle & ES_PASSWORD);
    EXPECT_FALSE(remoteStyle & ES_PASSWORD);
    const auto sent = Commands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], "+adminname \" \"");  // the tab change committed, without a server name
}

TEST_F(SettingsSheetTest, TeamRulesSlidersAndTheirFractions) {
    settings.ffTeam = 0.5f;
    settings.mirrorDamagePercent = 0.0f;
    settings.tkPunish = 0;
    std::string ffLabel, pctLabel;
    int ffSlider = -1, pctSlider = -1;
    bool killEditsBefore = true, killEditsAfter = false, applyAfterTick = false;
    ASSERT_TRUE(RunSheet(
        sheet, {GoTo(kTeamRules), Settle(), Do([&] {
                    ffSlider = SliderAt(Page(), IDC_TEAM_FF_TEAM);
                    ffLabel = ui::WindowText(GetDlgItem(Page(), IDC_TEAM_FF_TEAM_VALUE));
                    pctSlider = SliderAt(Page(), IDC_TEAM_MIRROR_PCT);
                    pctLabel = ui::WindowText(GetDlgItem(Page(), IDC_TEAM_MIRROR_PCT_VALUE));
                    killEditsBefore = IsWindowEnabled(GetDlgItem(Page(), IDC_TEAM_TKS_TO_KICK)) ||
                                      IsWindowEnabled(GetDlgItem(Page(), IDC_TEAM_CIVS_TO_KICK));
                    engine.ClearCalls();
                    Click(Page(), IDC_TEAM_TK_PUNISH);
                    killEditsAfter = IsWindowEnabled(GetDlgItem(Page(), IDC_TEAM_TKS_TO_KICK)) &&
                                     IsWindowEnabled(GetDlgItem(Page(), IDC_TEAM_CIVS_TO_KICK));
                    applyAfterTick = ApplyEnabled(Sheet());
                }),
                Press(PSBTN_OK)}));
    EXPECT_EQ(ffSlider, 50);
    EXPECT_EQ(ffLabel, "50");
    EXPECT_EQ(pctSlider, 1);  // the slider's minimum, and the label shows what the slider shows
    EXPECT_EQ(pctLabel, "1");
    EXPECT_FALSE(killEditsBefore);
    EXPECT_TRUE(killEditsAfter);
    EXPECT_TRUE(applyAfterTick);
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"mirrordamage 1", "mirrordamagepercent 0.010000",
                                        "tkpunish 1", "ffteam 0.500000", "ffallies 0.500000",
                                        "numtkstokick 5", "numcivstokick 5", "mirrorcash 50"}));
}

TEST_F(SettingsSheetTest, SliderMovesKeepTypedTextAndCommittedPositionsReadBackTheSame) {
    settings.mirrorDamagePercent = 1.5f;
    std::string pctLabel, allyLabel, typed;
    ASSERT_TRUE(RunSheet(
        sheet, {GoTo(kTeamRules), Settle(), Do([&] {
                    pctLabel = ui::WindowText(GetDlgItem(Page(), IDC_TEAM_MIRROR_PCT_VALUE));
                    engine.ClearCalls();
                    TypeInto(Page(), IDC_TEAM_TKS_TO_KICK, "9");
                    TypeInto(Page(), IDC_TEAM_CASH_PENALTY, "75");
                    MoveSlider(Page(), IDC_TEAM_FF_ALLIES, 60);
                    MoveSlider(Page(), IDC_TEAM_MIRROR_PCT, 200);
                    allyLabel = ui::WindowText(GetDlgItem(Page(), IDC_TEAM_FF_ALLIES_VALUE));
                    typed = ui::WindowText(GetDlgItem(Page(), IDC_TEAM_TKS_TO_KICK));
                }),
                Press(PSBTN_OK)}));
    EXPECT_EQ(pctLabel, "150");
    EXPECT_EQ(allyLabel, "60");
    EXPECT_EQ(typed, "9");
    const auto sent = Commands();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent[0], "mirrordamage 1");  // typing the cash penalty leaves the flag alone
    EXPECT_EQ(sent[1], "mirrordamagepercent 2.000000");
    EXPECT_EQ(sent[5], "numtkstokick 9");
    EXPECT_EQ(sent[7], "mirrorcash 75");

    // Opened again, the committed 60 shows as 60.
    SettingsPropSheet again(nullptr, settings);
    int slider = -1;
    ASSERT_TRUE(RunSheet(again, {[&] {
                                     PostMessageA(again.Window(), PSM_SETCURSEL, kTeamRules, 0);
                                     return true;
                                 },
                                 [&] {
                                     if (CurrentTab(again.Window()) != kTeamRules) return false;
                                     slider =
                                         SliderAt(CurrentPage(again.Window()), IDC_TEAM_FF_ALLIES);
                                     PostMessageA(again.Window(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                                     return true;
                                 }}));
    EXPECT_EQ(slider, 60);
}

TEST_F(SettingsSheetTest, EmptyCashPenaltyRefusesTheTabChange) {
    int tab = -1;
    ASSERT_TRUE(RunSheet(sheet, {GoTo(kTeamRules), Settle(), Do([&] {
                                     engine.ClearCalls();
                                     TypeInto(Page(), IDC_TEAM_CASH_PENALTY, "");
                                 }),
                                 GoTo(kAdvanced), AnswerBox(), Settle(),
                                 Do([&] { tab = CurrentTab(Sheet()); }), Press(PSBTN_CANCEL)}));
    EXPECT_EQ(tab, kTeamRules);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, 24), "Please enter an integer.");
    EXPECT_TRUE(Commands().empty());
}

// Typing 45 must not send 4 first: the edits commit once typing pauses, the boxes at once.
TEST_F(SettingsSheetTest, RulesEditsCommitWhenTypingPauses) {
    settings.maxPlayers = 32;
    int slider = -1;
    std::string label;
    std::vector<std::string> whileTyping, afterPause, afterLan;
    ASSERT_TRUE(RunSheet(sheet, {GoTo(kRules), Settle(), Do([&] {
                                     slider = SliderAt(Page(), IDC_RULES_MAX_PLAYERS);
                                     label = ui::WindowText(
                                         GetDlgItem(Page(), IDC_RULES_MAX_PLAYERS_VALUE));
                                     engine.ClearCalls();
                                     TypeInto(Page(), IDC_RULES_TIME_LIMIT, "4");
                                     TypeInto(Page(), IDC_RULES_TIME_LIMIT, "45");
                                     TypeInto(Page(), IDC_RULES_ROUNDS, "7");
                                     whileTyping = Commands();
                                 }),
                                 [&] { return !Commands().empty(); }, Do([&] {
                                     afterPause = Commands();
                                     engine.ClearCalls();
                                     Click(Page(), IDC_RULES_LAN);
                                     afterLan = Commands();
                                 }),
                                 Press(PSBTN_CANCEL)}));
    EXPECT_EQ(slider, 24);
    EXPECT_EQ(label, "32");
    EXPECT_TRUE(whileTyping.empty());
    EXPECT_EQ(afterPause, (std::vector<std::string>{"maxplayers 32", "teamflip 0", "flipround 1",
                                                    "numrounds 7", "timelimit 45", "lan 0"}));
    ASSERT_EQ(afterLan.size(), 6u);
    EXPECT_EQ(afterLan[5], "lan 1");
}

TEST_F(SettingsSheetTest, RulesSliderReplacesTheStoredMaximum) {
    settings.maxPlayers = 32;
    ASSERT_TRUE(RunSheet(sheet, {GoTo(kRules), Settle(), Do([&] {
                                     engine.ClearCalls();
                                     MoveSlider(Page(), IDC_RULES_MAX_PLAYERS, 20);
                                     TypeInto(Page(), IDC_RULES_TIME_LIMIT, "0");
                                 }),
                                 Press(PSBTN_OK)}));
    const auto sent = Commands();
    ASSERT_GE(sent.size(), 6u);
    EXPECT_EQ(sent[0], "maxplayers 20");
    EXPECT_EQ(sent[4], "timelimit 0");
}

TEST_F(SettingsSheetTest, BandwidthChoices) {
    std::string dslText, t1Text, customText, backText;
    bool dslEnabled = true, customEnabled = false, backEnabled = true;
    std::vector<std::string> afterT1, afterCustom;
    ASSERT_TRUE(RunSheet(sheet, {GoTo(kAdvanced), Settle(), Do([&] {
                                     HWND edit = GetDlgItem(Page(), IDC_ADV_CUSTOM_BANDWIDTH);
                                     dslText = ui::WindowText(edit);
                                     dslEnabled = IsWindowEnabled(edit);
                                     engine.ClearCalls();
                                     Choose(Page(), IDC_ADV_BANDWIDTH, 3);
                                     t1Text = ui::WindowText(edit);
                                     afterT1 = Commands();
                                     Choose(Page(), IDC_ADV_BANDWIDTH, 5);
                                     customText = ui::WindowText(edit);
                                     customEnabled = IsWindowEnabled(edit);
                                     engine.ClearCalls();
                                     TypeInto(Page(), IDC_ADV_CUSTOM_BANDWIDTH, "20000");
                                 }),
                                 GoTo(kServer), Settle(), Do([&] { afterCustom = Commands(); }),
                                 GoTo(kAdvanced), Settle(), Do([&] {
                                     engine.ClearCalls();
                                     Choose(Page(), IDC_ADV_BANDWIDTH, 0);
                                     HWND edit = GetDlgItem(Page(), IDC_ADV_CUSTOM_BANDWIDTH);
                                     backText = ui::WindowText(edit);
                                     backEnabled = IsWindowEnabled(edit);
                                 }),
                                 Press(PSBTN_CANCEL)}));
    EXPECT_EQ(dslText, "32000");
    EXPECT_FALSE(dslEnabled);
    EXPECT_EQ(t1Text, "1000000");
    ASSERT_FALSE(afterT1.empty());
    EXPECT_EQ(afterT1[afterT1.size() - 2], "serverbandwidth 3");
    EXPECT_EQ(afterT1.back(), "sendbandwidth 1000000");
    EXPECT_EQ(customText, "32000");
    EXPECT_TRUE(customEnabled);
    ASSERT_GE(afterCustom.size(), 3u);
    EXPECT_EQ(afterCustom[afterCustom.size() - 2], "custombandwidth 20000");
    EXPECT_EQ(afterCustom.back(), "sendbandwidth 20000");
    EXPECT_EQ(backText, "4000");
    EXPECT_FALSE(backEnabled);
    EXPECT_EQ(settings.customBandwidth, 20000);
    EXPECT_EQ(Commands().back(), "sendbandwidth 4000");
}

TEST_F(SettingsSheetTest, ACustomBandwidthMustBeAnInteger) {
    DWORD selection = 0;
    ASSERT_TRUE(RunSheet(sheet, {GoTo(kAdvanced), Settle(), Do([&] {
                                     Choose(Page(), IDC_ADV_BANDWIDTH, 5);
                                     engine.ClearCalls();
                                     TypeInto(Page(), IDC_ADV_CUSTOM_BANDWIDTH, "32k");
                                 }),
                                 Press(PSBTN_OK), AnswerBox(), Settle(), Do([&] {
                                     selection = static_cast<DWORD>(SendMessageA(
                                         GetDlgItem(Page(), IDC_ADV_CUSTOM_BANDWIDTH),
                                         EM_GETSEL, 0, 0));
                                 }),
                                 Press(PSBTN_CANCEL)}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Please enter an integer. | Server Settings");
    EXPECT_EQ(selection, MAKELONG(0, 3));  // the field is picked out for a new value
    EXPECT_TRUE(Commands().empty());
}

TEST_F(SettingsSheetTest, BandwidthOutsideThePresetsAndTypedNonsense) {
    settings.serverBandwidth = 9;  // a hand-edited file
    std::string shown;
    ASSERT_TRUE(RunSheet(sheet, {GoTo(kAdvanced), Settle(), Do([&] {
                                     HWND combo = GetDlgItem(Page(), IDC_ADV_BANDWIDTH);
                                     shown = ui::WindowText(combo);
                                     SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                                     SetWindowTextA(combo, "fast");
                                     engine.ClearCalls();
                                 }),
                                 Press(PSBTN_OK)}));
    EXPECT_EQ(shown, "DSL");
    const auto sent = Commands();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[sent.size() - 2], "serverbandwidth 2");
    EXPECT_EQ(sent.back(), "sendbandwidth 32000");
}

TEST_F(SettingsSheetTest, VotingEnablesTheRatiosAndCommittingBoxesSendThePage) {
    settings.voting = 0;
    settings.playerKickVote = 0.6f;
    bool before = true, after = false, apply = false;
    std::string kickLabel;
    std::vector<std::string> afterVoting, afterLogging;
    ASSERT_TRUE(RunSheet(
        sheet, {GoTo(kAdvanced), Settle(), Do([&] {
                    before = IsWindowEnabled(GetDlgItem(Page(), IDC_ADV_KICK_RATIO)) ||
                             IsWindowEnabled(GetDlgItem(Page(), IDC_ADV_MAP_RATIO));
                    kickLabel = ui::WindowText(GetDlgItem(Page(), IDC_ADV_KICK_RATIO_VALUE));
                    engine.ClearCalls();
                    Click(Page(), IDC_ADV_VOTING);
                    after = IsWindowEnabled(GetDlgItem(Page(), IDC_ADV_KICK_RATIO)) &&
                            IsWindowEnabled(GetDlgItem(Page(), IDC_ADV_MAP_RATIO));
                    apply = ApplyEnabled(Sheet());
                    afterVoting = Commands();
                    Click(Page(), IDC_ADV_LOG_EVENTS);
                    afterLogging = Commands();
                }),
                Press(PSBTN_CANCEL)}));
    EXPECT_FALSE(before);
    EXPECT_TRUE(after);
    EXPECT_TRUE(apply);
    EXPECT_EQ(kickLabel, "60");
    EXPECT_TRUE(afterVoting.empty());
    ASSERT_EQ(afterLogging.size(), 12u);
    EXPECT_EQ(afterLogging[1], "logevents 1");
    EXPECT_EQ(afterLogging[2], "voting 1");
    EXPECT_EQ(afterLogging[3], "playerkickvote 0.600000");
}

TEST_F(SettingsSheetTest, EmptyIdleKickFieldAndTimeSyncCheck) {
    bool applyAfterTimeSync = false;
    std::vector<std::string> afterUploads;
    ASSERT_TRUE(RunSheet(
        sheet, {GoTo(kAdvanced), Settle(), Do([&] {
                    Click(Page(), IDC_ADV_TIME_SYNC);
                    applyAfterTimeSync = ApplyEnabled(Sheet());
                    engine.ClearCalls();
                    TypeInto(Page(), IDC_ADV_AFK_KICK, "");
                }),
                Do([&] { PostMessageA(GetDlgItem(Page(), IDC_ADV_UPLOADS), BM_CLICK, 0, 0); }),
                AnswerBox(), Settle(), Do([&] {
                    afterUploads = Commands();
                    TypeInto(Page(), IDC_ADV_AFK_KICK, "12");
                }),
                Press(PSBTN_OK)}));
    EXPECT_TRUE(applyAfterTimeSync);  // marks the page modified like its neighbours
    EXPECT_TRUE(afterUploads.empty());
    ASSERT_EQ(boxes.size(), 1u);
    const auto sent = Commands();
    ASSERT_GE(sent.size(), 10u);
    EXPECT_EQ(sent[7], "kickafktime 12");
    EXPECT_EQ(sent[9], "TimeSyncCheck 0");
}

// Each number field holds to what its number means: outside its range, or past any int, the
// operator is told the range (the focus goes back to the field as for any refused field), and
// nothing reaches the engine.
struct NumberCase {
    int tab, field;
    const char *typed, *range;  // no range: taken
};

class NumberFieldTest : public SettingsSheetTest,
                        public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NumberFieldTest, StaysWithinItsRange) {
    const NumberCase& c = GetParam();
    ASSERT_TRUE(RunSheet(sheet, {GoTo(c.tab), Settle(), Do([&] {
                                     if (c.tab == kAdvanced)
                                         Choose(Page(), IDC_ADV_BANDWIDTH, kCustomBandwidthPreset);
                                     engine.ClearCalls();
                                     TypeInto(Page(), c.field, c.typed);
                                 }),
                                 Press(PSBTN_OK), AnswerBox(), Settle(), Press(PSBTN_CANCEL)}));
    const std::string said = std::string("Enter a whole number from ") + c.range + ".";
    EXPECT_EQ(boxes, std::vector<std::string>(*c.range ? 1 : 0, said + " | Server Settings"));
    EXPECT_EQ(Commands().empty(), *c.range != '\0');
}

INSTANTIATE_TEST_SUITE_P(
    SettingsSheet, NumberFieldTest,
    ::testing::Values(NumberCase{kRules, IDC_RULES_TIME_LIMIT, "9999999999999", "0 to 999"},
                      NumberCase{kRules, IDC_RULES_ROUNDS, "0", "1 to 999"},
                      NumberCase{kRules, IDC_RULES_FLIP_ROUNDS, "1000", "1 to 999"},
                      NumberCase{kTeamRules, IDC_TEAM_TKS_TO_KICK, "0", "1 to 99"},
                      NumberCase{kTeamRules, IDC_TEAM_CIVS_TO_KICK, "100", "1 to 99"},
                      NumberCase{kTeamRules, IDC_TEAM_CASH_PENALTY, "10000", "0 to 9999"},
                      NumberCase{kAdvanced, IDC_ADV_AFK_KICK, "1000", "0 to 999"},
                      NumberCase{kAdvanced, IDC_ADV_CUSTOM_BANDWIDTH, "999", "1000 to 100000000"},
                      NumberCase{kAdvanced, IDC_ADV_CUSTOM_BANDWIDTH, "99999999", ""}));

}  // namespace
}  // namespace korvane
