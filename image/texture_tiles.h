#pragma once
// A picture as textures that the OpenGL at hand accepts, apart from any
// platform. OpenGL 1.1 (Windows' own renderer, old drivers) takes only sides
// that are powers of two and, on Windows' renderer, at most 1024 of them; a
// screen-sized snapshot then goes into power-of-two textures with room to
// spare, cut into tiles when one texture cannot hold it. Each tile still shows
// its pixels one to one, so a snapshot drawn at its own size stays sharp.
#include <cstddef>
#include <cstdint>

// What the current GL context accepts for a texture's sides.
struct TextureSupport {
    bool anySide;         // sides that are not powers of two
    std::int32_t maxSide; // GL_MAX_TEXTURE_SIZE
};

// From the strings of glGetString: version 2.0 or later, or the extension
// GL_ARB_texture_non_power_of_two. False for missing strings.
bool AllowsAnyTextureSide(const char* version, const char* extensions);

// The part of the picture one texture shows, and that texture's sides.
struct TextureTile {
    std::int32_t x, y, width, height;
    std::int32_t textureWidth, textureHeight;
};

// Where a tile goes: its part of the picture as fractions from the top left
// (0 to 1), and how far into its texture the picture reaches (1 when the
// texture holds nothing else).
struct TilePlacement {
    float left, top, right, bottom;
    float sEnd, tEnd;
};

// The picture cut into equal tiles from the top left; the last column and row
// take what is left.
struct TileGrid {
    std::int32_t pictureWidth, pictureHeight;
    std::int32_t side; // picture pixels per full tile
    bool anySide;
    std::int32_t columns, rows;

    std::int32_t Count() const { return columns * rows; }
    // Tiles count row by row from the top left.
    TextureTile Tile(std::int32_t index) const;
    TilePlacement Place(const TextureTile& tile) const;
};

// One tile when the picture fits one texture as it is, or in a power-of-two
// texture when sides must be powers of two; otherwise tiles of the largest
// side allowed. No tiles for an empty picture.
TileGrid PlanTextureTiles(std::int32_t width, std::int32_t height, const TextureSupport& support);

// The smallest power of two at or above side (1 for sides below 2).
std::int32_t NextPowerOfTwo(std::int32_t side);

// Fills a tile's texels, rows of texelStride bytes, from the picture, rows of
// pictureStride bytes. Texels past the tile's part carry on with the picture's
// pixels next to it, and past the picture's edge repeat its last column and
// row, so that filtering at a tile's edge never blends in anything foreign.
void CopyTileTexels(const std::uint8_t* picture, std::size_t pictureStride, std::int32_t pictureWidth,
                    std::int32_t pictureHeight, std::int32_t bytesPerPixel, const TextureTile& tile,
                    std::uint8_t* texels, std::size_t texelStride);
