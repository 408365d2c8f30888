// The history ring and its recorder.
#include "web/History.h"

#include <algorithm>

namespace korvane::web {

void HistoryRing::Add(const HistorySample& sample) {
    std::lock_guard lock(mutex_);
    samples_[next_] = sample;
    next_ = (next_ + 1) % samples_.size();
    size_ = std::min(size_ + 1, samples_.size());
}

std::vector<HistorySample> HistoryRing::Newest(size_t count) const {
    std::lock_guard lock(mutex_);
    count = std::min(count, size_);
    std::vector<HistorySample> newest;
    newest.reserve(count);
    const size_t capacity = samples_.size();
    for (size_t at = (next_ + capacity - count) % capacity; newest.size() < count;
         at = (at + 1) % capacity)
        newest.push_back(samples_[at]);
    return newest;
}

void HistoryRecorder::Sample() {
    const HistoryReading reading = read_();
    HistorySample sample;
    sample.unixTime = clock_();
    sample.players = reading.players;
    sample.updateRate = reading.updateRate;
    sample.tickP50Ms = static_cast<float>(HistogramQuantile(reading.durations, last_, 0.5) * 1000);
    sample.tickP99Ms = static_cast<float>(HistogramQuantile(reading.durations, last_, 0.99) * 1000);
    sample.residentBytes = reading.residentBytes;
    last_ = reading.durations;
    ring_.Add(sample);
}

}  // namespace korvane::web
