#pragma once
#include <cstdint>
#include <ctime>

// The scene picked for "(Zufällig)": the generator is seeded with the calendar
// time in seconds, so the choice depends only on the second the run starts in.
std::int32_t RandomSceneNumber(std::time_t seconds);

// SceneStrategy values outside 0 and the scene table's numbers mean "(Zufällig)".
bool IsSceneNumber(std::int32_t value);
