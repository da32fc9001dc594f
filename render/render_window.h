#pragma once
// The render window: its class and procedure, the display switch, and the GL
// context on its device context.
#include <windows.h>

#include <cstdint>

struct RenderGeometry {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t bits = 0;
    std::uint32_t frequency = 0;
};

// What the window procedure must know of the run. One per process, as the
// procedure is; set by whoever makes the window.
struct RenderWindowRun {
    bool preview = false;
    // True from the frame clock's start until the end of the frame loop.
    bool running = false;
};
extern RenderWindowRun renderWindowRun;

bool RegisterRenderWindowClass(HINSTANCE instance, const wchar_t* className);
void UnregisterRenderWindowClass(HINSTANCE instance, const wchar_t* className);

// A hidden window of the class: a child of parent in preview, else a top-level
// popup. Null on failure.
HWND CreateRenderWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title,
                        const RenderGeometry& geometry, HWND parent);

// Full-screen switch to the geometry's mode; shows the box when it fails.
bool SwitchDisplayMode(const RenderGeometry& geometry);
// Back to the mode in the system registry.
void RestoreDisplayMode();

// Device context, pixel format and a current GL context for the window; shows
// the matching box when a step fails. What was made stays in the out-parameters
// for ReleaseGlContext.
bool PrepareGlContext(HWND window, std::uint8_t colorBits, bool doubleBuffered, HDC& deviceContext,
                      HGLRC& glContext);
void ReleaseGlContext(HWND window, HDC& deviceContext, HGLRC& glContext);

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
