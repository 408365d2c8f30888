// The main window, a view of the engine host: it drives the start-up, shows the console
// lines, the players and the figures from the host's hand-over every 100 ms, and turns the
// operator's commands into calls on the host. It holds no engine pointer and no lock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "console/ConsolePane.h"
#include "console/GameMenu.h"
#include "console/OperatorTools.h"
#include "console/MainWindowAddOn.h"
#include "console/PlayerListView.h"
#include "host/EngineHost.h"
#include "settings/SettingValues.h"
#include "ui/Dialog.h"

namespace korvane {

class ServerMainDialog : public ui::Dialog {
  public:
    // How the window ended (its modal result); the program turns it into its exit code.
    enum Ending : INT_PTR {
        kEndedCleanly = 0,  // Quit, a confirmed close, the engine's close
        kStartFailed = 2,   // no engine, sheet cancelled, a step failed
        kRestart = 4,       // the server restarts: the program starts its successor
    };
    // The longest command the command line sends whole.
    static constexpr int kCommandLineLimit = static_cast<int>(kMaxTypedCommandLength);

    // `showSettings`: the settings sheet comes up at start-up (no "-s").
    ServerMainDialog(EngineHost& host, bool showSettings, HWND parent = nullptr);
    ~ServerMainDialog() override;

    void SetConfirmOnClose(bool confirm) { confirmOnClose_ = confirm; }
    // Set before the window runs; the add-on outlives it.
    void SetAddOn(MainWindowAddOn* addOn) { addOn_ = addOn; }
    // True to go ahead: no engine, or the operator said Yes (No is the default; typing does
    // not answer). A Yes is written to the console log.
    bool ConfirmQuit();
    // Ends the window for a restart, `line` (if any) the last one in the console and the log.
    void EndForRestart(const std::string& line);
    // The log file, history, player menu and notification-area icon; set up before DoModal.
    OperatorTools& Tools() { return tools_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnOK() override {}  // Enter belongs to the hidden Send button
    void OnCancel() override;
    void OnDestroy() override;

    // The settings sheet shown at start-up; anything but IDOK ends the program after the
    // configuration file is written. A seam for the tests.
    virtual INT_PTR RunStartupSettings();

  private:
    // What the host reports from the server thread arrives as posted messages.
    static constexpr DWORD kRefreshWaitMs = 50;  // for EngineLock, all of a refresh's calls
    static constexpr UINT kEngineCloseMessage = WM_APP + 1;
    static constexpr UINT kEngineStoppedMessage = WM_APP + 2;

    void Start();
    // The 100 ms refresh: the hand-over into the list, the pane and the figures.
    void Refresh();
    // The engine's Tick asked to stop: the engine goes, what it said last is shown.
    void OnEngineStopped();
    // From the engine's stop (or a failed start) on: the figures say so, and the commands
    // that need an engine are greyed.
    void ShowEngineStopped();
    // A line of the window's own: through the host's hand-over, now, to the pane, the console
    // log and the web's console, after every line before it.
    void ShowLine(const std::string& line);
    void SendCommandLine();
    Ending HowEnded() const { return startupFailed_ ? kStartFailed : kEndedCleanly; }

    EngineHost& host_;
    bool showSettings_;
    PlayerListView players_;
    GameMenu menu_{host_, players_};
    ConsolePaneFeed pane_;
    OperatorTools tools_;
    HICON icon_;
    bool confirmOnClose_ = true;
    bool startupPending_ = true;
    bool startupFailed_ = false;
    bool engineStopped_ = false;
    bool toldNotSent_ = false;  // a typed command after the stop was answered once
    MainWindowAddOn* addOn_ = nullptr;
};

}  // namespace korvane
