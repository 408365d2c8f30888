// The player list's titles on the real main window, once fitted: every title whole, the last
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
            ui::ListFitHeaderTitles(list);
            HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
            HDC dc = GetDC(header);
            HGDIOBJ font =
                SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(header, WM_GETFONT, 0, 0)));
            const int margins =
                2 * static_cast<int>(SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0));
            int right = 0;
            for (int column = 0; column < 6; ++column) {
                char title[64] = {};
                HDITEMA item = {};
                item.mask = HDI_TEXT;
                item.pszText = title;
                item.cchTextMax = sizeof title;
                SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
                SIZE size = {};
                GetTextExtentPoint32A(dc, title, lstrlenA(title), &size);
                RECT cell = {};
                SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&cell));
                EXPECT_GE(cell.right - cell.left, size.cx + margins) << title;
                right = cell.right;
            }
            SelectObject(dc, font);
            ReleaseDC(header, dc);
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
