// The player list's titles on the real main window as it opens: every title whole, the last
// column still ending at the list's edge.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "support/TestWindow.h"
#include "ui/Text.h"
#include "ui/ListView.h"

namespace korvane {
namespace {

TEST(HeaderTitles, FittedTitlesAreWholeAndTheLastColumnTakesTheRest) {
    test::RecordingEngine engine;
    test::TestWindow window(engine);
    bool checked = false;
    EXPECT_TRUE(test::RunScript(
        window, {[&] {
            HWND list = window.Item(IDC_PLAYER_LIST);
            HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
            int right = 0;
            for (int column = 0; column < 6; ++column) {
                RECT cell = {};
                SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&cell));
                EXPECT_GE(cell.right - cell.left, ui::HeaderTitleWidth(header, column))
                    << "column " << column;
                right = cell.right;
            }
            RECT client = {};
            GetClientRect(list, &client);
            EXPECT_EQ(right, client.right);
            checked = true;
            window.SetConfirmOnClose(false);
            window.End(IDCANCEL);
            return true;
        }}));
    EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace korvane
