// The program's icon in the notification area: a tooltip with the server's state, a menu with
// Show and Quit, a balloon while the window is minimised, double-click to restore. The window
// owns it and forwards its messages to it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "ui/PopupMenu.h"

namespace korvane {

struct TrayStatus {
    std::string serverName;
    int players = 0;
    int maxPlayers = 0;
    int updateRate = 0;
    bool engineStopped = false;
    bool logStopped = false;  // the console log cannot be written
    long long notRespondingSeconds = 0;
};
// "name\nPlayers n / max\nUpdate rate r", cut to what the tooltip holds; "Engine stopped" (in
// place of the figures), "Engine not responding for N s" and "Console log stopped" lines come
// before the name while they hold.
std::string TrayTooltip(const TrayStatus& status);

class TrayIcon {
  public:
    // Shell_NotifyIconA; a seam so tests see the calls.
    using Notify = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;
    static constexpr UINT kCallbackMessage = WM_APP + 20;
    static constexpr DWORD kTooltipIntervalMs = 1000;
    enum class Action { None, Quit };

    explicit TrayIcon(Notify notify = &Shell_NotifyIconA, ui::PopupTracker track = ui::TrackPopup);
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    bool Add(HWND owner, HICON icon);
    void Remove();
    // Called from every refresh: the tooltip changes only when its text does, at most once a
    // second; a change held back goes out with a later call.
    void Update(const TrayStatus& status, DWORD nowMs);
    // A balloon with `text`, only while the window is minimised (otherwise the window shows it).
    bool NotifyIfMinimised(const std::string& text);
    // Every message of the owner: true when it was the icon's (its callback message, or the
    // taskbar's restart, after which the icon is added again). Quit in `action` asks the owner
    // to quit as File > Quit does, with its question; the window is restored first.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, Action& action);

  private:
    NOTIFYICONDATAA Data(UINT flags) const;
    void Restore() const;

    Notify notify_;
    ui::PopupTracker track_;
    UINT taskbarCreated_;
    HWND owner_ = nullptr;
    HICON icon_ = nullptr;
    bool added_ = false;
    std::string wantedTip_;
    std::string shownTip_;
    DWORD shownAt_ = 0;
    bool shownOnce_ = false;
};

}  // namespace korvane
