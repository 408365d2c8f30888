// The server thread's life and pacing.
#include "host/ServerThread.h"

#include <windows.h>
#include <mmsystem.h>
#include <process.h>

#include "host/FramePacer.h"
#include "ui/Dialog.h"

namespace korvane {

namespace {

// The clock's zero: read once, before the program's main entry.
const DWORD clockBase = timeGetTime();

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

uint32_t ClockMs() { return static_cast<uint32_t>(timeGetTime() - clockBase); }

bool ServerThread::Start(ui::CriticalSection& lock, std::function<void()> step) {
    if (thread_) return false;
    KeepTimerResolutionWhenHidden();
    lock_ = &lock;
    step_ = std::move(step);
    stop_ = false;
    // Started suspended, so the loop's first check already sees the thread as started.
    const uintptr_t thread =
        _beginthreadex(nullptr, 0, &ServerThread::Proc, this, CREATE_SUSPENDED, nullptr);
    if (thread == 0 || thread == static_cast<uintptr_t>(-1)) return false;
    thread_.Reset(reinterpret_cast<HANDLE>(thread));
    started_ = true;
    ResumeThread(thread_.Get());
    return true;
}

bool ServerThread::Stop(const std::function<bool()>& keepWaiting) {
    stop_ = true;
    if (thread_) {
        while (WaitForSingleObject(thread_.Get(), 50) == WAIT_TIMEOUT)
            if (!keepWaiting()) {
                thread_.Reset();
                started_ = false;
                return false;
            }
        thread_.Reset();
    }
    started_ = false;
    return true;
}

unsigned __stdcall ServerThread::Proc(void* self) {
    try {
        static_cast<ServerThread*>(self)->Run();
    } catch (...) {
        ui::ReportCallbackFailure("server thread");
    }
    return 0;
}

void ServerThread::Run() {
    TimerResolution resolution;
    SystemPacingClock clock;
    RunPacedLoop(
        clock, [this] { return !stop_.load() && started_.load(); },
        [this] {
            ui::ScopedLock lock(*lock_);
            step_();
        });
}

}  // namespace korvane
