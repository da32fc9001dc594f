#include "scenes/scene_choice.h"

#include "common/crt_random.h"
#include "scenes/scene_table.h"

std::int32_t RandomSceneNumber(std::time_t seconds)
{
    CrtSrand(static_cast<unsigned int>(seconds));
    return CrtRand() % kSceneCount + 1;
}

bool IsSceneNumber(std::int32_t value)
{
    return value >= kRandomScene && value <= kSceneCount;
}
