#pragma once
// Extruded 3D lettering from a TrueType font, one display list per character.
#include <windows.h>

#include <cstdint>

struct OutlineFont {
    std::uint32_t listBase = 0;
    float extrusion = 0.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    GLYPHMETRICSFLOAT glyphs[256] = {};
};

// Bold "Comic Sans MS", glyphs for the codes 0 to 254, 0.3 deep.
OutlineFont* CreateOutlineFont();
void DeleteOutlineFont(OutlineFont* font);

// Formats like wide printf and draws the text centred on the current origin. The
// translation and the scale stay on the model-view matrix.
void DrawOutlineText(const OutlineFont* font, const wchar_t* format, ...);

// Sum of the glyphs' advances; codes without a glyph advance nothing.
float OutlineTextWidth(const OutlineFont* font, const wchar_t* text, int length);
