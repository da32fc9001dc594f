#include "scenes/nebel.h"

#include "common/crt_random.h"

Nebel::Nebel(Settings* liveSettings) : settings(liveSettings)
{
}

void Nebel::InitState(bool resetState, bool)
{
    if (resetState) {
        layer1Shift = 0.0f;
        layer2S = 0.0f;
        layer2T = 0.0f;
        alpha = 0.1f;
        alphaRising = true;
    }
}

// Fixed steps per call: the fog drifts and swells with the frame rate.
void Nebel::Advance(float)
{
    layer1Shift += 0.0007f;
    layer2S -= 0.001f;
    layer2T += 0.0016f;
    if (layer1Shift >= 1.0f)
        layer1Shift = 0.0f;
    if (layer2S <= 0.0f)
        layer2S = 1.0f;
    if (layer2T >= 1.0f)
        layer2T = 0.0f;

    alpha += alphaRising ? 0.001f : -0.001f;
    if (alpha > 0.38f)
        alphaRising = false;
    // Only while the fog is faded out can the banner move unseen.
    if (alpha < 0.1f) {
        alphaRising = true;
        bannerX = CrtRand() % 80 - 40;
        bannerY = CrtRand() % 80 - 40;
    }
}
