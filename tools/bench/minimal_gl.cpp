// The yardstick for the saver: the least a full-screen OpenGL program does.
// A popup window over the primary screen, the saver's pixel format, a context,
// one cleared frame, swapped; then it prints when that frame was presented and
// exits. With "clear SECONDS" or "picture SECONDS" [profile] it goes on with frames
// paced at 60 Hz, as the saver's, and prints the median and p99 of their work:
//   clear:   colour and depth cleared, swapped;
//   picture: a screen-sized picture in one texture (a power-of-two one where
//            OpenGL takes no other sides), drawn at 1:1 with nearest
//            filtering, its texels as they are (GL_REPLACE), only the depth
//            cleared, swapped.
#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/bench/bench_clock.h"
#include "tools/bench/floor_picture.h"

namespace {

constexpr wchar_t kClassName[] = L"NightloomMinimalGl";

LRESULT CALLBACK MinimalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateFullScreenWindow(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = MinimalWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass))
        return nullptr;
    return CreateWindowExW(WS_EX_APPWINDOW, kClassName, L"minimal", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                           instance, nullptr);
}

// The same request as the saver's: double-buffered RGBA at the screen's depth, 32-bit depth buffer.
bool SetSaverPixelFormat(HDC dc)
{
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = static_cast<BYTE>(GetDeviceCaps(dc, BITSPIXEL));
    request.cDepthBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &request);
    return format != 0 && SetPixelFormat(dc, format, &request);
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5)];
}

// Frames for the given time, released at most every 1/60 s; each frame's work
// from its release to the end of its swap. Profiled, it also waits for OpenGL
// before and after the picture and reports the picture's own time, as
// frame_bench does for the saver's backdrop quad.
void RunFloor(HDC dc, bool picture, double seconds, bool profile)
{
    bench::FloorPicture floorPicture;
    if (picture) {
        floorPicture = bench::MakeFloorPicture(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    std::vector<double> work;
    std::vector<double> quads;
    const double end = bench::Seconds() + seconds;
    for (double release = bench::Seconds(); release < end; release = std::max(release + 1.0 / 60.0, bench::Seconds())) {
        while (bench::Seconds() < release)
            Sleep(1);
        const double started = bench::Seconds();
        glClear(picture ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (profile)
            glFinish();
        const double quadStart = bench::Seconds();
        if (picture)
            bench::DrawFloorQuad(floorPicture);
        if (profile) {
            glFinish();
            quads.push_back(bench::Seconds() - quadStart);
        }
        SwapBuffers(dc);
        work.push_back(bench::Seconds() - started);
    }
    if (floorPicture.texture)
        glDeleteTextures(1, &floorPicture.texture);
    std::printf("floor_frames %zu\n", work.size());
    std::printf("floor_ms %.3f %.3f\n", Percentile(work, 0.5) * 1000.0, Percentile(work, 0.99) * 1000.0);
    if (profile)
        std::printf("floor_quad_ms %.3f\n", Percentile(quads, 0.5) * 1000.0);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const double processCreatedEpoch = bench::ProcessCreatedEpochSeconds();
    const double mainEpoch = bench::EpochSeconds();
    const double windowStart = bench::Seconds();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND window = CreateFullScreenWindow(instance);
    const double contextStart = bench::Seconds();
    HDC dc = window ? GetDC(window) : nullptr;
    HGLRC context = dc && SetSaverPixelFormat(dc) ? wglCreateContext(dc) : nullptr;
    int exitCode = 1;
    if (context && wglMakeCurrent(dc, context)) {
        ShowWindow(window, SW_SHOW);
        const double frameStart = bench::Seconds();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SwapBuffers(dc);
        const double presentedEpoch = bench::EpochSeconds();
        const double frameEnd = bench::Seconds();
        std::printf("process_created_epoch %.6f\n", processCreatedEpoch);
        std::printf("first_present_epoch %.6f\n", presentedEpoch);
        // The same step names as frame_bench's, for the steps this program has.
        std::printf("main_epoch %.6f\n", mainEpoch);
        std::printf("step.window %.3f\n", (contextStart - windowStart) * 1000.0);
        std::printf("step.context %.3f\n", (frameStart - contextStart) * 1000.0);
        std::printf("step.first_frame %.3f\n", (frameEnd - frameStart) * 1000.0);
        if (argc >= 3 && (lstrcmpW(argv[1], L"clear") == 0 || lstrcmpW(argv[1], L"picture") == 0))
            RunFloor(dc, lstrcmpW(argv[1], L"picture") == 0, _wtof(argv[2]),
                     argc >= 4 && lstrcmpW(argv[3], L"profile") == 0);
        wglMakeCurrent(nullptr, nullptr);
        exitCode = 0;
    } else {
        std::printf("no OpenGL window\n");
    }
    if (context)
        wglDeleteContext(context);
    if (dc)
        ReleaseDC(window, dc);
    if (window)
        DestroyWindow(window);
    UnregisterClassW(kClassName, instance);
    return exitCode;
}
