// The hosted game's figures.
#include "host/HostedGame.h"

namespace korvane {

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
    ticks_.Restarted();
}

void HostedGame::Stepped(uint32_t nowMs, uint32_t againMs) {
    rate_.store(meter_.Step(nowMs, againMs), std::memory_order_relaxed);
    ticks_.TickStarted(MicrosNow());
}

void HostedGame::Ended() {
    sinceMs_ = 0;
    ticked_ = false;
    rate_ = 0;  // nothing ticks any more
}

}  // namespace korvane
