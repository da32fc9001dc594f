#pragma once
// A GDI bitmap on its way to a texture: the source that loads it, the bitmap,
// the platform's description of it, and the colour for plain pictures.
#include <windows.h>

#include <cstdint>

#include "settings/settings.h"

class IImageState;
struct CapturePlan;

struct ImageHolder {
    IImageState* source = NewImageSource();
    HBITMAP bitmap = nullptr;
    BITMAP info = {};
    ColorRef fillColor = 0;

    ImageHolder() = default;
    ImageHolder(const ImageHolder&) = delete;
    ImageHolder& operator=(const ImageHolder&) = delete;
    ~ImageHolder();

    // Deletes the current bitmap, if any, and clears its description.
    void ClearBitmap();
    // Reads the description of the current bitmap into info (all zero without one).
    void RefreshInfo();
    // Every load starts from an empty source: replaces the current one with a
    // fresh DefaultImage. False when none could be made.
    bool SetImageSource();
    // Turns the bitmap's pixels from GDI's blue-green-red into red-green-blue
    // order (alpha 255 at 32 bits). False without a bitmap, below 24 bits per
    // pixel, or when the pixels cannot be read or written back.
    bool SwapRedBlue();

    // Replaces the bitmap with a snapshot of the screen: the primary monitor, or
    // the virtual screen when there are several and primaryOnly is false, each
    // side at most its limit (0: none). False, and no bitmap, when it fails.
    bool CaptureDesktop(bool primaryOnly, std::int32_t maxWidth, std::int32_t maxHeight);
    // The copy itself, for measurements the caller chose.
    bool CaptureScreen(const CapturePlan& plan);

private:
    static IImageState* NewImageSource();
};
