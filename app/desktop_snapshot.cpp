// The desktop behind the scene: the snapshot at start-up and its texture.
#include "app/application.h"
#include "image/capture_geometry.h"
#include "image/image_holder.h"
#include "image/texture_loader.h"
#include "scenes/scene_holder.h"

// Taken before the render window exists, so the window is not in it, and before
// any display switch, so it shows the desktop as the user left it.
void Application::CaptureDesktopSnapshot(bool preview)
{
    if (!settings.ShowDesktop || !desktopImage)
        return;
    const DesktopCaptureRequest request =
        ChooseDesktopCapture(preview, Use1Monitor, SwitchDisplay, settings.OpenGL_MaxTextureSize);
    if (desktopImage->CaptureDesktop(request.primaryOnly, request.sideLimit, request.sideLimit))
        desktopImage->SwapRedBlue();
}

// A failed capture, or an upload the driver refuses, leaves no texture, so the
// frame shows no backdrop. A snapshot drawn at its own size puts one texel on
// each pixel's centre, where linear filtering gives what nearest does, at more
// cost; a stretched one (after a display switch) keeps linear filtering.
void Application::CreateDesktopTexture()
{
    if (!desktopImage || !sceneHolder)
        return;
    const bool oneToOne = desktopImage->info.bmWidth == static_cast<LONG>(sceneHolder->width) &&
                          desktopImage->info.bmHeight == static_cast<LONG>(sceneHolder->height);
    TextureLoader loader = {desktopImage, oneToOne ? Nearest : Linear};
    sceneHolder->desktopTexture = CreateTiledTexture(&loader, sceneHolder->textureSupport);
}
