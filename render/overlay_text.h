#pragma once
// Text building and placement of the information overlay.
#include <cstdarg>

constexpr int kTextCapacity = 256; // 255 characters and the terminator

// Formats like the C runtime's wide printf. Text longer than 255 characters is
// refused and gives the empty text. Returns the length written.
int FormatText(wchar_t (&buffer)[kTextCapacity], const wchar_t* format, std::va_list args);
int FormatTextF(wchar_t (&buffer)[kTextCapacity], const wchar_t* format, ...);

// Window pixels, origin at the lower-left corner.
struct OverlayLayout {
    int captionX, captionY;
    int labelX, valueX;
    int fpsY, dimensionY, headingY;
};
OverlayLayout LayoutOverlay(float width, float height);
