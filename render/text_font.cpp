#include "render/text_font.h"

#include <cstdarg>
#include <new>

#include "common/text.h"
#include "render/gl.h"
#include "render/overlay_text.h"
#include "scenes/scene_holder.h"

TextFont* CreateTextFont(HDC deviceContext)
{
    TextFont* font = new (std::nothrow) TextFont{};
    if (!font)
        return nullptr;
    font->listBase = glGenLists(kFontListCount);
    HFONT gdiFont = CreateFontW(-14, 0, 0, 0, FW_NORMAL, font->italic, font->underline, font->strikeOut,
                                static_cast<DWORD>(font->charSet), OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                ANTIALIASED_QUALITY, 0, L"Courier New");
    // The font stays selected in the window's own device context for the run.
    if (gdiFont)
        SelectObject(deviceContext, gdiFont);
    wglUseFontBitmapsW(deviceContext, 0, kFontListCount - 1, font->listBase);
    return font;
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

namespace {

void SetOverlayTextColor(ISceneStrategy& scene)
{
    if (!scene.SetTextColor(0))
        glColor3f(0.8f, 0.8f, 0.8f);
}

} // namespace

void DrawInformationOverlay(SceneHolder& holder, float fps)
{
    ISceneStrategy& scene = *holder.scene;
    const OverlayLayout layout = LayoutOverlay(holder.width, holder.height);
    SetOverlayTextColor(scene);
    scene.DrawCaption(holder.font, layout.captionX, layout.captionY);
    SetOverlayTextColor(scene);

    if (scene.ClearsEachFrame()) {
        RenderText(holder.font, layout.labelX, layout.fpsY, L"Frames per Sek.(fps):");
        if (fps > 0.0f)
            RenderText(holder.font, layout.valueX, layout.fpsY, L" %10.2f", static_cast<double>(fps));
    }
    RenderText(holder.font, layout.labelX, layout.dimensionY, L"Dimension:");
    RenderText(holder.font, layout.valueX, layout.dimensionY, L"%4d x %4d", static_cast<int>(holder.width),
               static_cast<int>(holder.height));
    RenderText(holder.font, layout.labelX, layout.headingY, L"Informationen:");
}
