// Cutting a snapshot into textures that a strict OpenGL 1.1 takes.
#include "image/texture_tiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
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
    EXPECT_EQ(whole.margin, 0);
    // The same quad and texture coordinates as a backdrop of one plain texture.
    const TilePlacement full = exact.Place(whole, false);
    EXPECT_EQ(full.left, 0.0f);
    EXPECT_EQ(full.top, 0.0f);
    EXPECT_EQ(full.right, 1.0f);
    EXPECT_EQ(full.bottom, 1.0f);
    EXPECT_EQ(full.sLeft, 0.0f);
    EXPECT_EQ(full.sRight, 1.0f);
    EXPECT_EQ(full.tTop, 0.0f);
    EXPECT_EQ(full.tBottom, 1.0f);
    // Rows stored bottom-up: the top edge takes the texture's last row.
    const TilePlacement upward = exact.Place(whole, true);
    EXPECT_EQ(upward.tTop, 1.0f);
    EXPECT_EQ(upward.tBottom, 0.0f);

    const TileGrid padded = PlanTextureTiles(1280, 960, {false, 16384});
    ASSERT_EQ(padded.Count(), 1);
    EXPECT_EQ(padded.Tile(0).textureWidth, 2048);
    EXPECT_EQ(padded.Tile(0).textureHeight, 1024);
    EXPECT_EQ(padded.Place(padded.Tile(0), false).sRight, 0.625f);
    EXPECT_EQ(padded.Place(padded.Tile(0), false).tBottom, 0.9375f);
    EXPECT_EQ(padded.Place(padded.Tile(0), true).tTop, 1.0f);
    EXPECT_EQ(padded.Place(padded.Tile(0), true).tBottom, 0.0625f);
}

// Windows' own renderer: powers of two, at most 1024; the first run captures
// under the stored default of 2048. Each tile keeps a texel of margin.
TEST(TextureTiles, AFullHdSnapshotOnWindowsOwnRenderer)
{
    const TileGrid grid = PlanTextureTiles(1920, 1080, {false, 1024});
    ASSERT_EQ(grid.Count(), 4);
    const TextureTile expected[4] = {
        {0, 0, 1022, 1022, 1024, 1024, 1},
        {1022, 0, 898, 1022, 1024, 1024, 1},
        {0, 1022, 1022, 58, 1024, 64, 1},
        {1022, 1022, 898, 58, 1024, 64, 1},
    };
    for (int i = 0; i < 4; ++i) {
        const TextureTile tile = grid.Tile(i);
        EXPECT_EQ(tile.x, expected[i].x) << i;
        EXPECT_EQ(tile.y, expected[i].y) << i;
        EXPECT_EQ(tile.width, expected[i].width) << i;
        EXPECT_EQ(tile.height, expected[i].height) << i;
        EXPECT_EQ(tile.textureWidth, expected[i].textureWidth) << i;
        EXPECT_EQ(tile.textureHeight, expected[i].textureHeight) << i;
        EXPECT_EQ(tile.margin, expected[i].margin) << i;
    }
    const TilePlacement last = grid.Place(grid.Tile(3), false);
    EXPECT_EQ(last.right, 1.0f);
    EXPECT_EQ(last.bottom, 1.0f);
    EXPECT_EQ(last.sLeft, 1.0f / 1024.0f);
    EXPECT_EQ(last.sRight, 899.0f / 1024.0f);
    EXPECT_EQ(last.tTop, 1.0f / 64.0f);
    EXPECT_EQ(last.tBottom, 59.0f / 64.0f);
    const TilePlacement upward = grid.Place(grid.Tile(3), true);
    EXPECT_EQ(upward.tTop, 63.0f / 64.0f);
    EXPECT_EQ(upward.tBottom, 5.0f / 64.0f);
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
                        ASSERT_EQ(tile.margin, grid.Count() > 1 ? 1 : 0);
                        ASSERT_LE(tile.textureWidth, limit);
                        ASSERT_LE(tile.textureHeight, limit);
                        ASSERT_GE(tile.textureWidth, tile.width + 2 * tile.margin);
                        ASSERT_GE(tile.textureHeight, tile.height + 2 * tile.margin);
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

// Which picture pixel each texel of a tile's texture receives, as column and
// row; (-1, -1) where no block writes. A texel written twice fails the test.
std::vector<std::pair<int, int>> FilledTexels(const TileGrid& grid, const TextureTile& tile)
{
    std::vector<std::pair<int, int>> texels(static_cast<std::size_t>(tile.textureWidth * tile.textureHeight),
                                            {-1, -1});
    const TileFill fill = PlanTileFill(grid, tile);
    for (std::int32_t i = 0; i < fill.count; ++i) {
        const TexelBlock& block = fill.blocks[i];
        EXPECT_GE(block.pictureX, 0);
        EXPECT_GE(block.pictureY, 0);
        EXPECT_LE(block.pictureX + block.width, grid.pictureWidth);
        EXPECT_LE(block.pictureY + block.height, grid.pictureHeight);
        EXPECT_LE(block.textureX + block.width, tile.textureWidth);
        EXPECT_LE(block.textureY + block.height, tile.textureHeight);
        for (int y = 0; y < block.height; ++y)
            for (int x = 0; x < block.width; ++x) {
                auto& texel = texels[static_cast<std::size_t>((block.textureY + y) * tile.textureWidth +
                                                              block.textureX + x)];
                EXPECT_EQ(texel.first, -1) << "texel written twice";
                texel = {block.pictureX + x, block.pictureY + y};
            }
    }
    return texels;
}

// Every texel a filter can reach around a tile's part holds the picture pixel
// one texture would show there: the neighbours' pixels inside the picture, the
// edge pixel repeated beyond it.
TEST(TextureTiles, MarginsHoldTheNeighboursAndTheEdgeRepeats)
{
    const TileGrid grid = PlanTextureTiles(300, 200, {false, 128}); // 3x2 tiles of 126
    ASSERT_EQ(grid.Count(), 3 * 2);
    for (std::int32_t i = 0; i < grid.Count(); ++i) {
        const TextureTile tile = grid.Tile(i);
        const std::vector<std::pair<int, int>> texels = FilledTexels(grid, tile);
        for (int y = 0; y < tile.height + 2; ++y)
            for (int x = 0; x < tile.width + 2; ++x) {
                const int wantX = std::min(std::max(tile.x - 1 + x, 0), grid.pictureWidth - 1);
                const int wantY = std::min(std::max(tile.y - 1 + y, 0), grid.pictureHeight - 1);
                ASSERT_EQ(texels[static_cast<std::size_t>(y * tile.textureWidth + x)], std::make_pair(wantX, wantY))
                    << "tile " << i << " texel " << x << "," << y;
            }
    }
}

// One padded power-of-two texture, as before tiles had margins: the first
// spare column and row, and the last ones that the default wrap reaches,
// repeat the picture's last column and row.
TEST(TextureTiles, PaddedTextureRepeatsTheLastColumnAndRowWhereFiltersReach)
{
    const TileGrid grid = PlanTextureTiles(5, 3, {false, 64});
    ASSERT_EQ(grid.Count(), 1);
    const TextureTile tile = grid.Tile(0);
    ASSERT_EQ(tile.textureWidth, 8);
    ASSERT_EQ(tile.textureHeight, 4);
    const std::vector<std::pair<int, int>> texels = FilledTexels(grid, tile);
    const int columns[8] = {0, 1, 2, 3, 4, 4, -1, 4};
    const int rows[4] = {0, 1, 2, 2};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const auto want = columns[x] < 0 ? std::make_pair(-1, -1) : std::make_pair(columns[x], rows[y]);
            EXPECT_EQ(texels[static_cast<std::size_t>(y * 8 + x)], want) << x << "," << y;
        }
    EXPECT_EQ(PlanTileFill(grid, grid.Tile(1)).count, 0) << "no such tile";
}

} // namespace
