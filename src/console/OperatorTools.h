// The operator's tools around the main window: the console log file, the command line's
// history and completion, the player list's menu and Delete key, the notification-area icon,
// and the mark a second copy of the program looks for. The window makes one call for each of
// its own events (start, refresh, a sent command, a message, a command, the engine's stop,
// its end); the tools' logic lives here, not in the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/CommandLineEdit.h"
#include "console/ConsoleKeeper.h"
#include "console/TrayIcon.h"
#include "host/EngineHost.h"
#include "ui/PopupMenu.h"
#include "ui/SingleInstance.h"

namespace korvane {

class OperatorTools final {
  public:
    // What the tools reach outside the program, replaceable before the window starts (tests
    // put their own in, so that no shell, menu loop or installation folder is touched).
    struct Seams {
        TrayIcon::Notify notify = &Shell_NotifyIconA;
        ui::PopupTracker track = ui::TrackPopup;
        FolderOpener openFolder = ShellOpenFolder;
        std::string logFolder = "logs";  // relative ones are under the installation folder
        std::string historyFile = kHistoryFile;
        // Milliseconds on a steady clock, for saving the history every few minutes and
        // repeating that the log has stopped.
        std::function<uint64_t()> clockMs = GetTickCount64;
    };

    // While the log cannot be written, the console says so again this often.
    static constexpr uint64_t kLogStoppedRepeatMs = ConsoleKeeper::kLogStoppedRepeatMs;

    explicit OperatorTools(EngineHost& host);
    OperatorTools(const OperatorTools&) = delete;
    OperatorTools& operator=(const OperatorTools&) = delete;

    // Before the window starts.
    void UseSeams(Seams seams) { seams_ = std::move(seams); }
    // The operator's switch --no-console-log turns the log file off for the run.
    void SetConsoleLog(bool on) { keeper_.SetConsoleLog(on); }
    // The running copy's window is marked for a second copy to bring forward.
    void MarkWindowFor(ui::SingleInstance* instance) { instance_ = instance; }

    // The window's initialisation, before the engine's start-up.
    void Start(HWND window);
    // After a refresh: the hand-over's lines have come to the log through ConsoleLines.
    void Refreshed(const EngineHost::HandOver& handOver);
    // A command the command line has echoed and sent, for the history.
    void Sent(const std::string& command);
    // The console log for others to show: "writing", "off" (switched off for the run) or
    // "stopped" (it could not be written); a string literal.
    const char* LogState() const { return keeper_.LogState(); }
    // Any message of the window; true when it was one of the tools'.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCommand(int id);
    void EngineStopped();
    // A balloon from the notification-area icon while the window is minimised.
    void Notify(const std::string& text);
    // The window is going: pending log lines and the history are written, the icon removed.
    void End();

  private:
    void UpdateTray(const EngineHost::HandOver& handOver);
    // The caption says how long the engine has not responded, while it does not.
    void ShowNotResponding();
    bool OnPlayerListKey(const NMHDR& header);

    EngineHost& host_;
    Seams seams_;
    ui::SingleInstance* instance_ = nullptr;
    HWND window_ = nullptr;
    // The log file and the history, as every front keeps them.
    ConsoleKeeper keeper_;
    CommandLineEdit keys_;
    std::optional<TrayIcon> tray_;
    TrayStatus status_;
    DWORD nameReadAt_ = 0;
    bool nameRead_ = false;
    long long notRespondingShown_ = 0;
    std::string caption_;  // the window's own, while the engine does not respond
};

}  // namespace korvane
