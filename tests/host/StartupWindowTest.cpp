// The main window's part in the start-up: the caption, what the operator is told, how the run
// ends, and the refresh that shows the engine's text and figures.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/HostFixture.h"
#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "support/TestWindow.h"
#include "ui/Text.h"

namespace korvane {
namespace {

using test::RecordingEngine;
using test::RunModal;
using test::TestWindow;

class StartupWindowTest : public test::HostFixture {
  protected:
    std::unique_ptr<TestWindow> MakeWindow(RecordingEngine& with) {
        return std::make_unique<TestWindow>(with);
    }
};

TEST_F(StartupWindowTest, CaptionCarriesTheVersionAndTheWindowShutsTheEngineDown) {
    auto window = MakeWindow(engine);
    std::string caption;
    RunModal(*window, [&] {
        if (engine.ticks < 3) return false;
        caption = ui::WindowText(window->Window());
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_EQ(caption, "Korvane Server 1.0.5");
    EXPECT_EQ(window->sheetRuns, 0);
    EXPECT_EQ(engine.Calls().back(), "ReleaseEngine");
    EXPECT_EQ(engine.overlappingCalls, 0);
}

// Runs `window` until its start-up message box, answers it and returns its text.
std::string AnswerStartupBox(ui::Dialog& window, INT_PTR& result) {
    std::string text;
    bool timedOut = false;
    result = RunModal(
        window,
        [&] {
            HWND box = test::FindMessageBox(window.Window());
            if (!box) return false;
            text = ui::WindowText(GetDlgItem(box, 0xFFFF));
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        },
        5000, &timedOut);
    EXPECT_FALSE(timedOut);
    return text;
}

TEST_F(StartupWindowTest, EngineThatCannotBeCreatedIsExplainedAndClosesTheWindow) {
    for (const char* step : {"CreateEngine", "NullEngine"}) {
        RecordingEngine failing;
        failing.failStep = step;
        TestWindow window(failing);
        INT_PTR result = 0;
        const std::string text = AnswerStartupBox(window, result);
        EXPECT_NE(text.find("could not start the game's engine"), std::string::npos) << text;
        EXPECT_NE(text.find("\"Install Dir\""), std::string::npos) << text;
        EXPECT_EQ(result, 2) << step;  // a start-up failure, not a clean end
    }
}

// Whatever the engine printed about why it stopped reaches the pane before it goes, and the
// window stays open without an engine.
TEST_F(StartupWindowTest, TheEnginesLastWordsReachThePane) {
    RecordingEngine failing;
    failing.failStep = "OpenHost";
    failing.failureText = "port 27015 is in use";
    auto window = MakeWindow(failing);
    std::string afterFailure;
    bool stillOpen = false;
    RunModal(*window, [&] {
        if (!IsWindowVisible(window->Window())) return false;
        stillOpen = !window->Host().EngineLoaded();
        afterFailure = ui::WindowText(window->Item(IDC_CONSOLE));
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_NE(afterFailure.find("port 27015 is in use"), std::string::npos) << afterFailure;

    engine.onTick = [&] { engine.callbacks->OnConsoleText("map data damaged, stopping"); };
    engine.tickResult = 0;
    auto stopping = MakeWindow(engine);
    std::string afterStop;
    DWORD stoppedAt = 0;
    RunModal(*stopping, [&] {
        if (stopping->Host().EngineLoaded()) return false;
        if (!stoppedAt) stoppedAt = GetTickCount();
        afterStop = ui::WindowText(stopping->Item(IDC_CONSOLE));
        const bool shown = afterStop.find("map data damaged") != std::string::npos;
        if (!shown && GetTickCount() - stoppedAt < 500) return false;  // a few more refreshes
        stopping->End(IDCANCEL);
        return true;
    });
    EXPECT_NE(afterStop.find("map data damaged, stopping"), std::string::npos) << afterStop;
}

TEST_F(StartupWindowTest, CancelledSettingsSheetWritesTheFileAndEndsWithoutAQuestion) {
    TestWindow window(engine, true);
    window.sheetResult = IDCANCEL;
    bool timedOut = false;
    const INT_PTR result = RunModal(
        window, [] { return false; }, 5000, &timedOut);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(window.sheetRuns, 1);
    const auto calls = engine.Calls();
    EXPECT_GT(Find(calls, "WriteConfigFile korvane/server.cfg 4"),
              Find(calls, "ExecuteConfigFile korvane/server.cfg"));
    EXPECT_LT(Find(calls, "OpenHost"), 0);
    EXPECT_EQ(calls.back(), "ReleaseEngine");
}

TEST_F(StartupWindowTest, TickAskingToStopUnloadsTheEngineAndTheWindowStays) {
    engine.tickResult = 0;
    auto window = MakeWindow(engine);
    int ticksAtShutdown = -1;
    bool stillOpen = false;
    DWORD shutdownAt = 0;
    RunModal(*window, [&] {
        if (window->Host().EngineLoaded()) return false;
        if (ticksAtShutdown < 0) {
            ticksAtShutdown = engine.ticks;
            shutdownAt = GetTickCount();
            return false;
        }
        if (GetTickCount() - shutdownAt < 300) return false;  // a few more refreshes
        stillOpen = IsWindowVisible(window->Window()) != FALSE;
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_EQ(ticksAtShutdown, 1);
    EXPECT_EQ(engine.ticks, 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(engine.Calls().back(), "ReleaseEngine");
    EXPECT_EQ(engine.callsAfterRelease, 0);
}

TEST_F(StartupWindowTest, UpdateRateAndEngineTextReachTheWindow) {
    engine.configFile = {"nummaps -5"};
    auto window = MakeWindow(engine);
    std::string rate, pane;
    RunModal(*window, [&] {
        rate = ui::WindowText(window->Item(IDC_UPDATE_RATE));
        if (std::atoi(rate.c_str()) <= 0) return false;
        pane = ui::WindowText(window->Item(IDC_CONSOLE));
        window->End(IDCANCEL);
        return true;
    });
    EXPECT_GT(std::atoi(rate.c_str()), 0);
    EXPECT_NE(pane.find("set maxplayers\r\n"), std::string::npos);
    // What the load made of a damaged file is told too.
    EXPECT_NE(pane.find("nummaps \"-5\" does not fit the map rotation"), std::string::npos);
}

}  // namespace
}  // namespace korvane
