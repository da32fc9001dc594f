#include <gtest/gtest.h>

#include <memory>

#include "scenes/kalender.h"
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

TEST(SceneFactory, CalendarAnswersAndReadsTheLiveSetting)
{
    Settings settings = SettingsWithScene(kKalenderScene);
    std::unique_ptr<ISceneStrategy> scene(CreateScene(&settings));
    ASSERT_NE(dynamic_cast<Kalender*>(scene.get()), nullptr);
    EXPECT_TRUE(scene->ClearsEachFrame());
    EXPECT_TRUE(scene->IsDoubleBuffered());
    EXPECT_TRUE(scene->UsesLighting());
    EXPECT_FALSE(scene->SetClearColor());
    EXPECT_FALSE(scene->SetTextColor(0));
    EXPECT_FALSE(scene->SetProjection(640.0f, 480.0f));
    EXPECT_FALSE(scene->SetCamera());
    EXPECT_FALSE(scene->ShowsInfo());
    EXPECT_TRUE(scene->ShowsDesktop());
    settings.ShowDesktop = false;
    EXPECT_FALSE(scene->ShowsDesktop());
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
