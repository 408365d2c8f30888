// The update-rate ring.
#include "host/UpdateRate.h"

namespace korvane {

float UpdateRateMeter::Step(uint32_t clockNowMs, uint32_t clockAgainMs) {
    // The difference first, in whole milliseconds; only then seconds.
    samples_[next_] = static_cast<float>(static_cast<uint32_t>(clockNowMs - lastStepMs_)) * 0.001f;
    lastStepMs_ = clockAgainMs;
    next_ = (next_ + 1) % kSamples;
    float sum = 0;
    for (float sample : samples_) sum += sample;
    float mean = sum * 0.015625f;
    // The floor keeps the rate finite (at most 100) while the ring is still mostly empty.
    if (mean < 0.01f) mean = 0.01f;
    rate_ = 1.0f / mean;
    return rate_;
}

}  // namespace korvane
