#include "render/overlay_text.h"

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
