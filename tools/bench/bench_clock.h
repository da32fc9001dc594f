#pragma once
// Time and memory readings shared by the benchmark's Windows programs.
//
// Stamps that the bench driver compares with its own are in seconds since
// 1970 (the system time, which Wine reads from the same clock as Python's
// time.time()); intervals inside one process use the performance counter.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>

namespace bench {

inline double Seconds()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double EpochSeconds(const FILETIME& time)
{
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const std::uint64_t epochTicks = 116444736000000000ULL; // 1601 to 1970 in 100 ns
    return static_cast<double>(static_cast<std::int64_t>(ticks - epochTicks)) / 1e7;
}

inline double EpochSeconds()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return EpochSeconds(now);
}

// When the system created this process, in the epoch seconds above.
inline double ProcessCreatedEpochSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    return EpochSeconds(created);
}

// The private bytes of a process now. Wine fills PeakPagefileUsage with the
// current value, so a peak has to be sampled.
inline std::uint64_t PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return std::max<std::uint64_t>(counters.PrivateUsage, counters.PeakPagefileUsage);
}

} // namespace bench
