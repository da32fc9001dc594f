#include "scenes/scene_factory.h"

#include <ctime>

#include "scenes/scene_choice.h"

// Each scene's own file defines its maker.
#define NIGHTLOOM_DECLARE_MAKER(number, Class, name) ISceneStrategy* Create##Class(Settings* liveSettings);
NIGHTLOOM_SCENE_TABLE(NIGHTLOOM_DECLARE_MAKER)
#undef NIGHTLOOM_DECLARE_MAKER

ISceneStrategy* CreateScene(Settings* settings)
{
    std::int32_t number = settings->SceneStrategy;
    if (!IsSceneNumber(number)) {
        settings->SceneStrategy = kRandomScene;
        number = kRandomScene;
    }
    if (number == kRandomScene)
        number = RandomSceneNumber(std::time(nullptr));

    switch (number) {
#define NIGHTLOOM_MAKE_SCENE(number, Class, name) \
    case number:                                  \
        return Create##Class(settings);
        NIGHTLOOM_SCENE_TABLE(NIGHTLOOM_MAKE_SCENE)
#undef NIGHTLOOM_MAKE_SCENE
    default:
        // Not reached: the checks above leave only the table's numbers.
        return nullptr;
    }
}
