// The butterflies' textures and drawing.
#include "scenes/butterfly.h"

#include <new>

#include "image/texture_loader.h"
#include "render/gl.h"
#include "render/text_font.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kMaskTexture = 3;
constexpr int kColourTextures = 3;

const std::uint16_t kPictures[4] = {IDB_BUTTERFLY_BLUE, IDB_BUTTERFLY_RED, IDB_BUTTERFLY_GREEN,
                                    IDB_BUTTERFLY_MASK};

// Two triangles sharing the body diagonal from (1, 1) to (-1, -1); the free
// wing tips carry the fold as their z.
void DrawButterflyShape(float wingFold)
{
    glBegin(GL_TRIANGLES);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, 1.0f, wingFold);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, 0.0f);

    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, wingFold);
    glEnd();
}

void PlaceButterfly(const ButterflyState& butterfly)
{
    glLoadIdentity();
    glTranslatef(butterfly.x, butterfly.y, butterfly.z);
    glRotatef(45.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(butterfly.heading, 0.0f, 0.0f, 1.0f);
}

} // namespace

ISceneStrategy* CreateButterfly(Settings* liveSettings)
{
    return new (std::nothrow) Butterfly(liveSettings);
}

Butterfly::~Butterfly()
{
    for (std::uint32_t& texture : textures) {
        if (texture) {
            const GLuint name = texture;
            glDeleteTextures(1, &name);
            texture = 0;
        }
    }
}

bool Butterfly::Init(float, float, bool resetState, bool createResources)
{
    if (createResources) {
        TextureLoader* loader = CreateTextureLoader();
        bool loaded = loader != nullptr;
        for (int i = 0; i < 4 && loaded; ++i) {
            textures[i] = LoadResourceTexture(loader, L"BITMAP", kPictures[i]);
            loaded = textures[i] != 0;
        }
        DiscardTextureLoader(loader);
        if (!loaded)
            return false;
    }
    glLoadIdentity();
    InitState(resetState, createResources);
    return true;
}

// With the desktop behind, each butterfly first multiplies its black
// silhouette into the picture and then adds its colours into that hole;
// without it, each halves what lies behind it (alpha 0.5 from the frame's
// colour) and adds its colours.
void Butterfly::Draw()
{
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    const std::int32_t inUse = count < 0 ? 0 : (count < kButterflyCapacity ? count : kButterflyCapacity);
    // Over the desktop the masks multiply and the colours add, so the frame's
    // alpha of 0.5 is never used, and its white times a texel is the texel:
    // the texels are taken as they are, which costs llvmpipe less.
    GLint environment = GL_MODULATE;
    if (settings->ShowDesktop) {
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        for (std::int32_t i = 0; i < inUse; ++i) {
            PlaceButterfly(butterflies[i]);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            glBindTexture(GL_TEXTURE_2D, textures[kMaskTexture]);
            DrawButterflyShape(butterflies[i].wingFold);
            glBlendFunc(GL_ONE, GL_ONE);
        }
    }
    for (std::int32_t i = 0; i < inUse; ++i) {
        const ButterflyState& butterfly = butterflies[i];
        const std::int32_t colour = butterfly.textureIndex >= 0 && butterfly.textureIndex < kColourTextures
                                        ? butterfly.textureIndex
                                        : 0;
        PlaceButterfly(butterfly);
        glBindTexture(GL_TEXTURE_2D, textures[colour]);
        DrawButterflyShape(butterfly.wingFold);
    }
    if (settings->ShowDesktop)
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
    glFlush();
}

void Butterfly::DrawCaption(TextFont* font, std::int32_t x, std::int32_t y)
{
    RenderText(font, x, y, L"Screen-Saver by Velbrook: Butterfly");
}
