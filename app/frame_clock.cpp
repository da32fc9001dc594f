#include "app/frame_clock.h"

FrameTiming frameTiming;

FrameClock::FrameClock(float targetRate, TimeSource& source)
    : rate(targetRate), timeSource(source)
{
    frameTiming = FrameTiming{};
    std::uint64_t frequency = 0;
    if (timeSource.QueryFrequency(frequency) && frequency != 0) {
        frameTiming.useCounter = true;
        frameTiming.baseCount = timeSource.QueryCounter();
        frameTiming.ticksPerSecond = static_cast<float>(frequency);
    } else {
        frameTiming.useCounter = false;
        frameTiming.baseCount = timeSource.QueryTickCount();
        frameTiming.ticksPerSecond = 1000.0f;
    }
    lastCount = frameTiming.baseCount;
    Reset();
}

float FrameClock::Now()
{
    lastCount = frameTiming.useCounter ? timeSource.QueryCounter() : timeSource.QueryTickCount();
    const std::uint64_t elapsed = lastCount - frameTiming.baseCount;
    return static_cast<float>(elapsed) / frameTiming.ticksPerSecond;
}

void FrameClock::Rebase()
{
    frameTiming.baseCount = lastCount;
    frameTiming.windowStart = 0.0f;
    frameTiming.fpsUpdateTime = 0.0f;
}

void FrameClock::Reset()
{
    const float now = Now();
    lastFrameOffset = now - frameTiming.windowStart;
    framesInWindow = 0;
    Rebase();
}

bool FrameClock::Tick()
{
    float now = Now();
    const float period = 1.0f / rate;
    while (period > now - frameTiming.windowStart - lastFrameOffset) {
        // Wait for the reading to change: a float reading can be coarser than
        // the counter, and comparing the same value again would spin for nothing.
        const float last = now;
        while (Now() == last) {
        }
        now = Now();
    }
    lastFrameOffset = now - frameTiming.windowStart;
    ++framesInWindow;

    if (now - frameTiming.fpsUpdateTime >= 1.0f) {
        frameTiming.measuredFps = static_cast<float>(framesInWindow) / (now - frameTiming.windowStart);
        lastFrameOffset = 0.0f;
        framesInWindow = 0;
        Rebase();
    }
    return true;
}

float TimeStep(float measuredFps, float rate)
{
    return measuredFps != 0.0f ? 60.0f / measuredFps : 60.0f / rate;
}
