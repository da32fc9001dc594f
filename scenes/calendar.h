#pragma once
// Calendar arithmetic, texts and motion of the Kalender scene.
#include <cstdint>

extern const wchar_t kMonthNames[12][10];   // January first
extern const wchar_t kWeekdayNames[7][10];  // Monday first

// 0 for a month outside 1..12.
int DaysInMonth(int month, std::uint16_t year);

// Column of the month's first day, 1 = Monday to 7 = Sunday, from today's day of
// the week (0 = Sunday) and day of the month.
int FirstWeekdayColumn(int dayOfWeek, int day);

// The day shown in column c (-3 Monday .. 3 Sunday) of week row r (-1 .. 4);
// a number outside 1..DaysInMonth means an empty cell.
int DayInCell(int column, int row, int firstColumn);

// Two digits, with a leading zero below 10; "--" for a value outside 0..99.
void FormatClockField(int value, wchar_t (&field)[3]);
// "09:05:30".
void FormatClock(int hour, int minute, int second, wchar_t (&text)[16]);

// The grid is drawn as separate segments in the plane z = 0: column lines
// i = -7, -5, .. 7, row steps j = -5 .. 3.
bool HasVerticalGridSegment(int i, int j);   // from (i, j) to (i, j + 1)
bool HasHorizontalGridSegment(int i);        // from (i, j + 1) to (i + 2, j + 1)

template <class Visit>
void ForEachGridSegment(Visit visit)
{
    for (int i = -7; i <= 7; i += 2) {
        for (int j = -5; j <= 3; ++j) {
            if (HasVerticalGridSegment(i, j))
                visit(float(i), float(j), float(i), float(j + 1));
            if (HasHorizontalGridSegment(i))
                visit(float(i), float(j + 1), float(i + 2), float(j + 1));
        }
    }
}

// One rocking axis: the speed turns at the bounds of +-20 degrees, scaled by the
// time step only then, and the angle moves by the speed.
void RockAngle(float& angle, float& speed, float timeStep, float speedPerFrame);
