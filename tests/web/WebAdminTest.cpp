// The web administration inside the main window: the console ring holds what the pane shows,
// in its order; Game > Web Administration saves its settings and starts the listener, or says
// why it cannot; the window's end stops it; the switches hold for one run only.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "host/HostFixture.h"
#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "support/TestWindow.h"
#include "ui/Text.h"
#include "web/Crypto.h"
#include "web/WebAdmin.h"
#include "web/WebResource.h"

namespace korvane::web {
namespace {

using test::Do;
using test::Step;

std::string TempFile(const char* name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + name;
    std::remove(path.c_str());
    return path;
}

// A loopback socket bound to a port of the system's choice; listening keeps the port busy.
struct BoundSocket {
    explicit BoundSocket(bool listen) {
        sockaddr_in where = {};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(sock, reinterpret_cast<sockaddr*>(&where), sizeof where);
        int size = sizeof where;
        getsockname(sock, reinterpret_cast<sockaddr*>(&where), &size);
        port = ntohs(where.sin_port);
        if (listen) ::listen(sock, 1);
    }
    ~BoundSocket() { closesocket(sock); }
    SOCKET sock = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    int port = 0;
};

struct DialogSearch {
    HWND owner;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window) ||
        ui::WindowText(window) != search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindOwnedDialog(HWND owner, const char* caption) {
    DialogSearch search = {owner, caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> PaneLines(HWND pane) {
    std::vector<std::string> lines;
    const std::string text = ui::WindowText(pane);
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

std::vector<std::string> RingLines(const ConsoleRing& ring) {
    std::vector<std::string> lines;
    for (const ConsoleLine& line : ring.Read(0, 10000, 1 << 20).lines) lines.push_back(line.text);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    });
}

class WebAdminTest : public test::HostFixture {
  protected:
    void TearDown() override { std::remove(configPath.c_str()); }
    std::string configPath = TempFile("korvane-webadmin-test.cfg");
};

TEST_F(WebAdminTest, TheRingShowsThePaneAndTheDialogRunsTheListenerUntilTheWindowEnds) {
    test::TestWindow window(engine);
    WebAdmin web(window.Host(), WebAdminSwitches{}, configPath);
    window.SetAddOn(&web);
    const BoundSocket busy(true);
    const int freePort = BoundSocket(false).port;
    HWND dialog = nullptr;
    const auto main = [&] { return window.Window(); };
    const auto fill = [&](int port) {
        CheckDlgButton(dialog, IDC_WEB_ENABLE, BST_CHECKED);
        SetDlgItemInt(dialog, IDC_WEB_PORT, static_cast<UINT>(port), FALSE);
        SetDlgItemTextA(dialog, IDC_WEB_PASSWORD, "new-password-1");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    std::vector<Step> steps = {
        [&] { return main() && IsWindowVisible(main()) && engine.ticks > 0; },
        // A command typed in the window: its echo goes straight into the pane.
        Do([&] {
            SetDlgItemTextA(main(), IDC_COMMAND_LINE, "say hello");
            SendMessageA(main(), WM_COMMAND, MAKEWPARAM(IDC_SEND, BN_CLICKED), 0);
        }),
        [&] { return Contains(PaneLines(window.Item(IDC_CONSOLE)), "set say"); },
        Do([&] {
            const auto pane = PaneLines(window.Item(IDC_CONSOLE));
            EXPECT_EQ(RingLines(web.Console()), pane);
            const auto echo = std::find(pane.begin(), pane.end(), "say hello");
            ASSERT_NE(echo, pane.end());
            EXPECT_NE(std::find(echo, pane.end(), "set say"), pane.end());
            PostMessageA(main(), WM_COMMAND, MAKEWPARAM(IDM_WEB_ADMIN, 0), 0);
        }),
        [&] { return (dialog = FindOwnedDialog(main(), "Web Administration")) != nullptr; },
        Do([&] {
            fill(busy.port);  // the port is taken: the dialog stays and says so
            EXPECT_NE(ui::WindowText(GetDlgItem(dialog, IDC_WEB_MESSAGE)).find("already in use"),
                      std::string::npos);
            EXPECT_FALSE(web.Port());
            fill(freePort);
        }),
        [&] { return !IsWindow(dialog) && web.Port() == freePort; },
        [&] { return Contains(RingLines(web.Console()), "Web administration on http"); },
        Do([&] {
            const auto ring = RingLines(web.Console());
            EXPECT_TRUE(
                Contains(ring, ":" + std::to_string(busy.port) + ": the port is already in use"));
            EXPECT_EQ(ring, PaneLines(window.Item(IDC_CONSOLE)));
            window.SetConfirmOnClose(false);
            window.End(IDCANCEL);
        }),
    };
    ASSERT_TRUE(test::RunScript(window, steps, 60000));
    EXPECT_FALSE(web.Port()) << "the window's end stops the listener";

    const WebConfig saved = LoadWebConfig(configPath);
    EXPECT_TRUE(saved.enabled);
    EXPECT_EQ(saved.port, freePort);
    EXPECT_TRUE(VerifyPassword("new-password-1", saved.password));
    EXPECT_EQ(engine.overlappingCalls, 0);
}

TEST_F(WebAdminTest, SwitchesHoldForTheRunAndTheirPasswordIsNeverStored) {
    WebConfig stored;
    stored.port = 9000;
    stored.password = HashPassword("stored-password", 1000);
    ASSERT_TRUE(SaveWebConfig(stored, configPath));
    const std::string passwordFile = TempFile("korvane-webadmin-password.txt");
    std::ofstream(passwordFile) << "switch-password\r\n";

    // Named relative to the folder the program starts in, which the host then leaves.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);
    const WebAdminSwitches switches = WebAdmin::ReadSwitches(
        "-s --webadmin 127.0.0.1:9100 --webadmin-password-file korvane-webadmin-password.txt");
    auto host = MakeHost(engine);
    WebAdmin web(*host, switches, configPath);
    EXPECT_TRUE(web.RunConfig().enabled);
    EXPECT_EQ(web.RunConfig().port, 9100);
    EXPECT_TRUE(VerifyPassword("switch-password", web.RunConfig().password));

    // The dialog's OK without a new password: the file keeps its own password.
    WebConfig shown = web.RunConfig();
    shown.enabled = false;
    EXPECT_EQ(web.Apply(shown), "");
    const WebConfig saved = LoadWebConfig(configPath);
    EXPECT_FALSE(saved.enabled);
    EXPECT_EQ(saved.port, 9100);
    EXPECT_EQ(saved.password, stored.password);

    // Unusable switches turn it off for the run and say why in the console.
    WebAdmin refused(*host, WebAdmin::ReadSwitches("--webadmin nowhere"), configPath);
    EXPECT_FALSE(refused.RunConfig().enabled);
    EXPECT_TRUE(Contains(host->TakeHandOver().lines, "Web administration is off for this run"));
    std::remove(passwordFile.c_str());
}

}  // namespace
}  // namespace korvane::web
