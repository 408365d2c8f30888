// What the server thread's Ticks cost, for monitoring: how many ran, how long each ran and the
// intervals from one Tick's start to the next, as cumulative histograms. The server thread
// records with a handful of atomic additions, never a lock or an allocation, so watching the
// game never slows it; any thread reads.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace korvane {

// Upper bounds of the buckets in seconds, from 1 ms to 1 s and dense around the 33 ms frame;
// a last bucket without bound takes the rest.
inline constexpr std::array<double, 15> kTickBucketBounds = {
    0.001, 0.002, 0.005, 0.01, 0.02, 0.025, 0.03, 0.033, 0.035, 0.04, 0.05, 0.1, 0.25, 0.5, 1.0};

// A histogram of microsecond samples, written by one thread at a time.
class TickHistogram {
  public:
    struct Snapshot {
        // Samples per bucket (not cumulative), the last one past every bound.
        std::array<uint64_t, kTickBucketBounds.size() + 1> buckets{};
        uint64_t count = 0;
        uint64_t sumMicros = 0;
    };

    void Add(uint64_t micros);
    // A consistent enough copy: each field is read atomically; a sample being added may be in
    // one field and not yet in another, which a scrape a moment later sets right.
    Snapshot Read() const;

  private:
    std::array<std::atomic<uint64_t>, kTickBucketBounds.size() + 1> buckets_{};
    std::atomic<uint64_t> count_{0};
    std::atomic<uint64_t> sumMicros_{0};
};

// The `q`-quantile (0..1) in seconds of the samples added between `earlier` and `later`, by
// linear interpolation within the bucket it falls in (as monitoring systems estimate it from
// the same buckets); 0 without samples. Samples past the last bound count as the last bound.
double HistogramQuantile(const TickHistogram::Snapshot& later,
                         const TickHistogram::Snapshot& earlier, double q);

class TickStats {
  public:
    // The server thread's, around each Tick; `startMicros` and `endMicros` from one
    // monotonic microsecond clock.
    void TickStarted(uint64_t startMicros);
    void TickEnded(uint64_t endMicros);
    // A new game: the next start has no interval before it.
    void Restarted() { lastStart_ = 0; }

    uint64_t Ticks() const { return durations_.Read().count; }
    TickHistogram::Snapshot Durations() const { return durations_.Read(); }
    TickHistogram::Snapshot Intervals() const { return intervals_.Read(); }

  private:
    TickHistogram durations_;
    TickHistogram intervals_;
    uint64_t lastStart_ = 0;  // the server thread's only
    uint64_t start_ = 0;
};

}  // namespace korvane
