#include "common/text.h"

#include <cwchar>

bool CopyText(wchar_t* target, int capacity, const wchar_t* source)
{
    if (capacity <= 0)
        return false;
    target[0] = L'\0';
    return AppendText(target, capacity, source);
}

bool AppendText(wchar_t* target, int capacity, const wchar_t* source)
{
    if (capacity <= 0)
        return false;
    int length = 0;
    while (length < capacity && target[length])
        ++length;
    if (length == capacity) {
        target[capacity - 1] = L'\0';
        return false;
    }
    while (*source && length < capacity - 1)
        target[length++] = *source++;
    target[length] = L'\0';
    return *source == L'\0';
}

int FormatText(wchar_t (&buffer)[kTextCapacity], const wchar_t* format, std::va_list args)
{
    buffer[0] = L'\0';
    if (!format)
        return 0;
    // ISO vswprintf answers a negative number when the text does not fit, but
    // MinGW maps it to vsnwprintf, which answers the full length and leaves a
    // cut text behind.
    const int written = std::vswprintf(buffer, kTextCapacity, format, args);
    if (written >= 0 && written < kTextCapacity)
        return written;
    // Too long for the buffer: refused as a whole rather than drawn half-written.
    buffer[0] = L'\0';
    return 0;
}

int FormatTextF(wchar_t (&buffer)[kTextCapacity], const wchar_t* format, ...)
{
    std::va_list args;
    va_start(args, format);
    const int length = FormatText(buffer, format, args);
    va_end(args);
    return length;
}
