// Defaults of the settings and their way to and from the registry.
#include "app/application.h"
#include "common/os_version.h"
#include "settings/registry_store.h"
#include "settings/value_mapping.h"

namespace {
const wchar_t kDialogSubkey[] = L"Common";
const wchar_t kStatusSubkey[] = L"Status";
const wchar_t kImageSubkey[] = L"Image";
const wchar_t kColorsSubkey[] = L"Colors";
const wchar_t kNoSubkey[] = L"";

std::int32_t ReadSigned(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, std::int32_t fallback)
{
    std::uint32_t stored = 0;
    return store.TryReadDword(subkey, name, stored) ? DecodeSigned(stored) : fallback;
}

bool ReadFlag(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, bool fallback)
{
    return DecodeFlag(store.ReadDword(subkey, name, fallback ? 1u : 0u));
}

void WriteSigned(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, std::int32_t value)
{
    store.WriteDword(subkey, name, EncodeSigned(value));
}

void WriteFlag(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, bool value)
{
    store.WriteDword(subkey, name, value ? 1u : 0u);
}
} // namespace

void Application::BuildRegistryPaths()
{
    if (SettingsSubkey[0])
        return;
    CopyText(SettingsSubkey, kResourceTextCapacity, L"ScreenSaver\\");
    AppendText(SettingsSubkey, kResourceTextCapacity, className);
    CopyText(CommonSubkey, kResourceTextCapacity, L"Common");
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
}

void Application::LoadSettings()
{
    HWND desktop = GetDesktopWindow();
    HDC desktopContext = GetWindowDC(desktop);
    BuildRegistryPaths();
    MeasureScreen(desktopContext);

    RegistryStore program;
    program.Open(SettingsSubkey);
    RegistryStore common;
    common.Open(CommonSubkey);

    TabIndex = ReadSigned(program, kDialogSubkey, L"TabIndex", TabIndex);
    Use1Monitor = ReadFlag(program, kNoSubkey, L"Use1Monitor", Use1Monitor);
    if (desktopContext && IsNtPlatform())
        currentFrequency = static_cast<std::uint32_t>(GetDeviceCaps(desktopContext, VREFRESH));

    SwitchDisplay = ReadFlag(program, kStatusSubkey, L"SwitchDisplay", SwitchDisplay);
    FullWidth = ReadSigned(program, kNoSubkey, L"FullWidth", desktopRect.right);
    FullHeight = ReadSigned(program, kNoSubkey, L"FullHeight", desktopRect.bottom);
    FullBits = ReadSigned(program, kNoSubkey, L"FullBits", currentBits);
    FullFrequency = program.ReadDword(kNoSubkey, L"FullFrequency", currentFrequency);
    settings.SceneStrategy = ReadSigned(program, kNoSubkey, L"SceneStrategy", settings.SceneStrategy);
    settings.ShowDesktop = ReadFlag(program, kNoSubkey, L"ShowDesktop", settings.ShowDesktop);

    settings.OpenGL_MaxTextureSize = ReadSigned(common, kNoSubkey, L"OpenGL_MaxTextureSize", kDefaultMaxTextureSize);

    CopyText(settings.LogoPath, kPathCapacity, program.ReadLogoPath());
    LoadDlgIndex = ClampLoadDlgIndex(ReadSigned(program, kImageSubkey, L"LoadDlgIndex", kDefaultLoadDlgIndex));
    settings.AdjustmentNo = ValidAdjustmentNo(ReadSigned(program, kImageSubkey, L"AdjustmentNo", settings.AdjustmentNo));

    settings.BackColor = static_cast<ColorRef>(ReadSigned(program, kColorsSubkey, L"BackColor",
                                                          static_cast<std::int32_t>(settings.BackColor)));
    for (int i = 0; i < kCustomColorCount; ++i) {
        wchar_t name[16];
        CustomColorValueName(i, name);
        settings.RgbColors[i] = program.ReadDword(kColorsSubkey, name, settings.RgbColors[i]);
    }

    if (desktopContext)
        ReleaseDC(desktop, desktopContext);
}

void Application::SaveSettings()
{
    BuildRegistryPaths();
    RegistryStore program;
    program.Open(SettingsSubkey);

    WriteSigned(program, kDialogSubkey, L"TabIndex", TabIndex);
    WriteFlag(program, kNoSubkey, L"Use1Monitor", Use1Monitor);
    WriteFlag(program, kStatusSubkey, L"SwitchDisplay", SwitchDisplay);
    WriteSigned(program, kNoSubkey, L"FullWidth", FullWidth);
    WriteSigned(program, kNoSubkey, L"FullHeight", FullHeight);
    WriteSigned(program, kNoSubkey, L"FullBits", FullBits);
    program.WriteDword(kNoSubkey, L"FullFrequency", FullFrequency);
    WriteSigned(program, kNoSubkey, L"SceneStrategy", settings.SceneStrategy);
    WriteFlag(program, kNoSubkey, L"ShowDesktop", settings.ShowDesktop);
    program.WriteLogoPath(settings.LogoPath);
    WriteSigned(program, kImageSubkey, L"LoadDlgIndex", LoadDlgIndex);
    WriteSigned(program, kImageSubkey, L"AdjustmentNo", settings.AdjustmentNo);
    // Colours are unsigned: they are stored as they are.
    program.WriteDword(kColorsSubkey, L"BackColor", settings.BackColor);
    for (int i = 0; i < kCustomColorCount; ++i) {
        wchar_t name[16];
        CustomColorValueName(i, name);
        program.WriteDword(kColorsSubkey, name, settings.RgbColors[i]);
    }
}

void Application::SaveTabIndex()
{
    BuildRegistryPaths();
    RegistryStore program;
    program.Open(SettingsSubkey);
    WriteSigned(program, kDialogSubkey, L"TabIndex", TabIndex);
}

void Application::SaveMaxTextureSize()
{
    BuildRegistryPaths();
    RegistryStore common;
    common.Open(CommonSubkey);
    WriteSigned(common, kNoSubkey, L"OpenGL_MaxTextureSize", settings.OpenGL_MaxTextureSize);
}
