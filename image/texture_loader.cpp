#include "image/texture_loader.h"

#include <memory>
#include <new>

#include "image/image_holder.h"
#include "image/image_state.h"
#include "image/pixel_rows.h"
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

// The bitmap's pixels, rows top-down, each row starting where OpenGL's current
// unpack alignment expects it. GetBitmapBits pads rows to 2 bytes, so rows
// are moved in place when the alignment asks for more or for less. Bitmaps
// without a readable copy fall back to their own DIB memory.
std::unique_ptr<std::uint8_t[]> CopyPixelsForUpload(const ImageHolder& holder, int bytesPerPixel)
{
    const BITMAP& info = holder.info;
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    const std::size_t rowBytes = static_cast<std::size_t>(info.bmWidth) * bytesPerPixel;
    const std::size_t glStride = AlignedRowBytes(info.bmWidth, bytesPerPixel, alignment);
    const std::size_t gdiStride = GdiRowBytes(info.bmWidth, info.bmBitsPixel);
    const std::size_t height = static_cast<std::size_t>(info.bmHeight);
    const std::size_t copyBytes = gdiStride * height;
    if (copyBytes > static_cast<std::size_t>(INT32_MAX))
        return nullptr;

    const std::size_t bufferBytes = (glStride > gdiStride ? glStride : gdiStride) * height;
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[bufferBytes]);
    if (!pixels)
        return nullptr;
    const LONG wanted = static_cast<LONG>(copyBytes);
    if (holder.bitmap && GetBitmapBits(holder.bitmap, wanted, pixels.get()) == wanted) {
        RestrideRows(pixels.get(), info.bmHeight, gdiStride, glStride, rowBytes);
        return pixels;
    }
    if (!info.bmBits || info.bmWidthBytes <= 0 || static_cast<std::size_t>(info.bmWidthBytes) < rowBytes)
        return nullptr;
    const auto* source = static_cast<const std::uint8_t*>(info.bmBits);
    for (std::size_t y = 0; y < height; ++y)
        CopyMemory(pixels.get() + y * glStride, source + y * static_cast<std::size_t>(info.bmWidthBytes),
                   rowBytes);
    return pixels;
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
    if (!loader || !loader->holder)
        return 0;
    const ImageHolder& holder = *loader->holder;
    const BITMAP& info = holder.info;
    const int bytesPerPixel = info.bmBitsPixel / 8;
    // Below 3 bytes per pixel there is no red-green-blue layout to hand over.
    if ((bytesPerPixel != 3 && bytesPerPixel != 4) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return 0;

    std::unique_ptr<std::uint8_t[]> pixels = CopyPixelsForUpload(holder, bytesPerPixel);
    if (!pixels)
        return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    SetFilterParameters(loader->filter);
    const GLenum format = bytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    if (loader->filter == Mipmapped)
        gluBuild2DMipmaps(GL_TEXTURE_2D, bytesPerPixel, info.bmWidth, info.bmHeight, format, GL_UNSIGNED_BYTE,
                          pixels.get());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, bytesPerPixel, info.bmWidth, info.bmHeight, 0, format, GL_UNSIGNED_BYTE,
                     pixels.get());
    return name;
}
