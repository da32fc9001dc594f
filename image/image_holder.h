#pragma once
// A GDI bitmap on its way to a texture, with the platform's description of it.
#include <windows.h>

#include "settings/settings.h"

struct ImageHolder {
    HBITMAP bitmap = nullptr;
    BITMAP info = {};
    ColorRef fillColor = 0;

    ImageHolder() = default;
    ImageHolder(const ImageHolder&) = delete;
    ImageHolder& operator=(const ImageHolder&) = delete;
    ~ImageHolder();

    // Deletes the current bitmap, if any.
    void ClearBitmap();
};
