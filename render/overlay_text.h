#pragma once
// Text building and placement of the information overlay.
#include "common/text.h"

// Window pixels, origin at the lower-left corner.
struct OverlayLayout {
    int captionX, captionY;
    int labelX, valueX;
    int fpsY, dimensionY, headingY;
};
OverlayLayout LayoutOverlay(float width, float height);

// The value beside "Frames per Sek.(fps):". Returns the length.
int FormatFrameRate(float fps, wchar_t (&text)[kTextCapacity]);
// The value beside "Dimension:", the window's size in pixels. Returns the length.
int FormatDimension(float width, float height, wchar_t (&text)[kTextCapacity]);
