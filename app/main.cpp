// Entry point of the screensaver. The exit code is 1 in every case.
#include <windows.h>

#include <new>

#include "app/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
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
