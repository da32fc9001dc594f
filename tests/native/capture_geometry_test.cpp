#include <gtest/gtest.h>

#include "image/capture_geometry.h"

namespace {

// A 1920x1080 primary with a 1280x1024 monitor to its left.
constexpr ScreenLayout kTwoMonitors = {2, 0, 0, 1920, 1080, -1280, 0, 3200, 1080};
constexpr ScreenLayout kOneMonitor = {1, 0, 0, 1920, 1080, 0, 0, 1920, 1080};

void ExpectSource(const CapturePlan& plan, int x, int y, int width, int height)
{
    EXPECT_EQ(plan.sourceX, x);
    EXPECT_EQ(plan.sourceY, y);
    EXPECT_EQ(plan.sourceWidth, width);
    EXPECT_EQ(plan.sourceHeight, height);
}

TEST(CaptureGeometry, TwoMonitorsSpanTheVirtualScreenWithItsNegativeOrigin)
{
    const CapturePlan plan = PlanDesktopCapture(kTwoMonitors, false, 0, 0);
    ExpectSource(plan, -1280, 0, 3200, 1080);
    EXPECT_EQ(plan.targetWidth, 3200);
    EXPECT_EQ(plan.targetHeight, 1080);
    EXPECT_FALSE(plan.Stretches());
}

TEST(CaptureGeometry, PrimaryOnlyOrOneMonitorTakesTheDesktopOriginAndTheModeSize)
{
    ExpectSource(PlanDesktopCapture(kTwoMonitors, true, 0, 0), 0, 0, 1920, 1080);
    ExpectSource(PlanDesktopCapture(kOneMonitor, false, 0, 0), 0, 0, 1920, 1080);
    // The mode, not the virtual screen, gives the size of the primary capture.
    const ScreenLayout shifted = {1, 5, 7, 800, 600, 0, 0, 1920, 1080};
    ExpectSource(PlanDesktopCapture(shifted, false, 0, 0), 5, 7, 800, 600);
}

TEST(CaptureGeometry, EachSideIsLimitedOnItsOwn)
{
    const CapturePlan wide = PlanDesktopCapture(kTwoMonitors, false, 2048, 2048);
    ExpectSource(wide, -1280, 0, 3200, 1080);
    EXPECT_EQ(wide.targetWidth, 2048);
    EXPECT_EQ(wide.targetHeight, 1080);
    EXPECT_TRUE(wide.Stretches());

    const CapturePlan tall = PlanDesktopCapture({1, 0, 0, 1080, 1920, 0, 0, 1080, 1920}, false, 1024, 1024);
    EXPECT_EQ(tall.targetWidth, 1024);
    EXPECT_EQ(tall.targetHeight, 1024);

    const CapturePlan exact = PlanDesktopCapture(kOneMonitor, false, 1920, 1080);
    EXPECT_EQ(exact.targetWidth, 1920);
    EXPECT_EQ(exact.targetHeight, 1080);
    EXPECT_FALSE(exact.Stretches());
}

TEST(CaptureGeometry, ZeroMeansNoLimit)
{
    EXPECT_EQ(LimitCaptureSide(16384, 0), 16384);
    EXPECT_EQ(LimitCaptureSide(1920, 1919), 1919);
    EXPECT_EQ(LimitCaptureSide(1920, 1920), 1920);
    const CapturePlan plan = PlanDesktopCapture(kTwoMonitors, false, 0, 1000);
    EXPECT_EQ(plan.targetWidth, 3200);
    EXPECT_EQ(plan.targetHeight, 1000);
}

TEST(CaptureGeometry, RunModesChooseSourceAndLimit)
{
    const struct {
        bool preview, use1Monitor, switchDisplay;
        bool primaryOnly;
        std::int32_t sideLimit;
    } rows[] = {
        {true, false, false, true, 1024},   {true, true, true, true, 1024},
        {false, false, false, false, 4096}, {false, true, false, true, 4096},
        {false, false, true, true, 4096},
    };
    for (const auto& row : rows) {
        const DesktopCaptureRequest request =
            ChooseDesktopCapture(row.preview, row.use1Monitor, row.switchDisplay, 4096);
        EXPECT_EQ(request.primaryOnly, row.primaryOnly) << row.preview << row.use1Monitor << row.switchDisplay;
        EXPECT_EQ(request.sideLimit, row.sideLimit) << row.preview << row.use1Monitor << row.switchDisplay;
    }
}

} // namespace
