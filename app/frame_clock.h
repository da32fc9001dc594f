#pragma once
// Frame pacing at a fixed rate by busy-waiting, and the measured frame rate.
#include <cstdint>

// Where the clock's readings come from: the high-resolution counter, or the
// millisecond tick count when the system has no such counter.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual bool QueryFrequency(std::uint64_t& ticksPerSecond) = 0;
    virtual std::uint64_t QueryCounter() = 0;
    virtual std::uint64_t QueryTickCount() = 0;
};

// Process-wide timing state, reset whenever a clock is created.
struct FrameTiming {
    bool useCounter;
    std::uint64_t baseCount;
    float ticksPerSecond;
    float windowStart;
    float measuredFps;   // frames per second over the last completed window; 0 before
    float fpsUpdateTime;
};
extern FrameTiming frameTiming;

class FrameClock {
public:
    FrameClock(float targetRate, TimeSource& source);

    void Reset();
    // Busy-waits until the next frame is due; true when a frame is to be drawn.
    bool Tick();

    float rate;
    float lastFrameOffset;
    std::int32_t framesInWindow;

private:
    float Now();
    // Moves the counter base to the latest reading, so that readings stay small:
    // a float of seconds since start-up would lose milliseconds after hours.
    void Rebase();

    TimeSource& source_;
    std::uint64_t lastCount_ = 0;
};

// The length of a frame in sixtieths of a second: 1.0 at 60 fps, 2.0 at 30.
float TimeStep(float measuredFps, float rate);
