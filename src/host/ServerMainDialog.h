// The main window: it hosts the engine (loading, start-up sequence, server thread, shutdown)
// and is the operator's console (pane, command line, player list, commands).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "host/EngineInterface.h"
#include "host/EngineLibrary.h"
#include "host/UpdateRate.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"

namespace korvane {

class ServerMainDialog;

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
    // A null library means server.dll from the working folder.
    explicit ServerMainDialog(HWND parent = nullptr, std::unique_ptr<EngineLibrary> library = nullptr);
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
    bool ShutdownIsRequested() const { return shutdownRequested_.load() != 0; }
    void SetConfirmOnClose(bool confirm) { confirmOnClose_ = confirm; }
    int VersionMajor() const { return version_[0]; }
    int VersionMinor() const { return version_[1]; }
    int VersionBuild() const { return version_[2]; }

    // Engine callbacks; the engine calls them only inside a call made with EngineLock held.
    int HandleEngineEvent(const char* message);
    int HandleConsoleText(const char* text);

    // Moves the queued console lines out (takes EngineLock).
    std::vector<std::string> TakeConsoleLines();

protected:
    bool OnInitDialog() override;
    bool OnTimer(UINT_PTR id) override;
    void OnCancel() override;
    void OnDestroy() override;

    // The settings sheet shown at start-up unless "-s" was given; anything but IDOK ends the
    // program after the configuration file is written.
    virtual INT_PTR RunStartupSettings();

    // The 100 ms refresh.
    virtual void UpdateStatus();
    bool ConfirmQuit();

private:
    friend unsigned __stdcall ServerThreadProc(void* window);
    bool ServerLoopRunning() const;
    void StopServerThread();
    void RunStartupSequence();
    void CreatePlayerListColumns();

    static inline ServerMainDialog* instance_ = nullptr;

    std::unique_ptr<EngineLibrary> library_;

    // The console half.
    std::vector<std::string> consoleQueue_;  // guarded by EngineLock

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

    UpdateRateMeter rateMeter_;  // server thread only
    std::atomic<float> updateRate_{0};
};

// Set at start; a command line beginning with "-s" (any case) clears it.
extern bool ShowSettingsAtStartup;

}  // namespace korvane
