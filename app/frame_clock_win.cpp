#include "app/frame_clock_win.h"

#include <windows.h>

#include <new>

namespace {

class SystemTimeSource final : public TimeSource {
public:
    bool QueryFrequency(std::uint64_t& ticksPerSecond) override
    {
        LARGE_INTEGER frequency;
        if (!QueryPerformanceFrequency(&frequency))
            return false;
        ticksPerSecond = static_cast<std::uint64_t>(frequency.QuadPart);
        return true;
    }

    std::uint64_t QueryCounter() override
    {
        LARGE_INTEGER count;
        QueryPerformanceCounter(&count);
        return static_cast<std::uint64_t>(count.QuadPart);
    }

    std::uint64_t QueryTickCount() override { return GetTickCount64(); }
};

} // namespace

FrameClock* CreateFrameClock(float rate)
{
    static SystemTimeSource systemTime;
    return new (std::nothrow) FrameClock(rate, systemTime);
}
