#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image/pixel_rows.h"

namespace {

// Two rows of a 5-pixel, 24-bit picture with one padding byte each (0xEE).
TEST(PixelRows, SwapKeepsToEachRowAndLeavesThePaddingAlone)
{
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c)
                rows.push_back(static_cast<std::uint8_t>(100 * y + 10 * x + c));
        rows.push_back(0xEE);
    }
    const std::vector<std::uint8_t> original = rows;
    SwapRedBlueInRows(rows.data(), 5, 2, 3, 16);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            const std::uint8_t* pixel = &rows[y * 16 + x * 3];
            EXPECT_EQ(pixel[0], 100 * y + 10 * x + 2) << x << "," << y;
            EXPECT_EQ(pixel[1], 100 * y + 10 * x + 1) << x << "," << y;
            EXPECT_EQ(pixel[2], 100 * y + 10 * x + 0) << x << "," << y;
        }
        EXPECT_EQ(rows[y * 16 + 15], 0xEE) << "padding of row " << y;
    }
    SwapRedBlueInRows(rows.data(), 5, 2, 3, 16);
    EXPECT_EQ(rows, original) << "twice restores a 24-bit picture";
}

TEST(PixelRows, RestrideMovesEveryRowToItsPlace)
{
    // Three rows of 5 bytes at stride 6, spread to 8 and packed back to 5.
    std::vector<std::uint8_t> buffer(3 * 8, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            buffer[y * 6 + x] = static_cast<std::uint8_t>(10 * (y + 1) + x);
    RestrideRows(buffer.data(), 3, 6, 8, 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(buffer[y * 8 + x], 10 * (y + 1) + x) << "wider: " << x << "," << y;
    RestrideRows(buffer.data(), 3, 8, 5, 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(buffer[y * 5 + x], 10 * (y + 1) + x) << "packed: " << x << "," << y;

    // Nothing moves when the stride stays or a row would not fit.
    std::vector<std::uint8_t> same = {1, 2, 3, 4};
    RestrideRows(same.data(), 2, 2, 2, 2);
    RestrideRows(same.data(), 2, 2, 1, 2);
    RestrideRows(same.data(), 1, 1, 4, 2);
    EXPECT_EQ(same, (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

// A DIB section's rows start at multiples of 4 bytes, GetBitmapBits' at
// multiples of 2: OpenGL reads either where it stores them.
TEST(PixelRows, UnpackAlignmentThatReadsTheStoredRows)
{
    EXPECT_EQ(UnpackAlignmentForStride(5, 3, 16), 8);   // 24-bit DIB rows of 15 bytes
    EXPECT_EQ(UnpackAlignmentForStride(7, 3, 24), 8);
    EXPECT_EQ(UnpackAlignmentForStride(7, 3, 22), 2);   // GetBitmapBits rows of 21 bytes
    EXPECT_EQ(UnpackAlignmentForStride(9, 3, 28), 4);
    EXPECT_EQ(UnpackAlignmentForStride(5, 3, 15), 1);
    EXPECT_EQ(UnpackAlignmentForStride(1920, 4, 7680), 8);
    EXPECT_EQ(UnpackAlignmentForStride(5, 3, 20), 0) << "a gap no alignment gives";
    EXPECT_EQ(UnpackAlignmentForStride(5, 3, 0), 0);
}

} // namespace
