#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cwchar>
#include <set>

#include "common/crt_random.h"
#include "scenes/calendar.h"
#include "scenes/scene_choice.h"
#include "scenes/scene_table.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, computed independently of
// the code under test (era arithmetic).
long DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int DayOfWeek(int y, int m, int d) // 0 = Sunday
{
    const long days = DaysFromCivil(y, m, d);
    return static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
}

TEST(Calendar, DaysInMonthAgreesWithIndependentArithmetic)
{
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int next = month == 12 ? 1 : month + 1;
            const int nextYear = month == 12 ? year + 1 : year;
            const long length = DaysFromCivil(nextYear, next, 1) - DaysFromCivil(year, month, 1);
            ASSERT_EQ(DaysInMonth(month, static_cast<std::uint16_t>(year)), length) << year << "-" << month;
        }
    }
    EXPECT_EQ(DaysInMonth(2, 1900), 28);
    EXPECT_EQ(DaysInMonth(2, 2000), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    EXPECT_EQ(DaysInMonth(0, 2000), 0);
    EXPECT_EQ(DaysInMonth(13, 2000), 0);
}

TEST(Calendar, FirstWeekdayColumnFromAnyDayOfEveryMonth)
{
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int firstDow = DayOfWeek(year, month, 1);
            const int expected = firstDow == 0 ? 7 : firstDow; // Monday 1 .. Sunday 7
            const int days = DaysInMonth(month, static_cast<std::uint16_t>(year));
            for (int day = 1; day <= days; ++day)
                ASSERT_EQ(FirstWeekdayColumn(DayOfWeek(year, month, day), day), expected)
                    << year << "-" << month << "-" << day;
        }
    }
}

TEST(Calendar, EveryDayHasExactlyOneCellAndEveryMonthFitsSixRows)
{
    for (int first = 1; first <= 7; ++first) {
        for (int days = 28; days <= 31; ++days) {
            std::set<int> shown;
            for (int column = -3; column <= 3; ++column)
                for (int row = -1; row <= 4; ++row) {
                    const int day = DayInCell(column, row, first);
                    if (day >= 1 && day <= days) {
                        EXPECT_TRUE(shown.insert(day).second);
                        // The column of a day is its weekday.
                        EXPECT_EQ((day - 1 + first - 1) % 7, column + 3);
                    }
                }
            EXPECT_EQ(static_cast<int>(shown.size()), days) << "first " << first << " days " << days;
        }
    }
    // A month starting on Sunday starts in the last column of the first row.
    EXPECT_EQ(DayInCell(3, -1, 7), 1);
    // 31 days from a Saturday need the sixth row.
    EXPECT_EQ(DayInCell(-3, 4, 6), 31);
}

TEST(Calendar, ClockFieldsHaveTwoDigits)
{
    wchar_t text[16];
    FormatClock(9, 5, 30, text);
    EXPECT_STREQ(text, L"09:05:30");
    FormatClock(7, 5, 9, text);
    EXPECT_STREQ(text, L"07:05:09");
    FormatClock(23, 59, 59, text);
    EXPECT_STREQ(text, L"23:59:59");
    FormatClock(0, 0, 0, text);
    EXPECT_STREQ(text, L"00:00:00");
    wchar_t field[3];
    FormatClockField(10, field);
    EXPECT_STREQ(field, L"10");
}

// Found by fuzz_clock: a value of three characters or more left the field
// without terminator, and the clock text read past it.
TEST(Calendar, ClockFieldOutOfRangeStaysTwoCharacters)
{
    wchar_t field[3];
    FormatClockField(100, field);
    EXPECT_STREQ(field, L"--");
    FormatClockField(-1, field);
    EXPECT_STREQ(field, L"--");
    wchar_t text[16];
    FormatClock(65535, 5, -2147483647 - 1, text);
    EXPECT_STREQ(text, L"--:05:--");
}

TEST(Calendar, NamesAreGerman)
{
    EXPECT_STREQ(kMonthNames[2], L"M\u00e4rz");
    EXPECT_EQ(static_cast<unsigned>(kMonthNames[2][1]), 228u);
    EXPECT_STREQ(kMonthNames[11], L"Dezember");
    EXPECT_STREQ(kWeekdayNames[0], L"Mo");
    EXPECT_STREQ(kWeekdayNames[6], L"So");
}

TEST(Calendar, GridHas121SegmentsFramingTheSheet)
{
    int segments = 0, vertical = 0, horizontal = 0;
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    int innerVerticalsInHeader = 0;
    ForEachGridSegment([&](float x0, float y0, float x1, float y1) {
        ++segments;
        (x0 == x1 ? vertical : horizontal)++;
        minX = std::fmin(minX, std::fmin(x0, x1));
        maxX = std::fmax(maxX, std::fmax(x0, x1));
        minY = std::fmin(minY, std::fmin(y0, y1));
        maxY = std::fmax(maxY, std::fmax(y0, y1));
        if (x0 == x1 && y0 >= 3.0f && x0 > -7.0f && x0 < 7.0f)
            ++innerVerticalsInHeader;
    });
    EXPECT_EQ(segments, 121);
    EXPECT_EQ(vertical, 58);
    EXPECT_EQ(horizontal, 63);
    EXPECT_EQ(minX, -7.0f);
    EXPECT_EQ(maxX, 7.0f);
    EXPECT_EQ(minY, -4.0f);
    EXPECT_EQ(maxY, 4.0f);
    EXPECT_EQ(innerVerticalsInHeader, 0);
}

TEST(Calendar, RockingStaysNearTwentyDegrees)
{
    for (float step : {0.5f, 1.0f, 2.0f}) {
        float angle = 0.0f, speed = 0.3f;
        float low = 0.0f, high = 0.0f;
        for (int frame = 0; frame < 100000; ++frame) {
            RockAngle(angle, speed, step, 0.3f);
            low = std::fmin(low, angle);
            high = std::fmax(high, angle);
        }
        EXPECT_GT(high, 20.0f);
        EXPECT_LE(high, 20.0f + 2.0f * 0.3f * step);
        EXPECT_LT(low, -20.0f);
        EXPECT_GE(low, -20.0f - 2.0f * 0.3f * step);
    }
}

TEST(Calendar, TimeStepScalesTheSpeedOnlyAtABounce)
{
    float angle = 20.5f, speed = 0.2f;
    RockAngle(angle, speed, 2.0f, 0.2f);
    EXPECT_FLOAT_EQ(speed, -0.4f);
    EXPECT_FLOAT_EQ(angle, 20.1f);
    RockAngle(angle, speed, 1.0f, 0.2f); // still above: turned again with the new step
    EXPECT_FLOAT_EQ(speed, -0.2f);
    RockAngle(angle, speed, 3.0f, 0.2f); // inside the bounds the speed is kept
    EXPECT_FLOAT_EQ(speed, -0.2f);
}

TEST(SceneChoice, DependsOnlyOnTheSecond)
{
    std::set<int> seen;
    for (std::time_t second = 1700000000; second < 1700000100; ++second) {
        const int first = RandomSceneNumber(second);
        CrtRand(); // whatever happened in between
        EXPECT_EQ(RandomSceneNumber(second), first);
        EXPECT_GE(first, 1);
        EXPECT_LE(first, kSceneCount);
        seen.insert(first);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kSceneCount));
}

TEST(SceneChoice, MatchesTheSeededGenerator)
{
    CrtSrand(1);
    EXPECT_EQ(RandomSceneNumber(1), 41 % kSceneCount + 1);
}

TEST(SceneChoice, RangeOfTheSetting)
{
    EXPECT_TRUE(IsSceneNumber(0));
    for (const SceneEntry& entry : kScenes)
        EXPECT_TRUE(IsSceneNumber(entry.number)) << entry.number;
    EXPECT_FALSE(IsSceneNumber(kSceneCount + 1));
    EXPECT_FALSE(IsSceneNumber(-1));
}

} // namespace
