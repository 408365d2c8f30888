// The player list's menu on a real list: the row under the pointer or the selected one, the
// menu's choices, the clipboard; and the kick question with No as its default.
#include "console/PlayerMenu.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "support/ModalDriver.h"
#include "support/TestWindow.h"
#include "ui/Text.h"
#include "ui/ListView.h"

namespace korvane {
namespace {

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (auto* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class PlayerMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr,
                                nullptr, nullptr, nullptr);
        list =
            CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL,
                            0, 0, 400, 200, owner, nullptr, nullptr, nullptr);
        for (int column = 0; column < 2; ++column) {
            LVCOLUMNA info = {};
            info.mask = LVCF_WIDTH;
            info.cx = 100;
            SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
        }
        AddRow(7, "Alice");
        AddRow(12, "Bob");
    }
    void TearDown() override { DestroyWindow(owner); }
    void AddRow(int id, const char* name) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = ui::ListCount(list);
        item.pszText = const_cast<char*>("");
        item.lParam = id;
        const int row = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(name);
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
    // The screen point in the middle of a row's name cell, as WM_CONTEXTMENU gives it.
    LPARAM PointAt(int row) {
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        POINT point = {150, (bounds.top + bounds.bottom) / 2};
        ClientToScreen(list, &point);
        return MAKELPARAM(point.x, point.y);
    }
    // A tracker that records the menu it was shown and answers `choice`.
    ui::PopupTracker Choose(int choice) {
        return [this, choice](HMENU popup, HWND, POINT screen) {
            shownAt = screen;
            items.clear();
            for (int i = 0; i < GetMenuItemCount(popup); ++i)
                items.push_back(static_cast<int>(GetMenuItemID(popup, i)));
            return choice;
        };
    }

    HWND owner = nullptr, list = nullptr;
    POINT shownAt = {};
    std::vector<int> items;
};

TEST_F(PlayerMenuTest, MenuActsOnTheRowUnderThePointerOrTheSelectedOne) {
    EXPECT_EQ(RunPlayerMenu(owner, list, PointAt(1), Choose(IDM_PLAYER_KICK)), 12);
    EXPECT_EQ(items,
              (std::vector<int>{IDM_PLAYER_KICK, 0, IDM_PLAYER_COPY_NAME, IDM_PLAYER_COPY_ID}));
    EXPECT_EQ(ui::ListNextSelected(list), 1);  // the row clicked is the row acted on

    EXPECT_FALSE(RunPlayerMenu(owner, list, PointAt(0), Choose(IDM_PLAYER_COPY_NAME)));
    EXPECT_EQ(ClipboardText(), "Alice");
    EXPECT_FALSE(RunPlayerMenu(owner, list, PointAt(1), Choose(IDM_PLAYER_COPY_ID)));
    EXPECT_EQ(ClipboardText(), "12");
    EXPECT_FALSE(RunPlayerMenu(owner, list, PointAt(1), Choose(0)));  // menu dismissed

    // The context-menu key: the selected row, the menu just below it inside the list.
    EXPECT_EQ(RunPlayerMenu(owner, list, MAKELPARAM(-1, -1), Choose(IDM_PLAYER_KICK)), 12);
    RECT frame;
    GetWindowRect(list, &frame);
    EXPECT_TRUE(PtInRect(&frame, shownAt));

    // Below the rows, or with nothing selected from the keyboard, there is no menu.
    items.clear();
    POINT empty = {150, 180};
    ClientToScreen(list, &empty);
    EXPECT_FALSE(RunPlayerMenu(owner, list, MAKELPARAM(empty.x, empty.y), Choose(IDM_PLAYER_KICK)));
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    EXPECT_FALSE(RunPlayerMenu(owner, list, MAKELPARAM(-1, -1), Choose(IDM_PLAYER_KICK)));
    EXPECT_TRUE(items.empty());
}

TEST_F(PlayerMenuTest, DeleteAsksWithNoAsTheDefaultAndTypingNeverAnswers) {
    EXPECT_FALSE(ConfirmKickSelected(owner, list));     // nothing selected, nothing asked
    RunPlayerMenu(owner, list, PointAt(1), Choose(0));  // selects Bob

    auto answer = [&](int button, std::string* text, bool* noIsDefault) {
        std::optional<int32_t> kicked;
        test::RunModalCall(
            [&] {
                kicked = ConfirmKickSelected(owner, list);
                return INT_PTR{0};
            },
            [&] {
                if (HWND box = test::FindMessageBox(owner)) EndDialog(box, IDCANCEL);
            },
            [&] {
                HWND box = test::FindMessageBox(owner);
                if (!box) return false;
                *text = ui::WindowText(GetDlgItem(box, 0xFFFF));
                *noIsDefault =
                    (GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
                // Asked from a key: the operator typing on must not answer it.
                PostMessageA(GetFocus(), WM_CHAR, 'y', 0);
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
                return true;
            });
        return kicked;
    };
    std::string text;
    bool noIsDefault = false;
    EXPECT_FALSE(answer(IDNO, &text, &noIsDefault));
    EXPECT_EQ(text, "Kick Bob (12)?");
    EXPECT_TRUE(noIsDefault);
    EXPECT_EQ(answer(IDYES, &text, &noIsDefault), 12);
}

}  // namespace
}  // namespace korvane
