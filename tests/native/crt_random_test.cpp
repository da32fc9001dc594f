#include <gtest/gtest.h>

#include <thread>

#include "common/crt_random.h"

namespace {

TEST(CrtRandom, StartsWithTheWindowsSequenceForStateOne)
{
    CrtSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected)
        EXPECT_EQ(CrtRand(), value);
}

TEST(CrtRandom, FollowsTheLinearCongruentialRule)
{
    CrtSrand(0xDEADBEEFu);
    std::uint32_t state = 0xDEADBEEFu;
    for (int i = 0; i < 1000; ++i) {
        state = state * 214013u + 2531011u;
        ASSERT_EQ(CrtRand(), static_cast<int>((state >> 16) & 0x7FFF));
    }
}

TEST(CrtRandom, ValuesStayInRange)
{
    CrtSrand(12345);
    for (int i = 0; i < 100000; ++i) {
        const int value = CrtRand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, kCrtRandMax);
    }
}

TEST(CrtRandom, EachThreadHasItsOwnStateStartingAtOne)
{
    CrtSrand(999);
    CrtRand();
    int first = -1;
    std::thread other([&] { first = CrtRand(); });
    other.join();
    EXPECT_EQ(first, 41);
}

} // namespace
