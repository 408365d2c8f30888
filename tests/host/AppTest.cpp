// Process start-up: Windows Sockets must come up in the version asked for, or the operator is
// told and the program ends.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/ServerApp.h"
#include "support/ModalDriver.h"

namespace korvane {
namespace {

int WSAAPI StartsWrongVersion(WORD, LPWSADATA data) {
    data->wVersion = MAKEWORD(2, 2);
    return 0;
}
int WSAAPI FailsToStart(WORD, LPWSADATA) {
    return WSASYSNOTREADY;
}
int WSAAPI StartsRight(WORD, LPWSADATA data) {
    data->wVersion = MAKEWORD(1, 1);
    return 0;
}

// Runs InitInstance, answering the message box it may show; returns the box's text.
std::string InitWithBox(ServerApp& app, bool& result) {
    std::string text;
    test::RunModalCall([&] { return static_cast<INT_PTR>(result = app.InitInstance()); }, [] {},
                       [&] {
                           HWND box = test::FindMessageBox(nullptr);
                           if (!box) return false;
                           char shown[256] = {};
                           GetWindowTextA(GetDlgItem(box, 0xFFFF), shown, sizeof shown);
                           text = shown;
                           PostMessageA(box, WM_COMMAND, IDOK, 0);
                           return true;
                       },
                       5000);
    return text;
}

TEST(ServerApp, SocketStartUpFailureIsToldAndEndsTheProgram) {
    for (auto startup : {&StartsWrongVersion, &FailsToStart}) {
        ServerApp app(startup);
        bool result = true;
        EXPECT_EQ(InitWithBox(app, result), "Windows sockets initialization failed.");
        EXPECT_FALSE(result);
    }
    ServerApp app(&StartsRight);
    EXPECT_TRUE(app.InitInstance());
}

}  // namespace
}  // namespace korvane
