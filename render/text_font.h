#pragma once
// Flat text in the GL window from a bitmap font turned into display lists.
#include <windows.h>

#include <cstdint>

constexpr int kFontListCount = 256;

struct TextFont {
    std::uint32_t listBase;
    std::int32_t charSet;
    std::uint8_t italic;
    std::uint8_t underline;
    std::uint8_t strikeOut;
};

// "Courier New", 14 units high, glyphs for the codes 0 to 254.
TextFont* CreateTextFont(HDC deviceContext);

// Formats like wide printf and draws the text with its first character's origin at
// window pixel (x - 1, y - 1), y counting up from the bottom edge.
void RenderText(const TextFont* font, int x, int y, const wchar_t* format, ...);

struct SceneHolder;
// The scene's caption and the block with frame rate and window size.
void DrawInformationOverlay(SceneHolder& holder, float fps);
