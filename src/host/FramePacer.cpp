// Frame pacing of the server thread.
#include "host/FramePacer.h"

namespace korvane {

uint32_t FrameWait(uint32_t frameStart, uint32_t now) {
    // The modular difference is right across the clock's wrap every 49.7 days; a clock that
    // went back gives a huge difference, and so no wait.
    const uint32_t elapsed = now - frameStart;
    // A step too quick for the millisecond clock still gets its whole frame: repeating it
    // until the clock moves would tick a fast engine hundreds of times a second.
    if (elapsed == 0) return kFrameMs;
    return elapsed < kFrameMs ? kFrameMs - elapsed : 0;
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
