// The server thread's pacing: one step per 33 ms frame against a millisecond clock that wraps
// at 2^32, with the clock and the sleep injected so the loop can be tested without waiting.
#pragma once

#include <cstdint>
#include <functional>

namespace korvane {

class PacingClock {
  public:
    virtual uint32_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;

  protected:
    ~PacingClock() = default;
};

inline constexpr uint32_t kFrameMs = 33;

// How long to sleep after a step that ended at `now` in the frame that began at
// `frameStart`: the rest of the frame (all of it when the step took no measurable time), or 0
// when the step used the frame up or the clock went back. Times are compared modulo 2^32.
uint32_t FrameWait(uint32_t frameStart, uint32_t now);

// The start of the next frame, given the step's end `now`, the wait slept and the clock read
// after it. An overslept frame ends at its deadline, so the overrun comes off the next frame
// and the pace holds on average.
uint32_t NextFrameStart(uint32_t now, uint32_t wait, uint32_t afterSleep);

// Runs `step` once per frame while `running` says so.
void RunPacedLoop(PacingClock& clock, const std::function<bool()>& running,
                  const std::function<void()>& step);

}  // namespace korvane
