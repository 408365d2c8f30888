// The history's sampling thread and what it reads of the host and the process.
#include "web/HistorySampler.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <ctime>

namespace korvane::web {

namespace {

uint64_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize;
}

}  // namespace

HistorySampler::HistorySampler(EngineHost& host, HistoryRing& ring)
    : recorder_(
          ring,
          [&host] {
              HistoryReading reading;
              // The player table's own lock, which the hand-over takes too: never EngineLock.
              reading.players =
                  host.EngineLoaded() ? static_cast<int>(host.PlayerSnapshot().size()) : 0;
              reading.updateRate = host.EngineLoaded() ? host.Game().UpdateRate() : 0.0f;
              reading.durations = host.Game().Ticks().Durations();
              reading.residentBytes = ResidentBytes();
              return reading;
          },
          [] { return static_cast<int64_t>(std::time(nullptr)); }) {}

void HistorySampler::Start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

void HistorySampler::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void HistorySampler::Run() {
    try {
        // Paced by the steady clock, so that the samples stay 10 s apart however long each
        // takes and whatever the wall clock does. The first comes 10 s after hosting began:
        // the update rate needs its first 64 Ticks before it means anything.
        auto next = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex_);
        for (;;) {
            next += std::chrono::seconds(kHistoryIntervalSeconds);
            if (wake_.wait_until(lock, next, [this] { return stopping_; })) return;
            lock.unlock();
            recorder_.Sample();
            lock.lock();
        }
    } catch (...) {
        OutputDebugStringA("Korvane Server: the history sampler failed\n");
    }
}

}  // namespace korvane::web
