#include "scenes/butterfly.h"

#include "common/crt_random.h"
#include "scenes/wrap_degrees.h"

ButterflyState Butterfly::butterflies[kButterflyCapacity];

namespace {

// count is public; never walk past the table whatever it says.
std::int32_t ButterfliesInUse(std::int32_t count)
{
    if (count < 0)
        return 0;
    return count < kButterflyCapacity ? count : kButterflyCapacity;
}

} // namespace

Butterfly::Butterfly(Settings* liveSettings) : settings(liveSettings)
{
}

void Butterfly::InitState(bool resetState, bool)
{
    if (resetState) {
        for (std::int32_t i = 0; i < ButterfliesInUse(count); ++i)
            Respawn(i);
    }
}

// Six rand values, always in this order, so a configured scene repeats its course.
void Butterfly::Respawn(std::int32_t index)
{
    if (index < 0 || index >= kButterflyCapacity)
        return;
    ButterflyState& b = butterflies[index];
    b.textureIndex = CrtRand() % 3;
    b.y = 18.0f;
    b.x = static_cast<float>(CrtRand() % 34) - 17.0f;
    b.z = static_cast<float>(-((CrtRand() % 30000) / 1000.0 + 10.0));
    b.wingFold = 0.0f;
    b.turnRate = static_cast<float>((CrtRand() % 10000) / 5000.0 - 1.0);
    b.wingRate = static_cast<float>((CrtRand() % 100) / 1000.0 + 0.05);
    b.fallSpeed = static_cast<float>((CrtRand() % 1000) / 10000.0 + 0.001);
}

// Fixed steps per call: the flock falls and flaps with the frame rate.
void Butterfly::Advance(float)
{
    for (std::int32_t i = 0; i < ButterfliesInUse(count); ++i) {
        ButterflyState& b = butterflies[i];
        // heading only feeds a rotation and would otherwise grow for ever.
        b.heading = WrapDegrees(b.heading + b.turnRate);
        b.y -= b.fallSpeed;
        b.wingFold += b.wingRate;
        if (b.y < -18.0f)
            Respawn(i);
        if (b.wingFold > 1.0f || b.wingFold < -1.0f)
            b.wingRate = -b.wingRate;
    }
}
