// Every scene of the table through a night in minutes, with the desktop off and
// on: what it holds after the first frames it holds at the end, and no more.
#include <gtest/gtest.h>

#include <string>

#include "night_run.h"
#include "scenes/scene_factory.h"
#include "scenes/scene_table.h"
#include "settings/settings.h"

namespace {

using namespace nighttest;

constexpr int kNightFrames = 3000;

ISceneStrategy* MakeScene(const SceneEntry& entry, Settings& settings, bool desktop)
{
    settings.SceneStrategy = entry.number;
    settings.ShowDesktop = desktop;
    return CreateScene(&settings);
}

TEST(Night, EveryScenePassesANightWithoutGainingAnything)
{
    // What a process sets up once, at its first picture decoded (COM, the codecs
    // and their handles), belongs to no scene's night: every scene runs its
    // first frames once before the nights are measured.
    for (const SceneEntry& entry : kScenes) {
        Settings settings{};
        ISceneStrategy* scene = MakeScene(entry, settings, true);
        ASSERT_NE(scene, nullptr) << entry.className;
        ASSERT_TRUE(RunNight(scene, true, 0).ran) << entry.className;
    }
    for (const SceneEntry& entry : kScenes) {
        for (const bool desktop : {false, true}) {
            Settings settings{};
            ISceneStrategy* scene = MakeScene(entry, settings, desktop);
            ASSERT_NE(scene, nullptr) << entry.className;
            const std::string what = std::string(entry.className) + (desktop ? " over the desktop" : "");
            const Night night = RunNight(scene, desktop, kNightFrames);
            ExpectNothingGained(night, what.c_str());
            EXPECT_GT(night.sceneSeconds, 900.0f) << what << ": a quarter of an hour of scene time";
        }
    }
}

} // namespace
