// Defaults of the application's settings, and the screen measurements and keys
// that loading and saving them need.
#include "app/application.h"
#include "common/os_version.h"
#include "common/text.h"
#include "settings/registry_store.h"
#include "settings/settings_io.h"
#include "settings/value_mapping.h"

namespace {

StoredFields FieldsOf(Application& app)
{
    return StoredFields{app.TabIndex,   app.Use1Monitor, app.SwitchDisplay, app.FullWidth,    app.FullHeight,
                        app.FullBits,   app.FullFrequency, app.LoadDlgIndex, app.settings};
}

} // namespace

bool Application::BuildRegistryPaths()
{
    if (SettingsSubkey[0])
        return true;
    if (!BuildProgramSubkey(className, SettingsSubkey, kResourceTextCapacity))
        return false;
    CopyText(CommonSubkey, kResourceTextCapacity, kCommonKeySubkey);
    return true;
}

void Application::OpenStores(RegistryStore& program, RegistryStore& common)
{
    // Without the program key's name nothing is read or written: an unopened
    // store answers every read with the fallback and refuses every write.
    if (!BuildRegistryPaths())
        return;
    program.Open(SettingsSubkey);
    common.Open(CommonSubkey);
}

void Application::ResetSettings()
{
    targetFps = 60.0f;
    TabIndex = 0;
    Use1Monitor = false;
    SwitchDisplay = false;
    settings.SceneStrategy = 0;
    settings.ShowDesktop = true;
    settings.AdjustmentNo = kDefaultAdjustmentNo;
    settings.BackColor = 0;
    for (int i = 0; i < kCustomColorCount; ++i)
        settings.RgbColors[i] = kDefaultCustomColors[i];
}

void Application::MeasureScreen(HDC desktopContext)
{
    GetWindowRect(GetDesktopWindow(), &desktopRect);
    virtualScreen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    virtualScreen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    virtualScreen.width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    virtualScreen.height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    currentBits = desktopContext ? GetDeviceCaps(desktopContext, BITSPIXEL) : 0;
    if (desktopContext && IsNtPlatform())
        currentFrequency = static_cast<std::uint32_t>(GetDeviceCaps(desktopContext, VREFRESH));
}

void Application::LoadSettings()
{
    HWND desktop = GetDesktopWindow();
    HDC desktopContext = GetWindowDC(desktop);
    MeasureScreen(desktopContext);

    RegistryStore program;
    RegistryStore common;
    OpenStores(program, common);
    MeasuredDisplayMode screen;
    screen.desktopWidth = desktopRect.right;
    screen.desktopHeight = desktopRect.bottom;
    screen.bits = currentBits;
    screen.frequency = currentFrequency;
    LoadStoredSettings(program, common, screen, FieldsOf(*this));

    if (desktopContext)
        ReleaseDC(desktop, desktopContext);
}

void Application::SaveSettings()
{
    RegistryStore program;
    RegistryStore common;
    OpenStores(program, common);
    SaveStoredSettings(program, FieldsOf(*this));
}

void Application::SaveTabIndex()
{
    RegistryStore program;
    RegistryStore common;
    OpenStores(program, common);
    SaveStoredTabIndex(program, TabIndex);
}

void Application::SaveMaxTextureSize()
{
    RegistryStore program;
    RegistryStore common;
    OpenStores(program, common);
    SaveStoredMaxTextureSize(common, settings.OpenGL_MaxTextureSize);
}
