#include "app/application.h"

#include <new>

#include "app/frame_clock.h"
#include "image/image_holder.h"
#include "resources/resource_ids.h"
#include "scenes/scene_holder.h"

Application* application = nullptr;

bool Application::Initialize()
{
    displayModes.Enumerate();

    // A flag that cannot be read is left alone: switched off, it could not be
    // put back as it was.
    BOOL active = FALSE;
    if (SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0)) {
        screenSaverWasActive = active != FALSE;
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
    }

    instance = GetModuleHandleW(nullptr);
    currentFrequency = 0;

    LoadStringW(instance, IDS_TITLE, title, kResourceTextCapacity);
    LoadStringW(instance, IDS_CLASS_NAME, className, kResourceTextCapacity);

    SettingsSubkey[0] = L'\0';
    CommonSubkey[0] = L'\0';
    fileDialogBuffers = new (std::nothrow) FileDialogBuffers{};
    desktopImage = new (std::nothrow) ImageHolder();

    ResetSettings();
    LoadSettings();
    return fileDialogBuffers && desktopImage;
}

void ShowOutOfMemory()
{
    MessageBoxW(nullptr, L"Nicht genügend Arbeitsspeicher !\n\nDas Programm wird beendet !", L"Fehler",
                MB_OK | MB_ICONERROR);
}

void Application::ReleaseScene()
{
    if (!sceneHolder)
        return;
    delete sceneHolder->scene;
    sceneHolder->scene = nullptr;
    delete sceneHolder;
    sceneHolder = nullptr;
}

void Application::Shutdown()
{
    // A configuration run never made a window: it neither touches the display
    // mode nor records a texture size.
    if (!configMode) {
        ReleaseEngine();
        DestroyRenderWindow();
    }
    ReleaseScene();
    if (!configMode)
        SaveMaxTextureSize();
    delete fileDialogBuffers;
    fileDialogBuffers = nullptr;
    delete frameClock;
    frameClock = nullptr;

    delete desktopImage;
    desktopImage = nullptr;

    if (screenSaverWasActive)
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);

    displayModes.modes.clear();
    displayModes.modes.shrink_to_fit();
}
