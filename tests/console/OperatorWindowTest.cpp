// The operator's tools in the main window: the console log beside the pane, history and
// completion on the real command line, the player menu and Delete reaching the engine, the
// notification-area icon through its seam, File > Open Log Folder.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/CommandHistory.h"
#include "console/TrayIcon.h"
#include "support/Lists.h"
#include "support/MainWindowFixture.h"

namespace korvane {
namespace {

using test::RunScript;
using test::Step;
using test::TempFolder;
using test::TrayCall;
using ui::WindowText;

std::vector<std::string> SplitLines(const std::string& text, size_t skip = 0) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(text.substr(start + std::min(skip, end - start), end - start - skip));
    return lines;
}

// Every log file's lines without their "YYYY-MM-DD HH:MM:SS " stamps, oldest file first.
std::vector<std::string> LoggedLines(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\console-*.log").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names) text += TempFolder::ReadFile(folder + "\\" + name);
    return SplitLines(text, 20);
}

class OperatorWindowTest : public test::MainWindowFixture {
  protected:
    std::string Logs() { return window->files / "logs"; }
    std::vector<std::string> PaneLines() { return SplitLines(WindowText(Item(IDC_CONSOLE))); }
    Step Key(WPARAM key) {
        return [this, key] {
            SetFocus(Item(IDC_COMMAND_LINE));
            return PostMessageA(Item(IDC_COMMAND_LINE), WM_KEYDOWN, key, 0) != 0;
        };
    }
    Step Shows(const char* text) {
        return [this, text] { return WindowText(Item(IDC_COMMAND_LINE)) == text; };
    }
    int RowOf(int32_t id) {
        HWND list = Item(IDC_PLAYER_LIST);
        for (int row = 0; row < ui::ListCount(list); ++row)
            if (test::Cell(list, row, 0) == std::to_string(id)) return row;
        return -1;
    }
    std::vector<TrayCall> Tray(DWORD message) {
        std::vector<TrayCall> calls;
        for (const TrayCall& call : window->trayCalls)
            if (call.message == message) calls.push_back(call);
        return calls;
    }
};

TEST_F(OperatorWindowTest, ConsoleLogHoldsWhatThePaneShowsInOrder) {
    CreateDirectoryA(Logs().c_str(), nullptr);
    const std::string old = Logs() + "\\console-2000-01-01.log";
    TempFolder::WriteFile(old, "2000-01-01 00:00:00 long ago\r\n");
    std::vector<std::string> pane, logged;
    bool oldGone = false;
    UINT firstFileItem = 0;
    ASSERT_TRUE(
        RunScript(*window, {Running(), Do([&] {
                                oldGone = !TempFolder::Exists(old);
                                firstFileItem = GetMenuItemID(GetSubMenu(GetMenu(Main()), 0), 0);
                                SendMessageA(Main(), WM_COMMAND, IDM_OPEN_LOG_FOLDER, 0);
                            }),
                            Deliver("\x06"
                                    "engine text 100% %s"),
                            Refreshed(), Do([&] {
                                Type("say one");  // echoed at once, answered at the next refresh
                                Type("say two");
                            }),
                            [&] {
                                pane = PaneLines();
                                logged = LoggedLines(Logs());
                                return logged == pane;
                            },
                            Close()}));
    EXPECT_TRUE(oldGone);  // removed at start-up
    EXPECT_EQ(logged, pane);
    const auto at = [&](const char* line) {
        return std::find(logged.begin(), logged.end(), line) - logged.begin();
    };
    // The engine's text, both echoes, then the answers: the pane's order, the pane's lines.
    EXPECT_LT(at("engine text 100% %s"), at("say one"));
    EXPECT_EQ(at("say one") + 2, at("set say"));
    EXPECT_EQ(firstFileItem, static_cast<UINT>(IDM_OPEN_LOG_FOLDER));
    EXPECT_EQ(window->openedFolders, std::vector<std::string>{Logs()});
}

// The log file gets what leaves the screen (the web console takes the same lines, and the
// browser test sees them there); the engine gets the password itself.
TEST_F(OperatorWindowTest, PasswordValuesStayOnTheOperatorsScreen) {
    std::string logged = "\n";  // each line between line ends
    ASSERT_TRUE(RunScript(*window, {Running(), Do([&] { Type("serverpassword hunter22"); }),
                                    Deliver("\x06"
                                            "serverpassword is \"hunter22\""),
                                    Refreshed(), Do([&] {
                                        for (const std::string& line : LoggedLines(Logs()))
                                            logged += line + "\n";
                                    }),
                                    Close()}));
    EXPECT_EQ(logged.find("hunter22"), std::string::npos) << logged;
    EXPECT_NE(logged.find("\nserverpassword ****\n"), std::string::npos) << logged;
    EXPECT_NE(logged.find("\nserverpassword is \"****\"\n"), std::string::npos);
    EXPECT_EQ(engine.VariableText("serverpassword"), "hunter22");
}

TEST_F(OperatorWindowTest, UnwritableLogSaysSoOnceAndTheConsoleGoesOn) {
    TempFolder::WriteFile(Logs(), "a file where the folder should be");
    std::string pane;
    ASSERT_TRUE(RunScript(
        *window, {Running(),
                  Deliver("\x06"
                          "first"),
                  Refreshed(),
                  Deliver("\x06"
                          "second"),
                  Refreshed(), Do([&] { pane = WindowText(Item(IDC_CONSOLE)); }), Close()}));
    const size_t said =
        pane.find("Console log stopped: a file is in the way of the folder " + Logs());
    EXPECT_NE(said, std::string::npos) << pane;
    EXPECT_EQ(pane.find("Console log stopped", said + 1), std::string::npos) << pane;
    EXPECT_NE(pane.find("second"), std::string::npos);
}

TEST_F(OperatorWindowTest, AStoppedLogStaysInTheTooltipAndIsToldAgainEveryHour) {
    TempFolder::WriteFile(Logs(), "a file where the folder should be");
    const std::string said = "Console log stopped";
    ASSERT_TRUE(RunScript(
        *window, {Running(),
                  [&] { return std::string(window->trayCalls.back().data.szTip).find(said) == 0; },
                  Do([&] { window->clockMs = OperatorTools::kLogStoppedRepeatMs; }),
                  [&] {
                      const std::string pane = WindowText(Item(IDC_CONSOLE));
                      return pane.find(said) != pane.rfind(said);  // said again
                  },
                  Close()}));
}

TEST_F(OperatorWindowTest, EscapeClearsTheLineAndTypingNeverAnswersTheQuitQuestion) {
    std::string line;
    const Step typeIntoQuestion = Do([] {  // the rest of "say hello": letters, Alt+Y, a space
        for (UINT message : {WM_CHAR, WM_SYSCHAR}) PostMessageA(GetFocus(), message, 'y', 0);
        for (UINT message : {WM_KEYDOWN, WM_KEYUP}) PostMessageA(GetFocus(), message, VK_SPACE, 0);
    });
    ASSERT_TRUE(RunScript(
        *window, {Running(), Do([&] { SetDlgItemTextA(Main(), IDC_COMMAND_LINE, "say hel"); }),
                  Key(VK_ESCAPE), Do([&] {
                      line = WindowText(Item(IDC_COMMAND_LINE));
                      if (HWND box = test::FindMessageBox(Main())) EndDialog(box, IDNO);
                  }),
                  Key(VK_ESCAPE), [&] { return test::FindMessageBox(Main()) != nullptr; },
                  typeIntoQuestion, AnswerQuestion(IDYES)}));
    EXPECT_EQ(line, "");
    EXPECT_EQ(question, "Are you sure you want to quit?");  // still asking after the typing
    const auto logged = LoggedLines(Logs());
    EXPECT_NE(std::find(logged.begin(), logged.end(), "Quit confirmed by the operator."),
              logged.end());
}

TEST_F(OperatorWindowTest, TabOnAnArgumentLeavesTheLine) {
    std::string line;
    ASSERT_TRUE(RunScript(
        *window, {Running(), Do([&] {
                      SetDlgItemTextA(Main(), IDC_COMMAND_LINE, "kick 4");
                      SendMessageA(Item(IDC_COMMAND_LINE), EM_SETSEL, 6, 6);
                  }),
                  Key(VK_TAB), Do([&] { line = WindowText(Item(IDC_COMMAND_LINE)); }), Close()}));
    EXPECT_EQ(line, "kick 4");  // not "kickafktime 4", which would set a variable
}

TEST_F(OperatorWindowTest, HistoryIsLoadedWalkedCompletedAndSavedAtTheEnd) {
    const std::string file = window->files / "history.txt";
    TempFolder::WriteFile(file, "status\r\nsay old\r\n");
    // The program has run for 49.7 days less a minute: the save interval spans the wrap of a
    // 32-bit millisecond clock, which must not hold the saving up for another 49 days.
    const uint64_t started = (1ull << 32) - 60000;
    window->clockMs = started;
    std::string savedEarly, savedAfterFirst;
    ASSERT_TRUE(
        RunScript(*window, {Running(), Key(VK_UP), Shows("say old"), Key(VK_UP), Shows("status"),
                            Do([&] { Type("kick 5"); }), Key(VK_UP), Shows("kick 5"),
                            Do([&] { SetDlgItemTextA(Main(), IDC_COMMAND_LINE, "maxp"); }),
                            Key(VK_TAB), Shows("maxplayers"), Deliver(""), Refreshed(),
                            // Not written yet; a few minutes on, the next refresh writes it.
                            Do([&] {
                                savedEarly = TempFolder::ReadFile(file);
                                window->clockMs = started + CommandHistory::kSaveIntervalMs;
                            }),
                            [&] {
                                savedAfterFirst = TempFolder::ReadFile(file);
                                return savedAfterFirst.find("kick 5") != std::string::npos;
                            },
                            // The end writes what came since.
                            Do([&] { Type("say new"); }), Close()}));
    EXPECT_EQ(savedEarly, "status\r\nsay old\r\n");
    EXPECT_EQ(savedAfterFirst, "status\r\nsay old\r\nkick 5\r\n");
    EXPECT_EQ(TempFolder::ReadFile(file), "status\r\nsay old\r\nkick 5\r\nsay new\r\n");
}

TEST_F(OperatorWindowTest, PlayerMenuAndDeleteKickThatRowsPlayer) {
    HWND list = nullptr;
    ASSERT_TRUE(RunScript(*window, {Running(), Deliver("\x01 5"), Refreshed(), Deliver("\x01 9"),
                                    Refreshed(), Do([&] {
                                        list = Item(IDC_PLAYER_LIST);
                                        engine.ClearCalls();
                                        // A right-click on player 9's row: the list hands the
                                        // window the menu.
                                        window->menuChoice = IDM_PLAYER_KICK;
                                        POINT at = test::RowPoint(list, RowOf(9));
                                        ClientToScreen(list, &at);
                                        SendMessageA(list, WM_CONTEXTMENU,
                                                     reinterpret_cast<WPARAM>(list),
                                                     MAKELPARAM(at.x, at.y));
                                        test::SelectRow(list, RowOf(5));
                                        SetFocus(list);
                                        PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
                                    }),
                                    AnswerQuestion(IDYES), Deliver(""), Refreshed(), Close()}));
    EXPECT_EQ(engine.CallsStartingWith("KickPlayer"),
              (std::vector<std::string>{"KickPlayer 9", "KickPlayer 5"}));
    EXPECT_EQ(question, "Kick NEWPLAYER (5)?");
    EXPECT_TRUE(noIsDefault);
}

TEST_F(OperatorWindowTest, TrayIconShowsTheServerAndQuitsLikeFileQuit) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    auto trayMenu = [&](int choice) {
        return Do([&, choice] {
            window->menuChoice = choice;
            SendMessageA(Main(), TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
        });
    };
    bool runningAfterNo = false;
    INT_PTR result = -1;
    ASSERT_TRUE(RunScript(
        *window,
        {Running(), Do([&] { Type("servername Bunker"); }), Deliver("\x01 5"),
         [&] {
             const auto modified = Tray(NIM_MODIFY);
             return !modified.empty() &&
                    std::string(modified.back().data.szTip)
                            .rfind("Bunker\nPlayers 1 / 16\nUpdate rate ", 0) == 0;
         },
         Do([&] { SendMessageA(Main(), taskbarCreated, 0, 0); }), trayMenu(IDM_TRAY_QUIT),
         AnswerQuestion(IDNO), Do([&] {
             runningAfterNo = window->Host().EngineLoaded();
             ShowWindow(Main(), SW_MINIMIZE);
             engine.tickResult = 0;
         }),
         [&] {
             return !Tray(NIM_MODIFY).empty() && (Tray(NIM_MODIFY).back().data.uFlags & NIF_INFO);
         },
         // Without an engine, Quit asks nothing.
         trayMenu(IDM_TRAY_QUIT)},
        15000, &result));
    const auto added = Tray(NIM_ADD);
    ASSERT_EQ(added.size(), 2u);  // at the start, and when the taskbar came back
    EXPECT_EQ(added[0].data.hWnd, added[1].data.hWnd);
    EXPECT_EQ(added[0].data.uCallbackMessage, TrayIcon::kCallbackMessage);
    EXPECT_NE(added[0].data.hIcon, nullptr);
    EXPECT_TRUE(runningAfterNo);
    EXPECT_EQ(question, "Are you sure you want to quit?");
    EXPECT_STREQ(Tray(NIM_MODIFY).back().data.szInfo,
                 "The engine has stopped. The window stays open without it.");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(window->trayCalls.back().message, static_cast<DWORD>(NIM_DELETE));
}

}  // namespace
}  // namespace korvane
