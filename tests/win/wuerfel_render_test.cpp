// Wuerfel drawn with the real OpenGL of the test prefix and its own pictures:
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

#include "scenes/wuerfel.h"
#include "scene_view.h"

namespace {

using namespace scenetest;

TEST(WuerfelRender, GlowingTexturedCubeWithItsLight)
{
    SceneView<Wuerfel> cube(false);
    ASSERT_TRUE(cube.Ready());
    ASSERT_TRUE(cube.Initialize());
    Wuerfel& scene = *cube.scene;
    ASSERT_NE(scene.faceTexture, 0u);
    ASSERT_NE(scene.maskTexture, 0u);
    EXPECT_TRUE(Enabled(GL_LIGHT1));
    GLfloat light[4] = {};
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, light);
    EXPECT_EQ(light[0], 0.5f);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, light);
    EXPECT_EQ(light[0], 1.0f);
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    EXPECT_EQ(light[2], 2.0f) << "in front of the cube, in eye coordinates";

    // The mask is plain black.
    glBindTexture(GL_TEXTURE_2D, scene.maskTexture);
    GLint side = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side);
    EXPECT_EQ(side, 256);
    std::vector<std::uint8_t> texels(256 * 256 * 4, 7);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    int notBlack = 0;
    for (std::size_t i = 0; i < texels.size(); i += 4)
        notBlack += texels[i] | texels[i + 1] | texels[i + 2];
    EXPECT_EQ(notBlack, 0);

    glEnable(GL_DEPTH_TEST); // the scene turns it off itself
    const Image frame = cube.Frame();
    SaveArtifact(frame, "wuerfel.bmp");
    // Turned 0 degrees, the front face (z = 1 of the cube 5 units away) covers
    // the picture; nothing is drawn outside it.
    const Box front = ProjectedBox(-1, -1, 1, 1, -4.0, 2);
    const int lit = frame.Count(IsLit);
    EXPECT_EQ(frame.CountInBox(front, IsLit), lit);
    EXPECT_GT(lit, Area(front) * 8 / 10);
    EXPECT_GT(frame.CountInBox(front, IsWhite), Area(front) / 5) << "the lit white ground";
    EXPECT_GT(frame.CountInBox(front, [](Rgb c) { return c.b > c.r + 60 && c.b > c.g + 30; }), 100)
        << "the blue border";

    // The state the cube leaves: lighting on, additive blending, no depth test.
    EXPECT_TRUE(Enabled(GL_LIGHTING));
    EXPECT_TRUE(capture.lightingAtPresent);
    EXPECT_TRUE(Enabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
    EXPECT_FALSE(Enabled(GL_DEPTH_TEST));
    EXPECT_EQ(Integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(scene.faceTexture));

    // Turning about both axes shows other faces at other places.
    for (int i = 0; i < 300; ++i)
        scene.Advance(1.0f);
    const Image turned = cube.Frame();
    SaveArtifact(turned, "wuerfel-turned.bmp");
    EXPECT_GT(turned.Count(IsLit), lit / 2);
    EXPECT_NE(turned.rgb, frame.rgb);
}

TEST(WuerfelRender, MaskBlacksOutTheCubeOverTheDesktop)
{
    // Turns that show every face at the silhouette's edge.
    const float turns[][2] = {{30.0f, 40.0f}, {0.0f, 0.0f}, {95.0f, 200.0f}, {200.0f, 310.0f}, {-60.0f, 135.0f},
                              {150.0f, 30.0f}};
    std::vector<Image> alone;
    {
        SceneView<Wuerfel> cube(false);
        ASSERT_TRUE(cube.Ready());
        ASSERT_TRUE(cube.Initialize());
        for (const auto& turn : turns) {
            cube.scene->rotX = turn[0];
            cube.scene->rotY = turn[1];
            alone.push_back(cube.Frame());
        }
    }
    SceneView<Wuerfel> cube(true);
    ASSERT_TRUE(cube.Ready());
    ASSERT_TRUE(cube.Initialize());
    cube.ShowWhiteDesktop();

    // Every pixel shows the cube exactly as on black, or the white desktop
    // where the cube is not: no desktop shines through the silhouette.
    for (std::size_t i = 0; i < alone.size(); ++i) {
        cube.scene->rotX = turns[i][0];
        cube.scene->rotY = turns[i][1];
        const Image over = cube.Frame();
        if (i == 0)
            SaveArtifact(over, "wuerfel-over-white-desktop.bmp");
        int silhouette = 0, white = 0, wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Rgb a = alone[i].At(x, y);
                const Rgb b = over.At(x, y);
                if (b.r == a.r && b.g == a.g && b.b == a.b)
                    silhouette += !IsBlack(a);
                else if (a.r == 0 && a.g == 0 && a.b == 0 && b.r == 255 && b.g == 255 && b.b == 255)
                    ++white;
                else
                    ++wrong;
            }
        EXPECT_GT(silhouette, 10000) << "turn " << i;
        EXPECT_GT(white, kWidth * kHeight / 4) << "turn " << i;
        EXPECT_EQ(wrong, 0) << "turn " << i;
    }
    EXPECT_TRUE(Enabled(GL_LIGHTING)) << "switched on again after the backdrop";
    EXPECT_FALSE(Enabled(GL_CULL_FACE));
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 0.5f) << "the frame's colour, as the composition set it";

    // With faces that add nothing (the black mask as the face picture), the
    // cube is a black hole in the desktop.
    cube.scene->rotX = turns[0][0];
    cube.scene->rotY = turns[0][1];
    const std::uint32_t face = cube.scene->faceTexture;
    cube.scene->faceTexture = cube.scene->maskTexture;
    const Image mask = cube.Frame();
    cube.scene->faceTexture = face;
    int lit = 0, black = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            lit += IsLit(alone[0].At(x, y));
            black += IsLit(alone[0].At(x, y)) && IsBlack(mask.At(x, y));
        }
    EXPECT_EQ(black, lit) << "the silhouette is black";
    glDeleteTextures(1, &cube.desktop);
}

TEST(PictureScenes, WuerfelDestructorDeletesItsTextures)
{
    ExpectTexturesDeletedWithTheScene<Wuerfel>(
        [](const Wuerfel& scene) { return std::vector<GLuint>{scene.faceTexture, scene.maskTexture}; });
}

} // namespace
