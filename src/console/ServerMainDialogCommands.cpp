// The main window's commands: quit and close with the question, kick, the Game menu's
// dialogs, About, the system menu, and painting while minimised.
#include <windows.h>
#include <commctrl.h>

#include "console/AboutDialog.h"
#include "host/EngineAccess.h"
#include "host/ServerMainDialog.h"
#include "resources/resource.h"
#include "ui/ListView.h"

namespace korvane {

bool ServerMainDialog::OnCommand(int id, int code, HWND /*control*/) {
    if (code != BN_CLICKED && code != 0 && code != 1) return false;
    switch (id) {
        case IDC_SEND:
            SendCommandLine();
            return true;
        case IDM_QUIT:
            // Ends the modal run with a code of its own: a quit message would end it with
            // whatever the dialog manager returns, which scripts take for a crash.
            if (ConfirmQuit()) End(ExitCode());
            return true;
        case IDM_KICK_PLAYER:
            KickSelectedPlayer();
            return true;
        case IDM_CHANGE_MAP:
            ShowChangeMap();
            return true;
        case IDM_SETTINGS:
            ShowSettings();
            return true;
        case IDM_ABOUT:
            ShowAbout();
            return true;
        default:
            return false;
    }
}

bool ServerMainDialog::ConfirmQuit() {
    if (!engine_) return true;
    // No is the default: a stray Escape then Enter must not stop a live server.
    return MessageBoxA(Window(), ui::ProgramString(IDS_CONFIRM_QUIT).c_str(),
                       ui::ProgramString(IDS_QUIT_CAPTION).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void ServerMainDialog::OnCancel() {
    if (!confirmOnClose_ || ConfirmQuit()) End(ExitCode());
}

void ServerMainDialog::KickSelectedPlayer() {
    if (!engine_) return;
    HWND list = Item(IDC_PLAYER_LIST);
    const int row = ui::ListNextSelected(list);
    if (row < 0) return;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
    if (EngineCall engine; engine) engine->KickPlayer(static_cast<int>(item.lParam));
}

void ServerMainDialog::ShowAbout() {
    AboutDialog about(Window(), version_);
    about.DoModal();
}

namespace {

struct OwnedSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwnedDialogs(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<OwnedSearch*>(data);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || window == search->owner) return TRUE;
    for (HWND owner = GetWindow(window, GW_OWNER); owner; owner = GetWindow(owner, GW_OWNER)) {
        if (owner == search->owner) {
            search->found.push_back(window);
            break;
        }
    }
    return TRUE;
}

}  // namespace

void ServerMainDialog::CloseForEngine() {
    // Dialogs and message boxes open over the window run modal loops of their own; they are
    // ended first (newest first), so that the window's own modal run can end behind them.
    OwnedSearch search = {Window(), {}};
    EnumThreadWindows(GetCurrentThreadId(), &CollectOwnedDialogs,
                      reinterpret_cast<LPARAM>(&search));
    for (auto it = search.found.rbegin(); it != search.found.rend(); ++it) {
        if (SendMessageA(*it, PSM_GETCURRENTPAGEHWND, 0, 0))
            PostMessageA(*it, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        else
            EndDialog(*it, IDCANCEL);
    }
    End(kExitOk);
}

bool ServerMainDialog::OnSysCommand(WPARAM command) {
    switch (command & 0xFFF0) {
        case IDM_ABOUTBOX_SYS:
            ShowAbout();
            return true;
        case SC_SIZE:
        case SC_MAXIMIZE:
            return true;
        default:
            return false;
    }
}

void ServerMainDialog::PaintMinimised() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Window(), &paint);
    SendMessageA(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(Window(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(Window(), &paint);
}

}  // namespace korvane
