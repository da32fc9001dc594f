#pragma once
// The part of the configuration that scenes and dialogs share.
#include <cstdint>

#include "common/text.h"

using ColorRef = std::uint32_t; // 0x00BBGGRR, as the platform's COLORREF

constexpr int kCustomColorCount = 16;

struct Settings {
    bool previewMode;                 // set by the command line, never stored
    bool ShowDesktop;
    std::int32_t OpenGL_MaxTextureSize;
    std::int32_t SceneStrategy;
    wchar_t LogoPath[kPathCapacity];
    std::int32_t AdjustmentNo;
    ColorRef BackColor;
    ColorRef RgbColors[kCustomColorCount];
};
