// Measures the real frame loop of a full-screen run: the time one frame spends
// in Advance and ComposeFrame, the intervals between the frames the clock
// releases and between the frames that reach the screen, the time from process
// start to the first frame on screen, and the peak private memory.
//
// It starts like a full-screen run of the saver (Initialize, the scene, the
// snapshot, the render window), taking the time of each step, wraps the scene
// to time each frame and hooks the buffer swap to stamp each presented frame,
// and runs the saver's own loop for a fixed time. It prints one "name value"
// line per figure for tools/bench/bench.py.
//
// With "profile" it also waits for OpenGL (glFinish) around the pieces of each
// frame it can see from the scene's calls: the clear, the backdrop quad, the
// scene's drawing and the rest (overlay and swap). That serialises the
// renderer, so a profiling run's frame times are not the loop's.
//
// With "interleaved" (and "desktop") the loop runs unpaced and the minimal
// program's frames take turns with the saver's, for the backdrop's budget;
// see Interleaved below.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <numeric>
#include <vector>

#include "tools/bench/bench_clock.h"
#include "tools/bench/floor_picture.h"
#include "app/application.h"
#include "common/delayed_dlls.h"
#include "common/system_folders.h"
#include "image/image_holder.h"
#include "image/texture_loader.h"
#include "render/gl.h"
#include "scenes/scene_holder.h"
#include "scenes/scene_table.h"

namespace {

using bench::Seconds;

// A frame clock rate whose period is shorter than any frame.
constexpr float kUnpacedRate = 100000.0f;

struct Measurements {
    double runSeconds = 20.0;
    double loopStart = 0.0;
    double frameStart = 0.0;
    double firstPresentEpoch = 0.0;
    std::vector<double> frameWork; // Advance + ComposeFrame, seconds
    std::vector<double> releases;  // when the clock released each frame
    std::vector<double> presents;  // when each frame reached the screen
    HWND window = nullptr;
    bool profile = false;
};
Measurements measured;

// With "interleaved" the loop runs unpaced, and each of the saver's frames
// follows one of the minimal program's, drawn in the same window and context,
// a clear and a picture in turns. The saver's frames take three turns: the
// backdrop off, on, and the scene drawn as over the desktop but without the
// backdrop quad, which leaves the quad's own cost (on minus that) apart from
// what the scene draws only over the desktop. All kinds of frame then see the
// machine at the same speed, and each follows a frame whose swap copied as
// many pixels, so their medians can be compared even where this machine
// changes speed from one second to the next.
enum FrameKind { kOff, kOn, kFloorClear, kFloorPicture, kWithoutQuad, kFrameKinds };
struct Interleaved {
    bool enabled = false;
    HDC dc = nullptr;
    bench::FloorPicture picture;
    std::size_t turn = 0;
    FrameKind saverKind = kOff;
    std::vector<double> work[kFrameKinds];
};
Interleaved interleaved;

// Start-up steps as seen from outside the product: where the scene is first
// asked something inside the render window's creation.
struct StartupStamps {
    double windowStart = 0.0;
    double firstSceneCall = 0.0;  // IsDoubleBuffered: the window exists, the context not yet
    double firstProjection = 0.0; // SetProjection: the context is current and the window shown
    double initStart = 0.0;
    double initEnd = 0.0;
    double windowEnd = 0.0;
};
StartupStamps stamps;

// One frame's pieces, each closed by glFinish, in seconds.
struct FrameProfile {
    double mark = 0.0;
    int lightingCalls = 0;
    bool drawn = false;
    double clear = 0.0;
    double quad = 0.0;
    double draw = 0.0;
    std::vector<double> clears, quads, draws, rests;
};
FrameProfile profiled;

double FinishedNow()
{
    glFinish();
    return Seconds();
}

BOOL WINAPI PresentAndStamp(HDC dc)
{
    const BOOL swapped = SwapBuffers(dc);
    const double now = Seconds();
    if (measured.profile && profiled.drawn) {
        profiled.clears.push_back(profiled.clear);
        profiled.quads.push_back(profiled.quad);
        profiled.draws.push_back(profiled.draw);
        profiled.rests.push_back(now - profiled.mark);
    }
    if (measured.presents.empty())
        measured.firstPresentEpoch = bench::EpochSeconds();
    measured.presents.push_back(now);
    measured.frameWork.push_back(now - measured.frameStart);
    if (interleaved.enabled)
        interleaved.work[interleaved.saverKind].push_back(now - measured.frameStart);
    if (now - measured.loopStart >= measured.runSeconds)
        PostMessageW(measured.window, WM_CLOSE, 0, 0);
    return swapped;
}

// The minimal program's frame, with the saver's state set aside: clear, or the
// picture over a cleared depth buffer. Then the kind of the saver's next frame.
void RunFloorFrameAndPickBackdrop()
{
    const std::size_t turn = interleaved.turn++;
    const bool picture = turn % 2 == 1;
    const double start = Seconds();
    if (picture) {
        glClear(GL_DEPTH_BUFFER_BIT);
        glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_TRANSFORM_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_LIGHTING);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_FOG);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, interleaved.picture.texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        bench::DrawFloorQuad(interleaved.picture);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glPopAttrib();
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    SwapBuffers(interleaved.dc);
    interleaved.work[picture ? kFloorPicture : kFloorClear].push_back(Seconds() - start);
    static const FrameKind kSaverTurns[] = {kOff, kOn, kWithoutQuad};
    interleaved.saverKind = kSaverTurns[turn % 3];
    application->settings.ShowDesktop = interleaved.saverKind != kOff;
}

// Forwards every operation to the real scene. The loop calls Advance right
// after the clock released the frame, so its start is the release stamp.
class TimedScene final : public ISceneStrategy {
public:
    explicit TimedScene(ISceneStrategy* inner) : inner_(inner) {}
    ~TimedScene() override { delete inner_; }
    bool Init(float w, float h, bool reset, bool create) override
    {
        stamps.initStart = Seconds();
        const bool made = inner_->Init(w, h, reset, create);
        stamps.initEnd = Seconds();
        return made;
    }
    void Advance(float step) override
    {
        if (interleaved.enabled)
            RunFloorFrameAndPickBackdrop();
        measured.frameStart = Seconds();
        measured.releases.push_back(measured.frameStart);
        inner_->Advance(step);
    }
    // The frame's calls in order: ClearsEachFrame, the clear, UsesLighting
    // twice around the backdrop quad when it is drawn, Draw, the overlay, the swap.
    void Draw() override
    {
        if (!measured.profile)
            return inner_->Draw();
        const double start = FinishedNow();
        if (profiled.lightingCalls == 0)
            profiled.clear = start - profiled.mark;
        inner_->Draw();
        profiled.mark = FinishedNow();
        profiled.draw = profiled.mark - start;
        profiled.drawn = true;
    }
    bool ClearsEachFrame() override
    {
        if (measured.profile) {
            profiled.mark = FinishedNow();
            profiled.lightingCalls = 0;
            profiled.quad = 0.0;
            profiled.drawn = false;
        }
        return inner_->ClearsEachFrame();
    }
    bool IsDoubleBuffered() override
    {
        if (stamps.firstSceneCall == 0.0)
            stamps.firstSceneCall = Seconds();
        return inner_->IsDoubleBuffered();
    }
    bool UsesLighting() override
    {
        if (measured.profile && !profiled.drawn && profiled.lightingCalls < 2) {
            const double now = FinishedNow();
            if (profiled.lightingCalls++ == 0)
                profiled.clear = now - profiled.mark;
            else
                profiled.quad = now - profiled.mark;
            profiled.mark = now;
        }
        return inner_->UsesLighting();
    }
    bool SetClearColor() override { return inner_->SetClearColor(); }
    bool SetTextColor(std::int32_t selector) override { return inner_->SetTextColor(selector); }
    bool SetProjection(float w, float h) override
    {
        if (stamps.firstProjection == 0.0)
            stamps.firstProjection = Seconds();
        return inner_->SetProjection(w, h);
    }
    bool SetCamera() override { return inner_->SetCamera(); }
    bool ShowsDesktop() override
    {
        return !(interleaved.enabled && interleaved.saverKind == kWithoutQuad) && inner_->ShowsDesktop();
    }
    bool ShowsInfo() override { return inner_->ShowsInfo(); }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override { inner_->DrawCaption(font, x, y); }

private:
    ISceneStrategy* inner_;
};

// Samples the private bytes every few milliseconds from process start to the end
// of the loop: a start-up peak (the snapshot's buffers, the first frames) is gone by then.
class MemorySampler {
public:
    MemorySampler() { thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
    ~MemorySampler() { Stop(); }
    std::uint64_t Stop()
    {
        if (thread_) {
            stop_ = true;
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        Sample();
        return peak_;
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* sampler = static_cast<MemorySampler*>(self);
        while (!sampler->stop_) {
            sampler->Sample();
            Sleep(5);
        }
        return 0;
    }
    void Sample() { peak_ = std::max(peak_.load(), bench::PrivateBytes(GetCurrentProcess())); }

    HANDLE thread_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> peak_{0};
};

// Between the two nearest ranks, so that the median of an even count is the
// mean of the middle pair.
double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double position = fraction * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(position);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (position - static_cast<double>(below));
}

std::vector<double> Intervals(const std::vector<double>& stamps)
{
    std::vector<double> intervals;
    for (std::size_t i = 1; i < stamps.size(); ++i)
        intervals.push_back(stamps[i] - stamps[i - 1]);
    return intervals;
}

// "NAME mean p1 p99 max" in milliseconds.
void ReportIntervals(const char* name, const std::vector<double>& stamps)
{
    const std::vector<double> intervals = Intervals(stamps);
    const double mean =
        intervals.empty() ? 0.0 : std::accumulate(intervals.begin(), intervals.end(), 0.0) / intervals.size();
    std::printf("%s %.3f %.3f %.3f %.3f\n", name, mean * 1000.0, Percentile(intervals, 0.01) * 1000.0,
                Percentile(intervals, 0.99) * 1000.0, Percentile(intervals, 1.0) * 1000.0);
}

void Report(double processCreatedEpoch, std::uint64_t peakPrivateBytes)
{
    const double ms = 1000.0;
    std::printf("frames %zu\n", measured.presents.size());
    std::printf("span_s %.3f\n",
                measured.presents.empty() ? 0.0 : measured.presents.back() - measured.presents.front());
    std::printf("work_ms %.3f %.3f\n", Percentile(measured.frameWork, 0.5) * ms,
                Percentile(measured.frameWork, 0.99) * ms);
    ReportIntervals("release_interval_ms", measured.releases);
    ReportIntervals("present_interval_ms", measured.presents);
    std::printf("process_created_epoch %.6f\n", processCreatedEpoch);
    std::printf("first_present_epoch %.6f\n", measured.firstPresentEpoch);
    std::printf("peak_private_bytes %llu\n", static_cast<unsigned long long>(peakPrivateBytes));
}

// Each start-up step's milliseconds as "step.NAME value"; bench.py lists them in this order.
struct StartupStep {
    const char* name;
    double from;
    double to;
};

void ReportStartupSteps(const std::vector<StartupStep>& steps, double mainEpoch)
{
    std::printf("main_epoch %.6f\n", mainEpoch);
    for (const StartupStep& step : steps)
        std::printf("step.%s %.3f\n", step.name, (step.to - step.from) * 1000.0);
}

// "interleaved_ms off on clear picture without-quad": each kind's median work.
void ReportInterleaved()
{
    if (!interleaved.enabled)
        return;
    std::printf("interleaved_ms");
    for (const std::vector<double>& work : interleaved.work)
        std::printf(" %.3f", Percentile(work, 0.5) * 1000.0);
    std::printf("\ninterleaved_frames %zu\n", interleaved.work[kOn].size());
}

void ReportProfile()
{
    if (!measured.profile)
        return;
    const double ms = 1000.0;
    std::printf("profile_ms %.3f %.3f %.3f %.3f\n", Percentile(profiled.clears, 0.5) * ms,
                Percentile(profiled.quads, 0.5) * ms, Percentile(profiled.draws, 0.5) * ms,
                Percentile(profiled.rests, 0.5) * ms);
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
    TiledTexture texture = CreateTiledTexture(&loader, app.sceneHolder->textureSupport);
    glFinish();
    const double uploadedAt = Seconds();
    for (std::int32_t i = 0; i < texture.count; ++i)
        glDeleteTextures(1, &texture.tiles[i].name);
    const double ms = 1000.0;
    std::printf("desktop_ms %.1f %.1f %.1f %ldx%ld %s\n", (capturedAt - start) * ms, (convertedAt - capturedAt) * ms,
                (uploadedAt - convertedAt) * ms, holder.info.bmWidth, holder.info.bmHeight,
                captured ? "captured" : "capture-failed");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // As the saver starts: OpenGL bound before the first window.
    LoadOnlyFromSystemFolders();
    BindOpenGlNow();
    const double processCreatedEpoch = bench::ProcessCreatedEpochSeconds();
    MemorySampler memory;
    // Run as "frame_bench /s SECONDS SCENE [desktop]": the saver reads its switch
    // from the command line; SCENE is a number of the scene table; "desktop"
    // draws it over a snapshot of the screen. SECONDS 0 ends the run after the
    // first frame (a start-up measurement).
    if (argc > 2)
        measured.runSeconds = std::wcstod(argv[2], nullptr);
    const long scene = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 0;
    if (scene < 1 || scene > kSceneCount) {
        std::printf("SCENE must be 1 to %d\n", static_cast<int>(kSceneCount));
        return 2;
    }
    bool desktop = false;
    for (int i = 4; i < argc; ++i) {
        desktop = desktop || std::wcscmp(argv[i], L"desktop") == 0;
        measured.profile = measured.profile || std::wcscmp(argv[i], L"profile") == 0;
        interleaved.enabled = interleaved.enabled || std::wcscmp(argv[i], L"interleaved") == 0;
    }
    if (interleaved.enabled && (!desktop || measured.profile)) {
        std::printf("interleaved needs desktop and no profile\n");
        return 2;
    }

    const double mainEpoch = bench::EpochSeconds();
    const double initializeStart = Seconds();
    Application* app = new Application();
    app->Initialize();
    application = app;
    // The chosen scene over the primary screen, whatever the registry holds.
    app->settings.SceneStrategy = static_cast<std::int32_t>(scene);
    app->settings.ShowDesktop = desktop;
    app->SwitchDisplay = false;
    app->Use1Monitor = true;
    // Interleaved, every frame is released as soon as the one before is swapped.
    if (interleaved.enabled)
        app->targetFps = kUnpacedRate;
    // A full-screen command line's steps (ProcessCommandLine for "/s"), one by one.
    const double sceneStart = Seconds();
    bool drawing = app->CreateSceneHolder();
    const double captureStart = Seconds();
    if (drawing) {
        app->sceneHolder->scene = new TimedScene(app->sceneHolder->scene);
        app->CaptureDesktopSnapshot(false);
        stamps.windowStart = Seconds();
        drawing = app->CreateApplicationWindow();
        stamps.windowEnd = Seconds();
    }
    if (!drawing) {
        std::printf("the render window could not be made\n");
        app->Shutdown();
        delete app;
        return 1;
    }
    // A backdrop row without the backdrop would measure the scene alone.
    if (desktop && app->sceneHolder->desktopTexture.count == 0) {
        std::printf("the desktop was asked for, but no snapshot texture was made\n");
        app->Shutdown();
        delete app;
        return 1;
    }
    app->sceneHolder->presentFrame = PresentAndStamp;
    // The floor's picture is made before the loop, so that no timed frame uploads it.
    if (interleaved.enabled) {
        interleaved.dc = app->sceneHolder->deviceContext;
        interleaved.picture = bench::MakeFloorPicture(static_cast<int>(app->sceneHolder->width),
                                                      static_cast<int>(app->sceneHolder->height));
    }
    measured.window = app->window;
    measured.loopStart = Seconds();
    app->RunFrameLoop();
    if (interleaved.picture.texture)
        glDeleteTextures(1, &interleaved.picture.texture);
    // The peak of the run itself: the steps below take a second snapshot.
    const std::uint64_t peakPrivateBytes = memory.Stop();
    if (desktop && measured.runSeconds > 0.0)
        ReportDesktopSteps(*app);
    app->Shutdown();
    delete app;
    application = nullptr;
    Report(processCreatedEpoch, peakPrivateBytes);
    ReportProfile();
    ReportInterleaved();
    const double firstRelease = measured.releases.empty() ? measured.loopStart : measured.releases.front();
    const double firstPresent = measured.presents.empty() ? firstRelease : measured.presents.front();
    ReportStartupSteps({{"initialize", initializeStart, sceneStart},
                        {"scene", sceneStart, captureStart},
                        {"capture", captureStart, stamps.windowStart},
                        {"window", stamps.windowStart, stamps.firstSceneCall},
                        {"context", stamps.firstSceneCall, stamps.firstProjection},
                        {"view", stamps.firstProjection, stamps.initStart},
                        {"scene_init", stamps.initStart, stamps.initEnd},
                        {"font_backdrop_clock", stamps.initEnd, stamps.windowEnd},
                        {"first_release", stamps.windowEnd, firstRelease},
                        {"first_frame", firstRelease, firstPresent}},
                       mainEpoch);
    return 0;
}
