// The cube's textures, light and drawing.
#include "scenes/wuerfel.h"

#include <new>

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

// Over the desktop the cube first blacks out its silhouette and then adds all
// six faces into it. The cube is closed and convex, so the faces turned
// towards the viewer cover the silhouette exactly once: written straight over
// the desktop, they leave what black plus those faces would, and the faces
// turned away are then added as before. Saturating sums do not depend on
// their order, so every pixel is the same, without a pass of its own.
void DrawOverSilhouette()
{
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    DrawCube();
    glEnable(GL_BLEND);
    glCullFace(GL_FRONT);
    DrawCube();
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
}

} // namespace

ISceneStrategy* CreateWuerfel(Settings* liveSettings)
{
    return new (std::nothrow) Wuerfel(liveSettings);
}

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

    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, faceTexture);
    if (settings->ShowDesktop)
        DrawOverSilhouette();
    else
        DrawCube();
}

void Wuerfel::DrawCaption(TextFont* font, std::int32_t x, std::int32_t y)
{
    RenderText(font, x, y, L"Screen-Saver by Velbrook: W\u00fcrfel");
}
