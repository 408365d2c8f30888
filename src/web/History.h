// The server's recent past for the page's charts: one sample every 10 s for the last 24 hours
// in a ring allocated once, so that keeping the history never grows the program. The recorder
// reads only what the host keeps for any thread (the update rate, the Ticks' histogram, the
// player table), never the engine, and so never takes EngineLock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "host/TickStats.h"

namespace korvane::web {

struct HistorySample {
    int64_t unixTime = 0;  // seconds since 1970, UTC
    float updateRate = 0;
    float tickP50Ms = 0;  // of the Ticks that ran since the sample before
    float tickP99Ms = 0;
    int32_t players = 0;
    uint64_t residentBytes = 0;  // the process's working set
};

inline constexpr int kHistoryIntervalSeconds = 10;
inline constexpr size_t kHistorySamples = 24 * 60 * 60 / kHistoryIntervalSeconds;  // 8640
inline constexpr size_t kHistoryBytes = kHistorySamples * sizeof(HistorySample);
static_assert(kHistoryBytes < 1024 * 1024, "the history must stay under 1 MB");

// Written by the sampler, read by any listener thread.
class HistoryRing {
  public:
    HistoryRing() : samples_(kHistorySamples) {}

    // Replaces the oldest sample once the ring is full.
    void Add(const HistorySample& sample);
    // The newest `count` samples (fewer while the ring fills), oldest first.
    std::vector<HistorySample> Newest(size_t count) const;

  private:
    mutable std::mutex mutex_;
    std::vector<HistorySample> samples_;  // never resized
    size_t next_ = 0;                     // where the next sample goes
    size_t size_ = 0;
};

// What the recorder reads at each sample.
struct HistoryReading {
    int players = 0;
    float updateRate = 0;
    TickHistogram::Snapshot durations;  // since the program began
    uint64_t residentBytes = 0;
};

class HistoryRecorder {
  public:
    using Read = std::function<HistoryReading()>;
    using UnixClock = std::function<int64_t()>;

    HistoryRecorder(HistoryRing& ring, Read read, UnixClock clock)
        : ring_(ring), read_(std::move(read)), clock_(std::move(clock)) {}

    // Adds one sample; its tick quantiles cover the Ticks since the previous call.
    void Sample();

  private:
    HistoryRing& ring_;
    Read read_;
    UnixClock clock_;
    TickHistogram::Snapshot last_;
};

}  // namespace korvane::web
