// What the desktop snapshot needs to know about the screens, read from the
// system just before the capture.
#include "image/desktop_capture.h"

#include <cstdint>

ScreenLayout MeasureScreensForCapture()
{
    ScreenLayout screens = {};
    screens.monitorCount = GetSystemMetrics(SM_CMONITORS);
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    screens.desktopLeft = desktop.left;
    screens.desktopTop = desktop.top;
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        screens.modeWidth = static_cast<std::int32_t>(mode.dmPelsWidth);
        screens.modeHeight = static_cast<std::int32_t>(mode.dmPelsHeight);
    }
    screens.virtualLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screens.virtualTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screens.virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screens.virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return screens;
}
