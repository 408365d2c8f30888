// The web administration inside the main window: the console ring holds what the pane shows,
// in its order; Game > Web Administration saves its settings and starts the listener, or says
// why it cannot; the window's end stops it; the switches hold for one run only.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "app/Switches.h"
#include "app/WebAddOn.h"
#include "support/HostFixture.h"
#include "support/TempFolder.h"
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

// A listening loopback socket on a port of the system's choice: that port is taken.
SOCKET TakePort(int& port) {
    SOCKET sock = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof where;
    bind(sock, reinterpret_cast<sockaddr*>(&where), size);
    listen(sock, 1);
    getsockname(sock, reinterpret_cast<sockaddr*>(&where), &size);
    port = ntohs(where.sin_port);
    return sock;
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
    test::TempFolder temp{"webadmin"};
    std::string configPath = temp / "webadmin.cfg";
};

TEST_F(WebAdminTest, TheRingShowsThePaneAndTheDialogRunsTheListenerUntilTheWindowEnds) {
    test::TestWindow window(engine);
    WebAdmin web(window.Host(), WebAdminSwitches{}, configPath);
    app::WebAddOn addOn(web);
    window.SetAddOn(&addOn);
    int port = 0;
    const SOCKET taken = TakePort(port);
    HWND dialog = nullptr;
    const auto main = [&] { return window.Window(); };
    // The same port twice: first while it is taken, then once it is free.
    const auto fill = [&] {
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
        [&] { return (dialog = FindWindowA("#32770", "Web Administration")) != nullptr; },
        Do([&] {
            fill();  // the dialog stays and says why
            EXPECT_NE(ui::WindowText(GetDlgItem(dialog, IDC_WEB_MESSAGE)).find("already in use"),
                      std::string::npos);
            EXPECT_FALSE(web.Port());
            closesocket(taken);
            fill();
        }),
        [&] { return !IsWindow(dialog) && web.Port() == port; },
        [&] { return Contains(RingLines(web.Console()), "Web administration on http"); },
        Do([&] {
            const auto ring = RingLines(web.Console());
            EXPECT_TRUE(
                Contains(ring, ":" + std::to_string(port) + ": the port is already in use"));
            EXPECT_EQ(ring, PaneLines(window.Item(IDC_CONSOLE)));
            window.SetConfirmOnClose(false);
            window.End(IDCANCEL);
        }),
    };
    ASSERT_TRUE(test::RunScript(window, steps, 60000));
    EXPECT_FALSE(web.Port()) << "the window's end stops the listener";

    const WebConfig saved = LoadWebConfig(configPath);
    EXPECT_TRUE(saved.enabled);
    EXPECT_EQ(saved.port, port);
    EXPECT_TRUE(VerifyPassword("new-password-1", saved.password));
    EXPECT_EQ(engine.overlappingCalls, 0);
}

TEST_F(WebAdminTest, TheRingHearsTheHostWithoutAWindowAndNoPassword) {
    auto host = MakeHost(engine);
    WebAdmin web(*host, WebAdminSwitches{}, configPath);
    host->Note("serverpassword hunter22");
    host->Note("status");
    EXPECT_EQ(host->TakeHandOver().lines.front(), "serverpassword hunter22");
    EXPECT_EQ(RingLines(web.Console()),
              (std::vector<std::string>{"serverpassword ****", "status"}));
}

TEST_F(WebAdminTest, SwitchesHoldForTheRunAndTheirPasswordIsNeverStored) {
    WebConfig stored;
    stored.port = 9000;
    stored.password = HashPassword("stored-password", kPasswordIterations);
    ASSERT_TRUE(SaveWebConfig(stored, configPath));
    test::TempFolder::WriteFile(temp / "pw.txt", "switch-password\r\n");
    // Named relative to the folder the program starts in, which it then leaves for the
    // installation folder.
    SetCurrentDirectoryA(temp.Path().c_str());
    const WebAdminSwitches switches =
        app::ParseSwitches("-s --webadmin 127.0.0.1:9100 --webadmin-password-file pw.txt").web;
    SetCurrentDirectoryA(folder.c_str());
    auto host = MakeHost(engine);
    WebAdmin web(*host, switches, configPath);
    EXPECT_TRUE(web.RunConfig().enabled);
    EXPECT_EQ(web.RunConfig().port, 9100);
    EXPECT_TRUE(VerifyPassword("switch-password", web.RunConfig().password));

    // The dialog's OK without a new password: the file keeps its own password.
    WebConfig shown = web.RunConfig();
    shown.enabled = false;
    EXPECT_EQ(web.Apply(shown).problem, "");
    const WebConfig saved = LoadWebConfig(configPath);
    EXPECT_FALSE(saved.enabled);
    EXPECT_EQ(saved.port, 9000);  // the switch's port was not the operator's change
    EXPECT_EQ(saved.password, stored.password);

    // Unusable switches turn it off for the run and say why in the console; OK untouched
    // leaves the file's choice alone.
    WebConfig enabled = saved;
    enabled.enabled = true;
    ASSERT_TRUE(SaveWebConfig(enabled, configPath));
    WebAdmin refused(*host, app::ParseSwitches("--webadmin nowhere").web, configPath);
    EXPECT_FALSE(refused.RunConfig().enabled);
    EXPECT_TRUE(Contains(host->TakeHandOver().lines, "Web administration is off for this run"));
    EXPECT_EQ(refused.Apply(refused.RunConfig()).problem, "");
    EXPECT_EQ(LoadWebConfig(configPath), enabled);

    // A hash made the old way is said to be unusable, once, at start.
    test::TempFolder::WriteFile(configPath, "password_hash=" + std::string(64, 'a') +
                                                "\npassword_salt=" + std::string(32, 'b') +
                                                "\npassword_iterations=210000\n");
    WebAdmin outdated(*host, WebAdminSwitches{}, configPath);
    EXPECT_TRUE(Contains(host->TakeHandOver().lines, "set the password again"));
}

}  // namespace
}  // namespace korvane::web
