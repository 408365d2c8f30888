// The server thread's pacing and rate measurement against an injected clock, and the
// resource.txt parser of start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/FramePacer.h"
#include "host/ResourceList.h"
#include "host/TickStats.h"
#include "host/UpdateRate.h"

namespace korvane {
namespace {

// A millisecond clock whose sleeps are rounded up to the timer period and overshoot a little,
// as Windows' are; steps take a fixed time.
class FakeClock final : public PacingClock {
  public:
    uint32_t now = 1000;
    uint32_t period = 1;     // timer granularity
    uint32_t overshoot = 0;  // extra time every sleep takes
    std::vector<uint32_t> sleeps;

    uint32_t NowMs() override { return now; }
    void SleepMs(uint32_t ms) override {
        sleeps.push_back(ms);
        const uint32_t rounded = (ms + period - 1) / period * period;
        now += rounded + overshoot;
    }
};

// Runs `steps` steps of `stepMs` each; returns the clock times at which each step began.
std::vector<uint32_t> RunSteps(FakeClock& clock, int steps, uint32_t stepMs) {
    std::vector<uint32_t> starts;
    RunPacedLoop(
        clock, [&] { return static_cast<int>(starts.size()) < steps; },
        [&] {
            starts.push_back(clock.now);
            clock.now += stepMs;
        });
    return starts;
}

TEST(FramePacer, HoldsThirtyThreeMillisecondFrames) {
    FakeClock clock;
    const auto starts = RunSteps(clock, 301, 5);
    EXPECT_EQ(starts.back() - starts.front(), 300u * 33u);
    EXPECT_EQ(clock.sleeps.front(), 28u);
}

TEST(FramePacer, OversleepIsTakenFromTheNextFrame) {
    // A coarse clock: every sleep lasts 2 ms too long. The frames still average 33 ms.
    FakeClock clock;
    clock.overshoot = 2;
    const auto starts = RunSteps(clock, 301, 5);
    EXPECT_EQ(starts[1] - starts[0], 35u);
    EXPECT_EQ(starts[2] - starts[1], 33u);
    // Without the correction every frame would last 35 ms.
    EXPECT_EQ(starts.back() - starts.front(), 300u * 33u + 2u);
}

TEST(FramePacer, SlowStepsRunBackToBackWithoutSleeping) {
    FakeClock clock;
    const auto starts = RunSteps(clock, 20, 50);
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(starts[1] - starts[0], 50u);
    UpdateRateMeter meter;
    float rate = 0;
    for (uint32_t t = 50; t <= 200 * 50; t += 50) rate = meter.Step(t, t);
    EXPECT_NEAR(rate, 20.0f, 0.1f);
}

TEST(FramePacer, StepsTooQuickForTheClockStillGetAWholeFrame) {
    // An engine whose Tick takes well under a millisecond: the clock never moves during a step.
    FakeClock clock;
    const auto starts = RunSteps(clock, 31, 0);
    ASSERT_EQ(clock.sleeps.size(), 31u);
    EXPECT_EQ(clock.sleeps[0], 33u);
    EXPECT_EQ(starts.back() - starts.front(), 30u * 33u);
}

TEST(FramePacer, WaitRulesNearTheClockWrap) {
    EXPECT_EQ(FrameWait(100, 110), 23u);
    EXPECT_EQ(FrameWait(100, 100), 33u);  // no measurable time: the whole frame
    EXPECT_EQ(FrameWait(100, 133), 0u);   // frame used up
    EXPECT_EQ(FrameWait(100, 99), 0u);    // clock went back
    // A frame whose end wraps past zero is paced like any other, before or after the wrap.
    EXPECT_EQ(FrameWait(0xFFFFFFF0u, 0xFFFFFFF5u), 28u);
    EXPECT_EQ(FrameWait(0xFFFFFFF0u, 3u), 14u);
    EXPECT_EQ(FrameWait(0xFFFFFFF0u, 0xFFFFFFF0u), 33u);
    EXPECT_EQ(FrameWait(0xFFFFFFF0u, 17u), 0u);  // used up across the wrap
    // A frame that starts right after the wrap is slept normally.
    EXPECT_EQ(FrameWait(0u, 10u), 23u);
    // The overrun correction also works across the wrap.
    EXPECT_EQ(NextFrameStart(0xFFFFFFFEu, 10, 12u), 8u);
    EXPECT_EQ(NextFrameStart(100, 10, 110), 110u);
    EXPECT_EQ(NextFrameStart(100, 0, 150), 150u);
}

TEST(UpdateRate, FirstSampleSpansTheStartUpUntilItLeavesTheRing) {
    UpdateRateMeter meter;
    // The first step comes 60 s after program start (the settings sheet was open).
    uint32_t t = 60000;
    float rate = meter.Step(t, t);
    EXPECT_NEAR(rate, 64.0f / 60.0f, 0.01f);
    for (int i = 1; i < 64; ++i) {
        t += 33;
        rate = meter.Step(t, t);
    }
    EXPECT_LT(rate, 1.1f);
    t += 33;
    rate = meter.Step(t, t);  // the 60 s sample is overwritten
    EXPECT_NEAR(rate, 1.0f / 0.033f, 0.1f);
}

TEST(UpdateRate, RateNeverExceedsOneHundred) {
    UpdateRateMeter meter;
    EXPECT_FLOAT_EQ(meter.Step(0, 0), 100.0f);
    for (uint32_t i = 0; i < 100; ++i) meter.Step(i, i);
    EXPECT_FLOAT_EQ(meter.Rate(), 100.0f);
}

TEST(UpdateRate, StaysExactForAnyUptimeAndAcrossTheClockWrap) {
    // Steady 33 ms frames read off a program clock that has run for days; at 49.7 days the
    // 32-bit wrap falls in the middle of the ring.
    for (const double days : {3.0, 24.0, 4294967296.0 / 86400000.0, 100.0}) {
        SCOPED_TRACE(days);
        UpdateRateMeter meter;
        uint32_t t = static_cast<uint32_t>(static_cast<uint64_t>(days * 86400000.0) - 3000);
        float low = 1000, high = 0;
        for (int i = 0; i < 300; ++i) {
            t += 33;
            const float rate = meter.Step(t, t);
            if (i < 64) continue;  // the first sample spans the start
            low = std::min(low, rate);
            high = std::max(high, rate);
        }
        EXPECT_NEAR(low, 1000.0f / 33, 0.01f);
        EXPECT_NEAR(high, 1000.0f / 33, 0.01f);
    }
}

TEST(TickStats, BucketsIntervalsAndQuantilesOverAWindow) {
    TickStats stats;
    uint64_t t = 5'000'000;
    // 90 Ticks of 2 ms then 10 of 40 ms, started every 33 ms; a bound itself falls in its bucket.
    for (int i = 0; i < 100; ++i, t += 33'000) {
        stats.TickStarted(t);
        stats.TickEnded(t + (i < 90 ? 2'000 : 40'000));
    }
    const auto durations = stats.Durations();
    EXPECT_EQ(durations.count, 100u);
    EXPECT_EQ(durations.buckets[1], 90u);   // <= 2 ms
    EXPECT_EQ(durations.buckets[9], 10u);   // <= 40 ms
    EXPECT_EQ(durations.sumMicros, 90u * 2'000 + 10u * 40'000);
    EXPECT_EQ(stats.Intervals().count, 99u);  // the first Tick has no interval before it
    EXPECT_EQ(stats.Intervals().buckets[7], 99u);
    const TickHistogram::Snapshot none;
    EXPECT_NEAR(HistogramQuantile(durations, none, 0.5), 0.001 + 0.001 * 50 / 90, 1e-9);
    EXPECT_NEAR(HistogramQuantile(durations, none, 0.99), 0.035 + 0.005 * 9 / 10, 1e-9);
    // Over a later window only its own samples count; an empty window reads 0.
    stats.TickStarted(t);
    stats.TickEnded(t + 3'000'000);
    EXPECT_DOUBLE_EQ(HistogramQuantile(stats.Durations(), durations, 0.5), 1.0);
    EXPECT_EQ(HistogramQuantile(durations, durations, 0.5), 0.0);
}

TEST(ResourceList, LinesBecomeArchiveNamesAfterTheFixedTwo) {
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "archive" + std::to_string(i) + "\n";
    const auto names = ResourceArchiveNames(forty);
    ASSERT_EQ(names.size(), 32u);
    EXPECT_EQ(names[0], "korvane");
    EXPECT_EQ(names[1], "korvane.rez");
    EXPECT_EQ(names[2], "archive0");
    EXPECT_EQ(names[31], "archive29");

    EXPECT_EQ(ParseResourceLines("a\nb\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ParseResourceLines("a\n\n\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ParseResourceLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(ParseResourceLines("").empty());
    EXPECT_EQ(ResourceArchiveNames("").size(), 2u);

    const auto longLine = ParseResourceLines(std::string(1500, 'x') + "\nnext\n");
    ASSERT_EQ(longLine.size(), 2u);
    EXPECT_EQ(longLine[0].size(), 1023u);
    EXPECT_EQ(longLine[1], "next");
}

}  // namespace
}  // namespace korvane
