// The Kalender scene's texts and sheet from any date and time the system could
// report (each field a 16-bit WORD): the clock is always eight characters within
// its buffer, and with the real ranges every day of the month sits in exactly
// one cell, in the column of its weekday.
#include <cwchar>
#include <string>

#include "fuzz_check.h"
#include "scenes/calendar.h"

namespace {

bool TwoDigits(const wchar_t* text, int value)
{
    return text[0] == L'0' + value / 10 && text[1] == L'0' + value % 10;
}

void CheckClock(int hour, int minute, int second)
{
    std::unique_ptr<wchar_t[]> heap(new wchar_t[16]);
    for (int i = 0; i < 16; ++i)
        heap[i] = L'#';
    auto& text = *reinterpret_cast<wchar_t(*)[16]>(heap.get());
    FormatClock(hour, minute, second, text);
    FUZZ_CHECK(TerminatedWithin(text));
    FUZZ_CHECK(std::wcslen(text) == 8 && text[2] == L':' && text[5] == L':');
    const int fields[3] = {hour, minute, second};
    for (int i = 0; i < 3; ++i) {
        if (fields[i] >= 0 && fields[i] <= 99)
            FUZZ_CHECK(TwoDigits(text + 3 * i, fields[i]));
    }
}

void CheckField(int value)
{
    std::unique_ptr<wchar_t[]> heap(new wchar_t[3]{L'#', L'#', L'#'});
    auto& field = *reinterpret_cast<wchar_t(*)[3]>(heap.get());
    FormatClockField(value, field);
    FUZZ_CHECK(TerminatedWithin(field) && std::wcslen(field) == 2);
    if (value >= 0 && value <= 99)
        FUZZ_CHECK(TwoDigits(field, value));
}

// The sheet's cells: columns -3 (Monday) to 3, week rows -1 to 4.
void CheckSheet(int month, std::uint16_t year, int dayOfWeek, int day)
{
    const int days = DaysInMonth(month, year);
    const int first = FirstWeekdayColumn(dayOfWeek, day);
    const bool realDate = days > 0 && dayOfWeek <= 6 && day >= 1 && day <= days;
    if (month < 1 || month > 12)
        FUZZ_CHECK(days == 0);
    else
        FUZZ_CHECK(days >= 28 && days <= 31);
    if (!realDate)
        return;
    FUZZ_CHECK(first >= 1 && first <= 7);
    int seen[32] = {};
    for (int column = -3; column <= 3; ++column) {
        for (int row = -1; row <= 4; ++row) {
            const int shown = DayInCell(column, row, first);
            if (shown < 1 || shown > days)
                continue;
            ++seen[shown];
            // Monday is column -3; dayOfWeek counts from Sunday = 0.
            const int weekdayOfShown = ((dayOfWeek + 6) % 7 + (shown - day) % 7 + 7) % 7;
            FUZZ_CHECK(column + 3 == weekdayOfShown);
        }
    }
    for (int d = 1; d <= days; ++d)
        FUZZ_CHECK(seen[d] == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto year = input.ConsumeIntegral<std::uint16_t>();
    const auto month = input.ConsumeIntegral<std::uint16_t>();
    const auto dayOfWeek = input.ConsumeIntegral<std::uint16_t>();
    const auto day = input.ConsumeIntegral<std::uint16_t>();
    const auto hour = input.ConsumeIntegral<std::uint16_t>();
    const auto minute = input.ConsumeIntegral<std::uint16_t>();
    const auto second = input.ConsumeIntegral<std::uint16_t>();
    const int anyValue = input.ConsumeIntegral<int>();

    CheckClock(hour, minute, second);
    CheckField(anyValue);
    CheckSheet(month, year, dayOfWeek, day);
    return 0;
}
