// The cube's textures, light and drawing.
#include "scenes/wuerfel.h"

#include "image/dib_section.h"
#include "image/image_holder.h"
#include "image/texture_loader.h"
#include "render/gl.h"
#include "render/text_font.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kMaskSide = 256;

void DeleteTexture(std::uint32_t& texture)
{
    if (texture) {
        const GLuint name = texture;
        glDeleteTextures(1, &name);
        texture = 0;
    }
}

// A plain picture of the holder's fill colour (black in a fresh holder) in a
// new 24-bit DIB section; false when it cannot be made.
bool MakePlainBitmap(ImageHolder& holder)
{
    holder.ClearBitmap();
    HDC surface = CreateDibSectionDC(GetDesktopWindow(), &holder.bitmap, kMaskSide, kMaskSide, 24);
    holder.RefreshInfo();
    if (!surface)
        return false;
    HBRUSH brush = CreateSolidBrush(holder.fillColor);
    HGDIOBJ previous = brush ? SelectObject(surface, brush) : nullptr;
    if (!previous) {
        if (brush)
            DeleteObject(brush);
        DeleteDC(surface);
        return false;
    }
    const RECT whole = {0, 0, kMaskSide, kMaskSide};
    FillRect(surface, &whole, brush);
    SelectObject(surface, previous);
    DeleteObject(brush);
    DeleteDC(surface);
    return true;
}

// The face picture and the plain black mask through one loader.
bool CreateCubeTextures(std::uint32_t& faceTexture, std::uint32_t& maskTexture)
{
    TextureLoader* loader = CreateTextureLoader();
    if (!loader)
        return false;
    bool made = false;
    faceTexture = LoadResourceTexture(loader, L"BITMAP", IDB_CUBE_FACE);
    if (faceTexture) {
        loader->filter = Linear;
        // The black bitmap needs no channel conversion.
        maskTexture = MakePlainBitmap(*loader->holder) ? CreateTexture(loader) : 0;
        made = maskTexture != 0;
    }
    DiscardTextureLoader(loader);
    return made;
}

struct CubeCorner {
    float s, t, x, y, z;
};

struct CubeFace {
    float nx, ny, nz;
    CubeCorner corners[4];
};

const CubeFace kCubeFaces[6] = {
    {0, 0, 1, {{0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, -1, 1}, {0, 1, -1, -1, 1}}},         // front
    {0, 0, -1, {{1, 0, -1, 1, -1}, {1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, 1, -1}}},    // back
    {0, 1, 0, {{0, 1, -1, 1, 1}, {0, 0, -1, 1, -1}, {1, 0, 1, 1, -1}, {1, 1, 1, 1, 1}}},         // top
    {0, -1, 0, {{1, 0, -1, -1, -1}, {1, 1, -1, -1, 1}, {0, 1, 1, -1, 1}, {0, 0, 1, -1, -1}}},    // bottom
    {1, 0, 0, {{1, 0, 1, 1, -1}, {1, 1, 1, -1, -1}, {0, 1, 1, -1, 1}, {0, 0, 1, 1, 1}}},         // right
    {-1, 0, 0, {{0, 0, -1, 1, -1}, {1, 0, -1, 1, 1}, {1, 1, -1, -1, 1}, {0, 1, -1, -1, -1}}},    // left
};

void DrawCube()
{
    glBegin(GL_QUADS);
    for (const CubeFace& face : kCubeFaces) {
        glNormal3f(face.nx, face.ny, face.nz);
        for (const CubeCorner& corner : face.corners) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3f(corner.x, corner.y, corner.z);
        }
    }
    glEnd();
}

// The mask's texels are all black, so multiplying by the lit, masked cube
// leaves black wherever the cube lies, with the destination's alpha as it was:
// drawn unlit and untextured in opaque black, that is the same picture without
// sampling the mask for every covered pixel. The cube is closed and convex, so
// the faces turned towards the viewer cover its silhouette exactly once, and
// so do those turned away: one of the two sets is enough. The caller's
// lighting, texturing and colour stay as they were.
void DrawSilhouette()
{
    GLfloat colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    const GLboolean lit = glIsEnabled(GL_LIGHTING);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    // Lit, the mask's alpha is the default material's 1; unlit, the colour's.
    glColor4f(0.0f, 0.0f, 0.0f, lit ? 1.0f : colour[3]);
    DrawCube();
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    if (lit)
        glEnable(GL_LIGHTING);
    glColor4fv(colour);
}

} // namespace

Wuerfel::~Wuerfel()
{
    DeleteTexture(faceTexture);
    DeleteTexture(maskTexture);
}

bool Wuerfel::Init(float, float, bool resetState, bool createResources)
{
    if (createResources && !CreateCubeTextures(faceTexture, maskTexture))
        return false;

    glLoadIdentity();
    // A point light in front of the cube; the default material takes the
    // texture's colours.
    const GLfloat ambient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat position[4] = {0.0f, 0.0f, 2.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glEnable(GL_LIGHT1);
    InitState(resetState, createResources);
    return true;
}

// Faces are added without depth testing, so the far faces glow through the
// near ones. Lighting, blending and the depth state stay for the next frame.
void Wuerfel::Draw()
{
    glTranslatef(0.0f, 0.0f, zoom);
    glRotatef(rotX, 1.0f, 0.0f, 0.0f);
    glRotatef(rotY, 0.0f, 1.0f, 0.0f);

    if (lighting)
        glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_TEXTURE_2D);

    if (settings->ShowDesktop) {
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        glBindTexture(GL_TEXTURE_2D, maskTexture);
        DrawSilhouette();
    }
    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, faceTexture);
    DrawCube();
}

void Wuerfel::DrawCaption(TextFont* font, std::int32_t x, std::int32_t y)
{
    RenderText(font, x, y, L"Screen-Saver by Velbrook: W\u00fcrfel");
}
