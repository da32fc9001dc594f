#include "scenes/scene_factory.h"

#include <ctime>
#include <new>

#include "scenes/kalender.h"
#include "scenes/scene_choice.h"

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
    case kKalenderScene:
    default:
        // Until the picture scenes exist, every number shows the calendar.
        return new (std::nothrow) Kalender(settings);
    }
}
