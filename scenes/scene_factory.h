#pragma once
#include "scenes/scene.h"
#include "scenes/scene_table.h"
#include "settings/settings.h"

// A new scene for settings->SceneStrategy, owned by the caller. A value that is
// neither 0 nor a number of the scene table is replaced by 0 in the live
// settings.
ISceneStrategy* CreateScene(Settings* settings);
