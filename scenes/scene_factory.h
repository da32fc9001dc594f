#pragma once
#include "scenes/scene.h"
#include "settings/settings.h"

// Scene numbers of the SceneStrategy setting; 0 picks one at random.
enum SceneNumber : std::int32_t {
    kRandomScene = 0,
    kWuerfelScene = 1,
    kNebelScene = 2,
    kSterneScene = 3,
    kKalenderScene = 4,
    kButterflyScene = 5,
};

// A new scene for settings->SceneStrategy, owned by the caller. A value outside
// 0..5 is replaced by 0 in the live settings.
ISceneStrategy* CreateScene(Settings* settings);
