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
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/bench/bench_clock.h"

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

bool AnyTextureSide()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (version && std::atoi(version) >= 2)
        return true;
    return extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two") != nullptr;
}

int PowerOfTwoAtLeast(int side)
{
    int power = 1;
    while (power < side)
        power *= 2;
    return power;
}

// A screen-sized picture of 32-bit pixels, as the saver's snapshot; the
// texture coordinates of its far corner come back in sEnd and tEnd.
GLuint MakePictureTexture(int width, int height, float* sEnd, float* tEnd)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    const bool anySide = AnyTextureSide();
    const int textureWidth = anySide ? width : PowerOfTwoAtLeast(width);
    const int textureHeight = anySide ? height : PowerOfTwoAtLeast(height);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, textureWidth, textureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    *sEnd = static_cast<float>(width) / static_cast<float>(textureWidth);
    *tEnd = static_cast<float>(height) / static_cast<float>(textureHeight);
    return name;
}

void DrawPicture(float sEnd, float tEnd)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, 1.0f, 1.0f);
    glTexCoord2f(sEnd, 0.0f);
    glVertex3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(sEnd, tEnd);
    glVertex3f(1.0f, -1.0f, 1.0f);
    glTexCoord2f(0.0f, tEnd);
    glVertex3f(-1.0f, -1.0f, 1.0f);
    glEnd();
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
    float sEnd = 1.0f, tEnd = 1.0f;
    GLuint texture = 0;
    if (picture) {
        texture = MakePictureTexture(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &sEnd, &tEnd);
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
            DrawPicture(sEnd, tEnd);
        if (profile) {
            glFinish();
            quads.push_back(bench::Seconds() - quadStart);
        }
        SwapBuffers(dc);
        work.push_back(bench::Seconds() - started);
    }
    if (texture)
        glDeleteTextures(1, &texture);
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
