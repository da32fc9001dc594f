#include "scenes/outline_font.h"

#include <cstdarg>
#include <new>

#include "render/gl.h"
#include "common/text.h"

namespace {
constexpr int kOutlineListCount = 256;
}

OutlineFont* CreateOutlineFont()
{
    OutlineFont* font = new (std::nothrow) OutlineFont{};
    if (!font)
        return nullptr;
    font->listBase = glGenLists(kOutlineListCount);
    font->extrusion = 0.3f;
    font->scaleX = 1.0f;
    font->scaleY = 1.0f;

    HWND desktop = GetDesktopWindow();
    HDC dc = GetWindowDC(desktop);
    if (!dc)
        return font;
    HFONT gdiFont = CreateFontW(-18, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                                CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, L"Comic Sans MS");
    HGDIOBJ previous = gdiFont ? SelectObject(dc, gdiFont) : nullptr;
    wglUseFontOutlinesW(dc, 0, kOutlineListCount - 1, font->listBase, 0.0f, font->extrusion,
                        WGL_FONT_POLYGONS, font->glyphs);
    // The lists hold the glyphs now; the desktop's context gets its font back.
    if (previous)
        SelectObject(dc, previous);
    if (gdiFont)
        DeleteObject(gdiFont);
    ReleaseDC(desktop, dc);
    return font;
}

void DeleteOutlineFont(OutlineFont* font)
{
    if (!font)
        return;
    glDeleteLists(font->listBase, kOutlineListCount);
    delete font;
}

float OutlineTextWidth(const OutlineFont* font, const wchar_t* text, int length)
{
    float width = 0.0f;
    for (int i = 0; i < length; ++i) {
        const auto code = static_cast<unsigned>(text[i]);
        if (code < kOutlineListCount)
            width += font->glyphs[code].gmfCellIncX;
    }
    return width;
}

void DrawOutlineText(const OutlineFont* font, const wchar_t* format, ...)
{
    if (!font || !format)
        return;
    wchar_t text[kTextCapacity];
    std::va_list args;
    va_start(args, format);
    const int length = FormatText(text, format, args);
    va_end(args);

    glTranslatef(-OutlineTextWidth(font, text, length) / 2.0f, 0.0f, 0.0f);
    glPushAttrib(GL_LIST_BIT);
    glListBase(font->listBase);
    glScalef(font->scaleX, font->scaleY, 1.0f);
    glCallLists(length, GL_UNSIGNED_SHORT, text);
    glPopAttrib();
}
