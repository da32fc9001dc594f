// GL set-up of the render window, the composition of one frame and the
// information overlay that asks the scene what to show.
#include "scenes/scene_holder.h"

#include "render/gl.h"
#include "render/overlay_text.h"
#include "render/text_font.h"

bool SceneHolder::InitializeView(std::int32_t clientWidth, std::int32_t clientHeight)
{
    if (clientHeight == 0)
        clientHeight = 1;
    width = static_cast<float>(clientWidth);
    height = static_cast<float>(clientHeight);
    glViewport(0, 0, clientWidth, clientHeight);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (!scene->SetProjection(width, height))
        gluPerspective(45.0, static_cast<double>(width / height), static_cast<double>(0.1f), 100.0);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (!scene->SetCamera())
        gluLookAt(0.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    if (!scene->SetClearColor())
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);

    if (!scene->Init(width, height, true, true))
        return false;
    font = CreateTextFont(deviceContext);
    return true;
}

void SceneHolder::ReleaseView()
{
    DeleteTextFont(font, deviceContext);
    font = nullptr;
}

// The desktop snapshot over the whole viewport at the far depth; texture row 0
// along the top edge. A snapshot in several tiles is drawn tile by tile, and
// the last tile stays bound for the scene.
void SceneHolder::DrawDesktopBackdrop()
{
    if (scene->UsesLighting())
        glDisable(GL_LIGHTING);
    glPushAttrib(GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    for (std::int32_t i = 0; i < desktopTexture.count; ++i)
        DrawBackdropTile(desktopTexture.tiles[i]);

    glPopMatrix();
    glPopAttrib();
    if (scene->UsesLighting())
        glEnable(GL_LIGHTING);
}

void SceneHolder::DrawBackdropTile(const PlacedTexture& tile)
{
    const TilePlacement& at = tile.placement;
    const float left = at.left * 2.0f - 1.0f;
    const float right = at.right * 2.0f - 1.0f;
    const float top = 1.0f - at.top * 2.0f;
    const float bottom = 1.0f - at.bottom * 2.0f;
    glBindTexture(GL_TEXTURE_2D, tile.name);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(left, top, 1.0f);
    glTexCoord2f(at.sEnd, 0.0f);
    glVertex3f(right, top, 1.0f);
    glTexCoord2f(at.sEnd, at.tEnd);
    glVertex3f(right, bottom, 1.0f);
    glTexCoord2f(0.0f, at.tEnd);
    glVertex3f(left, bottom, 1.0f);
    glEnd();
}

bool SceneHolder::ComposeFrame(float fps)
{
    if (scene->ClearsEachFrame()) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    // Without a snapshot texture the quad would be drawn untextured in the
    // current colour, a glaring white: the cleared background shows instead.
    if (scene->ShowsDesktop() && desktopTexture.count > 0)
        DrawDesktopBackdrop();

    scene->Draw();
    glDisable(GL_TEXTURE_2D);

    if (scene->UsesLighting())
        glDisable(GL_LIGHTING);
    if (infoAllowed && scene->ShowsInfo())
        DrawInformationOverlay(*this, fps);
    if (scene->UsesLighting())
        glEnable(GL_LIGHTING);

    presentFrame(deviceContext);
    return true;
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

    wchar_t value[kTextCapacity];
    if (scene.ClearsEachFrame()) {
        RenderText(holder.font, layout.labelX, layout.fpsY, L"Frames per Sek.(fps):");
        if (fps > 0.0f && FormatFrameRate(fps, value) > 0)
            RenderText(holder.font, layout.valueX, layout.fpsY, L"%ls", value);
    }
    RenderText(holder.font, layout.labelX, layout.dimensionY, L"Dimension:");
    FormatDimension(holder.width, holder.height, value);
    RenderText(holder.font, layout.valueX, layout.dimensionY, L"%ls", value);
    RenderText(holder.font, layout.labelX, layout.headingY, L"Informationen:");
}
