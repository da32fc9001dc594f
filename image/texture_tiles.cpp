#include "image/texture_tiles.h"

#include <cstring>

namespace {

// OpenGL promises at least this much to every implementation.
constexpr std::int32_t kSmallestMaxSide = 64;

bool HasExtension(const char* extensions, const char* name)
{
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        const bool startsWord = at == extensions || at[-1] == ' ';
        const bool endsWord = at[length] == '\0' || at[length] == ' ';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

std::int32_t PowerOfTwoAtMost(std::int32_t side)
{
    std::int32_t power = 1;
    while (power <= side / 2)
        power *= 2;
    return power;
}

std::int32_t Smaller(std::int32_t a, std::int32_t b) { return a < b ? a : b; }

} // namespace

bool AllowsAnyTextureSide(const char* version, const char* extensions)
{
    if (version) {
        // "major.minor", then anything the vendor adds.
        int major = 0;
        const char* digit = version;
        for (; *digit >= '0' && *digit <= '9' && major < 100; ++digit)
            major = major * 10 + (*digit - '0');
        if (digit != version && *digit == '.' && major >= 2)
            return true;
    }
    return extensions && HasExtension(extensions, "GL_ARB_texture_non_power_of_two");
}

std::int32_t NextPowerOfTwo(std::int32_t side)
{
    std::int32_t power = 1;
    while (power < side && power <= INT32_MAX / 2)
        power *= 2;
    return power;
}

TileGrid PlanTextureTiles(std::int32_t width, std::int32_t height, const TextureSupport& support)
{
    TileGrid grid = {};
    grid.anySide = support.anySide;
    if (width <= 0 || height <= 0)
        return grid;
    const std::int32_t maxSide = support.maxSide < kSmallestMaxSide ? kSmallestMaxSide : support.maxSide;
    const std::int32_t textureSide = support.anySide ? maxSide : PowerOfTwoAtMost(maxSide);
    grid.pictureWidth = width;
    grid.pictureHeight = height;
    const bool fits = width <= textureSide && height <= textureSide;
    grid.margin = fits ? 0 : 1;
    grid.side = textureSide - 2 * grid.margin;
    grid.columns = width / grid.side + (width % grid.side != 0);
    grid.rows = height / grid.side + (height % grid.side != 0);
    return grid;
}

TextureTile TileGrid::Tile(std::int32_t index) const
{
    TextureTile tile = {};
    if (index < 0 || index >= Count())
        return tile;
    tile.x = index % columns * side;
    tile.y = index / columns * side;
    tile.width = Smaller(side, pictureWidth - tile.x);
    tile.height = Smaller(side, pictureHeight - tile.y);
    tile.margin = margin;
    const std::int32_t spanX = tile.width + 2 * margin;
    const std::int32_t spanY = tile.height + 2 * margin;
    tile.textureWidth = anySide ? spanX : NextPowerOfTwo(spanX);
    tile.textureHeight = anySide ? spanY : NextPowerOfTwo(spanY);
    return tile;
}

// Neighbouring tiles compute their shared edge from the same pixel column, so
// the rasteriser leaves neither a gap nor an overlap between them.
TilePlacement TileGrid::Place(const TextureTile& tile, bool rowsBottomUp) const
{
    TilePlacement placement = {};
    if (pictureWidth <= 0 || pictureHeight <= 0 || tile.textureWidth <= 0 || tile.textureHeight <= 0)
        return placement;
    const float width = static_cast<float>(pictureWidth);
    const float height = static_cast<float>(pictureHeight);
    placement.left = static_cast<float>(tile.x) / width;
    placement.top = static_cast<float>(tile.y) / height;
    placement.right = static_cast<float>(tile.x + tile.width) / width;
    placement.bottom = static_cast<float>(tile.y + tile.height) / height;
    const float textureWidth = static_cast<float>(tile.textureWidth);
    const float textureHeight = static_cast<float>(tile.textureHeight);
    placement.sLeft = static_cast<float>(tile.margin) / textureWidth;
    placement.sRight = static_cast<float>(tile.margin + tile.width) / textureWidth;
    placement.tTop = static_cast<float>(tile.margin) / textureHeight;
    placement.tBottom = static_cast<float>(tile.margin + tile.height) / textureHeight;
    if (rowsBottomUp) {
        // Texture row r holds what row (textureHeight - 1 - r) would hold.
        placement.tTop = static_cast<float>(tile.textureHeight - tile.margin) / textureHeight;
        placement.tBottom = static_cast<float>(tile.textureHeight - tile.margin - tile.height) / textureHeight;
    }
    return placement;
}

namespace {

// Texels along one side of a texture that take picture pixels: runs of
// texture positions whose picture positions follow on one by one.
struct AxisRun {
    std::int32_t texture, picture, length;
};

struct AxisRuns {
    AxisRun runs[3];
    std::int32_t count;

    void Add(std::int32_t texture, std::int32_t picture)
    {
        if (count > 0) {
            AxisRun& last = runs[count - 1];
            if (last.texture + last.length == texture && last.picture + last.length == picture) {
                ++last.length;
                return;
            }
        }
        if (count < 3)
            runs[count++] = AxisRun{texture, picture, 1};
    }
};

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high)
{
    return value < low ? low : (value > high ? high : value);
}

// start and length: the tile's part along this side; pictureLength and
// textureLength: the picture's and the texture's sides.
AxisRuns PlanAxis(std::int32_t start, std::int32_t length, std::int32_t margin, std::int32_t pictureLength,
                  std::int32_t textureLength)
{
    AxisRuns axis = {};
    const std::int32_t last = pictureLength - 1;
    for (std::int32_t i = 0; i < length + 2 * margin; ++i)
        axis.Add(i, Clamp(start - margin + i, 0, last));
    if (margin == 0 && textureLength > length) {
        axis.Add(length, last);
        if (textureLength - 1 > length)
            axis.Add(textureLength - 1, last);
    }
    return axis;
}

} // namespace

TileFill PlanTileFill(const TileGrid& grid, const TextureTile& tile)
{
    TileFill fill = {};
    if (grid.pictureWidth <= 0 || grid.pictureHeight <= 0 || tile.width <= 0 || tile.height <= 0)
        return fill;
    const AxisRuns columns = PlanAxis(tile.x, tile.width, tile.margin, grid.pictureWidth, tile.textureWidth);
    const AxisRuns rows = PlanAxis(tile.y, tile.height, tile.margin, grid.pictureHeight, tile.textureHeight);
    for (std::int32_t r = 0; r < rows.count; ++r)
        for (std::int32_t c = 0; c < columns.count; ++c) {
            const AxisRun& column = columns.runs[c];
            const AxisRun& row = rows.runs[r];
            fill.blocks[fill.count++] =
                TexelBlock{column.texture, row.texture, column.picture, row.picture, column.length, row.length};
        }
    return fill;
}
