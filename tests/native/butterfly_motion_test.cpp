// Butterfly's motion, which needs no platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "common/crt_random.h"
#include "reference_rand.h"
#include "scenes/butterfly.h"

namespace {

Settings settings{};

// A frame count that must still move the angle at the end of a month of running.
constexpr long kFramesPerMonth = 60L * 60 * 60 * 24 * 30;

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

} // namespace

// The GL half is built only for Windows. These empty definitions let the
// native tests link the scene and exercise its motion; nothing here is tested.
Butterfly::~Butterfly() = default;
bool Butterfly::Init(float, float, bool, bool) { return true; }
void Butterfly::Draw() {}
void Butterfly::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}
