// Thirty days of frames at 60 per second, simulated: a saver left running for a
// month must still pace its frames to 1/60 s. Float seconds that grow with the
// run stop changing by such steps after hours or days. The scenes that scale by
// the time step have their own month-long runs beside their motion tests, in
// the same LongRun suite; the others are reset by comparisons every frame, or
// turn by one fixed step a call and start a month old in their motion tests.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "app/frame_clock.h"

namespace {

constexpr std::uint64_t kSecondsIn30Days = 60ull * 60 * 24 * 30;
constexpr std::uint64_t kFramesIn30Days = 60 * kSecondsIn30Days; // 155,520,000

// A 10 MHz counter, as Windows reports it, that moves on by a little more than
// one frame period at every reading: each Tick releases its frame on its first
// reading while the clock keeps its precision, so a month of frames costs one
// reading each. A clock that has lost precision needs more.
class FrameStepCounter final : public TimeSource {
public:
    static constexpr std::uint64_t kFrequency = 10000000;
    static constexpr std::uint64_t kStep = 166700; // 16.67 ms

    std::uint64_t now = kSecondsIn30Days * kFrequency; // up for a month already
    std::uint64_t reads = 0;

    bool QueryFrequency(std::uint64_t& ticksPerSecond) override
    {
        ticksPerSecond = kFrequency;
        return true;
    }
    std::uint64_t QueryCounter() override
    {
        ++reads;
        return now += kStep;
    }
    std::uint64_t QueryTickCount() override { return QueryCounter(); }
};

// The clock paces a month of frames exactly as its first, and the step the
// loop hands the scenes stays one frame.
TEST(LongRun, FrameClockKeepsPacingAndRateFor30Days)
{
    FrameStepCounter counter;
    FrameClock clock(60.0f, counter);
    // The first frame is due one period after the clock's Reset reading, which
    // this counter places a step after its creation: it waits three readings.
    clock.Tick();
    const std::uint64_t readsAtStart = counter.reads;
    std::uint64_t rollOvers = 0;
    float previousFps = 0.0f;
    for (std::uint64_t frame = 1; frame < kFramesIn30Days; ++frame) {
        const std::uint64_t readsBefore = counter.reads;
        clock.Tick();
        if (counter.reads - readsBefore != 1) {
            FAIL() << "frame " << frame << " (day " << frame / (60 * 60 * 60 * 24) << ") waited for "
                   << counter.reads - readsBefore << " readings instead of one period";
        }
        // The first window holds the wait for the first frame; from then on
        // every window measures the pacing alone.
        if (frameTiming.measuredFps != previousFps) {
            ++rollOvers;
            if (previousFps != 0.0f && std::fabs(frameTiming.measuredFps - 60.0f) > 0.1f)
                FAIL() << "frame " << frame << ": measured " << frameTiming.measuredFps << " fps";
            previousFps = frameTiming.measuredFps;
        }
    }
    EXPECT_NEAR(TimeStep(frameTiming.measuredFps, clock.rate), 1.0f, 0.002f);
    // A window closes every 60 frames of 16.67 ms and measures the same rate
    // each time: the first window and the second are the changes seen.
    EXPECT_EQ(rollOvers, 2u);
    EXPECT_EQ(counter.reads - readsAtStart, kFramesIn30Days - 1);
}

} // namespace
