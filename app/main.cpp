// Entry point of the screensaver. The exit code is 1 in every case.
#include <windows.h>

#include <new>

#include "app/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    Application* app = new (std::nothrow) Application();
    if (!app) {
        MessageBoxW(nullptr, L"Nicht genügend Arbeitsspeicher !\n\nDas Programm wird beendet !",
                    L"Fehler", MB_OK | MB_ICONERROR);
        return 1;
    }
    app->Initialize();
    application = app;

    if (app->ProcessCommandLine())
        app->RunFrameLoop();

    app->Shutdown();
    delete app;
    application = nullptr;
    return 1;
}
