// The drag list with a real list-view control: begin-drag notifications to its parent, mouse
// moves over and below the rows, and the release, as the control and the pointer send them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "editor/DragListCtrl.h"
#include "support/Lists.h"

namespace korvane {
namespace {

using test::BeginDrag;
using test::BelowLastRow;
using test::DragRow;
using test::MouseMove;
using test::Release;
using test::RowPoint;
using test::Rows;
using Texts = std::vector<std::string>;

constexpr int kListId = 1033;

class DragListCtrlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = DefWindowProcA;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "KorvaneDragListTest";
        RegisterClassA(&cls);  // fails harmlessly when already registered
        parent_ = CreateWindowExA(0, cls.lpszClassName, "drag", WS_POPUP | WS_VISIBLE, 0, 0, 300,
                                  300, nullptr, nullptr, cls.hInstance, nullptr);
        ASSERT_TRUE(parent_);
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
    }

    HWND MakeList(DWORD view = LVS_REPORT) {
        HWND list = CreateWindowExA(
            WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
            WS_CHILD | WS_VISIBLE | view | LVS_SINGLESEL | LVS_NOCOLUMNHEADER, 0, 0, 250, 250,
            parent_, reinterpret_cast<HMENU>(kListId), GetModuleHandleA(nullptr), nullptr);
        ui::ListAddTextColumn(list, "World");
        for (const char* text : {"a", "b", "c", "d"}) ui::ListAppendText(list, text);
        EXPECT_TRUE(ctrl_.Attach(list));
        return list;
    }
    void Refill(HWND list) {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        for (const char* text : {"a", "b", "c", "d"}) ui::ListAppendText(list, text);
    }

    HWND parent_ = nullptr;
    DragListCtrl ctrl_;
};

TEST_F(DragListCtrlTest, RowsLandAfterATargetBelowAndBeforeATargetAbove) {
    HWND list = MakeList();

    BeginDrag(list, 0);
    EXPECT_TRUE(ctrl_.Dragging());
    EXPECT_EQ(GetCapture(), list);
    MouseMove(list, RowPoint(list, 1));
    MouseMove(list, RowPoint(list, 2));
    Release(list, RowPoint(list, 2));
    EXPECT_FALSE(ctrl_.Dragging());
    EXPECT_NE(GetCapture(), list);
    EXPECT_EQ(Rows(list), (Texts{"b", "c", "a", "d"}));

    Refill(list);
    DragRow(list, 3, {2, 1});
    EXPECT_EQ(Rows(list), (Texts{"a", "d", "b", "c"}));
}

TEST_F(DragListCtrlTest, ReleaseBelowTheRowsDropsOnTheLastRowPassed) {
    HWND list = MakeList();
    BeginDrag(list, 0);
    MouseMove(list, RowPoint(list, 1));
    MouseMove(list, BelowLastRow(list));
    Release(list, BelowLastRow(list));
    EXPECT_EQ(Rows(list), (Texts{"b", "a", "c", "d"}));

    // Passing over the last row on the way down puts the row at the end.
    Refill(list);
    BeginDrag(list, 1);
    MouseMove(list, RowPoint(list, 2));
    MouseMove(list, RowPoint(list, 3));
    MouseMove(list, BelowLastRow(list));
    Release(list, BelowLastRow(list));
    EXPECT_EQ(Rows(list), (Texts{"a", "c", "d", "b"}));
}

TEST_F(DragListCtrlTest, DragsWithoutADifferentTargetLeaveTheListAsItWas) {
    HWND list = MakeList();
    DragRow(list, 1, {1});  // onto itself
    EXPECT_EQ(Rows(list), (Texts{"a", "b", "c", "d"}));

    // After a drag that did move a row, a drag that never passes over a row must not reuse
    // the earlier target.
    DragRow(list, 0, {2});
    ASSERT_EQ(Rows(list), (Texts{"b", "c", "a", "d"}));
    BeginDrag(list, 3);
    MouseMove(list, BelowLastRow(list));
    Release(list, BelowLastRow(list));
    EXPECT_EQ(Rows(list), (Texts{"b", "c", "a", "d"}));
    EXPECT_NE(GetCapture(), list);
}

TEST_F(DragListCtrlTest, TheRightButtonDragsToo) {
    HWND list = MakeList();
    BeginDrag(list, 0, LVN_BEGINRDRAG);
    MouseMove(list, RowPoint(list, 3), MK_RBUTTON);
    Release(list, RowPoint(list, 3), WM_RBUTTONUP);
    EXPECT_EQ(Rows(list), (Texts{"b", "c", "d", "a"}));
    EXPECT_FALSE(ctrl_.Dragging());
}

TEST_F(DragListCtrlTest, AListNotInReportViewDragsButReordersNothing) {
    HWND list = MakeList(LVS_LIST);
    BeginDrag(list, 0);
    EXPECT_TRUE(ctrl_.Dragging());
    MouseMove(list, RowPoint(list, 2));
    Release(list, RowPoint(list, 2));
    EXPECT_FALSE(ctrl_.Dragging());
    EXPECT_NE(GetCapture(), list);
    EXPECT_EQ(Rows(list), (Texts{"a", "b", "c", "d"}));
}

TEST_F(DragListCtrlTest, AListDestroyedInMidDragGivesTheCaptureBack) {
    HWND list = MakeList();
    BeginDrag(list, 0);
    MouseMove(list, RowPoint(list, 2));
    ASSERT_EQ(GetCapture(), list);
    DestroyWindow(parent_);
    parent_ = nullptr;
    EXPECT_FALSE(ctrl_.Dragging());
    EXPECT_EQ(ctrl_.Window(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace korvane
