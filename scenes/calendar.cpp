#include "scenes/calendar.h"

#include <cwchar>

#include "common/text.h"

const wchar_t kMonthNames[12][10] = {
    L"Januar", L"Februar", L"M\u00e4rz", L"April", L"Mai", L"Juni",
    L"Juli", L"August", L"September", L"Oktober", L"November", L"Dezember",
};

const wchar_t kWeekdayNames[7][10] = {L"Mo", L"Di", L"Mi", L"Do", L"Fr", L"Sa", L"So"};

int DaysInMonth(int month, std::uint16_t year)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : days[month - 1];
}

int FirstWeekdayColumn(int dayOfWeek, int day)
{
    const int weekday = dayOfWeek == 0 ? 7 : dayOfWeek;
    const int position = day <= 7 ? day : ((day - 8) % 7) + 1;
    const int t = weekday - position + 1;
    return t >= 1 ? t : t + 7;
}

int DayInCell(int column, int row, int firstColumn)
{
    return 5 - firstColumn + column + 7 * (row + 1);
}

void FormatClockField(int value, wchar_t (&field)[3])
{
    // Written digit by digit: a formatted value of three or more characters
    // would not fit, and the runtimes leave such a field unterminated.
    if (value < 0 || value > 99) {
        CopyText(field, 3, L"--");
        return;
    }
    field[0] = static_cast<wchar_t>(L'0' + value / 10);
    field[1] = static_cast<wchar_t>(L'0' + value % 10);
    field[2] = L'\0';
}

void FormatClock(int hour, int minute, int second, wchar_t (&text)[16])
{
    wchar_t h[3], m[3], s[3];
    FormatClockField(hour, h);
    FormatClockField(minute, m);
    FormatClockField(second, s);
    std::swprintf(text, 16, L"%ls:%ls:%ls", h, m, s);
}

bool HasVerticalGridSegment(int i, int j)
{
    return j > -5 && (j < 3 || i == -7 || i == 7);
}

bool HasHorizontalGridSegment(int i)
{
    return i < 7;
}

void RockAngle(float& angle, float& speed, float timeStep, float speedPerFrame)
{
    if (angle < -20.0f)
        speed = timeStep * speedPerFrame;
    if (angle > 20.0f)
        speed = timeStep * -speedPerFrame;
    angle += speed;
}
