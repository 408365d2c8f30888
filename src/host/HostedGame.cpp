// The hosted game's figures.
#include "host/HostedGame.h"

#include <string.h>

namespace korvane {

namespace {

// A monotonic clock in microseconds (the performance counter), for the Ticks' figures.
uint64_t MicrosNow() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // Split so that the product cannot overflow for any uptime.
    const LONGLONG whole = now.QuadPart / frequency, rest = now.QuadPart % frequency;
    return static_cast<uint64_t>(whole) * 1000000u +
           static_cast<uint64_t>(rest * 1000000 / frequency);
}

}  // namespace

long long HostedGame::Seconds() const {
    const uint64_t since = sinceMs_.load();
    return since ? static_cast<long long>((GetTickCount64() - since) / 1000) : 0;
}

std::string HostedGame::Map() const {
    ui::ScopedLock lock(lock_);
    return map_;
}

void HostedGame::Hosting(const std::string& map) {
    {
        ui::ScopedLock lock(lock_);
        map_ = map;
    }
    sinceMs_ = GetTickCount64();
    quitGiven_ = false;
    ticks_.Restarted();
}

void HostedGame::Stepped(uint32_t nowMs, uint32_t againMs) {
    rate_.store(meter_.Step(nowMs, againMs), std::memory_order_relaxed);
    ticks_.TickStarted(MicrosNow());
}

void HostedGame::CommandGiven(const std::string& command) {
    const size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos) return;
    const std::string word = command.substr(start, command.find_first_of(" \t", start) - start);
    if (_stricmp(word.c_str(), "quit") == 0 || _stricmp(word.c_str(), "exit") == 0)
        quitGiven_ = true;
}

void HostedGame::TickEnded() { ticks_.TickEnded(MicrosNow()); }

void HostedGame::Ended() {
    sinceMs_ = 0;
    ticked_ = false;
    rate_ = 0;  // nothing ticks any more
}

}  // namespace korvane
