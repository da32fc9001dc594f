#include "scenes/sterne.h"

#include "common/crt_random.h"
#include "scenes/wrap_degrees.h"

namespace {

// starCount is public; never walk past the table whatever it says.
std::uint32_t StarsInUse(std::uint32_t starCount)
{
    return starCount < kStarCapacity ? starCount : kStarCapacity;
}

void DrawStarColour(Star& star)
{
    star.r = CrtRand() % 256;
    star.g = CrtRand() % 256;
    star.b = CrtRand() % 256;
}

} // namespace

Sterne::Sterne(Settings* liveSettings) : settings(liveSettings)
{
}

void Sterne::InitState(bool resetState, bool createResources)
{
    if (resetState) {
        tilt = 65.0f;
        zoom = -10.0f;
        spin = 0.0f;
    }
    if (createResources) {
        for (std::uint32_t i = 0; i < StarsInUse(starCount); ++i) {
            Star& star = stars[i];
            star.angle = 0.0f;
            star.dist = static_cast<float>(i) / static_cast<float>(starCount) * 5.0f;
            DrawStarColour(star);
        }
    }
}

void Sterne::Advance(float timeStep)
{
    const float d = timeStep * 0.01f;
    for (std::uint32_t i = 0; i < StarsInUse(starCount); ++i) {
        Star& star = stars[i];
        spin += d;
        star.angle = WrapDegrees(star.angle + static_cast<float>(i) / static_cast<float>(starCount) * timeStep);
        star.dist -= d;
        if (star.dist < 0.0f) {
            star.dist += 5.0f;
            DrawStarColour(star);
        }
    }
    // spin grows by 50 steps a frame; one wrap per frame keeps it within a turn.
    spin = WrapDegrees(spin);
}
