// The calendar through the clock's awkward hours: midnight, the end of a month,
// of February in a leap year and of the year, and both clock changes of the
// year, where local time jumps an hour ahead and back. It holds at the end what
// it held after the first frames.
#include <gtest/gtest.h>

#include <string>

#include "night_run.h"
#include "scenes/kalender.h"
#include "settings/settings.h"

namespace {

using namespace nighttest;

// The local time the scene reads; moved on before each frame.
SYSTEMTIME fakeNow = {};

void WINAPI ReadFakeLocalTime(LPSYSTEMTIME now)
{
    *now = fakeNow;
}

struct Stretch {
    SYSTEMTIME start; // wDayOfWeek is worked out
    int frames;
    int minutesPerFrame;
};

// 2026's clock changes in Central Europe: 29 March 02:00 goes to 03:00, and
// 25 October 03:00 back to 02:00. The jumps themselves are single frames.
const Stretch kStretches[] = {
    {{2026, 3, 0, 28, 22, 0, 0, 0}, 240, 1},   // Saturday night into Sunday
    {{2026, 3, 0, 29, 2, 0, 0, 0}, 1, 60},     // spring: an hour ahead
    {{2026, 3, 0, 31, 23, 0, 0, 0}, 240, 1},   // into April
    {{2026, 10, 0, 25, 2, 0, 0, 0}, 90, 1},    // autumn: 02:00 to 03:00 ...
    {{2026, 10, 0, 25, 2, 0, 0, 0}, 90, 1},    // ... and once more
    {{2026, 12, 0, 31, 23, 0, 0, 0}, 240, 1},  // into 2027
    {{2028, 2, 0, 28, 23, 0, 0, 0}, 1500, 3},  // leap day and into March
};

SYSTEMTIME Later(const SYSTEMTIME& start, long long minutes)
{
    FILETIME file = {};
    SystemTimeToFileTime(&start, &file);
    ULARGE_INTEGER ticks = {};
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(minutes) * 60ull * 10000000ull;
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME later = {};
    FileTimeToSystemTime(&file, &later);
    return later;
}

// The local time at each frame: the stretches one after another.
SYSTEMTIME LocalTimeAt(int frame)
{
    for (const Stretch& stretch : kStretches) {
        if (frame < stretch.frames)
            return Later(stretch.start, static_cast<long long>(frame) * stretch.minutesPerFrame);
        frame -= stretch.frames;
    }
    const Stretch& last = kStretches[sizeof kStretches / sizeof kStretches[0] - 1];
    return Later(last.start, static_cast<long long>(last.frames) * last.minutesPerFrame);
}

int StretchFrames()
{
    int frames = 0;
    for (const Stretch& stretch : kStretches)
        frames += stretch.frames;
    return frames;
}

TEST(KalenderNight, AcrossMidnightsMonthsYearsAndClockChangesNothingIsGained)
{
    for (const bool desktop : {false, true}) {
        Settings settings{};
        settings.ShowDesktop = desktop;
        auto* kalender = new Kalender(&settings);
        kalender->readLocalTime = ReadFakeLocalTime;
        fakeNow = LocalTimeAt(0);
        int daysSeen = 0;
        WORD lastDay = fakeNow.wDay;
        const Night night = RunNight(kalender, desktop, StretchFrames(), [&](int frame) {
            // The warm-up frames keep the first instant; the night walks the stretches.
            fakeNow = LocalTimeAt(frame < kWarmUpFrames ? 0 : frame - kWarmUpFrames);
            if (fakeNow.wDay != lastDay) {
                ++daysSeen;
                lastDay = fakeNow.wDay;
            }
        });
        const std::string what = desktop ? "over the desktop" : "on black";
        ExpectNothingGained(night, what.c_str());
        EXPECT_GE(daysSeen, 6) << what << ": the clock crossed too few midnights";
        EXPECT_EQ(fakeNow.wYear, 2028) << what;
        EXPECT_EQ(fakeNow.wMonth, 3) << what << ": the night ends past the leap day";
    }
}

} // namespace
