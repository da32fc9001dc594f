#pragma once
// The scenes the SceneStrategy setting can name. This table is the only list
// of them: the factory, the random choice, the settings dialog, the tests and
// the tools all read it (the Python ones through
// tests/harness/scene_table.py, which parses the SCENE lines, so keep one
// scene to a line in this form). Needs no platform header, so the settings
// dialog's content can include it too.
#include <cstddef>
#include <cstdint>

// SCENE(number, class, name in the settings dialog's list), numbered from 1 in
// the order of the list. The class's header declares
// `ISceneStrategy* Create<class>(Settings*)`, which the factory calls.
#define NIGHTLOOM_SCENE_TABLE(SCENE)      \
    SCENE(1, Wuerfel, L"W\u00fcrfel")     \
    SCENE(2, Nebel, L"Nebel")             \
    SCENE(3, Sterne, L"Sterne")           \
    SCENE(4, Kalender, L"Kalender")       \
    SCENE(5, Butterfly, L"Butterfly")

// SceneStrategy 0 picks one of the scenes at random at every start.
constexpr std::int32_t kRandomScene = 0;
constexpr const wchar_t* kRandomSceneName = L"(Zuf\u00e4llig)";

struct SceneEntry {
    std::int32_t number;
    const char* className;
    const wchar_t* name;
};

#define NIGHTLOOM_SCENE_ENTRY(number, Class, name) {number, #Class, name},
inline constexpr SceneEntry kScenes[] = {NIGHTLOOM_SCENE_TABLE(NIGHTLOOM_SCENE_ENTRY)};
#undef NIGHTLOOM_SCENE_ENTRY

constexpr std::int32_t kSceneCount = static_cast<std::int32_t>(sizeof kScenes / sizeof kScenes[0]);

// The setting's values are 0 and the table's numbers, so these must run 1, 2, 3...
constexpr bool ScenesAreNumberedInOrder()
{
    for (std::size_t i = 0; i < sizeof kScenes / sizeof kScenes[0]; ++i) {
        if (kScenes[i].number != static_cast<std::int32_t>(i) + 1)
            return false;
    }
    return true;
}
static_assert(ScenesAreNumberedInOrder(), "the scene table's numbers must run 1, 2, 3... in its order");
