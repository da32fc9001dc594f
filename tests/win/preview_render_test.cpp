// The preview as the control panel shows it, seen pixel by pixel: the saver's
// own preview run (scene, render window, engine and frame loop) inside the
// screen of a host window of this process, over a known desktop, each frame read
// back before the swap. (Wine shows nothing that a GL child window of another
// process draws, so only a host in the same process can see the preview.)
#include <gtest/gtest.h>

#include "render/gl.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "gl_frame.h"
#include "scenes/scene_factory.h"
#include "scenes/scene_holder.h"

namespace {

using namespace gltest;

const wchar_t kVelbrookKey[] = L"Software\\Wow6432Node\\Velbrook";
const wchar_t kDesktopClass[] = L"NightloomKnownDesktop";
constexpr int kFrames = 5;
constexpr int kBezel = 8;

// The known desktop's quadrants: top left, top right, bottom left, bottom right.
constexpr Rgb kQuadrants[4] = {{230, 40, 40}, {40, 200, 40}, {40, 40, 230}, {230, 230, 40}};

LRESULT CALLBACK PaintQuadrants(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    const LONG midX = client.right / 2;
    const LONG midY = client.bottom / 2;
    const RECT parts[4] = {{0, 0, midX, midY}, {midX, 0, client.right, midY}, {0, midY, midX, client.bottom},
                           {midX, midY, client.right, client.bottom}};
    for (int i = 0; i < 4; ++i) {
        HBRUSH brush = CreateSolidBrush(RGB(kQuadrants[i].r, kQuadrants[i].g, kQuadrants[i].b));
        FillRect(dc, &parts[i], brush);
        DeleteObject(brush);
    }
    EndPaint(window, &paint);
    return 0;
}

// A window of our own over the whole primary screen: the desktop the preview's
// snapshot must show (the screen capture sees only what windows show).
class KnownDesktop {
public:
    KnownDesktop()
    {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PaintQuadrants;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kDesktopClass;
        registered_ = RegisterClassExW(&windowClass) != 0;
        window_ = CreateWindowExW(0, kDesktopClass, L"Nightloom known desktop", WS_POPUP, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        if (window_) {
            ShowWindow(window_, SW_SHOWNA);
            UpdateWindow(window_);
        }
    }
    ~KnownDesktop()
    {
        if (window_)
            DestroyWindow(window_);
        if (registered_)
            UnregisterClassW(kDesktopClass, GetModuleHandleW(nullptr));
    }
    KnownDesktop(const KnownDesktop&) = delete;
    KnownDesktop& operator=(const KnownDesktop&) = delete;

    bool Ready() const { return window_ != nullptr; }

private:
    bool registered_ = false;
    HWND window_ = nullptr;
};

// The control panel's little monitor: a frame in the middle of the screen with
// the preview's screen, a child window of the given size, inside it.
class PreviewHost {
public:
    PreviewHost(int width, int height)
    {
        const int outerWidth = width + 2 * kBezel;
        const int outerHeight = height + 2 * kBezel;
        frame_ = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP | WS_CLIPCHILDREN | SS_GRAYRECT,
                                 (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
                                 (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!frame_)
            return;
        screen_ = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BLACKRECT, kBezel, kBezel, width,
                                  height, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(frame_, SW_SHOWNA);
        UpdateWindow(frame_);
    }
    ~PreviewHost()
    {
        if (frame_)
            DestroyWindow(frame_);
    }
    PreviewHost(const PreviewHost&) = delete;
    PreviewHost& operator=(const PreviewHost&) = delete;

    HWND Screen() const { return screen_; }

private:
    HWND frame_ = nullptr;
    HWND screen_ = nullptr;
};

// What the preview's frames showed, kept at each swap; the loop ends after kFrames.
struct PreviewFrames {
    int width = 0;
    int height = 0;
    GLint viewport[4] = {};
    std::vector<Image> frames;
};

PreviewFrames seen;

BOOL WINAPI KeepFrameAndPresent(HDC dc)
{
    glGetIntegerv(GL_VIEWPORT, seen.viewport);
    seen.frames.push_back(ReadBackBuffer(seen.width, seen.height));
    if (seen.frames.size() == kFrames)
        PostQuitMessage(0);
    return SwapBuffers(dc);
}

// The colour scaled by factor, with any grey added on top (additive fog and
// stars lift all channels alike): the differences between channels tell.
bool AtBrightness(Rgb pixel, Rgb colour, double factor)
{
    constexpr double kTolerance = 22.0;
    const int low = std::min(colour.r, std::min(colour.g, colour.b));
    return std::abs((pixel.r - pixel.g) - factor * (colour.r - colour.g)) <= kTolerance &&
           std::abs((pixel.g - pixel.b) - factor * (colour.g - colour.b)) <= kTolerance &&
           std::min(pixel.r, std::min(pixel.g, pixel.b)) >= factor * low - kTolerance;
}

// A box in each corner of the preview, in the order of kQuadrants (rows count
// up from the bottom), clear of what the scenes draw in the middle.
Box CornerBox(int width, int height, int quadrant)
{
    const int w = width * 13 / 100;
    const int h = height * 13 / 100;
    const int x0 = quadrant % 2 == 0 ? width * 5 / 100 : width - width * 5 / 100 - w;
    const int y0 = quadrant < 2 ? height - height * 5 / 100 - h : height * 5 / 100;
    return Box{x0, y0, x0 + w - 1, y0 + h - 1};
}

bool IsLit(Rgb c) { return c.r + c.g + c.b > 60; }

// How much of the box shows the quadrant's colour at the brightness.
double ShareAtBrightness(const Image& image, const Box& box, Rgb colour, double factor)
{
    int count = 0;
    for (int y = box.y0; y <= box.y1; ++y)
        for (int x = box.x0; x <= box.x1; ++x)
            count += AtBrightness(image.At(x, y), colour, factor) ? 1 : 0;
    return static_cast<double>(count) / ((box.x1 - box.x0 + 1) * (box.y1 - box.y0 + 1));
}

struct SceneCase {
    int number;
    std::string name;          // the class in lower case
    double backdropBrightness; // from the second frame on
    bool drawsAtOnce;
};

// The additive scenes leave blending on with the half-alpha colour, so the
// backdrop shows at half its brightness behind them; the others show it whole.
const std::string kAdditiveScenes[] = {"Nebel", "Sterne"};
// The butterflies start above the view and sink in later.
const std::string kScenesSinkingIn[] = {"Butterfly"};

template <std::size_t N>
bool Lists(const std::string (&classes)[N], const char* className)
{
    return std::find(std::begin(classes), std::end(classes), className) != std::end(classes);
}

std::vector<SceneCase> EveryScene()
{
    std::vector<SceneCase> cases;
    for (const SceneEntry& entry : kScenes) {
        std::string name = entry.className;
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
        cases.push_back({entry.number, name, Lists(kAdditiveScenes, entry.className) ? 0.5 : 1.0,
                         !Lists(kScenesSinkingIn, entry.className)});
    }
    return cases;
}

void PrintTo(const SceneCase& scene, std::ostream* out) { *out << scene.name; }

using PreviewCase = std::tuple<SceneCase, SIZE>;

class PreviewRender : public ::testing::TestWithParam<PreviewCase> {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kVelbrookKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kVelbrookKey); }

    // One preview run into the host's screen, as "/p" runs it, for kFrames frames.
    void RunPreview(const SceneCase& scene, bool showDesktop, HWND screen)
    {
        seen = PreviewFrames{};
        RECT screenRect = {};
        GetWindowRect(screen, &screenRect);
        seen.width = screenRect.right - screenRect.left;
        seen.height = screenRect.bottom - screenRect.top;

        Application app;
        ASSERT_TRUE(app.Initialize());
        application = &app;
        app.settings.SceneStrategy = scene.number;
        app.settings.ShowDesktop = showDesktop;
        const bool started = app.CreateSceneHolder() && app.StartPreview(screen);
        EXPECT_TRUE(started);
        if (started) {
            RECT windowRect = {};
            GetWindowRect(app.window, &windowRect);
            EXPECT_TRUE(EqualRect(&windowRect, &screenRect)) << "the render window covers the screen, no more";
            app.sceneHolder->presentFrame = KeepFrameAndPresent;
            app.RunFrameLoop();
        }
        app.Shutdown();
        application = nullptr;
    }
};

TEST_P(PreviewRender, SceneFillsTheScreenOverTheShrunkenDesktop)
{
    const SceneCase& scene = std::get<0>(GetParam());
    const SIZE size = std::get<1>(GetParam());
    KnownDesktop desktop;
    ASSERT_TRUE(desktop.Ready());
    PreviewHost host(size.cx, size.cy);
    ASSERT_NE(host.Screen(), nullptr);

    for (const bool showDesktop : {false, true}) {
        SCOPED_TRACE(showDesktop ? "desktop on" : "desktop off");
        RunPreview(scene, showDesktop, host.Screen());
        ASSERT_EQ(seen.frames.size(), static_cast<std::size_t>(kFrames));
        const std::string name = std::string("preview-") + scene.name + (showDesktop ? "-desktop-" : "-") +
                                 std::to_string(size.cx) + "x" + std::to_string(size.cy) + ".bmp";
        SaveArtifact(seen.frames.back(), name);
        EXPECT_EQ(seen.viewport[2], size.cx);
        EXPECT_EQ(seen.viewport[3], size.cy);
        for (int frame = 1; frame < kFrames; ++frame) {
            const Image& image = seen.frames[frame];
            SCOPED_TRACE("frame " + std::to_string(frame) + ", " + name);
            if (showDesktop || scene.drawsAtOnce)
                EXPECT_GT(image.Count(IsLit), image.width * image.height / 200) << "a black frame";
            if (!showDesktop)
                continue;
            // The whole primary screen, shrunk: each corner shows its own quadrant.
            for (int quadrant = 0; quadrant < 4; ++quadrant)
                EXPECT_GT(ShareAtBrightness(image, CornerBox(size.cx, size.cy, quadrant), kQuadrants[quadrant],
                                            scene.backdropBrightness),
                          0.7)
                    << "quadrant " << quadrant;
        }
    }
}

std::string CaseName(const ::testing::TestParamInfo<PreviewCase>& info)
{
    const SIZE size = std::get<1>(info.param);
    return std::get<0>(info.param).name + "_" + std::to_string(size.cx) + "x" + std::to_string(size.cy);
}

INSTANTIATE_TEST_SUITE_P(, PreviewRender,
                         ::testing::Combine(::testing::ValuesIn(EveryScene()),
                                            ::testing::Values(SIZE{152, 112}, SIZE{400, 300})),
                         CaseName);

} // namespace
