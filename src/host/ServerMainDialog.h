// The main window: it hosts the engine (loading, start-up sequence, server thread, shutdown)
// and is the operator's console (pane, command line, player list, commands).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "console/PlayerTable.h"
#include "host/EngineInterface.h"
#include "host/EngineLibrary.h"
#include "host/InstallFolder.h"
#include "host/UpdateRate.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"

namespace korvane {

class ServerMainDialog;

// The program's exit codes, for the scripts and service wrappers that run it.
inline constexpr int kExitOk = 0;             // Quit, a confirmed close, the engine's close
inline constexpr int kExitSocketsFailed = 1;  // also any unexpected failure at start
inline constexpr int kExitStartupFailed = 2;  // no engine, sheet cancelled, a step failed

// The callback object handed to the engine. It reaches the window only through the
// process-wide main-window reference, and does nothing while there is none.
class MainWindowCallbacks final : public HostCallbacks {
  public:
    int OnEngineEvent(const char* message) override;
    int OnConsoleText(const char* text) override;
    int Reserved2() override { return 0; }
    int Reserved3(int, int, int, int) override { return 0; }
};

class ServerMainDialog : public ui::Dialog {
  public:
    // The longest command the command line sends whole.
    static constexpr int kCommandLineLimit = 119;

    // A null library means server.dll from the working folder.
    explicit ServerMainDialog(HWND parent = nullptr,
                              std::unique_ptr<EngineLibrary> library = nullptr);
    ~ServerMainDialog() override;

    // The process-wide main window, set by the constructor.
    static ServerMainDialog* Instance() { return instance_; }

    // Start-up steps; each returns nonzero on success.
    int LoadEngine();
    int SetUpResourceArchives();
    int LoadStringLibrary();
    int SelectNetworkService();
    int StartHosting();
    int StartServerThread();
    // Stops the server thread, detaches and releases the engine and empties the hand-over
    // structures. Safe to call any number of times.
    void ShutdownEngine();

    // The string with `id` from korvane/cres.dll; empty without the library or the string.
    std::string LoadResourceText(int id) const;

    // Called by the server thread with EngineLock held.
    void ServerStep();

    EngineInterface* Engine() const { return engine_; }
    ui::CriticalSection& EngineLock() { return engineLock_; }
    float UpdateRate() const { return updateRate_.load(std::memory_order_relaxed); }
    void SetConfirmOnClose(bool confirm) { confirmOnClose_ = confirm; }

    // Engine callbacks; the engine calls them only inside a call made with EngineLock held.
    int HandleEngineEvent(const char* message);
    int HandleConsoleText(const char* text);

    // Console commands and window commands.
    void SendCommandLine();
    void KickSelectedPlayer();
    void ShowAbout();
    bool ConfirmQuit();

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnOK() override {}  // Enter belongs to the hidden Send button
    void OnCancel() override;
    void OnDestroy() override;

    // The settings sheet shown at start-up unless "-s" was given; anything but IDOK ends the
    // program after the configuration file is written.
    virtual INT_PTR RunStartupSettings();

    // The 100 ms refresh: player list, console lines, figures; carries out a stop that Tick
    // asked for.
    virtual void UpdateStatus();
    // The modal dialogs of the Game menu; they come with the map rotation and settings editors.
    // Puts a refresh's console lines into the pane.
    virtual void AppendConsoleLines(HWND pane, const std::vector<std::string>& lines);
    virtual void ShowChangeMap();
    virtual void ShowSettings();

  private:
    friend unsigned __stdcall ServerThreadProc(void* window);
    bool ServerLoopRunning() const;
    void StopServerThread();
    void RunStartupSequence();
    void CreatePlayerListColumns();
    // Returns false when there is no engine (the list is then emptied).
    bool UpdatePlayerList();
    void CloseForEngine();
    bool OnSysCommand(WPARAM command);
    void PaintMinimised();
    // A start-up step failed: the engine goes, and whatever it printed about why is shown.
    void FailStartup();
    // The engine could not be created: tells the operator what was looked for and where.
    void ReportMissingEngine();
    // Moves what is left in the console queue into the pane (no engine runs any more).
    void ShowLeftoverLines();
    // 0 for an ending the operator confirmed or the engine asked for; non-zero when the
    // start-up never reached a hosted game.
    int ExitCode() const { return startupFailed_ ? kExitStartupFailed : kExitOk; }

    static inline ServerMainDialog* instance_ = nullptr;

    std::unique_ptr<EngineLibrary> library_;

    // The console half; the queue, the table and the flag are guarded by EngineLock.
    std::vector<std::string> consoleQueue_;
    PlayerTable playerTable_;
    bool playersChanged_ = false;
    std::string newPlayerName_;

    // The host half.
    HICON icon_ = nullptr;
    ui::Library stringLibrary_;
    ui::CriticalSection engineLock_;
    std::atomic<int> shutdownRequested_{0};
    std::string sessionText_;
    EngineInterface* engine_ = nullptr;
    MainWindowCallbacks callbacks_;
    bool startupPending_ = true;
    ui::Handle serverThread_;
    std::atomic<bool> threadStarted_{false};
    std::atomic<bool> stopThread_{false};
    int version_[3] = {0, 0, 0};
    bool confirmOnClose_ = true;
    bool startupFailed_ = false;
    InstallFolder installFolder_;

    UpdateRateMeter rateMeter_;  // server thread only
    std::atomic<float> updateRate_{0};
};

// Set at start; a command line beginning with "-s" (any case) clears it.
extern bool ShowSettingsAtStartup;

}  // namespace korvane
