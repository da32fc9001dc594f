#pragma once
#include <cmath>

// Angles that only feed a rotation are kept within one turn: a float that has
// grown to millions of degrees no longer changes by a small step, so a saver
// left running for weeks would freeze. The rotation itself is unchanged.
inline float WrapDegrees(float degrees)
{
    return std::fmod(degrees, 360.0f);
}
