// The measured update rate: ticks per second over the last 64 steps of the server thread.
#pragma once

namespace korvane {

class UpdateRateMeter {
  public:
    static constexpr int kSamples = 64;

    // One step: records the time since the previous step (clock readings in seconds since
    // program start) and returns the new rate. `clockAgain` is read after `clockNow`, so the
    // next sample starts from the later reading.
    float Step(float clockNow, float clockAgain);
    float Rate() const { return rate_; }

  private:
    float samples_[kSamples] = {};
    int next_ = 0;
    float lastStep_ = 0;
    float rate_ = 0;
};

}  // namespace korvane
