// The yardstick for the saver's start-up: the least a full-screen OpenGL
// program does before its first frame is on screen. A popup window over the
// primary screen, the saver's pixel format, a context, one cleared frame,
// swapped; then it prints when that frame was presented and exits.
#include <windows.h>

#include <GL/gl.h>

#include <cstdio>

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

} // namespace

int wmain()
{
    const double processCreatedEpoch = bench::ProcessCreatedEpochSeconds();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND window = CreateFullScreenWindow(instance);
    HDC dc = window ? GetDC(window) : nullptr;
    HGLRC context = dc && SetSaverPixelFormat(dc) ? wglCreateContext(dc) : nullptr;
    int exitCode = 1;
    if (context && wglMakeCurrent(dc, context)) {
        ShowWindow(window, SW_SHOW);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SwapBuffers(dc);
        const double presentedEpoch = bench::EpochSeconds();
        std::printf("process_created_epoch %.6f\n", processCreatedEpoch);
        std::printf("first_present_epoch %.6f\n", presentedEpoch);
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
