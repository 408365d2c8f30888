// The notification-area icon through its seam: the add, modify and delete calls, the tooltip
// at most once a second, the taskbar's restart, the balloon, double-click and the menu.
#include "console/TrayIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"

namespace korvane {
namespace {

struct Call {
    DWORD message;
    NOTIFYICONDATAA data;
};

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 200,
                                100, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(owner); }

    TrayIcon::Notify Record() {
        return [this](DWORD message, NOTIFYICONDATAA* data) {
            calls.push_back({message, *data});
            return TRUE;
        };
    }
    ui::PopupTracker Choose(const int& choice) {
        return [&choice](HMENU, HWND, POINT) { return choice; };
    }
    std::string LastTip() const { return calls.back().data.szTip; }

    HWND owner = nullptr;
    std::vector<Call> calls;
};

TEST_F(TrayIconTest, AddedWithItsTooltipModifiedAtMostOnceASecondReaddedAndRemoved) {
    HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
    {
        TrayIcon tray(Record());
        ASSERT_TRUE(tray.Add(owner, icon));
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(calls[0].data.hWnd, owner);
        EXPECT_EQ(calls[0].data.hIcon, icon);
        EXPECT_EQ(calls[0].data.uCallbackMessage, TrayIcon::kCallbackMessage);

        tray.Update({"Bunker", 3, 16, 30}, 5000);
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(LastTip(), "Bunker\nPlayers 3 / 16\nUpdate rate 30");
        tray.Update({"Bunker", 3, 16, 30}, 7000);  // unchanged: no call
        tray.Update({"Bunker", 4, 16, 30}, 7100);
        tray.Update({"Bunker", 5, 16, 29}, 8099);  // within the second: held back
        EXPECT_EQ(calls.size(), 3u);
        tray.Update({"Bunker", 5, 16, 29}, 8100);
        ASSERT_EQ(calls.size(), 4u);
        EXPECT_EQ(LastTip(), "Bunker\nPlayers 5 / 16\nUpdate rate 29");

        // Explorer started again: the icon comes back with the current tooltip.
        TrayIcon::Action action;
        EXPECT_TRUE(tray.HandleMessage(RegisterWindowMessageA("TaskbarCreated"), 0, 0, action));
        ASSERT_EQ(calls.size(), 5u);
        EXPECT_EQ(calls[4].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(LastTip(), "Bunker\nPlayers 5 / 16\nUpdate rate 29");

        tray.Update({std::string(300, 'n'), 1, 2, 3}, 20000);
        EXPECT_EQ(LastTip(), std::string(sizeof calls[0].data.szTip - 1, 'n'));
    }
    ASSERT_EQ(calls.size(), 7u);  // the owner's end removes it, once
    EXPECT_EQ(calls[6].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[6].data.hWnd, owner);
}

TEST_F(TrayIconTest, BalloonWhileMinimisedDoubleClickAndMenuRestoreOrQuit) {
    int choice = 0;
    TrayIcon tray(Record(), Choose(choice));
    tray.Add(owner, nullptr);
    EXPECT_FALSE(tray.NotifyIfMinimised("The engine has stopped."));
    ShowWindow(owner, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(owner));
    EXPECT_TRUE(tray.NotifyIfMinimised("The engine has stopped."));
    EXPECT_TRUE(calls.back().data.uFlags & NIF_INFO);
    EXPECT_STREQ(calls.back().data.szInfo, "The engine has stopped.");

    TrayIcon::Action action;
    EXPECT_TRUE(tray.HandleMessage(TrayIcon::kCallbackMessage, 1, WM_LBUTTONDBLCLK, action));
    EXPECT_FALSE(IsIconic(owner));
    EXPECT_EQ(action, TrayIcon::Action::None);

    ShowWindow(owner, SW_MINIMIZE);
    choice = IDM_TRAY_SHOW;
    EXPECT_TRUE(tray.HandleMessage(TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP, action));
    EXPECT_FALSE(IsIconic(owner));
    choice = IDM_TRAY_QUIT;
    EXPECT_TRUE(tray.HandleMessage(TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP, action));
    EXPECT_EQ(action, TrayIcon::Action::Quit);
    EXPECT_FALSE(tray.HandleMessage(WM_TIMER, 0, 0, action));
}

}  // namespace
}  // namespace korvane
