// Which engine call runs now and since when: every engine call is stamped while it runs, so
// that the callers waiting for EngineLock know when to give up (the engine is stuck), the
// fronts can say how long the engine has not responded, and the hang watchdog can find a
// call that has overrun its bound. Lock-free: read from any thread at any time.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "contract/EngineGate.h"

namespace korvane {

struct RunningCall {
    enum Kind { None, Tick, Call, StartUp } kind = None;
    EngineGate::CallLength length = EngineGate::CallLength::Regular;
    uint64_t sinceMs = 0;  // GetTickCount64 when it began; 0 when no call runs
};

class CallClock {
  public:
    // A call running this long is stuck: the others give up waiting for it (the engine is
    // busy) and the fronts say that the engine does not respond.
    static constexpr uint64_t kStuckAfterMs = 2000;

    // Marks a call for as long as it lives; one inside another (a start-up step's own calls)
    // puts the outer one back when it ends.
    class Stamp {
      public:
        Stamp(CallClock& clock, RunningCall::Kind kind, EngineGate::CallLength length);
        ~Stamp();
        Stamp(const Stamp&) = delete;
        Stamp& operator=(const Stamp&) = delete;

      private:
        CallClock& clock_;
        int kind_;
        bool long_;
        uint64_t since_;
    };

    // For as long as it lives, this thread's engine calls wait at most `ms` for EngineLock all
    // together: a refresh that finds the engine busy skips a beat rather than wait for it, and
    // its many calls (a ping per player) do not each wait their own turn.
    class ShortWaits {
      public:
        explicit ShortWaits(DWORD ms);
        ~ShortWaits();
        ShortWaits(const ShortWaits&) = delete;
        ShortWaits& operator=(const ShortWaits&) = delete;

      private:
        DWORD previous_;
        DWORD previousSpent_;
    };

    RunningCall Current() const;
    bool Stuck() const;
    // Whole seconds the running call has taken, once it is stuck; else 0.
    long long NotRespondingSeconds() const;
    // Whether a caller that began waiting at `waitStartMs` (GetTickCount) waits on.
    bool KeepWaiting(DWORD waitStartMs) const;
    // A wait that began at `waitStartMs` is over: it counts against this thread's bound.
    static void Waited(DWORD waitStartMs);

  private:
    std::atomic<int> kind_{RunningCall::None};
    std::atomic<bool> long_{false};
    std::atomic<uint64_t> sinceMs_{0};
};

// "Engine not responding for N s", as the window, its tray icon and the web status say it.
std::string NotRespondingText(long long seconds);

}  // namespace korvane
