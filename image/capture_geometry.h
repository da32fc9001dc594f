#pragma once
// Where the desktop snapshot is taken from and how large it becomes. No
// platform header: the screen measurements come in as plain numbers.
#include <cstdint>

// What the capture needs to know about the screens, measured just before it.
struct ScreenLayout {
    std::int32_t monitorCount;
    std::int32_t desktopLeft, desktopTop;      // origin of the desktop window
    std::int32_t modeWidth, modeHeight;        // the primary display's current mode
    std::int32_t virtualLeft, virtualTop;      // the virtual screen over all monitors
    std::int32_t virtualWidth, virtualHeight;
};

struct CapturePlan {
    std::int32_t sourceX, sourceY, sourceWidth, sourceHeight;
    std::int32_t targetWidth, targetHeight;
    // A plain block copy when the target keeps the source's size.
    bool Stretches() const { return targetWidth != sourceWidth || targetHeight != sourceHeight; }
};

// Each side on its own: a limit of 0 means none, and proportions are not kept.
std::int32_t LimitCaptureSide(std::int32_t side, std::int32_t limit);

CapturePlan PlanDesktopCapture(const ScreenLayout& screens, bool primaryOnly, std::int32_t widthLimit,
                               std::int32_t heightLimit);

// How the drawing run modes ask for the snapshot.
struct DesktopCaptureRequest {
    bool primaryOnly;
    std::int32_t sideLimit;
};

constexpr std::int32_t kPreviewCaptureLimit = 1024;

// The preview always takes the primary monitor under the fixed limit; full screen
// spans every monitor unless the saver uses one monitor or switches the display.
DesktopCaptureRequest ChooseDesktopCapture(bool preview, bool use1Monitor, bool switchDisplay,
                                           std::int32_t maxTextureSize);
