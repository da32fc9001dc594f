// The four picture scenes drawn with the real OpenGL of the test prefix and
// their own pictures: Init, one composed frame read back before the swap, the
// GL state each scene leaves for the next frame, and the silhouette masks over
// a desktop backdrop. Scene members are public; tests put a few sprites where
// they are easy to find.
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

#include "gl_frame.h"
#include "scenes/butterfly.h"
#include "scenes/nebel.h"
#include "scenes/scene_factory.h"
#include "scenes/sterne.h"
#include "scenes/wuerfel.h"
#include "settings/settings.h"

namespace {

using namespace gltest;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

bool IsBlack(Rgb c) { return c.r < 12 && c.g < 12 && c.b < 12; }
bool IsLit(Rgb c) { return c.r + c.g + c.b > 60; }
bool IsWhite(Rgb c) { return c.r > 250 && c.g > 250 && c.b > 250; }
bool IsGrey(Rgb c) { return std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3; }
bool IsRedDominant(Rgb c) { return c.r > 100 && c.r > 2 * c.g && c.r > 2 * c.b; }
bool IsGreenDominant(Rgb c) { return c.g > 100 && c.g > 2 * c.r && c.g > 2 * c.b; }
bool IsBlueDominant(Rgb c) { return c.b > 100 && c.b > 2 * c.r && c.b > 2 * c.g; }
bool Near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// Where an eye-space point lands in the window with the default 45-degree
// perspective (y counting up from the bottom).
POINT Project(double x, double y, double z)
{
    const double f = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
    const double aspect = static_cast<double>(kWidth) / kHeight;
    POINT p;
    p.x = std::lround(kWidth / 2.0 * (1.0 + f / aspect * x / -z));
    p.y = std::lround(kHeight / 2.0 * (1.0 + f * y / -z));
    return p;
}

// The window box covering an eye-space rectangle at depth z, grown by margin pixels.
Box ProjectedBox(double x0, double y0, double x1, double y1, double z, int margin)
{
    const POINT a = Project(x0, y0, z);
    const POINT b = Project(x1, y1, z);
    return Box{std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin, std::max(a.x, b.x) + margin,
               std::max(a.y, b.y) + margin};
}

bool Inside(const Box& box, int x, int y) { return x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1; }

int Area(const Box& box) { return (box.x1 - box.x0 + 1) * (box.y1 - box.y0 + 1); }

double MeanBrightness(const Image& frame)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < frame.rgb.size(); ++i)
        sum += frame.rgb[i];
    return sum / static_cast<double>(frame.rgb.size());
}

bool Enabled(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

GLint Integer(GLenum what)
{
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
}

// A desktop stand-in, nearest filtered: plain white (2x2 texels), or noise of
// the view's size whose neighbouring pixels differ in every channel, so that
// any change in how a scene multiplies the desktop shows.
GLuint DesktopTexture(bool noise)
{
    const int width = noise ? kWidth : 2;
    const int height = noise ? kHeight : 2;
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(width) * height * 4, 255);
    for (std::size_t i = 0; noise && i < texels.size(); ++i)
        if (i % 4 != 3)
            texels[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// A scene in a composed test view, with the live settings it reads.
template <typename Scene>
class SceneView {
public:
    explicit SceneView(bool showDesktop)
    {
        settings.ShowDesktop = showDesktop;
        scene = new Scene(&settings);
        view = std::make_unique<ComposedView>(scene, kWidth, kHeight);
    }
    ~SceneView()
    {
        view.reset(); // the scene deletes its textures while the context is current
    }
    SceneView(const SceneView&) = delete;
    SceneView& operator=(const SceneView&) = delete;

    bool Ready() const { return view->Ready(); }
    bool Initialize() { return view->Initialize(); }

    // The desktop snapshot stand-in.
    void ShowDesktop(bool noise) { view->holder.desktopTexture = WholeBackdrop(desktop = DesktopTexture(noise)); }
    void ShowWhiteDesktop() { ShowDesktop(false); }

    Image Frame()
    {
        EXPECT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
        return view->Frame();
    }

    Settings settings{};
    Scene* scene = nullptr; // owned by the view's holder
    std::unique_ptr<ComposedView> view;
    GLuint desktop = 0;
};

// =================================================================================
// Sterne
// =================================================================================

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

// =================================================================================
// Nebel
// =================================================================================

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

// =================================================================================
// Additive scenes over the desktop
// =================================================================================

// The first frame draws the backdrop before blending is on; from the second on,
// the blending that the scene left behind adds it at half brightness.
template <typename Scene>
void ExpectBackdropDimmedFromTheSecondFrame(void (*quieten)(Scene&))
{
    SceneView<Scene> view(true);
    ASSERT_TRUE(view.Ready());
    ASSERT_TRUE(view.Initialize());
    view.ShowWhiteDesktop();
    quieten(*view.scene);
    const Rgb first = view.Frame().At(5, 5);
    const Rgb second = view.Frame().At(5, 5);
    EXPECT_TRUE(IsWhite(first)) << first.r << "," << first.g << "," << first.b;
    EXPECT_NEAR(second.r, 128, 12);
    EXPECT_NEAR(second.g, 128, 12);
    EXPECT_NEAR(second.b, 128, 12);
    glDeleteTextures(1, &view.desktop);
}

TEST(AdditiveScenesOverTheDesktop, BackdropFullFirstThenHalf)
{
    ExpectBackdropDimmedFromTheSecondFrame<Sterne>([](Sterne& scene) { scene.starCount = 0; });
    // The fog adds a little grey of its own on top of the backdrop.
    ExpectBackdropDimmedFromTheSecondFrame<Nebel>([](Nebel& scene) { scene.alpha = 0.0f; });
}

// =================================================================================
// Butterfly
// =================================================================================

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

// =================================================================================
// Wuerfel
// =================================================================================

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

// =================================================================================
// All four
// =================================================================================

template <typename Scene>
void ExpectTexturesDeletedWithTheScene(std::vector<GLuint> (*names)(const Scene&))
{
    Settings settings{};
    Scene* scene = new Scene(&settings);
    ComposedView view(scene, 64, 64);
    ASSERT_TRUE(view.Ready());
    ASSERT_TRUE(view.Initialize());
    const std::vector<GLuint> made = names(*scene);
    for (GLuint name : made)
        ASSERT_TRUE(glIsTexture(name)) << name;
    delete view.holder.scene;
    view.holder.scene = nullptr;
    for (GLuint name : made)
        EXPECT_FALSE(glIsTexture(name)) << name;
}

TEST(PictureScenes, DestructorsDeleteTheirTextures)
{
    ExpectTexturesDeletedWithTheScene<Sterne>([](const Sterne& scene) { return std::vector<GLuint>{scene.texture}; });
    ExpectTexturesDeletedWithTheScene<Nebel>(
        [](const Nebel& scene) { return std::vector<GLuint>{scene.bannerTexture, scene.fogTexture}; });
    ExpectTexturesDeletedWithTheScene<Butterfly>([](const Butterfly& scene) {
        return std::vector<GLuint>(std::begin(scene.textures), std::end(scene.textures));
    });
    ExpectTexturesDeletedWithTheScene<Wuerfel>(
        [](const Wuerfel& scene) { return std::vector<GLuint>{scene.faceTexture, scene.maskTexture}; });
}

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
