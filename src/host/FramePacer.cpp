// Frame pacing of the server thread.
#include "host/FramePacer.h"

namespace korvane {

uint32_t FrameWait(uint32_t frameStart, uint32_t now) {
    const uint32_t frameEnd = frameStart + kFrameMs;  // modulo 2^32
    if (frameEnd < frameStart) return 0;              // the frame wraps past zero
    // A step too quick for the millisecond clock still gets its whole frame: repeating it
    // until the clock moves would tick a fast engine hundreds of times a second.
    if (now == frameStart) return kFrameMs;
    if (frameStart < now && now < frameEnd) return frameEnd - now;
    return 0;
}

uint32_t NextFrameStart(uint32_t now, uint32_t wait, uint32_t afterSleep) {
    if (wait != 0 && afterSleep - now > wait) return now + wait;
    return afterSleep;
}

void RunPacedLoop(PacingClock& clock, const std::function<bool()>& running,
                  const std::function<void()>& step) {
    uint32_t frameStart = clock.NowMs();
    while (running()) {
        step();
        const uint32_t now = clock.NowMs();
        const uint32_t wait = FrameWait(frameStart, now);
        if (wait != 0) clock.SleepMs(wait);
        frameStart = NextFrameStart(now, wait, clock.NowMs());
    }
}

}  // namespace korvane
