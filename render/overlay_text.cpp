#include "render/overlay_text.h"

#include <cwchar>

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

OverlayLayout LayoutOverlay(float width, float height)
{
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    OverlayLayout layout{};
    layout.captionX = 60;
    layout.captionY = h - 60;
    layout.labelX = w - 340;
    layout.valueX = layout.labelX + 180;
    layout.fpsY = 60;
    layout.dimensionY = 75;
    layout.headingY = 105;
    return layout;
}
