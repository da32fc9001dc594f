#pragma once
// The running scene and the drawing state of the render window.
#include <windows.h>

#include <cstdint>

#include "scenes/scene.h"

struct TextFont;

struct SceneHolder {
    ISceneStrategy* scene;
    bool infoAllowed;
    std::uint32_t desktopTexture;
    float width;
    float height;
    std::uint8_t colorBits;
    HGLRC glContext;
    HDC deviceContext;
    TextFont* font;
    // Shows the composed frame; tests put their own function here.
    BOOL(WINAPI* presentFrame)(HDC) = SwapBuffers;

    // GL set-up once the context is current: view, fixed state, scene, font.
    bool InitializeView(std::int32_t clientWidth, std::int32_t clientHeight);
    // One frame: clear, backdrop, scene, overlay, swap.
    bool ComposeFrame(float fps);

private:
    void DrawDesktopBackdrop();
};
