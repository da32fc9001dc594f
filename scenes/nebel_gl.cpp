// The fog's textures and drawing.
#include "scenes/nebel.h"

#include <new>

#include "image/texture_loader.h"
#include "render/gl.h"
#include "render/text_font.h"
#include "resources/resource_ids.h"

namespace {

void DeleteTexture(std::uint32_t& texture)
{
    if (texture) {
        const GLuint name = texture;
        glDeleteTextures(1, &name);
        texture = 0;
    }
}

// A quad over the whole view at z = 1 (before the scene's translation) with
// texture coordinates from (s, t) at the top left to (s + 1, t + 1).
void DrawFogLayer(float s, float t)
{
    glBegin(GL_QUADS);
    glTexCoord2f(s, t);
    glVertex3f(-1.0f, 1.0f, 1.0f);
    glTexCoord2f(s + 1.0f, t);
    glVertex3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(s + 1.0f, t + 1.0f);
    glVertex3f(1.0f, -1.0f, 1.0f);
    glTexCoord2f(s, t + 1.0f);
    glVertex3f(-1.0f, -1.0f, 1.0f);
    glEnd();
}

} // namespace

ISceneStrategy* CreateNebel(Settings* liveSettings)
{
    return new (std::nothrow) Nebel(liveSettings);
}

Nebel::~Nebel()
{
    DeleteTexture(bannerTexture);
    DeleteTexture(fogTexture);
}

bool Nebel::Init(float, float, bool resetState, bool createResources)
{
    if (createResources) {
        TextureLoader* loader = CreateTextureLoader();
        bannerTexture = loader ? LoadResourceTexture(loader, L"JPG", IDR_FOG_BANNER) : 0;
        if (bannerTexture)
            fogTexture = LoadResourceTexture(loader, L"JPG", IDR_FOG_CLOUDS);
        DiscardTextureLoader(loader);
        if (!bannerTexture || !fogTexture)
            return false;
    }
    glLoadIdentity();
    InitState(resetState, createResources);
    return true;
}

// Texture coordinates run past 1 and the default wrap mode repeats, so both
// layers scroll without seams. Blending stays on afterwards.
void Nebel::Draw()
{
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();

    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glTranslatef(0.0f, 0.0f, -1.5f);
    glBindTexture(GL_TEXTURE_2D, fogTexture);
    DrawFogLayer(layer1Shift, layer1Shift);
    glBindTexture(GL_TEXTURE_2D, fogTexture);
    DrawFogLayer(layer2S, layer2T);

    // Below 0.22 fog the banner's opacity is negative and clamps to nothing.
    glColor4f(1.0f, 1.0f, 1.0f, alpha - 0.22f);
    glTranslatef(static_cast<float>(bannerX / 100.0), static_cast<float>(bannerY / 100.0), 0.01f);
    glBindTexture(GL_TEXTURE_2D, bannerTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-0.4f, 0.2f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(0.4f, 0.2f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(0.4f, -0.2f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-0.4f, -0.2f, 0.0f);
    glEnd();
    glFlush();
}

void Nebel::DrawCaption(TextFont* font, std::int32_t x, std::int32_t y)
{
    RenderText(font, x, y, L"Screen-Saver by Velbrook: Nebel");
}
