#include "render/text_font.h"

#include <cstdarg>
#include <new>

#include "common/text.h"
#include "render/gl.h"

TextFont* CreateTextFont(HDC deviceContext)
{
    TextFont* font = new (std::nothrow) TextFont{};
    if (!font)
        return nullptr;
    font->listBase = glGenLists(kFontListCount);
    // No lists of its own: the text would run through whichever lists carry the
    // character codes' numbers, the scenes' own among them.
    if (font->listBase == 0) {
        delete font;
        return nullptr;
    }
    font->gdiFont = CreateFontW(-14, 0, 0, 0, FW_NORMAL, font->italic, font->underline, font->strikeOut,
                                static_cast<DWORD>(font->charSet), OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                ANTIALIASED_QUALITY, 0, L"Courier New");
    // The font stays selected in the window's own device context for the run.
    if (font->gdiFont)
        font->previousFont = SelectObject(deviceContext, font->gdiFont);
    wglUseFontBitmapsW(deviceContext, 0, kFontListCount - 1, font->listBase);
    return font;
}

void DeleteTextFont(TextFont* font, HDC deviceContext)
{
    if (!font)
        return;
    if (font->listBase)
        glDeleteLists(font->listBase, kFontListCount);
    // A selected font cannot be deleted: the context gets its own back first.
    if (font->previousFont && deviceContext)
        SelectObject(deviceContext, font->previousFont);
    if (font->gdiFont)
        DeleteObject(font->gdiFont);
    delete font;
}

namespace {

// Puts the raster position on a window pixel whatever the current matrices are.
void SetRasterToWindowPixel(int x, int y)
{
    glPushAttrib(GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(x - 1, y - 1, 0, 0);
    glRasterPos4f(0.0f, 0.0f, -1.0f, 1.0f);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

} // namespace

void RenderText(const TextFont* font, int x, int y, const wchar_t* format, ...)
{
    if (!format || !font)
        return;
    wchar_t text[kTextCapacity];
    std::va_list args;
    va_start(args, format);
    const int length = FormatText(text, format, args);
    va_end(args);

    SetRasterToWindowPixel(x, y);
    glPushAttrib(GL_LIST_BIT);
    glListBase(font->listBase);
    static_assert(sizeof(wchar_t) == sizeof(GLushort), "UTF-16 code units are the list offsets");
    glCallLists(length, GL_UNSIGNED_SHORT, text);
    glPopAttrib();
}
