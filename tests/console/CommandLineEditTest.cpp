// The command line's keys on a real edit control inside a real dialog, whose dialog manager
// decides where Tab, the arrows and Enter go.
#include "console/CommandLineEdit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "support/TestWindow.h"
#include "ui/Text.h"
#include "ui/Dialog.h"

namespace korvane {
namespace {

using test::RunScript;
using ui::WindowText;
using test::Step;

// The main window's template with nothing behind it but the command line's keys and Send.
class CommandLineDialog : public ui::Dialog {
  public:
    CommandLineDialog()
        : ui::Dialog(IDD_SERVER, nullptr), keys(history, {"maxplayers", "mapratio"}) {}
    CommandHistory history;
    CommandLineEdit keys;
    std::vector<std::string> sent;

  protected:
    bool OnInitDialog() override {
        keys.Attach(Item(IDC_COMMAND_LINE));
        return true;
    }
    bool OnCommand(int id, int, HWND) override {
        if (id != IDC_SEND) return false;
        const std::string line = WindowText(Item(IDC_COMMAND_LINE));
        sent.push_back(line);
        keys.Sent(line);
        SetDlgItemTextA(Window(), IDC_COMMAND_LINE, "");
        return true;
    }
};

void SetShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

TEST(CommandLineEdit, HistoryAndCompletionKeysInsideADialog) {
    CommandLineDialog dialog;
    HWND edit = nullptr;
    auto key = [&](WPARAM vk) -> Step {
        return [&, vk] { return PostMessageA(edit, WM_KEYDOWN, vk, 0) != 0; };
    };
    auto type = [&](const char* text) -> Step {
        return [&, text] { return SetWindowTextA(edit, text) != 0; };
    };
    auto shows = [&](const char* text) -> Step {
        return [&, text] { return WindowText(edit) == text && GetFocus() == edit; };
    };
    std::vector<Step> steps = {
        [&] {
            edit = dialog.Item(IDC_COMMAND_LINE);
            SetFocus(edit);
            return GetFocus() == edit;
        },
        // Enter still belongs to the dialog's default button.
        type("status"),
        key(VK_RETURN),
        [&] { return dialog.sent.size() == 1; },
        type("say hello"),
        key(VK_RETURN),
        [&] { return dialog.sent.size() == 2; },
        type("draft"),
        key(VK_UP),
        shows("say hello"),
        key(VK_UP),
        shows("status"),
        key(VK_UP),
        shows("status"),
        key(VK_DOWN),
        shows("say hello"),
        key(VK_DOWN),
        shows("draft"),
        // Tab completes and keeps the focus; the second cycles; no tab character is typed.
        type("ma"),
        key(VK_TAB),
        shows("mapratio"),
        key(VK_TAB),
        shows("maxplayers"),
        type("sa"),
        key(VK_TAB),
        shows("say"),
        type("zz"),
        key(VK_TAB),
        key(VK_UP),
        shows("say hello"),
        key(VK_DOWN),
        shows("zz"),
        // Shift+Tab leaves the line for the player list, as in any dialog.
        [&] {
            SetShift(true);
            return PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0) != 0;
        },
        [&] { return GetFocus() == dialog.Item(IDC_PLAYER_LIST); },
        [&] {
            SetShift(false);
            dialog.End(IDOK);
            return true;
        },
    };
    EXPECT_TRUE(RunScript(dialog, steps, 10000));
    SetShift(false);
    EXPECT_EQ(dialog.sent, (std::vector<std::string>{"status", "say hello"}));
}

}  // namespace
}  // namespace korvane
