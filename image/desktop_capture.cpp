// The desktop snapshot: one block transfer from the display into a DIB section.
#include <cstdint>

#include "image/capture_geometry.h"
#include "image/dib_section.h"
#include "image/image_holder.h"

namespace {

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

} // namespace

bool ImageHolder::CaptureDesktop(bool primaryOnly, std::int32_t maxWidth, std::int32_t maxHeight)
{
    return CaptureScreen(PlanDesktopCapture(MeasureScreensForCapture(), primaryOnly, maxWidth, maxHeight));
}

// Wine quirk: a context from CreateDCW(L"DISPLAY") counts from the virtual
// screen's top-left corner instead of the primary monitor's, so a monitor left
// of the primary would be missed. The screen context of GetDC(nullptr) counts
// from the primary on Windows and Wine alike and covers the same pixels.
bool ImageHolder::CaptureScreen(const CapturePlan& plan)
{
    ClearBitmap();
    HDC display = GetDC(nullptr);
    if (!display)
        return false;
    const int bitsPerPixel = GetDeviceCaps(display, BITSPIXEL);
    HDC surface = CreateDibSectionDC(GetDesktopWindow(), &bitmap, plan.targetWidth, plan.targetHeight, bitsPerPixel);
    if (!surface) {
        ReleaseDC(nullptr, display);
        return false;
    }
    RefreshInfo();
    if (plan.Stretches())
        StretchBlt(surface, 0, 0, plan.targetWidth, plan.targetHeight, display, plan.sourceX, plan.sourceY,
                   plan.sourceWidth, plan.sourceHeight, SRCCOPY);
    else
        BitBlt(surface, 0, 0, plan.targetWidth, plan.targetHeight, display, plan.sourceX, plan.sourceY, SRCCOPY);
    DeleteDC(surface);
    ReleaseDC(nullptr, display);
    return true;
}
