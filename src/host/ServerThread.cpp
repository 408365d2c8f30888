// The server thread: one engine step per 33 ms frame under EngineLock, the update-rate
// measurement, and the start and stop of the thread.
#include <windows.h>
#include <mmsystem.h>
#include <process.h>

#include "host/FramePacer.h"
#include "host/ServerMainDialog.h"

namespace korvane {

namespace {

// The clock's zero: read once, before the program's main entry.
const DWORD clockBase = timeGetTime();

float ClockSeconds() {
    return static_cast<float>(static_cast<DWORD>(timeGetTime() - clockBase)) * 0.001f;
}

// Asks for 1 ms timer resolution for as long as the thread runs: with the default period of
// about 15.6 ms, a 33 ms frame could not be kept.
class TimerResolution {
  public:
    TimerResolution() : granted_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~TimerResolution() {
        if (granted_) timeEndPeriod(1);
    }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;

  private:
    bool granted_;
};

// Windows 11 ignores a process's timer resolution while its windows are hidden or minimised,
// unless the process says it needs it. Looked up at run time: older systems lack the call.
void KeepTimerResolutionWhenHidden() {
    struct PowerThrottlingState {
        ULONG version;
        ULONG controlMask;
        ULONG stateMask;
    };
    constexpr int kProcessPowerThrottling = 4;  // PROCESS_INFORMATION_CLASS value
    constexpr ULONG kIgnoreTimerResolution =
        0x4;  // PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION
    using SetProcessInformationFn = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    auto set = reinterpret_cast<SetProcessInformationFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessInformation")));
    if (!set) return;
    PowerThrottlingState state = {1, kIgnoreTimerResolution, 0};
    set(GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state);
}

class SystemPacingClock final : public PacingClock {
  public:
    uint32_t NowMs() override { return timeGetTime(); }
    void SleepMs(uint32_t ms) override { Sleep(ms); }
};

}  // namespace

unsigned __stdcall ServerThreadProc(void* argument) {
    auto* window = static_cast<ServerMainDialog*>(argument);
    try {
        TimerResolution resolution;
        SystemPacingClock clock;
        RunPacedLoop(
            clock, [window] { return window->ServerLoopRunning(); },
            [window] {
                ui::ScopedLock lock(window->engineLock_);
                window->ServerStep();
            });
    } catch (...) {
        ui::ReportCallbackFailure("server thread");
    }
    return 0;
}

int ServerMainDialog::StartServerThread() {
    KeepTimerResolutionWhenHidden();
    stopThread_ = false;
    // Started suspended so the loop's first check already sees the stored handle.
    const uintptr_t thread =
        _beginthreadex(nullptr, 0, &ServerThreadProc, this, CREATE_SUSPENDED, nullptr);
    if (thread == 0 || thread == static_cast<uintptr_t>(-1)) {
        ShutdownEngine();
        return 0;
    }
    serverThread_.Reset(reinterpret_cast<HANDLE>(thread));
    threadStarted_ = true;
    ResumeThread(serverThread_.Get());
    SetTimer(Window(), 0, 100, nullptr);
    return 1;
}

bool ServerMainDialog::ServerLoopRunning() const {
    return !stopThread_.load() && threadStarted_.load() && engine_ != nullptr;
}

void ServerMainDialog::StopServerThread() {
    stopThread_ = true;
    if (serverThread_) {
        WaitForSingleObject(serverThread_.Get(), INFINITE);
        serverThread_.Reset();
    }
    threadStarted_ = false;
}

void ServerMainDialog::ServerStep() {
    if (!engine_ || shutdownRequested_.load() != 0 || !threadStarted_.load()) return;
    const float now = ClockSeconds();
    updateRate_.store(rateMeter_.Step(now, ClockSeconds()), std::memory_order_relaxed);
    if (engine_->Tick(0) == 0) shutdownRequested_ = 1;
}

}  // namespace korvane
