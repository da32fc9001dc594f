// What every scene draws the same way, whichever it is: the scenes of the
// scene table made by the factory and drawn with the real OpenGL of the test
// prefix.
#include <gtest/gtest.h>

#include "render/gl.h"

#include <cstddef>
#include <cstdint>

#include "scene_view.h"
#include "scenes/scene_factory.h"

namespace {

using namespace scenetest;

// The caption is drawn exactly as its title would be: "Screen-Saver by
// Velbrook: " and the scene's name as the settings dialog lists it.
TEST(PictureScenes, CaptionsDrawTheirTitles)
{
    Settings settings{};
    for (const SceneEntry& entry : kScenes) {
        const std::int32_t number = entry.number;
        settings.SceneStrategy = number;
        ComposedView view(CreateScene(&settings), kWidth, 100);
        ASSERT_TRUE(view.Ready());
        ASSERT_NE(view.holder.scene, nullptr);
        view.holder.font = CreateTextFont(view.holder.deviceContext);
        ASSERT_NE(view.holder.font, nullptr);
        glClearColor(0, 0, 0, 0);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glColor3f(1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        view.holder.scene->DrawCaption(view.holder.font, 20, 40);
        const Image caption = ReadBackBuffer(kWidth, 100);
        glClear(GL_COLOR_BUFFER_BIT);
        RenderText(view.holder.font, 20, 40, L"Screen-Saver by Velbrook: %ls", entry.name);
        const Image title = ReadBackBuffer(kWidth, 100);
        EXPECT_GT(caption.Count(IsLit), 200) << "scene " << number;
        int differing = 0;
        for (std::size_t i = 0; i < caption.rgb.size(); ++i)
            differing += caption.rgb[i] != title.rgb[i];
        EXPECT_EQ(differing, 0) << "scene " << number;
    }
}

} // namespace
