// Sterne's motion, which needs no platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "common/crt_random.h"
#include "reference_rand.h"
#include "scenes/sterne.h"

namespace {

Settings settings{};

// A month of frames, driven in steps of five seconds at once (a star still
// travels less than the radius per call), then checked frame by frame: the
// scene scales by the time step, so every angle must stay within a turn and
// move by its per-frame amount. (native_long_run runs the LongRun suite.)
constexpr std::uint64_t kFramesIn30Days = 60ull * 60 * 60 * 24 * 30; // 155,520,000
constexpr float kFramesPerCall = 300.0f;

// How far an angle kept within a turn moved, as a signed amount below half a turn.
float TurnedBy(float before, float after)
{
    return std::remainder(after - before, 360.0f);
}

TEST(SterneMotion, InitSpreadsTheStarsAndColoursThemInOrderRedGreenBlue)
{
    Sterne sterne(&settings);
    sterne.tilt = 1.0f;
    sterne.spin = 99.0f;
    CrtSrand(77);
    ReferenceRand reference{77};
    sterne.InitState(true, true);

    EXPECT_EQ(sterne.tilt, 65.0f);
    EXPECT_EQ(sterne.zoom, -10.0f);
    EXPECT_EQ(sterne.spin, 0.0f);
    for (std::uint32_t i = 0; i < kStarCapacity; ++i) {
        const Star& star = sterne.stars[i];
        EXPECT_FLOAT_EQ(star.dist, static_cast<float>(i) * 0.1f) << i;
        EXPECT_EQ(star.angle, 0.0f);
        EXPECT_EQ(star.r, reference.Next() % 256) << i;
        EXPECT_EQ(star.g, reference.Next() % 256) << i;
        EXPECT_EQ(star.b, reference.Next() % 256) << i;
    }
    EXPECT_EQ(sterne.stars[0].dist, 0.0f);
}

TEST(SterneMotion, AStarPastTheCentreReturnsToTheRimWithNewColours)
{
    Sterne sterne(&settings);
    for (Star& star : sterne.stars)
        star.dist = 3.0f;
    sterne.stars[7] = Star{1, 2, 3, 0.007f, 0.0f};
    CrtSrand(4242);
    ReferenceRand reference{4242};

    sterne.Advance(1.0f);

    const Star& star = sterne.stars[7];
    EXPECT_NEAR(star.dist, 4.997f, 1e-5f);
    EXPECT_LT(star.dist, 5.0f);
    EXPECT_EQ(star.r, reference.Next() % 256);
    EXPECT_EQ(star.g, reference.Next() % 256);
    EXPECT_EQ(star.b, reference.Next() % 256);
    // Only that star drew colours.
    EXPECT_EQ(CrtRand(), reference.Next());
    EXPECT_EQ(sterne.stars[8].r, 0);
}

TEST(SterneMotion, StarZeroNeverCirclesAndATimeStepOfTwoCoversTwoFrames)
{
    Sterne once(&settings);
    Sterne twice(&settings);
    once.InitState(true, true);
    twice.InitState(true, true);
    for (int frame = 0; frame < 150; ++frame) {
        once.Advance(2.0f);
        twice.Advance(1.0f);
        twice.Advance(1.0f);
    }
    EXPECT_EQ(once.stars[0].angle, 0.0f);
    EXPECT_EQ(twice.stars[0].angle, 0.0f);
    // Star 49 turns 0.98 degrees per sixtieth of a second.
    EXPECT_NEAR(twice.stars[49].angle, 300 * 0.98f, 1e-3f);
    EXPECT_NEAR(once.spin, twice.spin, 1e-2f);
    for (std::uint32_t i = 0; i < kStarCapacity; ++i) {
        EXPECT_NEAR(once.stars[i].angle, twice.stars[i].angle, 1e-2f) << i;
        EXPECT_NEAR(once.stars[i].dist, twice.stars[i].dist, 1e-4f) << i;
    }
}

TEST(LongRun, SterneSpinAndStarAnglesAfter30Days)
{
    Sterne sterne(&settings);
    sterne.InitState(true, true);
    for (std::uint64_t frame = 0; frame < kFramesIn30Days; frame += 300)
        sterne.Advance(kFramesPerCall);
    for (int frame = 0; frame < 3600; ++frame) {
        const float spin = sterne.spin;
        float angles[kStarCapacity];
        for (std::uint32_t i = 0; i < kStarCapacity; ++i)
            angles[i] = sterne.stars[i].angle;
        sterne.Advance(1.0f);
        ASSERT_LT(std::fabs(sterne.spin), 360.0f);
        ASSERT_NEAR(TurnedBy(spin, sterne.spin), 0.5f, 1e-3f) << frame;
        for (std::uint32_t i = 0; i < kStarCapacity; ++i) {
            ASSERT_LT(std::fabs(sterne.stars[i].angle), 360.0f) << i;
            ASSERT_NEAR(TurnedBy(angles[i], sterne.stars[i].angle), static_cast<float>(i) / kStarCapacity, 1e-3f)
                << i;
            ASSERT_GE(sterne.stars[i].dist, 0.0f) << i;
            ASSERT_LE(sterne.stars[i].dist, 5.0f) << i;
        }
    }
}

} // namespace

// The GL half is built only for Windows. These empty definitions let the
// native tests link the scene and exercise its motion; nothing here is tested.
Sterne::~Sterne() = default;
bool Sterne::Init(float, float, bool, bool) { return true; }
void Sterne::Draw() {}
void Sterne::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}
