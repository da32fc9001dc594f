// Wuerfel's motion, which needs no platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "scenes/wuerfel.h"

namespace {

Settings settings{};

// A month of frames, driven in steps of five seconds at once, then checked
// frame by frame: the scene scales by the time step, so every angle must stay
// within a turn and move by its per-frame amount. (native_long_run runs the
// LongRun suite.)
constexpr std::uint64_t kFramesIn30Days = 60ull * 60 * 60 * 24 * 30; // 155,520,000
constexpr float kFramesPerCall = 300.0f;

// How far an angle kept within a turn moved, as a signed amount below half a turn.
float TurnedBy(float before, float after)
{
    return std::remainder(after - before, 360.0f);
}

TEST(WuerfelMotion, TurnsByDegreesPerSecondAtAnyFrameRate)
{
    Wuerfel at60(&settings);
    Wuerfel at30(&settings);
    for (int frame = 0; frame < 60; ++frame)
        at60.Advance(1.0f);
    for (int frame = 0; frame < 30; ++frame)
        at30.Advance(2.0f);
    EXPECT_NEAR(at60.rotX, 6.0f, 1e-4f);
    EXPECT_NEAR(at60.rotY, 12.0f, 1e-4f);
    EXPECT_NEAR(at30.rotX, 6.0f, 1e-4f);
    EXPECT_NEAR(at30.rotY, 12.0f, 1e-4f);
}

TEST(LongRun, WuerfelAnglesAfter30Days)
{
    Wuerfel wuerfel(&settings);
    wuerfel.InitState(true, true);
    for (std::uint64_t frame = 0; frame < kFramesIn30Days; frame += 300)
        wuerfel.Advance(kFramesPerCall);
    for (int frame = 0; frame < 3600; ++frame) {
        const float x = wuerfel.rotX, y = wuerfel.rotY;
        wuerfel.Advance(1.0f);
        ASSERT_LT(std::fabs(wuerfel.rotX), 360.0f);
        ASSERT_LT(std::fabs(wuerfel.rotY), 360.0f);
        ASSERT_NEAR(TurnedBy(x, wuerfel.rotX), 0.1f, 1e-4f) << frame;
        ASSERT_NEAR(TurnedBy(y, wuerfel.rotY), 0.2f, 1e-4f) << frame;
    }
}

} // namespace

// The GL half is built only for Windows. These empty definitions let the
// native tests link the scene and exercise its motion; nothing here is tested.
Wuerfel::~Wuerfel() = default;
bool Wuerfel::Init(float, float, bool, bool) { return true; }
void Wuerfel::Draw() {}
void Wuerfel::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}
