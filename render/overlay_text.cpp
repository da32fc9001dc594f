#include "render/overlay_text.h"

namespace {

// The window's size arrives as float; a size no window can have (or no number)
// is held to the int range rather than converted with undefined result.
int WholePixels(float size)
{
    constexpr float kLargest = 1 << 30;
    if (!(size > 0.0f))
        return 0;
    return size < kLargest ? static_cast<int>(size) : static_cast<int>(kLargest);
}

} // namespace

OverlayLayout LayoutOverlay(float width, float height)
{
    const int w = WholePixels(width);
    const int h = WholePixels(height);
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

int FormatFrameRate(float fps, wchar_t (&text)[kTextCapacity])
{
    return FormatTextF(text, L" %10.2f", static_cast<double>(fps));
}

int FormatDimension(float width, float height, wchar_t (&text)[kTextCapacity])
{
    return FormatTextF(text, L"%4d x %4d", WholePixels(width), WholePixels(height));
}
