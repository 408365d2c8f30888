// The Ticks' histograms.
#include "host/TickStats.h"

#include <algorithm>

namespace korvane {

void TickHistogram::Add(uint64_t micros) {
    size_t bucket = 0;
    while (bucket < kTickBucketBounds.size() &&
           static_cast<double>(micros) > kTickBucketBounds[bucket] * 1e6)
        ++bucket;
    buckets_[bucket].fetch_add(1, std::memory_order_relaxed);
    sumMicros_.fetch_add(micros, std::memory_order_relaxed);
    // The count last, so that a reader never sees more samples counted than in the buckets.
    count_.fetch_add(1, std::memory_order_release);
}

TickHistogram::Snapshot TickHistogram::Read() const {
    Snapshot snapshot;
    snapshot.count = count_.load(std::memory_order_acquire);
    for (size_t i = 0; i < buckets_.size(); ++i)
        snapshot.buckets[i] = buckets_[i].load(std::memory_order_relaxed);
    snapshot.sumMicros = sumMicros_.load(std::memory_order_relaxed);
    return snapshot;
}

double HistogramQuantile(const TickHistogram::Snapshot& later,
                         const TickHistogram::Snapshot& earlier, double q) {
    std::array<uint64_t, kTickBucketBounds.size() + 1> counts{};
    uint64_t total = 0;
    for (size_t i = 0; i < counts.size(); ++i) {
        counts[i] = later.buckets[i] >= earlier.buckets[i] ? later.buckets[i] - earlier.buckets[i]
                                                           : 0;
        total += counts[i];
    }
    if (total == 0) return 0;
    const double rank = std::clamp(q, 0.0, 1.0) * static_cast<double>(total);
    uint64_t below = 0;
    for (size_t i = 0; i < kTickBucketBounds.size(); ++i) {
        if (counts[i] > 0 && static_cast<double>(below + counts[i]) >= rank) {
            const double low = i == 0 ? 0.0 : kTickBucketBounds[i - 1];
            const double share = (rank - static_cast<double>(below)) / static_cast<double>(counts[i]);
            return low + (kTickBucketBounds[i] - low) * std::max(0.0, share);
        }
        below += counts[i];
    }
    return kTickBucketBounds.back();
}

void TickStats::TickStarted(uint64_t startMicros) {
    if (lastStart_ != 0 && startMicros >= lastStart_) intervals_.Add(startMicros - lastStart_);
    lastStart_ = startMicros;
    start_ = startMicros;
}

void TickStats::TickEnded(uint64_t endMicros) {
    durations_.Add(endMicros >= start_ ? endMicros - start_ : 0);
}

}  // namespace korvane
