#pragma once
// The one object that owns all state of a run.
#include <windows.h>

#include <cstdint>

#include "settings/display_mode_catalogue.h"
#include "settings/settings.h"

struct SceneHolder;
struct ImageHolder;
class FrameClock;

constexpr int kResourceTextCapacity = 100;

struct FileDialogBuffers {
    wchar_t fileName[260];
    wchar_t fileTitle[260];
    wchar_t filter[520];
    wchar_t initialDirectory[410];
};

struct VirtualScreen {
    int left, top, width, height;
};

struct Application {
    // Identity and resource strings
    HINSTANCE instance;
    wchar_t title[kResourceTextCapacity];
    wchar_t className[kResourceTextCapacity];
    wchar_t SettingsSubkey[kResourceTextCapacity];
    wchar_t CommonSubkey[kResourceTextCapacity];

    // Run state
    bool configMode;
    HWND window;
    bool screenSaverWasActive;

    // Screen measurements
    RECT desktopRect;
    VirtualScreen virtualScreen;
    std::int32_t currentBits;
    std::uint32_t currentFrequency;

    // Full-screen mode settings
    std::int32_t FullWidth, FullHeight, FullBits;
    std::uint32_t FullFrequency;
    bool SwitchDisplay, Use1Monitor;

    // Render window geometry
    std::int32_t windowX, windowY, windowWidth, windowHeight;
    std::uint8_t windowBits;
    std::uint32_t windowFrequency;

    // Owned objects
    Settings settings;
    Settings editSettings;
    std::int32_t TabIndex, LoadDlgIndex;
    wchar_t textBuffer[260];
    FileDialogBuffers* fileDialogBuffers;
    SceneHolder* sceneHolder;
    FrameClock* frameClock;
    float targetFps;
    ImageHolder* desktopImage;
    DisplayModeCatalogue displayModes;

    void Initialize();
    void Shutdown();
    bool ProcessCommandLine();

    void ResetSettings();
    void LoadSettings();
    void SaveSettings();
    void SaveTabIndex();
    void SaveMaxTextureSize();

    bool CreateApplicationWindow();
    bool ReleaseEngine();

    // Runs the message loop and the frames until WM_QUIT.
    void RunFrameLoop();

private:
    void BuildRegistryPaths();
    void MeasureScreen(HDC desktopContext);
    void CaptureDesktopSnapshot(bool preview);
    bool PrepareDrawing(bool preview);
    void CreateDesktopTexture();
    void ChooseWindowGeometry();
    bool SwitchDisplayMode();
    bool PrepareEngine();
    void DestroyRenderWindow();
    void ReleaseScene();
};

// The process-wide pointer through which window and dialog procedures reach the
// application; set once Initialize has run, cleared after Shutdown.
extern Application* application;
