#include "scenes/scene_choice.h"

#include "common/crt_random.h"

std::int32_t RandomSceneNumber(std::time_t seconds)
{
    CrtSrand(static_cast<unsigned int>(seconds));
    return CrtRand() % 5 + 1;
}

bool IsSceneNumber(std::int32_t value)
{
    return value >= 0 && value <= 5;
}
