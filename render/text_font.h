#pragma once
// Flat text in the GL window from a bitmap font turned into display lists.
#include <windows.h>

#include <cstdint>

constexpr int kFontListCount = 256;

struct TextFont {
    std::uint32_t listBase = 0;
    std::int32_t charSet = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    HFONT gdiFont = nullptr;
    HGDIOBJ previousFont = nullptr;   // what the device context held before
};

// "Courier New", 14 units high, glyphs for the codes 0 to 254. The font stays
// selected in the device context until DeleteTextFont. Null when no font could
// be made; RenderText then draws nothing.
TextFont* CreateTextFont(HDC deviceContext);
// Gives the device context its font back and frees lists, GDI font and record.
void DeleteTextFont(TextFont* font, HDC deviceContext);

// Formats like wide printf and draws the text with its first character's origin at
// window pixel (x - 1, y - 1), y counting up from the bottom edge.
void RenderText(const TextFont* font, int x, int y, const wchar_t* format, ...);
