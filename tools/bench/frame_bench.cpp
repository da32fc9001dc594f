// Measures the real frame loop of a full-screen run: the time one frame spends
// in Advance and ComposeFrame, the time from process start to the first frame on
// screen, and the spread of the intervals between frames.
//
// It starts like the saver (Initialize, the command line, the render window),
// then wraps the scene to time each frame and hooks the buffer swap to stamp
// each presented frame, and runs the saver's own loop for a fixed time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "app/application.h"
#include "image/image_holder.h"
#include "image/texture_loader.h"
#include "render/gl.h"
#include "scenes/scene_holder.h"

namespace {

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Process creation in the same seconds as Seconds(): both are measured now.
double ProcessStartSeconds()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return Seconds() - static_cast<double>(ticks(now) - ticks(created)) / 1e7;
}

struct Measurements {
    double runSeconds = 20.0;
    double loopStart = 0.0;
    double frameStart = 0.0;
    double firstPresent = 0.0;
    std::vector<double> frameWork;  // Advance + ComposeFrame, seconds
    std::vector<double> presents;   // when each frame reached the screen
    HWND window = nullptr;
};
Measurements measured;

BOOL WINAPI PresentAndStamp(HDC dc)
{
    const BOOL swapped = SwapBuffers(dc);
    const double now = Seconds();
    if (measured.presents.empty())
        measured.firstPresent = now;
    measured.presents.push_back(now);
    measured.frameWork.push_back(now - measured.frameStart);
    if (now - measured.loopStart > measured.runSeconds)
        PostMessageW(measured.window, WM_CLOSE, 0, 0);
    return swapped;
}

// Forwards every operation to the real scene; Advance starts a frame's stopwatch.
class TimedScene final : public ISceneStrategy {
public:
    explicit TimedScene(ISceneStrategy* inner) : inner_(inner) {}
    ~TimedScene() override { delete inner_; }
    bool Init(float w, float h, bool reset, bool create) override { return inner_->Init(w, h, reset, create); }
    void Advance(float step) override
    {
        measured.frameStart = Seconds();
        inner_->Advance(step);
    }
    void Draw() override { inner_->Draw(); }
    bool ClearsEachFrame() override { return inner_->ClearsEachFrame(); }
    bool IsDoubleBuffered() override { return inner_->IsDoubleBuffered(); }
    bool UsesLighting() override { return inner_->UsesLighting(); }
    bool SetClearColor() override { return inner_->SetClearColor(); }
    bool SetTextColor(std::int32_t selector) override { return inner_->SetTextColor(selector); }
    bool SetProjection(float w, float h) override { return inner_->SetProjection(w, h); }
    bool SetCamera() override { return inner_->SetCamera(); }
    bool ShowsDesktop() override { return inner_->ShowsDesktop(); }
    bool ShowsInfo() override { return inner_->ShowsInfo(); }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override { inner_->DrawCaption(font, x, y); }

private:
    ISceneStrategy* inner_;
};

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void Report(double processStart)
{
    std::vector<double> intervals;
    for (std::size_t i = 1; i < measured.presents.size(); ++i)
        intervals.push_back(measured.presents[i] - measured.presents[i - 1]);
    const double ms = 1000.0;
    std::printf("frames: %zu in %.1f s\n", measured.presents.size(),
                measured.presents.empty() ? 0.0 : measured.presents.back() - measured.presents.front());
    std::printf("advance+compose median: %.3f ms, p99: %.3f ms\n", Percentile(measured.frameWork, 0.5) * ms,
                Percentile(measured.frameWork, 0.99) * ms);
    std::printf("process start to first frame: %.1f ms\n", (measured.firstPresent - processStart) * ms);
    std::printf("frame interval median: %.3f ms, p1: %.3f ms, p99: %.3f ms, max: %.3f ms\n",
                Percentile(intervals, 0.5) * ms, Percentile(intervals, 0.01) * ms, Percentile(intervals, 0.99) * ms,
                Percentile(intervals, 1.0) * ms);
}

// The snapshot's road once more, step by step, while the run's context is still
// current: what the start-up spent on the desktop.
void ReportDesktopSteps(Application& app)
{
    ImageHolder holder;
    const double start = Seconds();
    const bool captured = holder.CaptureDesktop(true, app.settings.OpenGL_MaxTextureSize,
                                                app.settings.OpenGL_MaxTextureSize);
    const double capturedAt = Seconds();
    holder.SwapRedBlue();
    const double convertedAt = Seconds();
    TextureLoader loader = {&holder, Linear};
    GLuint texture = CreateTexture(&loader);
    glFinish();
    const double uploadedAt = Seconds();
    if (texture)
        glDeleteTextures(1, &texture);
    const double ms = 1000.0;
    std::printf("desktop %ldx%ld (%s): capture %.1f ms, convert %.1f ms, upload %.1f ms\n", holder.info.bmWidth,
                holder.info.bmHeight, captured ? "captured" : "capture failed", (capturedAt - start) * ms,
                (convertedAt - capturedAt) * ms, (uploadedAt - convertedAt) * ms);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const double processStart = ProcessStartSeconds();
    // Run as "frame_bench /s SECONDS SCENE [desktop]": the saver reads its switch
    // from the command line; SCENE is a SceneStrategy number, the calendar by
    // default; "desktop" draws it over a snapshot of the screen.
    if (argc > 2)
        measured.runSeconds = std::wcstod(argv[2], nullptr);
    const long scene = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 4;
    if (scene < 1 || scene > 5) {
        std::printf("scene must be 1 to 5\n");
        return 2;
    }
    const bool desktop = argc > 4 && std::wcscmp(argv[4], L"desktop") == 0;

    Application* app = new Application();
    app->Initialize();
    application = app;
    // The chosen scene over the primary screen, whatever the registry holds.
    app->settings.SceneStrategy = static_cast<std::int32_t>(scene);
    app->settings.ShowDesktop = desktop;
    app->SwitchDisplay = false;
    app->Use1Monitor = true;
    const double commandLineStart = Seconds();
    const bool drawing = app->ProcessCommandLine();
    const double commandLineEnd = Seconds();
    if (!drawing) {
        std::printf("the render window could not be made\n");
        app->Shutdown();
        delete app;
        return 1;
    }
    app->sceneHolder->scene = new TimedScene(app->sceneHolder->scene);
    app->sceneHolder->presentFrame = PresentAndStamp;
    measured.window = app->window;
    measured.loopStart = Seconds();
    app->RunFrameLoop();
    if (desktop)
        ReportDesktopSteps(*app);
    app->Shutdown();
    delete app;
    application = nullptr;
    Report(processStart);
    std::printf("command line to render window ready: %.1f ms\n", (commandLineEnd - commandLineStart) * 1000.0);
    return 0;
}
