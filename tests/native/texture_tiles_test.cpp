// Cutting a snapshot into textures that a strict OpenGL 1.1 takes.
#include "image/texture_tiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(TextureSupport, AnySideFromVersionTwoOrTheExtension)
{
    const struct {
        const char* version;
        const char* extensions;
        bool anySide;
    } rows[] = {
        {"1.1.0", "GL_EXT_bgra GL_WIN_swap_hint", false},
        {"1.1 Mesa 22.3.6", nullptr, false},
        {"1.5", "GL_ARB_texture_non_power_of_two_ext GL_ARB_multitexture", false},
        {"1.5", "XGL_ARB_texture_non_power_of_two", false},
        {"1.4", "GL_ARB_multitexture GL_ARB_texture_non_power_of_two", true},
        {"1.2", "GL_ARB_texture_non_power_of_two GL_ARB_multitexture", true},
        {"2.0", "", true},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", nullptr, true},
        {"10.1", nullptr, true},
        {"Version 3.0", nullptr, false},
        {nullptr, nullptr, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AllowsAnyTextureSide(row.version, row.extensions), row.anySide)
            << (row.version ? row.version : "(none)") << " / " << (row.extensions ? row.extensions : "(none)");
}

TEST(TextureTiles, OneTextureWhereTheSnapshotFits)
{
    const TileGrid exact = PlanTextureTiles(1280, 1024, {true, 16384});
    ASSERT_EQ(exact.Count(), 1);
    const TextureTile whole = exact.Tile(0);
    EXPECT_EQ(whole.textureWidth, 1280);
    EXPECT_EQ(whole.textureHeight, 1024);
    // The same quad and texture coordinates as a backdrop of one plain texture.
    const TilePlacement full = exact.Place(whole);
    EXPECT_EQ(full.left, 0.0f);
    EXPECT_EQ(full.top, 0.0f);
    EXPECT_EQ(full.right, 1.0f);
    EXPECT_EQ(full.bottom, 1.0f);
    EXPECT_EQ(full.sEnd, 1.0f);
    EXPECT_EQ(full.tEnd, 1.0f);

    const TileGrid padded = PlanTextureTiles(1280, 1024, {false, 16384});
    ASSERT_EQ(padded.Count(), 1);
    EXPECT_EQ(padded.Tile(0).textureWidth, 2048);
    EXPECT_EQ(padded.Tile(0).textureHeight, 1024);
    EXPECT_EQ(padded.Place(padded.Tile(0)).sEnd, 0.625f);
    EXPECT_EQ(padded.Place(padded.Tile(0)).tEnd, 1.0f);
}

// Windows' own renderer: powers of two, at most 1024; the first run captures
// under the stored default of 2048.
TEST(TextureTiles, AFullHdSnapshotOnWindowsOwnRenderer)
{
    const TileGrid grid = PlanTextureTiles(1920, 1080, {false, 1024});
    ASSERT_EQ(grid.Count(), 4);
    const TextureTile expected[4] = {
        {0, 0, 1024, 1024, 1024, 1024},
        {1024, 0, 896, 1024, 1024, 1024},
        {0, 1024, 1024, 56, 1024, 64},
        {1024, 1024, 896, 56, 1024, 64},
    };
    for (int i = 0; i < 4; ++i) {
        const TextureTile tile = grid.Tile(i);
        EXPECT_EQ(tile.x, expected[i].x) << i;
        EXPECT_EQ(tile.y, expected[i].y) << i;
        EXPECT_EQ(tile.width, expected[i].width) << i;
        EXPECT_EQ(tile.height, expected[i].height) << i;
        EXPECT_EQ(tile.textureWidth, expected[i].textureWidth) << i;
        EXPECT_EQ(tile.textureHeight, expected[i].textureHeight) << i;
    }
    const TilePlacement second = grid.Place(grid.Tile(1));
    EXPECT_EQ(second.left, grid.Place(grid.Tile(0)).right) << "neighbours share their edge";
    EXPECT_EQ(second.right, 1.0f);
    EXPECT_EQ(second.sEnd, 0.875f);
    EXPECT_EQ(grid.Place(grid.Tile(3)).tEnd, 0.875f);
}

// Whatever the picture and the limit: the tiles form a grid whose columns and
// rows cover every pixel once, and every texture is one the context takes.
TEST(TextureTiles, TilesCoverThePictureWithinTheLimit)
{
    for (const bool anySide : {false, true})
        for (const std::int32_t maxSide : {-1, 0, 64, 100, 1000, 1024, 2048, 16384})
            for (const std::int32_t width : {1, 63, 64, 65, 1000, 1280, 3840})
                for (const std::int32_t height : {1, 480, 1024, 1080, 2160}) {
                    const TileGrid grid = PlanTextureTiles(width, height, {anySide, maxSide});
                    const std::int32_t limit = maxSide < 64 ? 64 : maxSide;
                    std::vector<int> columns(static_cast<std::size_t>(width), 0);
                    std::vector<int> rows(static_cast<std::size_t>(height), 0);
                    ASSERT_GT(grid.Count(), 0);
                    for (std::int32_t i = 0; i < grid.Count(); ++i) {
                        const TextureTile tile = grid.Tile(i);
                        ASSERT_LE(tile.textureWidth, limit);
                        ASSERT_LE(tile.textureHeight, limit);
                        ASSERT_GE(tile.textureWidth, tile.width);
                        ASSERT_GE(tile.textureHeight, tile.height);
                        if (!anySide) {
                            ASSERT_EQ(tile.textureWidth & (tile.textureWidth - 1), 0) << tile.textureWidth;
                            ASSERT_EQ(tile.textureHeight & (tile.textureHeight - 1), 0) << tile.textureHeight;
                        }
                        const TextureTile aboveAll = grid.Tile(i % grid.columns);
                        const TextureTile leftmost = grid.Tile(i - i % grid.columns);
                        ASSERT_EQ(tile.x, aboveAll.x);
                        ASSERT_EQ(tile.width, aboveAll.width);
                        ASSERT_EQ(tile.y, leftmost.y);
                        ASSERT_EQ(tile.height, leftmost.height);
                        if (tile.y == 0)
                            for (std::int32_t x = tile.x; x < tile.x + tile.width; ++x)
                                ++columns[static_cast<std::size_t>(x)];
                        if (tile.x == 0)
                            for (std::int32_t y = tile.y; y < tile.y + tile.height; ++y)
                                ++rows[static_cast<std::size_t>(y)];
                    }
                    const std::string what = std::to_string(width) + "x" + std::to_string(height) + " under " +
                                             std::to_string(maxSide) + (anySide ? " (any side)" : "");
                    ASSERT_EQ(std::count(columns.begin(), columns.end(), 1), width) << what;
                    ASSERT_EQ(std::count(rows.begin(), rows.end(), 1), height) << what;
                }
    EXPECT_EQ(PlanTextureTiles(0, 1024, {true, 16384}).Count(), 0);
    EXPECT_EQ(PlanTextureTiles(1280, -1, {false, 1024}).Count(), 0);
}

// A 5x3 picture of 3-byte pixels, each byte naming its column and row, in rows
// of 16 bytes.
std::vector<std::uint8_t> NumberedPicture()
{
    std::vector<std::uint8_t> picture(16 * 3, 0xEE);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c)
                picture[y * 16 + x * 3 + c] = static_cast<std::uint8_t>(x * 10 + y * 100 + c);
    return picture;
}

std::uint8_t Numbered(int x, int y, int c) { return static_cast<std::uint8_t>(x * 10 + y * 100 + c); }

TEST(TextureTiles, TexelsPastTheTileCarryOnWithThePicture)
{
    const std::vector<std::uint8_t> picture = NumberedPicture();
    // The bottom right 3x2 in a 4x4 texture: the picture's last column and row repeat.
    std::vector<std::uint8_t> texels(4 * 12, 0);
    CopyTileTexels(picture.data(), 16, 5, 3, 3, TextureTile{2, 1, 3, 2, 4, 4}, texels.data(), 12);
    const int columns[4] = {2, 3, 4, 4};
    const int rows[4] = {1, 2, 2, 2};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(texels[y * 12 + x * 3 + c], Numbered(columns[x], rows[y], c)) << x << "," << y;

    // The top left 2x2 in a 4x2 texture: its spare columns show the picture's next ones.
    std::vector<std::uint8_t> left(2 * 12, 0);
    CopyTileTexels(picture.data(), 16, 5, 3, 3, TextureTile{0, 0, 2, 2, 4, 2}, left.data(), 12);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(left[y * 12 + x * 3], Numbered(x, y, 0)) << x << "," << y;
}

} // namespace
