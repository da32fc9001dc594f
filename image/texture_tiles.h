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

// The part of the picture one texture shows, and that texture's sides. A
// tile among others keeps a margin of one texel on every side: the picture's
// pixels next to its part, or its edge pixels repeated where the picture ends.
// Filtering a stretched tile at its edge then blends the same texels as one
// texture would, and never reaches past the margin.
struct TextureTile {
    std::int32_t x, y, width, height;
    std::int32_t textureWidth, textureHeight;
    std::int32_t margin; // 0 for a picture in one texture, else 1
};

// Where a tile goes: its part of the picture as fractions from the top left
// (0 to 1), and the texture coordinates at the quad's edges. rowsBottomUp:
// the texture holds its rows in the reverse order (a bottom-up DIB uploaded
// from its own memory), so the tile is drawn with t running upwards.
struct TilePlacement {
    float left, top, right, bottom;
    float sLeft, sRight, tTop, tBottom;
};

// The picture cut into equal tiles from the top left; the last column and row
// take what is left.
struct TileGrid {
    std::int32_t pictureWidth, pictureHeight;
    std::int32_t side; // picture pixels per full tile
    bool anySide;
    std::int32_t margin;
    std::int32_t columns, rows;

    std::int32_t Count() const { return columns * rows; }
    // Tiles count row by row from the top left.
    TextureTile Tile(std::int32_t index) const;
    TilePlacement Place(const TextureTile& tile, bool rowsBottomUp) const;
};

// One tile when the picture fits one texture as it is, or in a power-of-two
// texture when sides must be powers of two; otherwise tiles of the largest
// side allowed, less their margins. No tiles for an empty picture.
TileGrid PlanTextureTiles(std::int32_t width, std::int32_t height, const TextureSupport& support);

// The smallest power of two at or above side (1 for sides below 2).
std::int32_t NextPowerOfTwo(std::int32_t side);

// A rectangle of a tile's texture, filled from the picture's pixels of the
// same size at (pictureX, pictureY); both counted from the top left.
struct TexelBlock {
    std::int32_t textureX, textureY;
    std::int32_t pictureX, pictureY;
    std::int32_t width, height;
};

// What a tile's texture is filled with, in at most nine rectangles. Besides
// the tile's part and its margin: in a power-of-two texture with room to
// spare, the first spare column and row and the last ones (where the default
// wrap mode reaches) repeat the picture's last column and row, so that a
// stretched picture blends at its edges as before. Other spare texels are
// never sampled and stay unfilled.
struct TileFill {
    TexelBlock blocks[9];
    std::int32_t count;
};

TileFill PlanTileFill(const TileGrid& grid, const TextureTile& tile);
