// Nebel's motion, which needs no platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "common/crt_random.h"
#include "reference_rand.h"
#include "scenes/nebel.h"

namespace {

Settings settings{};

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

} // namespace

// The GL half is built only for Windows. These empty definitions let the
// native tests link the scene and exercise its motion; nothing here is tested.
Nebel::~Nebel() = default;
bool Nebel::Init(float, float, bool, bool) { return true; }
void Nebel::Draw() {}
void Nebel::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}
