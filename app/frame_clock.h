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
    bool useCounter = false;
    std::uint64_t baseCount = 0;
    float ticksPerSecond = 0.0f;
    float windowStart = 0.0f;
    float measuredFps = 0.0f;   // frames per second over the last completed window; 0 before
    float fpsUpdateTime = 0.0f;
};
extern FrameTiming frameTiming;

class FrameClock {
public:
    FrameClock(float targetRate, TimeSource& source);

    void Reset();
    // Busy-waits until the next frame is due; true when a frame is to be drawn.
    bool Tick();

    float rate = 0.0f;
    float lastFrameOffset = 0.0f;
    std::int32_t framesInWindow = 0;

private:
    float Now();
    // Moves the counter base to the latest reading, so that readings stay small:
    // a float of seconds since start-up would lose milliseconds after hours.
    void Rebase();

    TimeSource& timeSource;
    std::uint64_t lastCount = 0;
};

// The length of a frame in sixtieths of a second: 1.0 at 60 fps, 2.0 at 30.
float TimeStep(float measuredFps, float rate);
