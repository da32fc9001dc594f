// Sterne drawn with the real OpenGL of the test prefix and its own pictures:
// Init, one composed frame read back before the swap, the GL state the scene
// leaves for the next frame, and what it draws over a desktop backdrop. Scene
// members are public; tests put a few sprites where they are easy to find.
#include <gtest/gtest.h>

#include "render/gl.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "scenes/sterne.h"
#include "scene_view.h"

namespace {

using namespace scenetest;

TEST(SterneRender, ColouredFlaresWhereTheStarsAreAndBlackAround)
{
    SceneView<Sterne> sterne(false);
    ASSERT_TRUE(sterne.Ready()) << "no GL context for the test window";
    ASSERT_TRUE(sterne.Initialize());
    Sterne& scene = *sterne.scene;
    ASSERT_NE(scene.texture, 0u);
    EXPECT_TRUE(glIsTexture(scene.texture));

    // A red star at the centre, a green one at distance 3 on the right (angle 0)
    // and a blue one on the left (angle 180).
    scene.starCount = 3;
    scene.stars[0] = Star{255, 0, 0, 0.0f, 0.0f};
    scene.stars[1] = Star{0, 255, 0, 3.0f, 0.0f};
    scene.stars[2] = Star{0, 0, 255, 3.0f, 180.0f};
    const Image frame = sterne.Frame();
    SaveArtifact(frame, "sterne-three-stars.bmp");

    const struct {
        double x;
        ColorTest colour;
        const char* what;
    } stars[] = {{0.0, IsRedDominant, "red star"}, {3.0, IsGreenDominant, "green star"},
                 {-3.0, IsBlueDominant, "blue star"}};
    int inSprites = 0;
    for (const auto& star : stars) {
        const POINT centre = Project(star.x, 0.0, -10.0);
        const Box core{centre.x - 6, centre.y - 6, centre.x + 6, centre.y + 6};
        EXPECT_EQ(frame.CountInBox(core, star.colour), Area(core)) << star.what << ": bright core";
        const Box sprite = ProjectedBox(star.x - 1, -1, star.x + 1, 1, -10.0, 1);
        inSprites += frame.CountInBox(sprite, IsLit);
        // The flare fades into black before the sprite's edges: no visible square.
        const Box corner = ProjectedBox(star.x + 0.85, 0.85, star.x + 1, 1, -10.0, 0);
        EXPECT_EQ(frame.CountInBox(corner, IsBlack), Area(corner)) << star.what << ": corner of the sprite";
    }
    EXPECT_EQ(frame.Count(IsLit), inSprites) << "light only inside the three sprites";
    EXPECT_GT(frame.Count(IsBlack), kWidth * kHeight * 8 / 10);

    // Additive blending stays on for the next frame.
    EXPECT_TRUE(Enabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(scene.texture));
}

TEST(SterneRender, StarsOverlapAdditivelyAndSpinAboutTheirCentres)
{
    SceneView<Sterne> sterne(false);
    ASSERT_TRUE(sterne.Ready());
    ASSERT_TRUE(sterne.Initialize());
    Sterne& scene = *sterne.scene;
    scene.starCount = 2;
    scene.stars[0] = Star{200, 0, 0, 0.0f, 0.0f};
    scene.stars[1] = Star{0, 0, 200, 0.0f, 0.0f};
    const POINT centre = Project(0, 0, -10);
    const Rgb sum = sterne.Frame().At(centre.x, centre.y);
    EXPECT_GT(sum.r, 150);
    EXPECT_GT(sum.b, 150) << "red and blue add up to magenta";

    // Spun by 45 degrees, the black corners of the sprite turn away from the
    // diagonal: what was the corner is now on the flare's fading rays.
    scene.starCount = 1;
    const Image upright = sterne.Frame();
    scene.spin = 45.0f;
    const Image spun = sterne.Frame();
    int differing = 0;
    for (std::size_t i = 0; i < upright.rgb.size(); ++i)
        differing += upright.rgb[i] != spun.rgb[i];
    EXPECT_GT(differing, 100) << "spin turns the sprite";
    EXPECT_TRUE(Near(upright.At(centre.x, centre.y), spun.At(centre.x, centre.y), 2)) << "about its centre";
}

// The first frame draws the backdrop before blending is on; from the second on,
// the blending that the scene left behind adds it at half brightness.
TEST(AdditiveScenesOverTheDesktop, SterneBackdropFullFirstThenHalf)
{
    ExpectBackdropDimmedFromTheSecondFrame<Sterne>([](Sterne& scene) { scene.starCount = 0; });
}

TEST(PictureScenes, SterneDestructorDeletesItsTextures)
{
    ExpectTexturesDeletedWithTheScene<Sterne>([](const Sterne& scene) { return std::vector<GLuint>{scene.texture}; });
}

} // namespace
