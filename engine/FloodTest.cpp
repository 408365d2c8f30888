// Paces the flood lines by the clock rather than by the number of ticks.
#include "FloodTest.h"

namespace korvane {

void FloodTest::Start(int linesPerSecond, int seconds, uint64_t nowMs, Console& console) {
    if (linesPerSecond < 1) linesPerSecond = 1;
    if (linesPerSecond > kMaxLinesPerSecond) linesPerSecond = kMaxLinesPerSecond;
    if (seconds < 1) seconds = 1;
    if (seconds > kMaxSeconds) seconds = kMaxSeconds;
    if (active_) Finish(console);
    active_ = true;
    rate_ = static_cast<uint32_t>(linesPerSecond);
    total_ = rate_ * static_cast<uint32_t>(seconds);
    printed_ = 0;
    originMs_ = startMs_ = nowMs;
    originLine_ = 0;
    console.Print("floodtest: %u lines per second for %d seconds, %u lines", rate_, seconds,
                  total_);
}

void FloodTest::Stop(Console& console) {
    if (active_) Finish(console);
}

void FloodTest::Finish(Console& console) {
    active_ = false;
    console.Print("floodtest: done, %u of %u lines", printed_, total_);
}

void FloodTest::Advance(uint64_t nowMs, Console& console) {
    if (!active_) return;
    uint64_t elapsed = nowMs > originMs_ ? nowMs - originMs_ : 0;
    uint64_t due = originLine_ + elapsed * rate_ / 1000;
    if (due > total_) due = total_;
    uint32_t burst = rate_ / 5 + 1;
    if (due > printed_ + burst) {
        // Behind after a stall: forgive the backlog instead of flooding all at once.
        due = printed_ + burst;
        originMs_ = nowMs;
        originLine_ = static_cast<uint32_t>(due);
    }
    while (printed_ < due) {
        ++printed_;
        console.Print("flood %7u/%u t=%-8.3f the quick brown fox jumps over the lazy dog", printed_,
                      total_, static_cast<double>(nowMs - startMs_) / 1000.0);
    }
    if (printed_ >= total_) Finish(console);
}

}  // namespace korvane
