#include <gtest/gtest.h>

#include <vector>

#include "app/frame_clock.h"

namespace {

constexpr std::uint64_t kHour = 3600;

// A counter that moves on by a fixed amount at every reading, as a busy-waiting
// loop would see a real one move.
class FakeTime final : public TimeSource {
public:
    bool hasCounter = true;
    std::uint64_t frequency = 10000000; // 10 MHz
    std::uint64_t now = 0;              // in counter ticks, or milliseconds without a counter
    std::uint64_t stepPerRead = 1000;   // 0.1 ms

    bool QueryFrequency(std::uint64_t& ticksPerSecond) override
    {
        ticksPerSecond = frequency;
        return hasCounter;
    }
    std::uint64_t QueryCounter() override { return Read(); }
    std::uint64_t QueryTickCount() override { return Read(); }

    std::uint64_t lastRead = 0;

private:
    std::uint64_t Read()
    {
        lastRead = now;
        now += stepPerRead;
        return lastRead;
    }
};

// Times of the frames, in the fake's units, as the clock released them.
std::vector<std::uint64_t> RunFrames(FrameClock& clock, FakeTime& time, int count)
{
    std::vector<std::uint64_t> frames;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(clock.Tick());
        frames.push_back(time.lastRead);
    }
    return frames;
}

TEST(FrameClock, FramesAreNeverCloserThanThePeriod)
{
    FakeTime time;
    FrameClock clock(60.0f, time);
    const auto frames = RunFrames(clock, time, 300);
    const double period = 1e7 / 60.0;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        const double interval = static_cast<double>(frames[i] - frames[i - 1]);
        EXPECT_GE(interval, period * 0.9999) << "frame " << i;
        EXPECT_LE(interval, period + 2.0 * time.stepPerRead) << "frame " << i;
    }
}

TEST(FrameClock, MeasuredRateAppearsWithTheFirstTickAfterOneSecond)
{
    FakeTime time;
    FrameClock clock(60.0f, time);
    const std::uint64_t created = time.lastRead;
    std::uint64_t previousFrame = created;
    for (int i = 0; i < 200 && frameTiming.measuredFps == 0.0f; ++i) {
        previousFrame = time.lastRead;
        clock.Tick();
    }
    ASSERT_NE(frameTiming.measuredFps, 0.0f);
    EXPECT_GE(time.lastRead - created, time.frequency);
    EXPECT_LT(previousFrame - created, time.frequency);
    EXPECT_NEAR(frameTiming.measuredFps, 60.0f, 0.5f);
    EXPECT_EQ(clock.framesInWindow, 0);
    EXPECT_EQ(clock.lastFrameOffset, 0.0f);
}

TEST(FrameClock, NextFrameAfterARollOverIsOnePeriodLater)
{
    FakeTime time;
    FrameClock clock(60.0f, time);
    while (frameTiming.measuredFps == 0.0f)
        clock.Tick();
    const std::uint64_t rollOver = time.lastRead;
    clock.Tick();
    const double interval = static_cast<double>(time.lastRead - rollOver);
    EXPECT_NEAR(interval, 1e7 / 60.0, 2.0 * time.stepPerRead);
}

TEST(FrameClock, LateFrameMovesTheScheduleWithoutCatchUp)
{
    FakeTime time;
    FrameClock clock(60.0f, time);
    RunFrames(clock, time, 3);
    time.now += 500000; // the scene took 50 ms
    clock.Tick();
    const std::uint64_t late = time.lastRead;
    clock.Tick();
    EXPECT_NEAR(static_cast<double>(time.lastRead - late), 1e7 / 60.0, 2.0 * time.stepPerRead);
}

TEST(FrameClock, TickCountFallbackStillPaces)
{
    FakeTime time;
    time.hasCounter = false;
    time.stepPerRead = 1; // one millisecond per reading
    FrameClock clock(60.0f, time);
    EXPECT_FALSE(frameTiming.useCounter);
    EXPECT_EQ(frameTiming.ticksPerSecond, 1000.0f);
    const auto frames = RunFrames(clock, time, 120);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_GE(frames[i] - frames[i - 1], 17u);
        EXPECT_LE(frames[i] - frames[i - 1], 18u);
    }
}

// Float seconds since start-up lose precision as a run gets long: after two days
// one float step is about 16 ms, which would make the pacing coarse and uneven.
TEST(FrameClock, PacingAfterTwoDaysIsAsExactAsInTheFirstMinute)
{
    FakeTime time;
    time.now = 48 * kHour * time.frequency; // the machine has been up for two days
    FrameClock clock(60.0f, time);
    const auto early = RunFrames(clock, time, 120);
    time.now += 48 * kHour * time.frequency; // and the saver runs for two more
    clock.Tick();
    const auto late = RunFrames(clock, time, 120);
    for (std::size_t i = 1; i < late.size(); ++i) {
        const double lateInterval = static_cast<double>(late[i] - late[i - 1]);
        const double earlyInterval = static_cast<double>(early[i] - early[i - 1]);
        EXPECT_NEAR(lateInterval, 1e7 / 60.0, 2.0 * time.stepPerRead) << "frame " << i;
        EXPECT_NEAR(lateInterval, earlyInterval, 2.0 * time.stepPerRead) << "frame " << i;
    }
}

TEST(FrameClock, CreationResetsTheProcessWideState)
{
    FakeTime time;
    frameTiming.measuredFps = 12.0f;
    FrameClock clock(60.0f, time);
    EXPECT_EQ(frameTiming.measuredFps, 0.0f);
    EXPECT_TRUE(frameTiming.useCounter);
    EXPECT_EQ(frameTiming.ticksPerSecond, 1e7f);
    EXPECT_EQ(clock.framesInWindow, 0);
}

TEST(TimeStep, IsSixtiethsOfASecond)
{
    EXPECT_EQ(TimeStep(0.0f, 60.0f), 1.0f);
    EXPECT_EQ(TimeStep(60.0f, 60.0f), 1.0f);
    EXPECT_EQ(TimeStep(30.0f, 60.0f), 2.0f);
    EXPECT_FLOAT_EQ(TimeStep(120.0f, 60.0f), 0.5f);
}

} // namespace
