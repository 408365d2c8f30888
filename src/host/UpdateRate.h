// The measured update rate: ticks per second over the last 64 steps of the server thread.
#pragma once

#include <cstdint>

namespace korvane {

class UpdateRateMeter {
  public:
    static constexpr int kSamples = 64;

    // One step: records the time since the previous step and returns the new rate. Readings
    // are whole milliseconds since program start from a 32-bit clock; each sample is their
    // unsigned difference, so the rate is as exact on day 40 as on day 1 and the clock's wrap
    // after 49.7 days does no harm. `clockAgain` is read after `clockNow`, so the next sample
    // starts from the later reading.
    float Step(uint32_t clockNowMs, uint32_t clockAgainMs);
    float Rate() const { return rate_; }

  private:
    float samples_[kSamples] = {};  // seconds
    int next_ = 0;
    uint32_t lastStepMs_ = 0;
    float rate_ = 0;
};

}  // namespace korvane
