#pragma once
// GDI bitmaps into OpenGL textures. Call with the GL context current.
#include <cstdint>
#include <memory>

#include "image/texture_tiles.h"

struct ImageHolder;

enum TextureFilter : std::int32_t {
    Linear = 1,
    Nearest = 2,
    Mipmapped = 3,
};

// One holder and the filter for the next upload. A loader from
// CreateTextureLoader owns its holder; one pointed at another holder does not.
struct TextureLoader {
    ImageHolder* holder;
    std::int32_t filter;
};

// A loader with a fresh holder of its own and the Linear filter; nullptr when
// out of memory.
TextureLoader* CreateTextureLoader();
// Frees a loader from CreateTextureLoader with its holder, bitmap and source.
// Textures already made stay valid.
void DiscardTextureLoader(TextureLoader* loader);

// Loads resource number of typeName ("BITMAP" or "JPG") from the program's own
// module into the loader's holder, turns it to red-green-blue order and uploads
// it; the new texture name, or 0 when the picture could not be loaded.
std::uint32_t LoadResourceTexture(TextureLoader* loader, const wchar_t* typeName, std::uint16_t number);

// Uploads the holder's current bitmap as it is (no channel conversion) with the
// loader's filter and leaves the new texture bound. 0, and no texture name
// used, when there is no bitmap of 24 or 32 bits per pixel or GetBitmapBits
// cannot read its pixels; 0, and the name deleted again, when OpenGL refuses
// the upload.
std::uint32_t CreateTexture(TextureLoader* loader);

// What the current context accepts; asked once per context, after it is made
// current.
TextureSupport QueryTextureSupport();

struct PlacedTexture {
    std::uint32_t name;
    TilePlacement placement;
};

// A picture as the textures that together show all of it; no tiles when
// nothing could be made.
struct TiledTexture {
    std::unique_ptr<PlacedTexture[]> tiles;
    std::int32_t count = 0;
};

// Uploads the holder's bitmap in tiles that the context accepts: one texture
// of the bitmap's own size where that is allowed, else power-of-two textures
// with room to spare, side by side when one would be too large. A DIB section
// is read from its own rows, in their own order, with no copy; other bitmaps
// through one copy. The filter is the loader's (Mipmapped counts as Linear).
// The last tile stays bound. All or nothing: when OpenGL refuses any tile,
// the tiles made so far are deleted again.
TiledTexture CreateTiledTexture(TextureLoader* loader, const TextureSupport& support);
