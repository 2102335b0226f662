#include "engine/ui/kestrune_screen_control.h"

#include "engine/base/engine_link.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/world_host.h"
#include "platform/granny/granny.h"

#include <cstring>

using namespace screen_control;

namespace {

constexpr float kFieldOfView = 0.3f;
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 1.2f;
constexpr float kAzimuth = 1.57f;
constexpr float kCameraOffset[3] = {0.0f, -0.05f, 0.7f};
constexpr float kOverlayAlphaOpen = 200.0f;
constexpr float kOverlayAlphaAfter = 128.0f;

} // namespace

// A granny camera looking at the origin from the front: the close-up and the
// messenger's head share the set-up, only the picture's size differs.
void InitializeHeadCamera(granny_camera& camera, int32_t width, int32_t height)
{
    GrannyInitializeDefaultCamera(&camera);
    GrannySetCameraAspectRatios(&camera, GrannyGetMostLikelyPhysicalAspectRatio(width, height), 1024.0f, 768.0f,
                                static_cast<float>(width), static_cast<float>(height));
    camera.FOVY = kFieldOfView;
    camera.NearClipPlane = kNearPlane;
    camera.FarClipPlane = kFarPlane;
    camera.ElevAzimRoll[0] = 0.0f;
    camera.ElevAzimRoll[1] = kAzimuth;
    for (int i = 0; i < 3; ++i)
        camera.Offset[i] = kCameraOffset[i];
    GrannyBuildCameraMatrices(&camera);
}

cKestruneChatControl::cKestruneChatControl(const char* name, ObjectHandle figure, cKestruneScript* closeScript,
                                           const char* closeFunction)
    : overlayName(name), character(figure), script(closeScript), function(closeFunction)
{
    scene = WorldHost().CurrentScene();
    InitializeHeadCamera(camera, kViewWidth, kViewHeight);
    UiHost().CentreOnBrows(character);
}

// Looked up each time: the view owns its overlays, and a script may replace
// one while the control shows it.
cKestruneImage* cKestruneChatControl::Overlay() const
{
    const cKestruneScene* const current = WorldHost().CurrentScene();
    const cKestruneView* const view = current ? current->currentView : nullptr;
    if (!view)
        return nullptr;
    for (int32_t i = view->overlays.count - 1; i >= 0; --i) {
        if (std::strcmp(view->overlays.data[i]->name.GetText(), overlayName.GetText()) == 0)
            return view->overlays.data[i];
    }
    return nullptr;
}

void cKestruneChatControl::Input()
{
    // The control belongs to its scene: it ends with it, and a script
    // waiting for it is still called back (a script of the scene that went
    // is gone with it and is not).
    if (WorldHost().CurrentScene() != scene) {
        done = 1;
        RunClose(script, function);
        return;
    }
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    cKestruneDialogue* const dialogue = gameplay ? gameplay->dialogue : nullptr;
    if (!dialogue || dialogue->state < 1)
        closing = 1;
    else
        dialogue->Update();
    const float elapsed = UiHost().FrameDeltaSeconds();
    if (closing) {
        SetCursor(kCursorNone);
        fade -= elapsed;
        if (fade <= 0.0f) {
            fade = 0.0f;
            done = 1;
            RunClose(script, function);
        }
    } else if (opening) {
        SetCursor(kCursorNone);
        fade += elapsed;
        if (fade >= 1.0f) {
            fade = 1.0f;
            opening = 0;
        }
    }
}

void cKestruneChatControl::Render()
{
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    IDirect3DDevice8* const device = graphics ? graphics->device : nullptr;
    if (!enabled || !device || done)
        return;
    cKestruneImage* const overlay = Overlay();
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    if (overlay) {
        overlay->vertexAlpha = 1;
        overlay->SetAlpha(static_cast<int32_t>(fade * kOverlayAlphaOpen));
        overlay->SetDepth(GraphicsHost().CameraNear() - 0.01f);
        overlay->Render(1);
    }
    D3DVIEWPORT8 saved{};
    device->GetViewport(&saved);
    const D3DVIEWPORT8 close{kViewX, kViewY, kViewWidth, kViewHeight, 0.0f, 1.0f};
    device->SetViewport(&close);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(camera.View4x4));
    device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(camera.Projection4x4));
    UiHost().RenderCloseUp(character);
    device->SetViewport(&saved);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    if (overlay) {
        overlay->SetAlpha(static_cast<int32_t>((2.0f - fade) * kOverlayAlphaAfter));
        overlay->Render(0);
        overlay->vertexAlpha = 0;
    }
}
