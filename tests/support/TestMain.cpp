// Test entry point for the window tests: common controls are registered once, as the
// program does at start-up, in the build's installation folder.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                          ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The build's installation folder, as the program works in its own.
    if (const char* dir = std::getenv("KORVANE_INSTALL_DIR")) SetCurrentDirectoryA(dir);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
