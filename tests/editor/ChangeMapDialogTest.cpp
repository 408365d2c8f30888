// The Change Map dialog run modally against the recording engine, and Game > Change Map from
// the main window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/ChangeMapDialog.h"
#include "resources/resource.h"
#include "support/Lists.h"
#include "support/MapDialogFixture.h"
#include "support/TestWindow.h"

namespace korvane {
namespace {

using test::Rows;
using test::SelectRow;
using test::Press;
using Texts = std::vector<std::string>;

class ChangeMapDialogTest : public test::MapDialogFixture {
  protected:
    // Runs the dialog: `check` runs once inside it and must close it.
    INT_PTR Run(const std::function<void(HWND dialog, HWND list)>& check) {
        ChangeMapDialog dialog(nullptr, settings);
        return RunDialog(dialog, [&] { check(dialog.Window(), dialog.Item(IDC_MAP_LIST)); });
    }
    Texts Commands() const { return engine.Commands(); }
};

TEST_F(ChangeMapDialogTest, TheDefaultRotationIsListedInOrderAndLimaSendsChangemap4) {
    DefaultRotation();
    const INT_PTR result = Run([&](HWND dialog, HWND list) {
        EXPECT_EQ(Rows(list), Texts(DefaultMapRotation, DefaultMapRotation + kDefaultMapCount));
        EXPECT_EQ(ui::ListNextSelected(list), -1);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_EQ(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0),
                  reinterpret_cast<LRESULT>(
                      LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))));
        SelectRow(list, 4);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Commands(), Texts{"changemap 4"});
}

// "nummaps 13" typed into the console after an empty rotation was confirmed: the list is what
// the engine holds, not what the settings last read.
TEST_F(ChangeMapDialogTest, TheRotationIsReadFromTheEngineEachTime) {
    DefaultRotation();
    settings.mapCount = 0;
    Run([&](HWND dialog, HWND list) {
        EXPECT_EQ(ui::ListCount(list), kDefaultMapCount);
        Press(dialog, IDCANCEL);
    });
}

TEST_F(ChangeMapDialogTest, CapitalsAreShownLowerCaseAndCancelSendsNothing) {
    DefaultRotation();
    engine.SetVariable("map12", "Worlds/USA");
    const INT_PTR result = Run([&](HWND dialog, HWND list) {
        EXPECT_EQ(ui::ListItemText(list, 12), "worlds/usa");
        SelectRow(list, 12);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(engine.Calls().empty());
    EXPECT_EQ(engine.VariableText("map12"), "Worlds/USA");
}

TEST_F(ChangeMapDialogTest, RowsAfterAGapMoveUpAndSendTheirRotationEntry) {
    for (int i : {0, 1, 3, 4}) engine.SetVariable("map" + std::to_string(i), DefaultMapRotation[i]);
    engine.SetVariable("nummaps", "5");
    settings.mapCount = 5;
    Run([&](HWND dialog, HWND list) {
        EXPECT_EQ(Rows(list), (Texts{"worlds/antarctica", "worlds/argentina", "worlds/colombia",
                                     "worlds/lima"}));
        SelectRow(list, 3);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Commands(), Texts{"changemap 4"});
}

TEST_F(ChangeMapDialogTest, ADraggedRowKeepsItsRotationEntry) {
    DefaultRotation();
    Run([&](HWND dialog, HWND list) {
        // The dragged row loses its selection on the way, and OK goes with it.
        SelectRow(list, 0);
        test::DragRow(list, 0, {1, 2});
        EXPECT_EQ(Rows(list)[2], "worlds/antarctica");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        SelectRow(list, 2);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Commands(), Texts{"changemap 0"});
}

TEST_F(ChangeMapDialogTest, NeitherOkWithoutARowNorADoubleClickSendsOrCloses) {
    DefaultRotation();
    const INT_PTR result = Run([&](HWND dialog, HWND list) {
        // The command can still arrive with the button disabled (Enter, another program).
        Press(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SelectRow(list, 1);
        test::DoubleClick(list);
        EXPECT_TRUE(IsWindowVisible(dialog));
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(Commands().empty());
}

struct DialogSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchChangeMap(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        ui::WindowText(window) == "Change Map") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The Change Map dialog open over `owner`, or null.
HWND FindChangeMap(HWND owner) {
    DialogSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchChangeMap, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(GameChangeMap, OpensTheDialogOverTheMainWindowAndItsChoiceReachesTheEngine) {
    test::RecordingEngine engine;
    test::TestWindow window(engine);
    HWND changeMap = nullptr;
    bool closed = false;
    const bool finished = test::RunScript(
        window, {[&] { return window.Window() && engine.ticks > 0; },
                 [&] {
                     for (int i = 0; i < kDefaultMapCount; ++i)
                         engine.SetVariable("map" + std::to_string(i), DefaultMapRotation[i]);
                     window.Host().Settings().mapCount = kDefaultMapCount;
                     // Posted: the dialog's modal loop must not run inside this step.
                     PostMessageA(window.Window(), WM_COMMAND, MAKEWPARAM(IDM_CHANGE_MAP, 0), 0);
                     return true;
                 },
                 [&] {
                     changeMap = FindChangeMap(window.Window());
                     if (!changeMap ||
                         ui::ListCount(GetDlgItem(changeMap, IDC_MAP_LIST)) != kDefaultMapCount)
                         return false;
                     SelectRow(GetDlgItem(changeMap, IDC_MAP_LIST), 4);
                     PostMessageA(changeMap, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                     return true;
                 },
                 [&] {
                     if (IsWindow(changeMap)) return false;
                     closed = true;
                     window.SetConfirmOnClose(false);
                     window.End(IDCANCEL);
                     return true;
                 }});
    EXPECT_TRUE(finished);
    EXPECT_TRUE(closed);
    EXPECT_EQ(engine.CallsStartingWith("ExecuteCommand changemap"),
              Texts{"ExecuteCommand changemap 4"});
    EXPECT_EQ(engine.overlappingCalls, 0);
}

}  // namespace
}  // namespace korvane
