// The Web Administration dialog run modally: the warning for addresses beyond this machine,
// the checks before OK, the hashed password and a failed start shown in the dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "ui/Text.h"
#include "web/Crypto.h"
#include "web/MetricsToken.h"
#include "web/WebAdminDialog.h"
#include "web/WebResource.h"

namespace korvane::web {
namespace {

using test::Press;

std::string Message(HWND dialog) {
    return ui::WindowText(GetDlgItem(dialog, IDC_WEB_MESSAGE));
}

TEST(WebAdminDialogTest, ChecksTheFieldsHashesThePasswordAndShowsAFailedStart) {
    std::vector<WebConfig> applied;
    WebAdminDialog dialog(nullptr, WebConfig{}, [&](const WebConfig& config) {
        applied.push_back(config);
        return applied.size() == 1 ? std::string("the port is already in use") : std::string();
    });
    bool timedOut = false;
    const INT_PTR result = test::RunModal(
        dialog,
        [&] {
            HWND window = dialog.Window();
            if (!window || !IsWindowVisible(window)) return false;
            HWND warning = GetDlgItem(window, IDC_WEB_WARNING);
            EXPECT_FALSE(IsWindowVisible(warning));
            EXPECT_EQ(ui::WindowText(GetDlgItem(window, IDC_WEB_PORT)), "8080");
            SetDlgItemTextA(window, IDC_WEB_ADDRESS, "0.0.0.0");
            EXPECT_TRUE(IsWindowVisible(warning));

            CheckDlgButton(window, IDC_WEB_ENABLE, BST_CHECKED);
            Press(window, IDOK);
            EXPECT_EQ(Message(window), ui::ProgramString(IDS_WEB_NEED_PASSWORD));
            SetDlgItemTextA(window, IDC_WEB_PASSWORD, "123456789");
            Press(window, IDOK);
            EXPECT_EQ(Message(window), ui::ProgramString(IDS_WEB_SHORT_PASSWORD));
            SetDlgItemTextA(window, IDC_WEB_PASSWORD, "1234567890");
            SetDlgItemTextA(window, IDC_WEB_PORT, "0");
            Press(window, IDOK);
            EXPECT_EQ(Message(window), ui::ProgramString(IDS_WEB_BAD_PORT));
            SetDlgItemTextA(window, IDC_WEB_PORT, "9000");
            SetDlgItemTextA(window, IDC_WEB_ADDRESS, "0.0.0");
            Press(window, IDOK);
            EXPECT_EQ(Message(window), ui::ProgramString(IDS_WEB_BAD_ADDRESS));
            EXPECT_TRUE(applied.empty());

            SetDlgItemTextA(window, IDC_WEB_ADDRESS, "0.0.0.0");
            Press(window, IDOK);  // the start fails: the dialog stays and says why
            EXPECT_EQ(Message(window), "the port is already in use");
            // The settings were saved all the same: the dialog says the password is set.
            EXPECT_EQ(ui::WindowText(GetDlgItem(window, IDC_WEB_PASSWORD_STATE)),
                      ui::ProgramString(IDS_WEB_PASSWORD_SET));
            EXPECT_TRUE(IsWindow(window));
            Press(window, IDOK);
            return true;
        },
        30000, &timedOut);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(applied.size(), 2u);
    const WebConfig& config = applied.back();
    EXPECT_TRUE(config.enabled);
    EXPECT_EQ(config.address, "0.0.0.0");
    EXPECT_EQ(config.port, 9000);
    EXPECT_TRUE(VerifyPassword("1234567890", config.password));
    EXPECT_EQ(dialog.Config(), config);
}

TEST(WebAdminDialogTest, MakesAMetricsTokenShownOnceAndKeptAsItsHash) {
    WebConfig applied;
    WebAdminDialog dialog(nullptr, WebConfig{}, [&](const WebConfig& config) {
        applied = config;
        return std::string();
    });
    std::string shown, copied;
    test::RunModal(dialog, [&] {
        HWND window = dialog.Window();
        if (!window || !IsWindowVisible(window)) return false;
        Press(window, IDC_WEB_NEW_TOKEN);
        shown = ui::WindowText(GetDlgItem(window, IDC_WEB_TOKEN));
        Press(window, IDC_WEB_COPY_TOKEN);
        if (OpenClipboard(window)) {
            HANDLE text = GetClipboardData(CF_TEXT);
            if (const auto* bytes = text ? static_cast<const char*>(GlobalLock(text)) : nullptr) {
                copied = bytes;
                GlobalUnlock(text);
            }
            CloseClipboard();
        }
        Press(window, IDOK);
        return true;
    });
    EXPECT_EQ(shown.size(), 64u);
    EXPECT_EQ(copied, shown);
    ASSERT_FALSE(applied.metricsTokenHash.empty());
    EXPECT_TRUE(MetricsTokenMatches(shown, applied.metricsTokenHash));
    // Only the hash goes to the file, and it reads back.
    const std::string file = FormatWebConfig(applied);
    EXPECT_EQ(file.find(shown), std::string::npos);
    EXPECT_EQ(ParseWebConfig(file).metricsTokenHash, applied.metricsTokenHash);
}

TEST(WebAdminDialogTest, AnEmptyPasswordFieldKeepsTheStoredPassword) {
    WebConfig stored;
    stored.password = HashPassword("stored-password", 1000);
    WebAdminDialog dialog(nullptr, stored, [](const WebConfig&) { return std::string(); });
    test::RunModal(dialog, [&] {
        if (!dialog.Window() || !IsWindowVisible(dialog.Window())) return false;
        EXPECT_EQ(ui::WindowText(GetDlgItem(dialog.Window(), IDC_WEB_PASSWORD_STATE)),
                  ui::ProgramString(IDS_WEB_PASSWORD_SET));
        CheckDlgButton(dialog.Window(), IDC_WEB_ENABLE, BST_CHECKED);
        Press(dialog.Window(), IDOK);
        return true;
    });
    EXPECT_TRUE(dialog.Config().enabled);
    EXPECT_EQ(dialog.Config().password, stored.password);
}

TEST(WebAdminDialogTest, TakesThePasswordAsTypedInAnyScriptAndAHostName) {
    WebConfig outdated;
    outdated.passwordUnusable = true;
    std::vector<WebConfig> applied;
    WebAdminDialog dialog(nullptr, outdated, [&](const WebConfig& config) {
        applied.push_back(config);
        return std::string();
    });
    test::RunModal(dialog, [&] {
        HWND window = dialog.Window();
        if (!window || !IsWindowVisible(window)) return false;
        EXPECT_EQ(ui::WindowText(GetDlgItem(window, IDC_WEB_PASSWORD_STATE)),
                  ui::ProgramString(IDS_WEB_PASSWORD_OUTDATED));
        for (wchar_t c : std::wstring(L"\x043F\x0430\x0440\x043E\x043B\x044C-\x0441\x0435\x043A"
                                      L"\x0440\x0435\x0442"))
            SendMessageW(GetDlgItem(window, IDC_WEB_PASSWORD), WM_CHAR, c, 0);  // as typed
        SetDlgItemTextA(window, IDC_WEB_HOST, "Game.Example.NET");
        Press(window, IDOK);
        return true;
    });
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].hostName, "game.example.net");
    EXPECT_TRUE(
        VerifyPassword("\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C-\xD1\x81\xD0\xB5"
                       "\xD0\xBA\xD1\x80\xD0\xB5\xD1\x82",
                       applied[0].password));
}

// The Source RCON group: its own checks and warning, its own hashed password, its own apply.
TEST(WebAdminDialogTest, TheRconGroupChecksHashesAndAppliesItsOwnSettings) {
    std::vector<WebConfig> applied;
    const auto keep = [](const WebConfig&) { return std::string(); };
    WebConfig rcon;
    rcon.port = 27015;
    WebAdminDialog dialog(nullptr, WebConfig{}, keep, rcon, [&](const WebConfig& config) {
        applied.push_back(config);
        return std::string();
    });
    const INT_PTR result = test::RunModal(
        dialog,
        [&] {
            HWND window = dialog.Window();
            if (!window || !IsWindowVisible(window)) return false;
            HWND warning = GetDlgItem(window, IDC_RCON_WARNING);
            EXPECT_FALSE(IsWindowVisible(warning));
            SetDlgItemTextA(window, IDC_RCON_ADDRESS, "0.0.0.0");
            EXPECT_TRUE(IsWindowVisible(warning));
            CheckDlgButton(window, IDC_RCON_ENABLE, BST_CHECKED);
            SetDlgItemTextA(window, IDC_RCON_PASSWORD, "short");
            Press(window, IDOK);
            EXPECT_EQ(Message(window), "Source RCON: " + ui::ProgramString(IDS_WEB_SHORT_PASSWORD));
            EXPECT_TRUE(applied.empty());
            SetDlgItemTextA(window, IDC_RCON_PASSWORD, "rcon-password");
            Press(window, IDOK);
            return true;
        },
        30000);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_TRUE(applied[0].enabled);
    EXPECT_EQ(applied[0].address, "0.0.0.0");
    EXPECT_EQ(applied[0].port, 27015);
    EXPECT_TRUE(VerifyPassword("rcon-password", applied[0].password));
    EXPECT_EQ(dialog.RconConfig(), applied[0]);
}

// The program will link both resource scripts: neither may hide the other's resources.
TEST(WebAdminDialogTest, ItsResourcesLinkBesideTheProgramsOwn) {
    EXPECT_TRUE(FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_WEBADMIN), MAKEINTRESOURCEA(5)));
    EXPECT_TRUE(FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_SERVER), MAKEINTRESOURCEA(5)));
    EXPECT_TRUE(FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_WEB_SCRIPT), MAKEINTRESOURCEA(10)));
}

}  // namespace
}  // namespace korvane::web
