#pragma once
// A source that turns stored picture data into a GDI bitmap. The slot order of
// the operations is fixed: holders of any source call through it.
#include <windows.h>

#include <cstdint>

class IImageState {
public:
    virtual ~IImageState() = default;
    // True when a bitmap was made; the caller owns *bitmap from then on.
    virtual bool LoadFromFile(const wchar_t* path, HBITMAP* bitmap) = 0;
    // number is an integer resource name; typeName "BITMAP" takes the platform's
    // bitmap loader, anything else the picture decoder.
    virtual bool LoadFromResource(HMODULE module, const wchar_t* typeName, std::uint16_t number,
                                  HBITMAP* bitmap) = 0;
    virtual bool IsAnimated() = 0;
    virtual bool ProducesBitmap() = 0;
    virtual bool SaveToFile(const wchar_t* path, HBITMAP bitmap, HPALETTE palette) = 0;
    virtual bool HasAlphaChannel() = 0;
};
