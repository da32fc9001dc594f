#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "common/crt_random.h"
#include "scenes/butterfly.h"
#include "scenes/kalender.h"
#include "scenes/nebel.h"
#include "scenes/sterne.h"
#include "scenes/wuerfel.h"
#include "scenes/scene_factory.h"

namespace {

Settings SettingsWithScene(std::int32_t scene)
{
    Settings settings{};
    settings.SceneStrategy = scene;
    settings.ShowDesktop = true;
    return settings;
}

TEST(SceneFactory, OutOfRangeValuesAreCorrectedInTheLiveSettings)
{
    for (std::int32_t value : {6, -1, 9, INT32_MIN}) {
        Settings settings = SettingsWithScene(value);
        std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
        ASSERT_NE(scene, nullptr) << value;
        EXPECT_EQ(settings.SceneStrategy, 0) << value;
    }
}

TEST(SceneFactory, ValidValuesStayAndTheRandomChoiceIsNotWritten)
{
    for (std::int32_t value = 0; value <= 5; ++value) {
        Settings settings = SettingsWithScene(value);
        std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
        ASSERT_NE(scene, nullptr) << value;
        EXPECT_EQ(settings.SceneStrategy, value);
    }
}

template <typename Scene>
bool Is(ISceneStrategy* scene)
{
    return dynamic_cast<Scene*>(scene) != nullptr;
}

// Every number makes its own scene, which reads the live desktop setting;
// "(Zufällig)" makes one of the five.
TEST(SceneFactory, EveryNumberMakesItsSceneReadingTheLiveDesktopSetting)
{
    const struct {
        std::int32_t number;
        bool (*is)(ISceneStrategy*);
    } scenes[] = {
        {kWuerfelScene, Is<Wuerfel>},   {kNebelScene, Is<Nebel>},         {kSterneScene, Is<Sterne>},
        {kKalenderScene, Is<Kalender>}, {kButterflyScene, Is<Butterfly>},
    };
    for (const auto& expected : scenes) {
        Settings settings = SettingsWithScene(expected.number);
        std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
        ASSERT_NE(scene, nullptr) << expected.number;
        EXPECT_TRUE(expected.is(scene.get())) << expected.number;
        EXPECT_TRUE(scene->ShowsDesktop()) << expected.number;
        settings.ShowDesktop = false;
        EXPECT_FALSE(scene->ShowsDesktop()) << expected.number;
    }

    Settings random = SettingsWithScene(kRandomScene);
    std::unique_ptr<ISceneStrategy> picked(CreateScene(&random));
    int kinds = 0;
    for (const auto& expected : scenes)
        kinds += expected.is(picked.get()) ? 1 : 0;
    EXPECT_EQ(kinds, 1) << "one of the five";
}

// Only "(Zufällig)" seeds the generator: a chosen scene starts from the
// unseeded state, as a new thread has it, and repeats its course every run.
TEST(SceneFactory, AChosenSceneLeavesTheGeneratorUnseeded)
{
    for (std::int32_t number = kWuerfelScene; number <= kButterflyScene; ++number) {
        int firstDraw = -1;
        std::thread([&] {
            Settings settings = SettingsWithScene(number);
            std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
            firstDraw = CrtRand();
        }).join();
        EXPECT_EQ(firstDraw, 41) << "the unseeded generator's first value, scene " << number;
    }
}

TEST(SceneFactory, CalendarStartsLevelAndRocksWithinBounds)
{
    Settings settings = SettingsWithScene(kKalenderScene);
    Kalender kalender(&settings);
    EXPECT_EQ(kalender.tiltX, 0.0f);
    EXPECT_EQ(kalender.zoom, -15.0f);
    for (int frame = 0; frame < 10000; ++frame) {
        kalender.Advance(1.0f);
        ASSERT_LE(kalender.tiltX, 20.4f);
        ASSERT_GE(kalender.tiltX, -20.4f);
        ASSERT_LE(kalender.tiltY, 20.6f);
        ASSERT_GE(kalender.tiltY, -20.6f);
    }
}

} // namespace
