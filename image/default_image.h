#pragma once
// The one image source: bitmap resources through the platform's bitmap loader,
// everything else (picture files, resources holding picture files) through the
// OLE picture decoder, rendered into a new 32-bit DIB section.
#include <windows.h>
#include <objidl.h>

#include <cstdint>

#include "image/image_state.h"

// The bytes of one picture file or resource, in a movable global block that a
// stream owns (the stream frees the block when it is released).
class ImageFileHelper {
protected:
    std::uint32_t size = 0;
    IStream* stream = nullptr;
    HGLOBAL memory = nullptr;
};

class ImageHelper {
protected:
    COLORREF backgroundColor = 0xFFFFFF;
};

class DefaultImage : public ImageFileHelper, public ImageHelper, public IImageState {
public:
    DefaultImage() = default;
    ~DefaultImage() override;
    DefaultImage(const DefaultImage&) = delete;
    DefaultImage& operator=(const DefaultImage&) = delete;

    bool LoadFromFile(const wchar_t* path, HBITMAP* bitmap) override;
    bool LoadFromResource(HMODULE module, const wchar_t* typeName, std::uint16_t number,
                          HBITMAP* bitmap) override;
    bool IsAnimated() override { return false; }
    bool ProducesBitmap() override { return true; }
    bool SaveToFile(const wchar_t* path, HBITMAP bitmap, HPALETTE palette) override;
    bool HasAlphaChannel() override { return false; }

private:
    bool RenderPicture(HBITMAP* bitmap);
};
