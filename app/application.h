#pragma once
// The one object that owns all state of a run.
#include <windows.h>

#include <cstdint>

#include "common/text.h"
#include "settings/display_mode_catalogue.h"
#include "settings/settings.h"

struct SceneHolder;
struct ImageHolder;
class FrameClock;
class RegistryStore;

constexpr int kResourceTextCapacity = 100;

struct FileDialogBuffers {
    wchar_t fileName[kPathCapacity] = {};
    wchar_t fileTitle[kPathCapacity] = {};
    wchar_t filter[520] = {};
    wchar_t initialDirectory[410] = {};
};

struct VirtualScreen {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Members named like registry values keep the value's name.
struct Application {
    // Identity and resource strings
    HINSTANCE instance = nullptr;
    wchar_t title[kResourceTextCapacity] = {};
    wchar_t className[kResourceTextCapacity] = {};
    wchar_t SettingsSubkey[kResourceTextCapacity] = {};
    wchar_t CommonSubkey[kResourceTextCapacity] = {};

    // Run state
    bool configMode = false;
    HWND previewParent = nullptr;   // the window the preview draws into (/p, /l)
    HWND passwordParent = nullptr;  // the window given with /a; accepted and not used
    HWND window = nullptr;          // the render window
    bool windowClassRegistered = false;
    bool screenSaverWasActive = false;

    // Screen measurements
    RECT desktopRect = {};
    VirtualScreen virtualScreen;
    std::int32_t currentBits = 0;
    std::uint32_t currentFrequency = 0;

    // Full-screen mode settings
    std::int32_t FullWidth = 0;
    std::int32_t FullHeight = 0;
    std::int32_t FullBits = 0;
    std::uint32_t FullFrequency = 0;
    bool SwitchDisplay = false;
    bool Use1Monitor = false;

    // Render window geometry
    std::int32_t windowX = 0;
    std::int32_t windowY = 0;
    std::int32_t windowWidth = 0;
    std::int32_t windowHeight = 0;
    std::uint8_t windowBits = 0;
    std::uint32_t windowFrequency = 0;

    // Owned objects
    Settings settings;
    Settings editSettings;
    std::int32_t TabIndex = 0;
    std::int32_t LoadDlgIndex = 0;
    wchar_t textBuffer[kPathCapacity] = {};
    FileDialogBuffers* fileDialogBuffers = nullptr;
    SceneHolder* sceneHolder = nullptr;
    FrameClock* frameClock = nullptr;
    float targetFps = 0.0f;
    ImageHolder* desktopImage = nullptr;
    DisplayModeCatalogue displayModes;

    // False when memory for the run's objects ran out.
    bool Initialize();
    void Shutdown();
    bool ProcessCommandLine();
    // The steps of a run that hosts of the preview share with the command line:
    // the scene for the settings, then the preview's render window inside parent.
    bool CreateSceneHolder();
    bool StartPreview(HWND parent);
    // A full-screen run's drawing steps in turn, as the benchmark times them:
    // the snapshot (when the backdrop is on), then the render window.
    void CaptureDesktopSnapshot(bool preview);

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
    bool BuildRegistryPaths();
    void OpenStores(RegistryStore& program, RegistryStore& common);
    void MeasureScreen(HDC desktopContext);
    bool PrepareDrawing(bool preview);
    void CreateDesktopTexture();
    void ChooseWindowGeometry();
    bool PrepareEngine();
    bool FailWindowCreation();
    void DestroyRenderWindow();
    void ReleaseScene();
};

// The process-wide pointer through which window and dialog procedures reach the
// application; set once Initialize has run, cleared after Shutdown.
extern Application* application;

// The box of a start-up that ran out of memory.
void ShowOutOfMemory();
