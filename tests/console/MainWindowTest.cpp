// The operator console with the real controls: command line, player list refresh, window
// commands and the engine's close event, against the recording engine.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "support/Lists.h"
#include "support/MainWindowFixture.h"
#include "ui/Text.h"

namespace korvane {
namespace {

using test::Cell;
using test::RecordingEngine;
using test::RunScript;
using test::Step;
using test::TestWindow;
using ui::WindowText;

// Counts the cell writes the list receives, to see that steady rows are left alone.
WNDPROC listProc = nullptr;
int cellWrites = 0;
LRESULT CALLBACK CountingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LVM_SETITEMTEXTA) ++cellWrites;
    return CallWindowProcA(listProc, window, message, wParam, lParam);
}

using MainWindowTest = test::MainWindowFixture;

TEST_F(MainWindowTest, TypedCommandsAreEchoedSentAndAnswered) {
    std::string afterFirst, afterEmpty, pane, commandLine;
    LRESULT limit = 0;
    ASSERT_TRUE(RunScript(*window, {Running(), Deliver(""), Refreshed(), Do([&] {
                                        limit = SendMessageA(Item(IDC_COMMAND_LINE),
                                                             EM_GETLIMITTEXT, 0, 0);
                                        SetWindowTextA(Item(IDC_CONSOLE), "");
                                        engine.ClearCalls();
                                        Type("say 100% %s done");
                                        afterFirst = WindowText(Item(IDC_CONSOLE));
                                        commandLine = WindowText(Item(IDC_COMMAND_LINE));
                                        Type("");
                                        afterEmpty = WindowText(Item(IDC_CONSOLE));
                                    }),
                                    Deliver(""), Refreshed(),
                                    Do([&] { pane = WindowText(Item(IDC_CONSOLE)); }), Close()}));
    EXPECT_EQ(limit, 119);                          // only what is sent whole can be typed
    EXPECT_EQ(afterFirst, "say 100% %s done\r\n");  // echoed at once, exactly as typed
    EXPECT_EQ(commandLine, "");
    EXPECT_EQ(afterEmpty, afterFirst);
    EXPECT_EQ(engine.CallsStartingWith("ExecuteCommand"),
              (std::vector<std::string>{"ExecuteCommand say 100% %s done"}));
    // The engine's answer follows the echo at the next refresh.
    EXPECT_EQ(pane.substr(0, afterFirst.size() + 10), afterFirst + "set say\r\n");
}

TEST_F(MainWindowTest, CommandLineSendsNothingAfterTheEngineStoppedAndTheWindowSaysSo) {
    engine.tickResult = 0;
    std::string commandLine, pane;
    UINT greyed = 0;
    ASSERT_TRUE(RunScript(
        *window,
        {[&] { return WindowText(Item(IDC_UPDATE_RATE)) == "stopped"; }, Do([&] {
             engine.ClearCalls();
             Type("status");
             commandLine = WindowText(Item(IDC_COMMAND_LINE));
             Type("status");
             pane = WindowText(Item(IDC_CONSOLE));
             for (UINT id : {IDM_CHANGE_MAP, IDM_KICK_PLAYER, IDM_SETTINGS})
                 greyed += (GetMenuState(GetMenu(Main()), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
         }),
         [&] {
             return std::string(window->trayCalls.back().data.szTip).find("Engine stopped") == 0;
         },
         Close()}));
    EXPECT_EQ(commandLine, "status");
    EXPECT_TRUE(engine.CallsStartingWith("ExecuteCommand").empty());
    EXPECT_EQ(greyed, 3u);
    const size_t told = pane.find("Not sent: the engine has stopped");
    EXPECT_NE(told, std::string::npos) << pane;
    EXPECT_EQ(pane.find("Not sent", told + 1), std::string::npos);  // once, not per Enter
}

TEST_F(MainWindowTest, PlayerListFollowsTheEvents) {
    HWND list = nullptr;
    std::vector<std::string> first, second;
    int writesWhenSteady = -1;
    std::vector<std::string> texts;
    ASSERT_TRUE(RunScript(
        *window, {Running(), Do([&] {
                      list = Item(IDC_PLAYER_LIST);
                      listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                          list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingListProc)));
                  }),
                  Deliver(std::string("\x01") + " 7"), Refreshed(), Do([&] {
                      for (int c = 0; c < 6; ++c) first.push_back(Cell(list, 0, c));
                  }),
                  Deliver(std::string("\x03") + "7 Alice\n1071 8 -1"), Refreshed(), Do([&] {
                      for (int c = 0; c < 6; ++c) second.push_back(Cell(list, 0, c));
                      cellWrites = 0;
                  }),
                  Refreshed(), Do([&] {
                      writesWhenSteady = cellWrites;
                      for (int id : {1073, 1073 + 65536, -1})
                          texts.push_back(window->Host().ResourceText(id));
                  }),
                  Close()}));
    ASSERT_EQ(first.size(), 6u);
    EXPECT_EQ(first[0], "7");
    EXPECT_EQ(first[1], "NEWPLAYER");
    EXPECT_EQ(first[2], "Unassigned");  // text 1073 of korvane/cres.dll
    EXPECT_EQ(first[3], "None");        // text 0
    EXPECT_EQ(first[4], "50");          // the engine's 0.05 s
    EXPECT_TRUE(first[5] == "00m:00s" || first[5] == "00m:01s") << first[5];
    EXPECT_EQ(second[1], "Alice");
    EXPECT_EQ(second[2], "Red Force");
    EXPECT_EQ(second[3], "Unassigned");
    // Once steady, nothing is rewritten (the time cell changes once a second at most).
    EXPECT_LE(writesWhenSteady, 1);
    EXPECT_FALSE(engine.CallsStartingWith("GetPlayerInfo 7").empty());
    // Text ids outside 16 bits name no text, whatever their low bits.
    EXPECT_EQ(texts, (std::vector<std::string>{"Unassigned", "", ""}));
    EXPECT_FALSE(engine.CallsStartingWith("GetPlayerPing 7").empty());
}

TEST_F(MainWindowTest, SelectionFollowsThePlayerAndKickHitsOnlyTheSelected) {
    HWND list = nullptr;
    std::string selectedAfterJoin;
    int selectedAfterLeave = 0;
    LONG listStyle = 0;
    ASSERT_TRUE(RunScript(
        *window, {Running(), Do([&] {
                      list = Item(IDC_PLAYER_LIST);
                      listStyle = GetWindowLongA(list, GWL_STYLE);
                  }),
                  Deliver(std::string("\x01") + "5"), Refreshed(), Do([&] {
                      test::SelectRow(list, 0);  // player 5
                      engine.ClearCalls();
                      SendMessageA(Main(), WM_COMMAND, IDM_KICK_PLAYER, 0);
                  }),
                  // Player 2 joins and sorts before player 5: the selection moves with player 5.
                  Deliver(std::string("\x01") + "2"), Refreshed(), Do([&] {
                      const int row = ui::ListNextSelected(list);
                      selectedAfterJoin = row >= 0 ? Cell(list, row, 0) : "";
                  }),
                  Deliver(std::string("\x02") + "5"), Refreshed(), Do([&] {
                      selectedAfterLeave = ui::ListNextSelected(list);
                      SendMessageA(Main(), WM_COMMAND, IDM_KICK_PLAYER, 0);  // nothing selected now
                  }),
                  Close()}));
    EXPECT_EQ(engine.CallsStartingWith("KickPlayer"), (std::vector<std::string>{"KickPlayer 5"}));
    EXPECT_EQ(selectedAfterJoin, "5");
    EXPECT_EQ(selectedAfterLeave, -1);
    // Kick acts on the selection, so it stays visible while the command line has the focus.
    EXPECT_TRUE(listStyle & LVS_SHOWSELALWAYS);
}

TEST_F(MainWindowTest, IdColumnShowsWholeIds) {
    HWND list = nullptr;
    int headerWidth = 0, width = 0, idWidth = 0, widthAfterLeave = 0;
    ASSERT_TRUE(RunScript(
        *window, {Running(), Do([&] {
                      list = Item(IDC_PLAYER_LIST);
                      headerWidth = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
                  }),
                  Deliver(std::string("\x01") + "2000000000"), Refreshed(), Do([&] {
                      width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
                      idWidth = static_cast<int>(SendMessageA(
                          list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("2000000000")));
                  }),
                  Deliver(std::string("\x02") + "2000000000"), Refreshed(), Do([&] {
                      widthAfterLeave =
                          static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
                  }),
                  Close()}));
    EXPECT_GT(width, idWidth);
    EXPECT_GE(width, headerWidth);
    EXPECT_EQ(widthAfterLeave, width);  // it does not jump back
}

TEST_F(MainWindowTest, QuitAndCloseAskFirst) {
    INT_PTR result = 0;
    std::string pane;
    bool stillRunning = false;
    ASSERT_TRUE(RunScript(
        *window,
        {Running(), Do([&] { PostMessageA(Main(), WM_COMMAND, IDM_QUIT, 0); }),
         AnswerQuestion(IDNO), Do([&] { stillRunning = window->Host().EngineLoaded(); }),
         // Escape in the command line is the close request.
         Do([&] {
             SetFocus(Item(IDC_COMMAND_LINE));
             PostMessageA(Item(IDC_COMMAND_LINE), WM_KEYDOWN, VK_ESCAPE, 0);
         }),
         AnswerQuestion(IDNO), Do([&] { PostMessageA(Main(), WM_SYSCOMMAND, SC_CLOSE, 0); }),
         AnswerQuestion(IDYES)},
        15000, &result));
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(question, "Are you sure you want to quit?");
    EXPECT_TRUE(noIsDefault);  // a stray Escape then Enter keeps the server
    EXPECT_EQ(result, 0);      // a confirmed close is a clean end for scripts
    EXPECT_EQ(engine.Calls().back(), "ReleaseEngine");
}

TEST_F(MainWindowTest, QuitMenuYesEndsTheRunWithCodeZero) {
    INT_PTR result = -1;
    ASSERT_TRUE(RunScript(*window,
                          {Running(), Do([&] { PostMessageA(Main(), WM_COMMAND, IDM_QUIT, 0); }),
                           AnswerQuestion(IDYES)},
                          15000, &result));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(noIsDefault);
    EXPECT_EQ(engine.Calls().back(), "ReleaseEngine");
}

// The sheet over the running server: an OK has the engine write the file after the last
// command, so the next start keeps the change; Cancel with nothing applied writes nothing.
TEST_F(MainWindowTest, SettingsConfirmedWhileRunningAreWrittenToTheFile) {
    HWND sheet = nullptr;
    std::vector<std::string> afterOk, afterCancel;
    auto openSheet = [&] {
        return [&] {
            PostMessageA(Main(), WM_COMMAND, IDM_SETTINGS, 0);
            return true;
        };
    };
    auto press = [&](int button) {
        return [&, button] {
            sheet = FindWindowA(nullptr, "Server Settings");
            if (!sheet || !IsWindowVisible(sheet)) return false;
            if (button == PSBTN_OK) engine.ClearCalls();
            PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
            return true;
        };
    };
    ASSERT_TRUE(RunScript(
        *window,
        {Running(), openSheet(), press(PSBTN_OK), [&] { return !IsWindow(sheet); }, Do([&] {
             afterOk = engine.Calls();
             engine.ClearCalls();
         }),
         openSheet(), press(PSBTN_CANCEL), [&] { return !IsWindow(sheet); },
         Do([&] { afterCancel = engine.Calls(); }), Close()}));
    auto positions = [](const std::vector<std::string>& calls, const std::string& prefix) {
        std::vector<size_t> found;
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].rfind(prefix, 0) == 0) found.push_back(i);
        return found;
    };
    const auto writes = positions(afterOk, "WriteConfigFile korvane/server.cfg 4");
    const auto commands = positions(afterOk, "ExecuteCommand ");
    ASSERT_EQ(writes.size(), 1u);
    ASSERT_FALSE(commands.empty());
    EXPECT_GT(writes[0], commands.back());  // after the pages' last command
    EXPECT_TRUE(positions(afterCancel, "WriteConfigFile").empty());
    EXPECT_EQ(engine.overlappingCalls, 0);
}

TEST_F(MainWindowTest, SizeCannotChange) {
    RECT before = {}, after = {};
    MINMAXINFO limits = {};
    LRESULT dragIcon = 0, bigIcon = 0;
    ASSERT_TRUE(RunScript(*window, {Running(), Do([&] {
                                        GetWindowRect(Main(), &before);
                                        SendMessageA(Main(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
                                        SendMessageA(Main(), WM_SYSCOMMAND, SC_SIZE, 0);
                                        GetWindowRect(Main(), &after);
                                        SendMessageA(Main(), WM_GETMINMAXINFO, 0,
                                                     reinterpret_cast<LPARAM>(&limits));
                                        dragIcon = SendMessageA(Main(), WM_QUERYDRAGICON, 0, 0);
                                        bigIcon = SendMessageA(Main(), WM_GETICON, ICON_BIG, 0);
                                    }),
                                    Close()}));
    const LONG width = before.right - before.left, height = before.bottom - before.top;
    EXPECT_EQ(after.right - after.left, width);
    EXPECT_EQ(after.bottom - after.top, height);
    EXPECT_FALSE(IsZoomed(Main()));
    // Dragging the border is bounded to the current size both ways.
    EXPECT_EQ(limits.ptMinTrackSize.x, width);
    EXPECT_EQ(limits.ptMaxTrackSize.x, width);
    EXPECT_EQ(limits.ptMinTrackSize.y, height);
    EXPECT_EQ(limits.ptMaxTrackSize.y, height);
    EXPECT_EQ(limits.ptMaxSize.x, width);
    // Dragged while minimised, the window shows the program's icon.
    EXPECT_NE(dragIcon, 0);
    EXPECT_EQ(dragIcon, bigIcon);
}

TEST_F(MainWindowTest, AboutShowsTheVersionBeforeAndAfterTheEngineStopped) {
    std::vector<std::string> lines;
    auto readAbout = [&] {
        return [&] {
            HWND about = nullptr;
            for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
                if (GetWindow(w, GW_OWNER) == Main() && GetDlgItem(w, IDC_ABOUT_VERSION) &&
                    IsWindowVisible(w))
                    about = w;
            if (!about) return false;
            lines.push_back(WindowText(GetDlgItem(about, IDC_ABOUT_VERSION)));
            EndDialog(about, IDOK);
            return true;
        };
    };
    ASSERT_TRUE(RunScript(
        *window,
        {Running(), Do([&] { PostMessageA(Main(), WM_COMMAND, IDM_ABOUT, 0); }), readAbout(),
         Do([&] { PostMessageA(Main(), WM_SYSCOMMAND, IDM_ABOUTBOX_SYS, 0); }), readAbout(),
         Do([&] { engine.tickResult = 0; }), [&] { return !window->Host().EngineLoaded(); },
         Do([&] { PostMessageA(Main(), WM_COMMAND, IDM_ABOUT, 0); }), readAbout(), Close()}));
    EXPECT_EQ(lines, (std::vector<std::string>{"Version 1.0.5", "Version 1.0.5", "Version 1.0.5"}));
}

TEST_F(MainWindowTest, CloseEventEndsTheRunWithoutAQuestion) {
    INT_PTR result = -1;
    ASSERT_TRUE(
        RunScript(*window, {Running(), Deliver("\x07"), [] { return false; }}, 5000, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(engine.Calls().back(), "ReleaseEngine");
}

TEST_F(MainWindowTest, CloseEventEndsTheRunEvenOverAMessageBox) {
    INT_PTR result = -1;
    ASSERT_TRUE(RunScript(*window,
                          {Running(), Do([&] { PostMessageA(Main(), WM_COMMAND, IDM_QUIT, 0); }),
                           [&] { return test::FindMessageBox(Main()) != nullptr; }, Deliver("\x07"),
                           [] { return false; }},
                          5000, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(engine.Calls().back(), "ReleaseEngine");
}

}  // namespace
}  // namespace korvane
