#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <thread>
#include <typeinfo>

#include "common/crt_random.h"
#include "scenes/scene_factory.h"

#define NIGHTLOOM_DECLARE_MAKER(number, Class, name) ISceneStrategy* Create##Class(Settings* liveSettings);
NIGHTLOOM_SCENE_TABLE(NIGHTLOOM_DECLARE_MAKER)
#undef NIGHTLOOM_DECLARE_MAKER

namespace {

Settings SettingsWithScene(std::int32_t scene)
{
    Settings settings{};
    settings.SceneStrategy = scene;
    settings.ShowDesktop = true;
    return settings;
}

// Each row's scene, made by its own maker rather than through the number.
struct MadeScene {
    std::int32_t number;
    ISceneStrategy* (*make)(Settings*);
};

#define NIGHTLOOM_MADE_SCENE(number, Class, name) {number, Create##Class},
const MadeScene kMakers[] = {NIGHTLOOM_SCENE_TABLE(NIGHTLOOM_MADE_SCENE)};
#undef NIGHTLOOM_MADE_SCENE

const std::type_info& KindOf(const MadeScene& row)
{
    Settings settings = SettingsWithScene(row.number);
    std::unique_ptr<ISceneStrategy> scene(row.make(&settings));
    return typeid(*scene);
}

TEST(SceneFactory, OutOfRangeValuesAreCorrectedInTheLiveSettings)
{
    for (std::int32_t value : {kSceneCount + 1, -1, kSceneCount + 4, INT32_MIN}) {
        Settings settings = SettingsWithScene(value);
        std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
        ASSERT_NE(scene, nullptr) << value;
        EXPECT_EQ(settings.SceneStrategy, 0) << value;
    }
}

TEST(SceneFactory, ValidValuesStayAndTheRandomChoiceIsNotWritten)
{
    for (std::int32_t value = 0; value <= kSceneCount; ++value) {
        Settings settings = SettingsWithScene(value);
        std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
        ASSERT_NE(scene, nullptr) << value;
        EXPECT_EQ(settings.SceneStrategy, value);
    }
}

// Every number makes its own scene, which reads the live desktop setting;
// "(Zufällig)" makes one of them.
TEST(SceneFactory, EveryNumberMakesItsSceneReadingTheLiveDesktopSetting)
{
    for (std::size_t i = 0; i < std::size(kMakers); ++i) {
        const MadeScene& expected = kMakers[i];
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(KindOf(kMakers[j]), KindOf(expected)) << "scenes " << kMakers[j].number << " and " << expected.number;
        Settings settings = SettingsWithScene(expected.number);
        std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
        ASSERT_NE(scene, nullptr) << expected.number;
        EXPECT_EQ(typeid(*scene), KindOf(expected)) << expected.number;
        EXPECT_TRUE(scene->ShowsDesktop()) << expected.number;
        settings.ShowDesktop = false;
        EXPECT_FALSE(scene->ShowsDesktop()) << expected.number;
    }

    Settings random = SettingsWithScene(kRandomScene);
    std::unique_ptr<ISceneStrategy> picked(CreateScene(&random));
    ASSERT_NE(picked, nullptr);
    int kinds = 0;
    for (const MadeScene& expected : kMakers)
        kinds += typeid(*picked) == KindOf(expected) ? 1 : 0;
    EXPECT_EQ(kinds, 1) << "one of the table's scenes";
}

// Only "(Zufällig)" seeds the generator: a chosen scene starts from the
// unseeded state, as a new thread has it, and repeats its course every run.
TEST(SceneFactory, AChosenSceneLeavesTheGeneratorUnseeded)
{
    for (const SceneEntry& entry : kScenes) {
        int firstDraw = -1;
        std::thread([&] {
            Settings settings = SettingsWithScene(entry.number);
            std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
            firstDraw = CrtRand();
        }).join();
        EXPECT_EQ(firstDraw, 41) << "the unseeded generator's first value, scene " << entry.number;
    }
}

} // namespace
