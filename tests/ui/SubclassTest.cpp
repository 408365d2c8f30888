// The frame the subclass procedures share, on a real edit control.
#include "ui/Subclass.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace korvane {
namespace {

struct Owner {
    int detached = 0;
    void Detach() { ++detached; }
};

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR data) {
    return ui::SubclassMessage("subclass test", &Owner::Detach, window, message, wParam, lParam,
                               data, [&](Owner&, LRESULT& result) {
                                   if (message == WM_GETTEXTLENGTH)
                                       throw std::runtime_error("the handler failed");
                                   if (message != WM_APP) return false;
                                   result = 42;
                                   return true;
                               });
}

TEST(SubclassFrame, AnswersItsOwnKeepsTheRestAndDetachesOnceAtTheEnd) {
    HWND edit = CreateWindowExA(0, "EDIT", "four", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    Owner owner;
    ASSERT_TRUE(SetWindowSubclass(edit, &Procedure, 0, reinterpret_cast<DWORD_PTR>(&owner)));

    EXPECT_EQ(SendMessageA(edit, WM_APP, 0, 0), 42);
    char text[8] = {};  // not answered by the handler: the control's own answer
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 4);
    EXPECT_STREQ(text, "four");
    // A handler that throws: the control answers as if nothing watched, and the test lives on.
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 4);
    EXPECT_EQ(owner.detached, 0);

    DestroyWindow(edit);
    EXPECT_EQ(owner.detached, 1);
}

}  // namespace
}  // namespace korvane
