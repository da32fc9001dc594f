// Butterfly drawn with the real OpenGL of the test prefix and its own pictures:
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

#include "scenes/butterfly.h"
#include "scene_view.h"

namespace {

using namespace scenetest;

// One butterfly of colour index `colour` at the centre, 10 units away, flat.
void OneButterfly(Butterfly& scene, std::int32_t colour)
{
    scene.count = 1;
    Butterfly::butterflies[0] = ButterflyState{colour, 0.0f, 0.0f, -10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.1f};
}

// Pixels where the picture without the desktop shows the butterfly.
std::vector<std::pair<int, int>> ButterflyPixels(const Image& frame)
{
    std::vector<std::pair<int, int>> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (IsLit(frame.At(x, y)))
                pixels.emplace_back(x, y);
    return pixels;
}

TEST(ButterflyRender, ThreeColouredButterfliesOnBlack)
{
    SceneView<Butterfly> flock(false);
    ASSERT_TRUE(flock.Ready());
    ASSERT_TRUE(flock.Initialize());
    Butterfly& scene = *flock.scene;
    for (std::uint32_t texture : scene.textures) {
        EXPECT_NE(texture, 0u);
        EXPECT_TRUE(glIsTexture(texture));
    }

    // The butterfly, tilted 45 degrees back, stays inside its quad's box.
    const Box quad = ProjectedBox(-1.0, -0.75, 1.0, 0.75, -9.3, 3);
    std::vector<Rgb> averages;
    for (std::int32_t colour = 0; colour < 3; ++colour) {
        OneButterfly(scene, colour);
        glEnable(GL_DEPTH_TEST); // the scene turns it off itself
        const Image frame = flock.Frame();
        SaveArtifact(frame, "butterfly-colour-" + std::to_string(colour) + ".bmp");
        const int lit = frame.Count(IsLit);
        EXPECT_GT(lit, 1500) << "colour " << colour;
        EXPECT_EQ(frame.CountInBox(quad, IsLit), lit) << "colour " << colour << ": light outside the quad";
        Rgb sum{0, 0, 0};
        for (int y = quad.y0; y <= quad.y1; ++y)
            for (int x = quad.x0; x <= quad.x1; ++x) {
                const Rgb c = frame.At(x, y);
                if (IsLit(c)) {
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                }
            }
        averages.push_back(Rgb{sum.r / lit, sum.g / lit, sum.b / lit});
    }
    // Blue and dark green; red and grey-blue; green and purple.
    EXPECT_GT(averages[0].b + averages[0].g, 2 * averages[0].r) << "blue and green wings";
    EXPECT_GT(averages[1].r, averages[0].r + 30) << "red wings";
    EXPECT_GT(averages[2].g, averages[1].g) << "green wings";
    EXPECT_FALSE(Near(averages[0], averages[1], 20));
    EXPECT_FALSE(Near(averages[1], averages[2], 20));

    EXPECT_TRUE(Enabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_ONE) << "without the desktop: one, source alpha";
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_SRC_ALPHA);
    EXPECT_FALSE(Enabled(GL_DEPTH_TEST));
}

TEST(ButterflyRender, MaskCutsTheSilhouetteOutOfTheDesktop)
{
    Image alone;
    {
        SceneView<Butterfly> flock(false);
        ASSERT_TRUE(flock.Ready());
        ASSERT_TRUE(flock.Initialize());
        OneButterfly(*flock.scene, 1);
        alone = flock.Frame();
    }
    SceneView<Butterfly> flock(true);
    ASSERT_TRUE(flock.Ready());
    ASSERT_TRUE(flock.Initialize());
    flock.ShowWhiteDesktop();
    OneButterfly(*flock.scene, 1);
    const Image over = flock.Frame();
    SaveArtifact(over, "butterfly-over-white-desktop.bmp");

    // Where the butterfly shows on black it shows the same over the desktop:
    // the mask blacked out the desktop behind it first.
    const std::vector<std::pair<int, int>> body = ButterflyPixels(alone);
    ASSERT_GT(body.size(), 1500u);
    int same = 0;
    for (const auto& p : body)
        same += Near(alone.At(p.first, p.second), over.At(p.first, p.second), 40);
    EXPECT_GT(same, static_cast<int>(body.size()) * 9 / 10) << "of " << body.size();

    // Away from the butterfly the desktop stays white.
    const Box quad = ProjectedBox(-1.0, -0.75, 1.0, 0.75, -9.3, 3);
    EXPECT_EQ(over.Count(IsWhite) + over.CountInBox(quad, [](Rgb c) { return !IsWhite(c); }), kWidth * kHeight);
    EXPECT_GT(over.CountInBox(quad, IsWhite), 100) << "the white around the silhouette inside the quad";
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_ONE) << "after the mask pass: one, one";
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
    glDeleteTextures(1, &flock.desktop);
}

// The flock drawn as first described, for comparison: every mask multiplied
// in, then every picture, modulated by the frame's colour, added (or, without
// the desktop, blended by that colour's alpha).
class DescribedButterfly : public Butterfly {
public:
    using Butterfly::Butterfly;

    void Draw() override
    {
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_ONE, GL_SRC_ALPHA);
        glEnable(GL_BLEND);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        for (int pass = settings->ShowDesktop ? 0 : 1; pass < 2; ++pass)
            for (int i = 0; i < count; ++i) {
                const ButterflyState& b = butterflies[i];
                glLoadIdentity();
                glTranslatef(b.x, b.y, b.z);
                glRotatef(45.0f, 1.0f, 0.0f, 0.0f);
                glRotatef(b.heading, 0.0f, 0.0f, 1.0f);
                if (pass == 0)
                    glBlendFunc(GL_DST_COLOR, GL_ZERO);
                glBindTexture(GL_TEXTURE_2D, textures[pass == 0 ? 3 : b.textureIndex]);
                const float corners[6][5] = {{1, 1, 1, 1, 0},  {0, 1, -1, 1, b.wingFold}, {0, 0, -1, -1, 0},
                                             {1, 1, 1, 1, 0},  {0, 0, -1, -1, 0},         {1, 0, 1, -1, b.wingFold}};
                glBegin(GL_TRIANGLES);
                for (const auto& c : corners) {
                    glTexCoord2f(c[0], c[1]);
                    glVertex3f(c[2], c[3], c[4]);
                }
                glEnd();
                if (pass == 0)
                    glBlendFunc(GL_ONE, GL_ONE);
            }
    }
};

template <typename Scene>
Image FlockFrame(bool desktop, const std::vector<ButterflyState>& flock)
{
    SceneView<Scene> view(desktop);
    EXPECT_TRUE(view.Ready());
    EXPECT_TRUE(view.Initialize());
    std::copy(flock.begin(), flock.end(), Butterfly::butterflies);
    if (desktop)
        view.ShowDesktop(true);
    view.Frame();
    const Image frame = view.Frame(); // the second frame, once the backdrop leaves out the clear
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_MODULATE) << "as the frame left it";
    glDeleteTextures(1, &view.desktop);
    return frame;
}

TEST(ButterflyRender, TheFlockIsDrawnPixelForPixelAsDescribed)
{
    // A flock well inside the view, overlapping here and there.
    std::vector<ButterflyState> flock;
    {
        SceneView<Butterfly> start(false);
        ASSERT_TRUE(start.Ready());
        ASSERT_TRUE(start.Initialize());
        for (int i = 0; i < 300; ++i)
            start.scene->Advance(1.0f);
        flock.assign(std::begin(Butterfly::butterflies), std::end(Butterfly::butterflies));
    }
    for (const bool desktop : {true, false}) {
        const Image drawn = FlockFrame<Butterfly>(desktop, flock);
        const Image described = FlockFrame<DescribedButterfly>(desktop, flock);
        int differ = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Rgb a = drawn.At(x, y);
                const Rgb b = described.At(x, y);
                differ += a.r != b.r || a.g != b.g || a.b != b.b;
            }
        EXPECT_EQ(differ, 0) << (desktop ? "over the desktop" : "on black");
        EXPECT_GT(described.Count(IsLit), desktop ? kWidth * kHeight / 2 : 10000);
    }
}

TEST(ButterflyRender, TheFlockStartsAboveTheViewAndFallsIntoIt)
{
    SceneView<Butterfly> flock(false);
    ASSERT_TRUE(flock.Ready());
    ASSERT_TRUE(flock.Initialize());
    EXPECT_EQ(flock.Frame().Count(IsLit), 0) << "all fifty start at y = 18, above the view";
    for (int i = 0; i < 600; ++i)
        flock.scene->Advance(1.0f);
    const Image falling = flock.Frame();
    SaveArtifact(falling, "butterfly-flock.bmp");
    EXPECT_GT(falling.Count(IsLit), 2000) << "ten seconds later they are in view";
    for (int i = 0; i < 30; ++i)
        flock.scene->Advance(1.0f);
    EXPECT_NE(flock.Frame().rgb, falling.rgb);
}

TEST(PictureScenes, ButterflyDestructorDeletesItsTextures)
{
    ExpectTexturesDeletedWithTheScene<Butterfly>([](const Butterfly& scene) {
        return std::vector<GLuint>(std::begin(scene.textures), std::end(scene.textures));
    });
}

} // namespace
