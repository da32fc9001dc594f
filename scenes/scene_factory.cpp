#include "scenes/scene_factory.h"

#include <ctime>
#include <new>

#include "scenes/butterfly.h"
#include "scenes/kalender.h"
#include "scenes/nebel.h"
#include "scenes/scene_choice.h"
#include "scenes/sterne.h"
#include "scenes/wuerfel.h"

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
    case kWuerfelScene:
        return new (std::nothrow) Wuerfel(settings);
    case kNebelScene:
        return new (std::nothrow) Nebel(settings);
    case kSterneScene:
        return new (std::nothrow) Sterne(settings);
    case kButterflyScene:
        return new (std::nothrow) Butterfly(settings);
    case kKalenderScene:
        return new (std::nothrow) Kalender(settings);
    default:
        // Not reached: the checks above leave only 1 to 5.
        return nullptr;
    }
}
