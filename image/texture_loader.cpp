#include "image/texture_loader.h"

#include <memory>
#include <new>

#include "image/image_holder.h"
#include "image/image_state.h"
#include "image/pixel_rows.h"
#include "image/texture_tiles.h"
#include "render/gl.h"

namespace {

void SetFilterParameters(std::int32_t filter)
{
    switch (filter) {
    case Mipmapped:
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        break;
    case Nearest:
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        break;
    default:
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        break;
    }
}

// Errors that earlier calls left behind (Wine's bitmap font leaves
// GL_OUT_OF_MEMORY for its empty glyphs) would be taken for the upload's own.
void ClearGlErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// A new texture name with the texels uploaded and left bound; 0, and the name
// deleted again, when OpenGL refuses them (a side that is too large, or not a
// power of two where only such sides are allowed).
std::uint32_t UploadTexels(std::int32_t filter, int bytesPerPixel, std::int32_t width, std::int32_t height,
                           const void* texels)
{
    ClearGlErrors();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    SetFilterParameters(filter);
    const GLenum format = bytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    bool refused = false;
    if (filter == Mipmapped)
        refused = gluBuild2DMipmaps(GL_TEXTURE_2D, bytesPerPixel, width, height, format, GL_UNSIGNED_BYTE,
                                    texels) != 0;
    else
        glTexImage2D(GL_TEXTURE_2D, 0, bytesPerPixel, width, height, 0, format, GL_UNSIGNED_BYTE, texels);
    if (glGetError() != GL_NO_ERROR || refused) {
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}

// Rows of a copy handed to OpenGL, at its current unpack alignment.
std::size_t UnpackRowBytes(std::int32_t width, int bytesPerPixel)
{
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    return AlignedRowBytes(width, bytesPerPixel, alignment);
}

// The bitmap's pixels, rows top-down, each row starting where OpenGL's current
// unpack alignment expects it. GetBitmapBits pads rows to 2 bytes, so rows
// are moved in place when the alignment asks for more or for less. Nothing
// when the pixels cannot be read.
std::unique_ptr<std::uint8_t[]> CopyPixelsForUpload(const ImageHolder& holder, int bytesPerPixel)
{
    const BITMAP& info = holder.info;
    const std::size_t rowBytes = static_cast<std::size_t>(info.bmWidth) * bytesPerPixel;
    const std::size_t glStride = UnpackRowBytes(info.bmWidth, bytesPerPixel);
    const std::size_t gdiStride = GdiRowBytes(info.bmWidth, info.bmBitsPixel);
    const std::size_t height = static_cast<std::size_t>(info.bmHeight);
    const std::size_t copyBytes = gdiStride * height;
    if (!holder.bitmap || copyBytes > static_cast<std::size_t>(INT32_MAX))
        return nullptr;

    const std::size_t bufferBytes = (glStride > gdiStride ? glStride : gdiStride) * height;
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[bufferBytes]);
    if (!pixels)
        return nullptr;
    const LONG wanted = static_cast<LONG>(copyBytes);
    if (GetBitmapBits(holder.bitmap, wanted, pixels.get()) != wanted)
        return nullptr;
    RestrideRows(pixels.get(), info.bmHeight, gdiStride, glStride, rowBytes);
    return pixels;
}

// Where a tiled upload reads the picture: a DIB section's own memory, in its
// own row order, or else a copy through GetBitmapBits, rows top-down.
struct PictureRows {
    const std::uint8_t* pixels = nullptr;
    std::int32_t alignment = 0; // the unpack alignment that gives the stored rows' stride
    bool bottomUp = false;
    std::unique_ptr<std::uint8_t[]> copy;
};

PictureRows FindPictureRows(const ImageHolder& holder, int bytesPerPixel)
{
    PictureRows rows;
    DIBSECTION section = {};
    if (holder.bitmap && GetObjectW(holder.bitmap, sizeof section, &section) == sizeof section &&
        section.dsBm.bmBits && section.dsBm.bmWidth == holder.info.bmWidth &&
        section.dsBm.bmHeight == holder.info.bmHeight) {
        rows.alignment = UnpackAlignmentForStride(holder.info.bmWidth, bytesPerPixel,
                                                  static_cast<std::size_t>(section.dsBm.bmWidthBytes));
        if (rows.alignment != 0) {
            GdiFlush(); // drawing into the section may still be queued
            rows.pixels = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
            rows.bottomUp = section.dsBmih.biHeight > 0;
            return rows;
        }
    }
    rows.copy = CopyPixelsForUpload(holder, bytesPerPixel);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    rows.alignment = alignment;
    rows.pixels = rows.copy.get();
    return rows;
}

// OpenGL's unpack state for reading parts of the picture's rows, put back as
// it was afterwards.
class UnpackState {
public:
    UnpackState(std::int32_t rowLength, std::int32_t alignment)
    {
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength_);
        glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels_);
        glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows_);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment_);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    }
    ~UnpackState()
    {
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment_);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows_);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels_);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength_);
    }
    UnpackState(const UnpackState&) = delete;
    UnpackState& operator=(const UnpackState&) = delete;

private:
    GLint rowLength_ = 0, skipPixels_ = 0, skipRows_ = 0, alignment_ = 4;
};

bool CanUpload(const ImageHolder* holder)
{
    if (!holder)
        return false;
    const BITMAP& info = holder->info;
    const int bytesPerPixel = info.bmBitsPixel / 8;
    // Below 3 bytes per pixel there is no red-green-blue layout to hand over.
    return (bytesPerPixel == 3 || bytesPerPixel == 4) && info.bmWidth > 0 && info.bmHeight > 0;
}

void DeleteTiles(TiledTexture& texture)
{
    for (std::int32_t i = 0; i < texture.count; ++i)
        glDeleteTextures(1, &texture.tiles[i].name);
    texture.tiles.reset();
    texture.count = 0;
}

// A new texture of the tile's sides, filled straight from the picture's rows
// (no copy of the tile); 0, and the name deleted again, when OpenGL refuses
// it. Rows stored bottom-up fill the texture bottom-up, which Place answers
// with texture coordinates running upwards.
std::uint32_t UploadTile(const TileGrid& grid, const TextureTile& tile, std::int32_t filter, int bytesPerPixel,
                         const PictureRows& rows)
{
    ClearGlErrors();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    SetFilterParameters(filter == Mipmapped ? Linear : filter);
    const GLenum format = bytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    glTexImage2D(GL_TEXTURE_2D, 0, bytesPerPixel, tile.textureWidth, tile.textureHeight, 0, format,
                 GL_UNSIGNED_BYTE, nullptr);
    const TileFill fill = PlanTileFill(grid, tile);
    bool refused = glGetError() != GL_NO_ERROR || fill.count == 0;
    for (std::int32_t i = 0; i < fill.count && !refused; ++i) {
        const TexelBlock& block = fill.blocks[i];
        const std::int32_t sourceRow =
            rows.bottomUp ? grid.pictureHeight - block.pictureY - block.height : block.pictureY;
        const std::int32_t targetRow =
            rows.bottomUp ? tile.textureHeight - block.textureY - block.height : block.textureY;
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, block.pictureX);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, sourceRow);
        glTexSubImage2D(GL_TEXTURE_2D, 0, block.textureX, targetRow, block.width, block.height, format,
                        GL_UNSIGNED_BYTE, rows.pixels);
        refused = glGetError() != GL_NO_ERROR;
    }
    if (refused) {
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}

} // namespace

TextureLoader* CreateTextureLoader()
{
    ImageHolder* holder = new (std::nothrow) ImageHolder();
    if (!holder)
        return nullptr;
    TextureLoader* loader = new (std::nothrow) TextureLoader{holder, Linear};
    if (!loader)
        delete holder;
    return loader;
}

void DiscardTextureLoader(TextureLoader* loader)
{
    if (!loader)
        return;
    delete loader->holder; // deletes its bitmap, then its source
    loader->holder = nullptr;
    delete loader;
}

std::uint32_t LoadResourceTexture(TextureLoader* loader, const wchar_t* typeName, std::uint16_t number)
{
    if (!loader || !loader->holder)
        return 0;
    loader->filter = Linear;
    HMODULE module = GetModuleHandleW(nullptr);
    ImageHolder& holder = *loader->holder;
    holder.ClearBitmap();
    if (!holder.SetImageSource())
        return 0;
    if (!holder.source->LoadFromResource(module, typeName, number, &holder.bitmap))
        return 0;
    holder.RefreshInfo();
    holder.SwapRedBlue();
    return CreateTexture(loader);
}

std::uint32_t CreateTexture(TextureLoader* loader)
{
    if (!loader || !CanUpload(loader->holder))
        return 0;
    const BITMAP& info = loader->holder->info;
    const int bytesPerPixel = info.bmBitsPixel / 8;
    std::unique_ptr<std::uint8_t[]> pixels = CopyPixelsForUpload(*loader->holder, bytesPerPixel);
    if (!pixels)
        return 0;
    return UploadTexels(loader->filter, bytesPerPixel, info.bmWidth, info.bmHeight, pixels.get());
}

TextureSupport QueryTextureSupport()
{
    TextureSupport support = {};
    support.anySide = AllowsAnyTextureSide(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                                           reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    support.maxSide = maxSide;
    return support;
}

TiledTexture CreateTiledTexture(TextureLoader* loader, const TextureSupport& support)
{
    TiledTexture texture;
    if (!loader || !CanUpload(loader->holder))
        return texture;
    const BITMAP& info = loader->holder->info;
    const int bytesPerPixel = info.bmBitsPixel / 8;
    const TileGrid grid = PlanTextureTiles(info.bmWidth, info.bmHeight, support);
    const PictureRows rows = FindPictureRows(*loader->holder, bytesPerPixel);
    texture.tiles.reset(new (std::nothrow) PlacedTexture[static_cast<std::size_t>(grid.Count())]);
    if (!rows.pixels || !texture.tiles) {
        texture.tiles.reset();
        return texture;
    }
    const UnpackState unpack(info.bmWidth, rows.alignment);
    for (std::int32_t i = 0; i < grid.Count(); ++i) {
        const TextureTile tile = grid.Tile(i);
        const std::uint32_t name = UploadTile(grid, tile, loader->filter, bytesPerPixel, rows);
        if (name == 0) {
            DeleteTiles(texture);
            return texture;
        }
        texture.tiles[i] = PlacedTexture{name, grid.Place(tile, rows.bottomUp)};
        texture.count = i + 1;
    }
    return texture;
}
