#pragma once
// The running scene and the drawing state of the render window.
#include <windows.h>

#include <cstdint>

#include "image/texture_loader.h"
#include "scenes/scene.h"

struct TextFont;

struct SceneHolder {
    ISceneStrategy* scene = nullptr;
    bool infoAllowed = false;
    TiledTexture desktopTexture;
    TextureSupport textureSupport = {}; // of the current context
    float width = 0.0f;
    float height = 0.0f;
    std::uint8_t colorBits = 0;
    HGLRC glContext = nullptr;
    HDC deviceContext = nullptr;
    TextFont* font = nullptr;
    // Shows the composed frame; tests put their own function here.
    BOOL(WINAPI* presentFrame)(HDC) = SwapBuffers;

    // GL set-up once the context is current: view, fixed state, scene, font.
    bool InitializeView(std::int32_t clientWidth, std::int32_t clientHeight);
    // Frees what InitializeView made for the window, while the context is current.
    void ReleaseView();
    // One frame: clear, backdrop, scene, overlay, swap.
    bool ComposeFrame(float fps);

private:
    // What this frame's backdrop needs; from the state the scene left, before
    // the clear.
    struct BackdropPlan {
        bool drawn;
        bool hidesClear;       // no colour clear needed under it
        bool withoutBlending;  // blending would give the same pixels
        bool withoutDepthTest; // the depth test would pass everywhere
        bool replacesColour;   // the texels themselves, not white times the texels
    };
    BackdropPlan PlanBackdrop(bool cleared) const;
    void DrawDesktopBackdrop(const BackdropPlan& plan);
    void DrawBackdropTile(const PlacedTexture& tile);
};

// The scene's caption and the block with frame rate and window size.
void DrawInformationOverlay(SceneHolder& holder, float fps);
