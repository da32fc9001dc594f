// The render window of a drawing run: geometry, display switch, GL context,
// view and frame clock, and their release in reverse order.
#include "app/application.h"
#include "app/frame_clock_win.h"
#include "image/texture_loader.h"
#include "render/gl.h"
#include "render/render_window.h"
#include "scenes/scene_holder.h"

namespace {
const wchar_t kCreationCaption[] = L"CreateApplicationWindow()";
}

void Application::ChooseWindowGeometry()
{
    windowBits = static_cast<std::uint8_t>(currentBits);
    windowFrequency = currentFrequency;
    windowX = 0;
    windowY = 0;
    if (settings.previewMode) {
        RECT parent = {};
        GetWindowRect(previewParent, &parent);
        windowWidth = parent.right - parent.left;
        windowHeight = parent.bottom - parent.top;
    } else if (SwitchDisplay) {
        windowWidth = FullWidth;
        windowHeight = FullHeight;
        windowBits = static_cast<std::uint8_t>(FullBits);
        windowFrequency = FullFrequency;
    } else if (Use1Monitor) {
        windowWidth = desktopRect.right;
        windowHeight = desktopRect.bottom;
    } else {
        windowX = virtualScreen.left;
        windowY = virtualScreen.top;
        windowWidth = virtualScreen.width;
        windowHeight = virtualScreen.height;
    }
}

bool Application::PrepareEngine()
{
    sceneHolder->colorBits = windowBits;
    if (!PrepareGlContext(window, windowBits, sceneHolder->scene->IsDoubleBuffered(), sceneHolder->deviceContext,
                          sceneHolder->glContext))
        return false;
    sceneHolder->textureSupport = QueryTextureSupport();
    return true;
}

bool Application::ReleaseEngine()
{
    if (sceneHolder) {
        sceneHolder->ReleaseView();
        ReleaseGlContext(window, sceneHolder->deviceContext, sceneHolder->glContext);
    }
    // Back to the mode in the system registry, also when this run switched nothing.
    if (SwitchDisplay && !settings.previewMode)
        RestoreDisplayMode();
    return true;
}

// After the engine is released: nothing of the window or its class outlives the run.
void Application::DestroyRenderWindow()
{
    renderWindowRun.running = false;
    if (window && IsWindow(window))
        DestroyWindow(window);
    window = nullptr;
    if (windowClassRegistered)
        UnregisterRenderWindowClass(instance, className);
    windowClassRegistered = false;
}

bool Application::FailWindowCreation()
{
    ReleaseEngine();
    DestroyRenderWindow();
    MessageBoxW(nullptr, L"CreateWindowEx() or PrepareEngine() failed!", kCreationCaption, MB_OK);
    return false;
}

bool Application::CreateApplicationWindow()
{
    const bool preview = settings.previewMode;
    renderWindowRun.preview = preview;
    windowClassRegistered = RegisterRenderWindowClass(instance, className);
    if (!windowClassRegistered) {
        MessageBoxW(preview ? previewParent : nullptr, L"RegisterClassEx() failed!", kCreationCaption, MB_OK);
        return FailWindowCreation();
    }

    ChooseWindowGeometry();
    RenderGeometry geometry;
    geometry.x = windowX;
    geometry.y = windowY;
    geometry.width = windowWidth;
    geometry.height = windowHeight;
    geometry.bits = windowBits;
    geometry.frequency = windowFrequency;
    if (SwitchDisplay && !preview && !SwitchDisplayMode(geometry)) {
        DestroyRenderWindow();
        return false;
    }

    window = CreateRenderWindow(instance, className, title, geometry, preview ? previewParent : nullptr);
    if (!window || !PrepareEngine())
        return FailWindowCreation();

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);

    RECT client = {};
    GetClientRect(window, &client);
    if (!sceneHolder->InitializeView(client.right, client.bottom)) {
        ReleaseEngine();
        MessageBoxW(window,
                    L"Fehler bei der Initialisierung!\n\nBitte stellen Sie sicher, dass alle benötigten Dateien\n"
                    L"(Images, Sound, Mappings) vorhanden sind.",
                    L"Fehler", MB_OK | MB_ICONERROR);
        DestroyRenderWindow();
        return false;
    }

    if (settings.ShowDesktop)
        CreateDesktopTexture();
    glEnable(GL_TEXTURE_2D);
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    settings.OpenGL_MaxTextureSize = maxTextureSize;

    frameClock = CreateFrameClock(targetFps);
    if (!frameClock) {
        // The window goes first: its first key or mouse movement would post the
        // quit message that ends the box before it is read.
        ReleaseEngine();
        DestroyRenderWindow();
        ShowOutOfMemory();
        return false;
    }
    ShowCursor(settings.previewMode);
    renderWindowRun.running = true;
    return true;
}
