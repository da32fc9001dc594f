// The star field's textures and drawing.
#include "scenes/sterne.h"

#include <new>

#include "image/texture_loader.h"
#include "render/gl.h"
#include "render/text_font.h"
#include "resources/resource_ids.h"

ISceneStrategy* CreateSterne(Settings* liveSettings)
{
    return new (std::nothrow) Sterne(liveSettings);
}

Sterne::~Sterne()
{
    if (texture) {
        const GLuint name = texture;
        glDeleteTextures(1, &name);
        texture = 0;
    }
}

bool Sterne::Init(float, float, bool resetState, bool createResources)
{
    if (createResources) {
        TextureLoader* loader = CreateTextureLoader();
        texture = loader ? LoadResourceTexture(loader, L"BITMAP", IDB_STAR_FLARE) : 0;
        DiscardTextureLoader(loader);
        if (!texture)
            return false;
    }
    glLoadIdentity();
    InitState(resetState, createResources);
    return true;
}

// Additive sprites: blending stays on afterwards, so from the second frame on
// the desktop backdrop is added at half brightness too.
void Sterne::Draw()
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);

    const std::uint32_t inUse = starCount < kStarCapacity ? starCount : kStarCapacity;
    for (std::uint32_t i = 0; i < inUse; ++i) {
        const Star& star = stars[i];
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, zoom);
        glRotatef(tilt, 1.0f, 0.0f, 0.0f);
        glRotatef(star.angle, 0.0f, 1.0f, 0.0f);
        glTranslatef(star.dist, 0.0f, 0.0f);
        // Undo the plane's turns so that the sprite faces the viewer.
        glRotatef(-star.angle, 0.0f, 1.0f, 0.0f);
        glRotatef(-tilt, 1.0f, 0.0f, 0.0f);
        glRotatef(spin, 0.0f, 0.0f, 1.0f);
        glColor4ub(static_cast<GLubyte>(star.r), static_cast<GLubyte>(star.g), static_cast<GLubyte>(star.b), 255);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-1.0f, -1.0f, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(1.0f, -1.0f, 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(1.0f, 1.0f, 0.0f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(-1.0f, 1.0f, 0.0f);
        glEnd();
    }
}

void Sterne::DrawCaption(TextFont* font, std::int32_t x, std::int32_t y)
{
    RenderText(font, x, y, L"Screen-Saver by Velbrook: Sterne");
}
