// The main window's commands: the command line, quit and close with the question, the Game
// menu (console/GameMenu.h), the system menu, the fixed size and the minimised icon.
#include "console/ConsolePane.h"
#include "console/ServerMainDialog.h"
#include "resources/resource.h"
#include "ui/Text.h"
#include "ui/WindowTools.h"

namespace korvane {

bool ServerMainDialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED && code != 0 && code != 1) return false;
    switch (id) {
        case IDC_SEND:
            SendCommandLine();
            return true;
        case IDM_QUIT:
            // Ends the modal run with a code of its own: a quit message would end it with
            // whatever the dialog manager returns, which scripts take for a crash.
            if (ConfirmQuit()) End(HowEnded());
            return true;
        default:
            return menu_.OnCommand(Window(), id) || tools_.OnCommand(id) ||
                   (addOn_ && addOn_->OnCommand(Window(), id));
    }
}

bool ServerMainDialog::ConfirmQuit() {
    if (!host_.EngineLoaded()) return true;
    // No is the default and typing does not answer: a stray Escape, then Enter or the rest
    // of a command, must not stop a live server.
    if (!ui::AskYesNo(Window(), ui::ProgramString(IDS_CONFIRM_QUIT).c_str(),
                      ui::ProgramString(IDS_QUIT_CAPTION).c_str()))
        return false;
    // Whoever reads the log later learns why the server went.
    ShowLine("Quit confirmed by the operator.");
    return true;
}

void ServerMainDialog::EndForRestart(const std::string& line) {
    if (!line.empty()) host_.Note(line);
    Refresh();
    End(kRestart);
}

void ServerMainDialog::OnCancel() {
    if (!confirmOnClose_ || ConfirmQuit()) End(HowEnded());
}

void ServerMainDialog::SendCommandLine() {
    char command[kCommandLineLimit + 1] = {};
    GetDlgItemTextA(Window(), IDC_COMMAND_LINE, command, sizeof command);
    if (!command[0]) return;
    if (!host_.EngineLoaded()) {
        // The line stays for a later start; why it went nowhere is said once, not per Enter.
        if (engineStopped_ && !toldNotSent_) {
            toldNotSent_ = true;
            ShowLine("Not sent: the engine has stopped, so commands go nowhere.");
        }
        return;
    }
    // The operator's own command brings the pane back to its end to show the answer.
    ConsoleScrollToEnd(Item(IDC_CONSOLE));
    tools_.Sent(command);
    SetDlgItemTextA(Window(), IDC_COMMAND_LINE, "");
    // The echo reaches the pane at once, before anything the engine answers.
    host_.EchoAndExecute(command, EngineHost::Echo::AtOnce);
}

bool ServerMainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case kEngineCloseMessage:
            // Dialogs and message boxes open over the window end first, newest first.
            ui::EndOwnedDialogs(Window());
            End(kEndedCleanly);
            return true;
        case kEngineStoppedMessage:
            OnEngineStopped();
            return true;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case IDM_ABOUTBOX_SYS:
                    menu_.ShowAbout(Window());
                    return true;
                case SC_SIZE:
                case SC_MAXIMIZE:
                    return true;
                default:
                    return false;
            }
        case WM_GETMINMAXINFO: {
            // The window keeps the size its template gives it: no sizing, no maximising.
            RECT frame = {};
            GetWindowRect(Window(), &frame);
            const POINT size = {frame.right - frame.left, frame.bottom - frame.top};
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxSize = size;
            info->ptMinTrackSize = size;
            info->ptMaxTrackSize = size;
            info->ptMaxPosition = {frame.left, frame.top};
            return false;
        }
        case WM_PAINT:
            return ui::PaintIconWhenMinimised(Window(), icon_);
        default:
            if (tools_.OnMessage(message, wParam, lParam)) return true;
            return ui::Dialog::OnMessage(message, wParam, lParam, result);
    }
}

}  // namespace korvane
