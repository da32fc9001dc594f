#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "common/crt_random.h"
#include "scenes/butterfly.h"
#include "scenes/nebel.h"
#include "scenes/sterne.h"
#include "scenes/wuerfel.h"

namespace {

// An independent copy of the runtime's generator to check the scenes' draws against.
struct ReferenceRand {
    std::uint32_t state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

Settings settings{};

// A frame count that must still move the angle at the end of a month of running.
constexpr long kFramesPerMonth = 60L * 60 * 60 * 24 * 30;

// ---- Sterne ----

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

// ---- Nebel ----

TEST(NebelMotion, LayersWrapToTheirExactEnds)
{
    Nebel nebel(&settings);
    nebel.Advance(1.0f);
    EXPECT_EQ(nebel.layer2S, 1.0f);  // from 0.0 it wraps at the first call

    nebel.layer1Shift = 0.9995f;
    nebel.layer2T = 0.9990f;
    nebel.layer2S = 0.0005f;
    nebel.Advance(1.0f);
    EXPECT_EQ(nebel.layer1Shift, 0.0f);
    EXPECT_EQ(nebel.layer2T, 0.0f);
    EXPECT_EQ(nebel.layer2S, 1.0f);

    nebel.Advance(1.0f);
    EXPECT_NEAR(nebel.layer1Shift, 0.0007f, 1e-7f);
    EXPECT_NEAR(nebel.layer2T, 0.0016f, 1e-7f);
    EXPECT_NEAR(nebel.layer2S, 0.999f, 1e-6f);
}

TEST(NebelMotion, TheBannerMovesOnlyOnceTheFogHasFadedOut)
{
    Nebel nebel(&settings);
    CrtSrand(31);
    ReferenceRand reference{31};
    float peak = 0.0f;
    int calls = 0;
    while (nebel.bannerX == 0 && nebel.bannerY == 0 && calls < 2000) {
        nebel.Advance(1.0f);
        ++calls;
        peak = std::fmax(peak, nebel.alpha);
        if (nebel.bannerX == 0 && nebel.bannerY == 0) {
            ASSERT_GE(nebel.alpha, 0.1f) << calls;
        }
    }
    EXPECT_LT(nebel.alpha, 0.1f);
    EXPECT_TRUE(nebel.alphaRising);
    EXPECT_GT(peak, 0.38f);
    EXPECT_NEAR(calls, 563, 3);
    EXPECT_EQ(nebel.bannerX, reference.Next() % 80 - 40);
    EXPECT_EQ(nebel.bannerY, reference.Next() % 80 - 40);

    // The next call is back above 0.1 and leaves the banner in place.
    const std::int32_t x = nebel.bannerX;
    nebel.Advance(1.0f);
    EXPECT_EQ(nebel.bannerX, x);
    EXPECT_EQ(CrtRand(), reference.Next());
}

TEST(NebelMotion, MovesByFixedStepsWhateverTheTimeStep)
{
    Nebel slow(&settings);
    Nebel fast(&settings);
    for (int frame = 0; frame < 100; ++frame) {
        slow.Advance(2.0f);
        fast.Advance(1.0f);
    }
    EXPECT_EQ(slow.layer1Shift, fast.layer1Shift);
    EXPECT_EQ(slow.layer2S, fast.layer2S);
    EXPECT_EQ(slow.layer2T, fast.layer2T);
    EXPECT_EQ(slow.alpha, fast.alpha);
    EXPECT_NEAR(fast.alpha, 0.2f, 1e-5f);
}

// ---- Butterfly ----

class ButterflyMotion : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (ButterflyState& state : Butterfly::butterflies)
            state = ButterflyState{};
    }
    Butterfly butterfly{&settings};
};

TEST_F(ButterflyMotion, InitRespawnsEachInOrderWithSixDrawsAndKeepsTheHeading)
{
    Butterfly::butterflies[3].heading = 123.0f;
    Butterfly::butterflies[3].wingFold = 0.7f;
    CrtSrand(5);
    butterfly.InitState(true, true);

    // From seed 5 the first two butterflies draw 54, 28693, 12255, 24449,
    // 27660, 31430 and 23927, 17649, 27472, 32640, 5114, 28321.
    const ButterflyState first = Butterfly::butterflies[0];
    EXPECT_EQ(first.textureIndex, 0);
    EXPECT_EQ(first.x, 14.0f);
    EXPECT_FLOAT_EQ(first.z, -22.255f);
    EXPECT_FLOAT_EQ(first.turnRate, -0.1102f);
    EXPECT_FLOAT_EQ(first.wingRate, 0.11f);
    EXPECT_FLOAT_EQ(first.fallSpeed, 0.044f);
    const ButterflyState second = Butterfly::butterflies[1];
    EXPECT_EQ(second.textureIndex, 2);
    EXPECT_EQ(second.x, -14.0f);
    EXPECT_FLOAT_EQ(second.z, -37.472f);
    EXPECT_FLOAT_EQ(second.turnRate, -0.472f);
    EXPECT_FLOAT_EQ(second.wingRate, 0.064f);
    EXPECT_FLOAT_EQ(second.fallSpeed, 0.0331f);
    for (const ButterflyState& b : Butterfly::butterflies) {
        EXPECT_EQ(b.y, 18.0f);
        EXPECT_EQ(b.wingFold, 0.0f);
    }
    EXPECT_EQ(Butterfly::butterflies[3].heading, 123.0f);
    // Six draws for each of the fifty.
    ReferenceRand reference{5};
    for (int draw = 0; draw < 6 * kButterflyCapacity; ++draw)
        reference.Next();
    EXPECT_EQ(CrtRand(), reference.Next());
}

TEST_F(ButterflyMotion, RespawnsOnlyBelowMinusEighteenWithinTheSameCall)
{
    ButterflyState& b = Butterfly::butterflies[9];
    b.y = -17.5f;
    b.fallSpeed = 0.5f;
    b.heading = 40.0f;
    b.turnRate = 2.0f;
    CrtSrand(8);
    ReferenceRand reference{8};

    butterfly.Advance(1.0f);
    EXPECT_EQ(b.y, -18.0f);
    EXPECT_EQ(CrtRand(), reference.Next());  // nobody drew

    butterfly.Advance(1.0f);
    EXPECT_EQ(b.y, 18.0f);
    EXPECT_EQ(b.heading, 44.0f);
    EXPECT_EQ(b.wingFold, 0.0f);
    EXPECT_GT(b.wingRate, 0.0f);
    reference.Next();  // textureIndex
    EXPECT_EQ(b.x, static_cast<float>(reference.Next() % 34 - 17));
}

TEST_F(ButterflyMotion, WingsReflectPastOneAndTheTimeStepIsIgnored)
{
    ButterflyState& b = Butterfly::butterflies[0];
    b.wingFold = 0.95f;
    b.wingRate = 0.1f;
    b.fallSpeed = 0.01f;
    b.turnRate = 1.0f;
    butterfly.Advance(2.0f);
    EXPECT_FLOAT_EQ(b.wingFold, 1.05f);
    EXPECT_FLOAT_EQ(b.wingRate, -0.1f);
    EXPECT_FLOAT_EQ(b.y, -0.01f);
    EXPECT_EQ(b.heading, 1.0f);
    butterfly.Advance(2.0f);
    EXPECT_FLOAT_EQ(b.wingFold, 0.95f);
    EXPECT_FLOAT_EQ(b.wingRate, -0.1f);
}

TEST_F(ButterflyMotion, HeadingStaysWithinATurnAndKeepsTurningAfterWeeks)
{
    ButterflyState& b = Butterfly::butterflies[0];
    b.heading = kFramesPerMonth * 0.9f;
    b.turnRate = 0.9f;
    b.fallSpeed = 0.0f;
    butterfly.Advance(1.0f); // a month's heading comes back within a turn
    for (int frame = 0; frame < 100000; ++frame) {
        const float heading = b.heading;
        butterfly.Advance(1.0f);
        ASSERT_LT(std::fabs(b.heading), 360.0f);
        ASSERT_NEAR(std::remainder(b.heading - heading, 360.0f), 0.9f, 1e-4f) << frame;
    }
}

// ---- Wuerfel ----

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

} // namespace
