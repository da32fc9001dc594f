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
    grid.pictureWidth = width;
    grid.pictureHeight = height;
    grid.side = support.anySide ? maxSide : PowerOfTwoAtMost(maxSide);
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
    tile.textureWidth = anySide ? tile.width : NextPowerOfTwo(tile.width);
    tile.textureHeight = anySide ? tile.height : NextPowerOfTwo(tile.height);
    return tile;
}

// Neighbouring tiles compute their shared edge from the same pixel column, so
// the rasteriser leaves neither a gap nor an overlap between them.
TilePlacement TileGrid::Place(const TextureTile& tile) const
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
    placement.sEnd = static_cast<float>(tile.width) / static_cast<float>(tile.textureWidth);
    placement.tEnd = static_cast<float>(tile.height) / static_cast<float>(tile.textureHeight);
    return placement;
}

void CopyTileTexels(const std::uint8_t* picture, std::size_t pictureStride, std::int32_t pictureWidth,
                    std::int32_t pictureHeight, std::int32_t bytesPerPixel, const TextureTile& tile,
                    std::uint8_t* texels, std::size_t texelStride)
{
    if (!picture || !texels || pictureWidth <= 0 || pictureHeight <= 0 || bytesPerPixel <= 0 || tile.x < 0 ||
        tile.y < 0 || tile.x >= pictureWidth || tile.y >= pictureHeight || tile.textureWidth <= 0 ||
        tile.textureHeight <= 0)
        return;
    const std::size_t pixel = static_cast<std::size_t>(bytesPerPixel);
    const std::int32_t reach = Smaller(tile.textureWidth, pictureWidth - tile.x);
    const std::size_t reachBytes = static_cast<std::size_t>(reach) * pixel;
    for (std::int32_t row = 0; row < tile.textureHeight; ++row) {
        const std::int32_t sourceRow = Smaller(tile.y + row, pictureHeight - 1);
        const std::uint8_t* source =
            picture + static_cast<std::size_t>(sourceRow) * pictureStride + static_cast<std::size_t>(tile.x) * pixel;
        std::uint8_t* target = texels + static_cast<std::size_t>(row) * texelStride;
        std::memcpy(target, source, reachBytes);
        const std::uint8_t* last = target + reachBytes - pixel;
        for (std::int32_t column = reach; column < tile.textureWidth; ++column)
            std::memcpy(target + static_cast<std::size_t>(column) * pixel, last, pixel);
    }
}
