#pragma once
// What the scenes' render tests share: a scene in a composed view of
// kWidth x kHeight with its live settings, a desktop stand-in, where eye-space
// points land in the window, colour tests on pixels, and two checks every
// scene of a kind must pass.
#include <gtest/gtest.h>

#include "render/gl.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "gl_frame.h"
#include "settings/settings.h"

namespace scenetest {

using namespace gltest;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

inline bool IsBlack(Rgb c) { return c.r < 12 && c.g < 12 && c.b < 12; }
inline bool IsLit(Rgb c) { return c.r + c.g + c.b > 60; }
inline bool IsWhite(Rgb c) { return c.r > 250 && c.g > 250 && c.b > 250; }
inline bool IsGrey(Rgb c) { return std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3; }
inline bool IsRedDominant(Rgb c) { return c.r > 100 && c.r > 2 * c.g && c.r > 2 * c.b; }
inline bool IsGreenDominant(Rgb c) { return c.g > 100 && c.g > 2 * c.r && c.g > 2 * c.b; }
inline bool IsBlueDominant(Rgb c) { return c.b > 100 && c.b > 2 * c.r && c.b > 2 * c.g; }
inline bool Near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// Where an eye-space point lands in the window with the default 45-degree
// perspective (y counting up from the bottom).
inline POINT Project(double x, double y, double z)
{
    const double f = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
    const double aspect = static_cast<double>(kWidth) / kHeight;
    POINT p;
    p.x = std::lround(kWidth / 2.0 * (1.0 + f / aspect * x / -z));
    p.y = std::lround(kHeight / 2.0 * (1.0 + f * y / -z));
    return p;
}

// The window box covering an eye-space rectangle at depth z, grown by margin pixels.
inline Box ProjectedBox(double x0, double y0, double x1, double y1, double z, int margin)
{
    const POINT a = Project(x0, y0, z);
    const POINT b = Project(x1, y1, z);
    return Box{std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin, std::max(a.x, b.x) + margin,
               std::max(a.y, b.y) + margin};
}

inline bool Inside(const Box& box, int x, int y) { return x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1; }

inline int Area(const Box& box) { return (box.x1 - box.x0 + 1) * (box.y1 - box.y0 + 1); }

inline double MeanBrightness(const Image& frame)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < frame.rgb.size(); ++i)
        sum += frame.rgb[i];
    return sum / static_cast<double>(frame.rgb.size());
}

inline bool Enabled(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

inline GLint Integer(GLenum what)
{
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
}

// A desktop stand-in, nearest filtered: plain white (2x2 texels), or noise of
// the view's size whose neighbouring pixels differ in every channel, so that
// any change in how a scene multiplies the desktop shows.
inline GLuint DesktopTexture(bool noise)
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

} // namespace scenetest
