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

namespace {

// With the depth buffer just cleared to the far plane, a quad at the far depth
// passes these tests everywhere and writes back what is there: testing it
// changes nothing.
bool FarQuadPassesDepthTest()
{
    if (!glIsEnabled(GL_DEPTH_TEST))
        return true;
    GLint function = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    return function == GL_LEQUAL || function == GL_ALWAYS;
}

bool WritesEveryChannel()
{
    GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    return mask[0] && mask[1] && mask[2] && mask[3];
}

bool ClearsToBlack()
{
    GLfloat clear[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    return clear[0] == 0.0f && clear[1] == 0.0f && clear[2] == 0.0f && clear[3] == 0.0f;
}

// Whether the backdrop quad alone decides every pixel of the window, so that a
// colour clear before it would never be seen. Blending keeps that true when
// the source factor is one and the clear is black: the sum is then the quad's
// own colour, the same as without blending.
bool BackdropHidesTheClear(std::int32_t width, std::int32_t height)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[0] != 0 || viewport[1] != 0 || viewport[2] != width || viewport[3] != height)
        return false;
    if (glIsEnabled(GL_ALPHA_TEST) || glIsEnabled(GL_SCISSOR_TEST) || glIsEnabled(GL_COLOR_LOGIC_OP) ||
        glIsEnabled(GL_STENCIL_TEST) || !FarQuadPassesDepthTest() || !WritesEveryChannel())
        return false;
    if (!glIsEnabled(GL_BLEND))
        return true;
    GLint source = GL_ZERO;
    glGetIntegerv(GL_BLEND_SRC, &source);
    return source == GL_ONE && ClearsToBlack();
}

} // namespace

SceneHolder::BackdropPlan SceneHolder::PlanBackdrop(bool cleared) const
{
    BackdropPlan plan = {};
    plan.drawn = scene->ShowsDesktop() && desktopTexture.count > 0;
    if (!plan.drawn || !cleared)
        return plan;
    plan.hidesClear = BackdropHidesTheClear(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    plan.withoutBlending = plan.hidesClear && glIsEnabled(GL_BLEND);
    plan.withoutDepthTest = glIsEnabled(GL_DEPTH_TEST) && FarQuadPassesDepthTest();
    // The frame's white colour times a texel is the texel; only the alpha may
    // differ (the texel's 1 for the colour's 0.5), and an unblended quad with
    // no alpha test only stores it where nothing reads it.
    plan.replacesColour = plan.hidesClear;
    return plan;
}

// The desktop snapshot over the whole viewport at the far depth; the
// snapshot's top row along the top edge. A snapshot in several tiles is drawn
// tile by tile, and the last tile stays bound for the scene. Blending, the
// depth test and the multiplication by the frame's colour are left out only
// where the plan found they change no pixel.
void SceneHolder::DrawDesktopBackdrop(const BackdropPlan& plan)
{
    if (scene->UsesLighting())
        glDisable(GL_LIGHTING);
    if (plan.withoutBlending)
        glDisable(GL_BLEND);
    if (plan.withoutDepthTest)
        glDisable(GL_DEPTH_TEST);
    glPushAttrib(GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    GLint textureMode = GL_MODULATE;
    if (plan.replacesColour) {
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &textureMode);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    for (std::int32_t i = 0; i < desktopTexture.count; ++i)
        DrawBackdropTile(desktopTexture.tiles[i]);
    if (plan.replacesColour)
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, textureMode);

    glPopMatrix();
    glPopAttrib();
    if (plan.withoutDepthTest)
        glEnable(GL_DEPTH_TEST);
    if (plan.withoutBlending)
        glEnable(GL_BLEND);
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
    glTexCoord2f(at.sLeft, at.tTop);
    glVertex3f(left, top, 1.0f);
    glTexCoord2f(at.sRight, at.tTop);
    glVertex3f(right, top, 1.0f);
    glTexCoord2f(at.sRight, at.tBottom);
    glVertex3f(right, bottom, 1.0f);
    glTexCoord2f(at.sLeft, at.tBottom);
    glVertex3f(left, bottom, 1.0f);
    glEnd();
}

// Where the backdrop hides it, the colour clear is left out: the depth buffer
// is still cleared for the scene.
bool SceneHolder::ComposeFrame(float fps)
{
    const bool clears = scene->ClearsEachFrame();
    const BackdropPlan backdrop = PlanBackdrop(clears);
    if (clears) {
        glClear(backdrop.hidesClear ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    // Without a snapshot texture the quad would be drawn untextured in the
    // current colour, a glaring white: the cleared background shows instead.
    if (backdrop.drawn)
        DrawDesktopBackdrop(backdrop);

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
