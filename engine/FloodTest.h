// "floodtest": numbered console lines at a fixed rate for a while, to measure how the host's
// console keeps up. The lines are spread over the ticks; a stalled tick does not make up
// for lost time with a burst larger than a fifth of a second's worth.
#pragma once

#include <cstdint>

#include "Console.h"

namespace korvane {

class FloodTest {
  public:
    static constexpr int kMaxLinesPerSecond = 20000;
    static constexpr int kMaxSeconds = 600;

    bool Active() const { return active_; }
    // Values outside the bounds are brought within them.
    void Start(int linesPerSecond, int seconds, uint64_t nowMs, Console& console);
    void Stop(Console& console);
    void Advance(uint64_t nowMs, Console& console);

  private:
    void Finish(Console& console);

    bool active_ = false;
    uint32_t rate_ = 0;
    uint32_t total_ = 0;
    uint32_t printed_ = 0;
    uint64_t originMs_ = 0;    // when line 1 was due, moved on when a stall is forgiven
    uint32_t originLine_ = 0;  // lines printed before originMs_
    uint64_t startMs_ = 0;
};

}  // namespace korvane
