#include "scenes/wuerfel.h"

#include "scenes/wrap_degrees.h"

Wuerfel::Wuerfel(Settings* liveSettings) : settings(liveSettings)
{
}

void Wuerfel::InitState(bool resetState, bool)
{
    if (resetState) {
        zoom = -5.0f;
        rotX = 0.0f;
        rotY = 0.0f;
        lighting = true;
        speedX = 0.1f;
        speedY = 0.2f;
    }
}

// Scaled by timeStep: the cube turns 6 and 12 degrees a second at any frame rate.
void Wuerfel::Advance(float timeStep)
{
    rotY = WrapDegrees(rotY + timeStep * speedY);
    rotX = WrapDegrees(rotX + timeStep * speedX);
}
