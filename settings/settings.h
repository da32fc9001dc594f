#pragma once
// The part of the configuration that scenes and dialogs share.
#include <cstdint>

#include "common/text.h"

using ColorRef = std::uint32_t; // 0x00BBGGRR, as the platform's COLORREF

constexpr int kCustomColorCount = 16;

struct Settings {
    bool previewMode = false;         // set by the command line, never stored
    bool ShowDesktop = false;
    std::int32_t OpenGL_MaxTextureSize = 0;
    std::int32_t SceneStrategy = 0;
    wchar_t LogoPath[kPathCapacity] = {};
    std::int32_t AdjustmentNo = 0;
    ColorRef BackColor = 0;
    ColorRef RgbColors[kCustomColorCount] = {};
};
