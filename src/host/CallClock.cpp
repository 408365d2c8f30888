// The running call's stamp and the waiting callers' bound.
#include "host/CallClock.h"

namespace korvane {

namespace {
// This thread's bound on waiting for EngineLock; 0: until the running call is stuck.
thread_local DWORD waitBoundMs = 0;
// What this thread's calls have waited under the bound so far.
thread_local DWORD waitSpentMs = 0;
}  // namespace

CallClock::Stamp::Stamp(CallClock& clock, RunningCall::Kind kind, EngineGate::CallLength length)
    : clock_(clock),
      kind_(clock.kind_.load()),
      long_(clock.long_.load()),
      since_(clock.sinceMs_.load()) {
    // The time goes last and comes back first, so a reader never takes one call's time with
    // another's kind for long.
    clock_.sinceMs_ = 0;
    clock_.kind_ = kind;
    clock_.long_ = length == EngineGate::CallLength::Long;
    clock_.sinceMs_ = GetTickCount64();
}

CallClock::Stamp::~Stamp() {
    clock_.sinceMs_ = 0;
    clock_.kind_ = kind_;
    clock_.long_ = long_;
    clock_.sinceMs_ = since_;
}

CallClock::ShortWaits::ShortWaits(DWORD ms) : previous_(waitBoundMs), previousSpent_(waitSpentMs) {
    waitBoundMs = ms;
    waitSpentMs = 0;
}
CallClock::ShortWaits::~ShortWaits() {
    waitBoundMs = previous_;
    waitSpentMs = previousSpent_;
}

RunningCall CallClock::Current() const {
    RunningCall call;
    call.sinceMs = sinceMs_.load();
    if (call.sinceMs == 0) return call;
    call.kind = static_cast<RunningCall::Kind>(kind_.load());
    call.length = long_.load() ? EngineGate::CallLength::Long : EngineGate::CallLength::Regular;
    return call;
}

bool CallClock::Stuck() const { return NotRespondingSeconds() > 0; }

long long CallClock::NotRespondingSeconds() const {
    const uint64_t since = sinceMs_.load();
    if (since == 0) return 0;
    const uint64_t ms = GetTickCount64() - since;
    return ms >= kStuckAfterMs ? static_cast<long long>(ms / 1000) : 0;
}

std::string NotRespondingText(long long seconds) {
    return "Engine not responding for " + std::to_string(seconds) + " s";
}

bool CallClock::KeepWaiting(DWORD waitStartMs) const {
    return !Stuck() &&
           (waitBoundMs == 0 || waitSpentMs + (GetTickCount() - waitStartMs) < waitBoundMs);
}

void CallClock::Waited(DWORD waitStartMs) {
    if (waitBoundMs != 0) waitSpentMs += GetTickCount() - waitStartMs;
}

}  // namespace korvane
