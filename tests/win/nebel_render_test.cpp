// Nebel drawn with the real OpenGL of the test prefix and its own pictures:
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

#include "scenes/nebel.h"
#include "scene_view.h"

namespace {

using namespace scenetest;

TEST(NebelRender, GreyFogOverTheWholeViewSwellingWithAlpha)
{
    SceneView<Nebel> nebel(false);
    ASSERT_TRUE(nebel.Ready());
    ASSERT_TRUE(nebel.Initialize());
    Nebel& scene = *nebel.scene;
    ASSERT_NE(scene.bannerTexture, 0u);
    ASSERT_NE(scene.fogTexture, 0u);
    EXPECT_NE(scene.bannerTexture, scene.fogTexture);

    const Image faint = nebel.Frame();
    SaveArtifact(faint, "nebel-alpha-0.1.bmp");
    EXPECT_EQ(faint.Count(IsGrey), kWidth * kHeight) << "only grey fog while the banner is below zero";
    const double faintMean = MeanBrightness(faint);
    EXPECT_GT(faintMean, 5.0);
    EXPECT_LT(faintMean, 60.0);
    // Fog everywhere: no large black holes in any 64x64 block.
    for (int y = 0; y + 64 <= kHeight; y += 64)
        for (int x = 0; x + 64 <= kWidth; x += 64)
            EXPECT_LT(faint.CountInBox(Box{x, y, x + 63, y + 63}, [](Rgb c) { return c.r < 2; }), 64 * 64 / 2)
                << "block at " << x << "," << y;

    scene.alpha = 0.38f;
    scene.bannerX = 39; // keep the banner out of the middle for the ratio below
    glEnable(GL_DEPTH_TEST); // as a driver or an earlier frame could leave it: the scene turns it off
    const double denseMean = MeanBrightness(nebel.Frame());
    EXPECT_GT(denseMean / faintMean, 3.0) << "0.38 against 0.1";
    EXPECT_LT(denseMean / faintMean, 4.6);

    EXPECT_TRUE(Enabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
    EXPECT_FALSE(Enabled(GL_DEPTH_TEST));
}

TEST(NebelRender, BannerOnlyAtItsPlaceAndOnlyWhileTheFogIsBright)
{
    SceneView<Nebel> nebel(false);
    ASSERT_TRUE(nebel.Ready());
    ASSERT_TRUE(nebel.Initialize());
    Nebel& scene = *nebel.scene;

    scene.alpha = 0.38f;
    scene.bannerX = 0;
    scene.bannerY = 0;
    const Image centred = nebel.Frame();
    SaveArtifact(centred, "nebel-banner.bmp");
    scene.bannerX = 39;
    scene.bannerY = 39;
    const Image moved = nebel.Frame();

    // The banner quad lies at z = -1.49 before the eye, 0.8 wide and 0.4 high.
    const Box atCentre = ProjectedBox(-0.4, -0.2, 0.4, 0.2, -1.49, 2);
    const Box atCorner = ProjectedBox(-0.01, 0.19, 0.79, 0.59, -1.49, 2);
    int differentOutside = 0, differentInside = 0, brighterInside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgb a = centred.At(x, y);
            const Rgb b = moved.At(x, y);
            const bool same = a.r == b.r && a.g == b.g && a.b == b.b;
            if (!Inside(atCentre, x, y) && !Inside(atCorner, x, y))
                differentOutside += !same;
            else if (Inside(atCentre, x, y) && !Inside(atCorner, x, y)) {
                differentInside += !same;
                brighterInside += a.r + a.g + a.b > b.r + b.g + b.b;
            }
        }
    EXPECT_EQ(differentOutside, 0) << "the banner shows nowhere else";
    EXPECT_GT(differentInside, 2000) << "the banner shows at its place";
    EXPECT_EQ(brighterInside, differentInside) << "the banner only adds light";

    // Below 0.22 the banner's opacity is negative: it vanishes wherever it is.
    scene.alpha = 0.2f;
    const Image hiddenHere = nebel.Frame();
    scene.bannerX = 0;
    scene.bannerY = 0;
    const Image hiddenThere = nebel.Frame();
    EXPECT_EQ(hiddenHere.rgb, hiddenThere.rgb);
}

TEST(NebelRender, LayersScrollWithTheirOffsets)
{
    SceneView<Nebel> nebel(false);
    ASSERT_TRUE(nebel.Ready());
    ASSERT_TRUE(nebel.Initialize());
    Nebel& scene = *nebel.scene;
    const Image before = nebel.Frame();
    for (int i = 0; i < 60; ++i)
        scene.Advance(1.0f);
    const Image after = nebel.Frame();
    int differing = 0;
    for (std::size_t i = 0; i < before.rgb.size(); ++i)
        differing += std::abs(before.rgb[i] - after.rgb[i]) > 1;
    EXPECT_GT(differing, static_cast<int>(before.rgb.size()) / 4) << "a second of drift changes the picture";

    // A whole texture further on, the repeating layers look the same.
    scene.layer1Shift = 0.25f;
    scene.layer2S = 0.5f;
    scene.layer2T = 0.125f;
    scene.alpha = 0.2f;
    const Image here = nebel.Frame();
    scene.layer1Shift = 1.25f;
    scene.layer2S = 1.5f;
    scene.layer2T = 1.125f;
    const Image wrapped = nebel.Frame();
    int distant = 0;
    for (std::size_t i = 0; i < here.rgb.size(); ++i)
        distant += std::abs(here.rgb[i] - wrapped.rgb[i]) > 2;
    EXPECT_LT(distant, static_cast<int>(here.rgb.size()) / 100) << "texture coordinates repeat";
}

// The first frame draws the backdrop before blending is on; from the second on,
// the blending that the scene left behind adds it at half brightness.
TEST(AdditiveScenesOverTheDesktop, NebelBackdropFullFirstThenHalf)
{
    // The fog adds a little grey of its own on top of the backdrop.
    ExpectBackdropDimmedFromTheSecondFrame<Nebel>([](Nebel& scene) { scene.alpha = 0.0f; });
}

TEST(PictureScenes, NebelDestructorDeletesItsTextures)
{
    ExpectTexturesDeletedWithTheScene<Nebel>(
        [](const Nebel& scene) { return std::vector<GLuint>{scene.bannerTexture, scene.fogTexture}; });
}

} // namespace
