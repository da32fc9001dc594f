#pragma once
// Text building and placement of the information overlay.

// Window pixels, origin at the lower-left corner.
struct OverlayLayout {
    int captionX, captionY;
    int labelX, valueX;
    int fpsY, dimensionY, headingY;
};
OverlayLayout LayoutOverlay(float width, float height);
