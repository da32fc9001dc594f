#include "image/capture_geometry.h"

std::int32_t LimitCaptureSide(std::int32_t side, std::int32_t limit)
{
    return (limit != 0 && limit < side) ? limit : side;
}

CapturePlan PlanDesktopCapture(const ScreenLayout& screens, bool primaryOnly, std::int32_t widthLimit,
                               std::int32_t heightLimit)
{
    CapturePlan plan = {};
    if (primaryOnly || screens.monitorCount < 2) {
        plan.sourceX = screens.desktopLeft;
        plan.sourceY = screens.desktopTop;
        plan.sourceWidth = screens.modeWidth;
        plan.sourceHeight = screens.modeHeight;
    } else {
        plan.sourceX = screens.virtualLeft;
        plan.sourceY = screens.virtualTop;
        plan.sourceWidth = screens.virtualWidth;
        plan.sourceHeight = screens.virtualHeight;
    }
    plan.targetWidth = LimitCaptureSide(plan.sourceWidth, widthLimit);
    plan.targetHeight = LimitCaptureSide(plan.sourceHeight, heightLimit);
    return plan;
}

DesktopCaptureRequest ChooseDesktopCapture(bool preview, bool use1Monitor, bool switchDisplay,
                                           std::int32_t maxTextureSize)
{
    if (preview)
        return {true, kPreviewCaptureLimit};
    return {use1Monitor || switchDisplay, maxTextureSize};
}
