// Entry point of the screensaver. The exit code is 1 in every case.
#include <windows.h>

#include <new>

#include "app/application.h"
#include "common/delayed_dlls.h"
#include "common/system_folders.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // First of all: OpenGL, GLU and the dialogs' DLLs are loaded at their first
    // call, and none of them is a KnownDLL that Windows takes from the system
    // folder whatever the search order.
    LoadOnlyFromSystemFolders();
    BindOpenGlNow();
    Application* app = new (std::nothrow) Application();
    if (!app) {
        ShowOutOfMemory();
        return 1;
    }
    const bool initialized = app->Initialize();
    application = app;

    if (!initialized)
        ShowOutOfMemory();
    else if (app->ProcessCommandLine())
        app->RunFrameLoop();

    app->Shutdown();
    delete app;
    application = nullptr;
    return 1;
}
