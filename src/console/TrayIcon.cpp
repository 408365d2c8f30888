// The notification-area icon.
#include "console/TrayIcon.h"

#include <algorithm>
#include <cstdio>

#include "host/CallClock.h"
#include "resources/resource.h"
#include "ui/Text.h"

namespace korvane {

namespace {

constexpr UINT kIconId = 1;

template <size_t N>
void Copy(char (&target)[N], const std::string& text) {
    std::snprintf(target, N, "%s", text.c_str());
}

}  // namespace

std::string TrayTooltip(const TrayStatus& status) {
    // What has gone wrong comes first, so that a long server name cannot cut it off.
    std::string text;
    if (status.engineStopped) text += "Engine stopped\n";
    if (status.notRespondingSeconds > 0)
        text += NotRespondingText(status.notRespondingSeconds) + "\n";
    if (status.logStopped) text += "Console log stopped\n";
    text += status.serverName.empty() ? "Korvane Server" : status.serverName;
    if (!status.engineStopped) {
        char figures[64];
        std::snprintf(figures, sizeof figures, "\nPlayers %d / %d\nUpdate rate %d", status.players,
                      status.maxPlayers, status.updateRate);
        text += figures;
    }
    text.resize(std::min(text.size(), sizeof NOTIFYICONDATAA{}.szTip - 1));
    return text;
}

TrayIcon::TrayIcon(Notify notify, ui::PopupTracker track)
    : notify_(std::move(notify)),
      track_(std::move(track)),
      // Explorer sends this to every top-level window when it starts again.
      taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {}

NOTIFYICONDATAA TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kIconId;
    data.uFlags = flags;
    return data;
}

bool TrayIcon::Add(HWND owner, HICON icon) {
    owner_ = owner;
    icon_ = icon;
    NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    Copy(data.szTip, wantedTip_.empty() ? TrayTooltip({}) : wantedTip_);
    added_ = notify_(NIM_ADD, &data) != FALSE;
    if (added_) shownTip_ = data.szTip;
    return added_;
}

void TrayIcon::Remove() {
    if (!added_) return;
    NOTIFYICONDATAA data = Data(0);
    notify_(NIM_DELETE, &data);
    added_ = false;
}

void TrayIcon::Update(const TrayStatus& status, DWORD nowMs) {
    wantedTip_ = TrayTooltip(status);
    if (!added_ || wantedTip_ == shownTip_) return;
    if (shownOnce_ && nowMs - shownAt_ < kTooltipIntervalMs) return;
    NOTIFYICONDATAA data = Data(NIF_TIP);
    Copy(data.szTip, wantedTip_);
    if (!notify_(NIM_MODIFY, &data)) return;
    shownTip_ = wantedTip_;
    shownAt_ = nowMs;
    shownOnce_ = true;
}

bool TrayIcon::NotifyIfMinimised(const std::string& text) {
    if (!added_ || !IsIconic(owner_)) return false;
    NOTIFYICONDATAA data = Data(NIF_INFO);
    Copy(data.szInfoTitle, ui::ProgramString(IDS_QUIT_CAPTION));
    Copy(data.szInfo, text);
    data.dwInfoFlags = NIIF_INFO;
    return notify_(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::Restore() const {
    ShowWindow(owner_, IsIconic(owner_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(owner_);
}

bool TrayIcon::HandleMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam, Action& action) {
    action = Action::None;
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        if (added_) Add(owner_, icon_);
        return true;
    }
    if (message != kCallbackMessage || !added_) return false;
    switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDBLCLK:
            Restore();
            break;
        case WM_RBUTTONUP: {
            POINT at = {};
            GetCursorPos(&at);
            const int command = ui::ShowPopupMenu(IDR_TRAY_MENU, owner_, at, track_);
            // Quit asks its question over the window, so the window comes back first.
            if (command == IDM_TRAY_SHOW || command == IDM_TRAY_QUIT) Restore();
            if (command == IDM_TRAY_QUIT) action = Action::Quit;
            break;
        }
        default:
            break;
    }
    return true;
}

}  // namespace korvane
