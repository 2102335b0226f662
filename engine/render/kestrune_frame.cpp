// The frame: what is drawn each turn of the main loop, and in which order.

#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_particle_system.h"

namespace {

constexpr uint32_t kStateCursor = 0x1;
constexpr uint32_t kStateMeshSprites = 0x2;
constexpr uint32_t kStateNoCaption = 0x400;
constexpr uint32_t kStateBusy = 0x800;

constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

}  // namespace

void cKestruneGraphics::SetOverlayBlend()
{
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    if (whiteScreen) device->SetTexture(0, whiteScreen->FirstTexture());
    device->SetVertexShader(kScreenFvf);
}

void cKestruneGraphics::DrawMirrorPasses(DynArray<RenderQueueEntry>& list)
{
    cKestruneGraphicsHost& host = GraphicsHost();
    KestruneMirrorView view;
    if (!host.GetMirrorView(view) || !view.mirrorLayer) return;

    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    for (int32_t i = 0; i < list.count; ++i) {
        if (list.data[i].kind == kRenderKindImage && list.data[i].object == view.background && view.background) {
            view.background->Render(1);
            list.RemoveAt(i);
            break;
        }
    }
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);

    if (view.floorMirror) {
        for (int32_t i = 0; i < list.count; ++i) {
            if (list.data[i].kind != kRenderKindMeshSprite) continue;
            D3DXVECTOR3 position, up;
            host.MeshSpriteFrame(list.data[i].object, position, up);
            D3DXPLANE plane;
            D3DXPlaneFromPointNormal(&plane, &position, &up);
            D3DXMATRIX reflect;
            D3DXMatrixReflect(&reflect, &plane);
            host.RenderMeshSprite(list.data[i].object, reflect, 0);
        }
    }
    for (const D3DXPLANE& plane : view.mirrors) {
        D3DXMATRIX reflect;
        D3DXMatrixReflect(&reflect, &plane);
        for (int32_t i = 0; i < list.count; ++i) {
            if (list.data[i].kind == kRenderKindMeshSprite) host.RenderMeshSprite(list.data[i].object, reflect, 0);
        }
    }
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    view.mirrorLayer->Render(1);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
}

void cKestruneGraphics::DrawList(DynArray<RenderQueueEntry>& list)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (int32_t i = 0; i < list.count; ++i) {
        const RenderQueueEntry& entry = list.data[i];
        switch (entry.kind) {
        case kRenderKindImage:
            static_cast<cKestruneImage*>(entry.object)->Render(1);
            break;
        case kRenderKindMeshSprite:
            GraphicsHost().RenderMeshSprite(entry.object, identity, 1);
            break;
        case kRenderKindObject:
            static_cast<cKestruneParticleSystem*>(entry.object)->Render();
            break;
        default:
            break;
        }
    }
}

void cKestruneGraphics::DrawLetterbox()
{
    if (!blackScreen) return;
    blackScreen->SetPosition(-2, -2, screenWidth + 4, band.top + 2);
    blackScreen->Render(0);
    blackScreen->SetPosition(-2, band.bottom, screenWidth + 4, screenHeight - band.bottom + 4);
    blackScreen->Render(0);
}

static void DrawAtMouse(cKestruneImage* image, cKestruneImage* hotspotOf, int32_t mx, int32_t my)
{
    if (!image || !hotspotOf) return;
    image->SetPosition(mx - hotspotOf->header.x, my - hotspotOf->header.y, -1, -1);
    image->Render(1);
}

void cKestruneGraphics::DrawCursor(bool menuOpen, bool realtimeVideo)
{
    cKestruneGraphicsHost& host = GraphicsHost();
    const uint32_t state = host.GameState();
    const bool inGame = (state & kStateCursor) && !(state & kStateBusy) && !realtimeVideo && !host.ScenePending() &&
                        cursorIndex != -1;
    const int32_t c = cursors.count;
    // Indexes the input never produces, and an empty list, draw nothing.
    if (c == 0 || cursorIndex < -1 || cursorIndex > c + 1) return;
    const int32_t mx = host.MouseX(), my = host.MouseY();
    // Index -1 means no cursor, with the menu open too: there is no image to draw.
    if ((menuOpen && cursorIndex != -1) || inGame) {
        const int32_t index = cursorIndex == c + 1 ? c : cursorIndex;
        if (index == c) {
            DrawAtMouse(inventoryBackground, cursors.At(c), mx, my);
            cKestruneImage* icon = host.HandItemIcon();
            DrawAtMouse(icon, icon, mx, my);
        } else {
            cKestruneImage* cursor = cursors.At(index);
            DrawAtMouse(cursor, cursor, mx, my);
        }
    }
    if (inGame) {
        if (cursorIndex == c + 1) {
            cKestruneImage* cursor = cursors.At(10);
            DrawAtMouse(cursor, cursor, mx, my);
        } else if (cursorIndex == c) {
            const int32_t hand = host.HandItemCursor();
            if (hand >= 0) {
                cKestruneImage* cursor = cursors.At(hand);
                DrawAtMouse(cursor, cursor, mx, my);
            }
        }
    }
}

void cKestruneGraphics::DrawFade()
{
    cKestruneGraphicsHost& host = GraphicsHost();
    const int32_t fade = host.FadeActive();
    if (fade == 0) return;
    if (blackScreen) {
        const double s = GraphicsSecondsSince(host.FadeStart(), host.FadeRate());
        const int32_t alpha = static_cast<int32_t>(fade == 1 ? 255.0 * s : 255.0 * (1.0 - s));
        blackScreen->SetPosition(0, 0, screenWidth, screenHeight);
        blackScreen->SetAlpha(alpha);
        blackScreen->vertexAlpha = 1;
        blackScreen->Render(0);
        blackScreen->vertexAlpha = 0;
    }
    // A missing black screen skips only its own draw, not the indicator.
    if (host.ScenePending() && loadingImage) loadingImage->Render(1);
}

void cKestruneGraphics::ReleaseCaption()
{
    ReleaseLiveText(captionText);
}

void cKestruneGraphics::RenderHotspotCaption()
{
    cKestruneGraphicsHost& host = GraphicsHost();
    if (host.GameState() & kStateNoCaption) return;
    cKestruneFonts* fonts = cKestruneFonts::Current();
    const char* name = nullptr;
    void* hovered = host.HoveredHotspot(&name);
    cKestruneText* caption = LiveText(captionText);
    if (hovered != captionHotspot || (captionHotspot && !caption)) {
        ReleaseCaption();
        caption = hovered && name && *name && fonts ? fonts->CreateText(1, name, 0, 0, 0xD8000000, 0) : nullptr;
        captionText = caption ? caption->Handle() : kNoObject;
        captionHotspot = hovered;
    }
    if (!caption || !fonts) return;
    const int32_t mx = host.MouseX(), my = host.MouseY();
    const int32_t lineHeight = fonts->GetTextHeight(1, nullptr);
    fonts->MoveText(caption, mx + 13, my - lineHeight - 7);
    const float x = static_cast<float>(mx), y = static_cast<float>(my);
    const float w = static_cast<float>(caption->width), lh = static_cast<float>(lineHeight);
    const KestruneScreenVertex balloon[kCaptionVertexCount] = {
        {x + 10, y - 25, 0.1f, 10.0f, 0x30C0D0FF},         {x, y, 0.1f, 10.0f, 0x00C0D0FF},
        {x + 15, y - 20, 0.1f, 10.0f, 0x30E0F0FF},         {x + w + 16, y - 20, 0.1f, 10.0f, 0x68E8F0FF},
        {x + w + 16, y - 20 - lh, 0.1f, 10.0f, 0xA0F0FFFF}, {x + 10, y - 20 - lh, 0.1f, 10.0f, 0x68E8F0FF},
    };
    for (int i = 0; i < kCaptionVertexCount; ++i) captionVertices[i] = balloon[i];
    SetOverlayBlend();
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, captionVertices, sizeof(KestruneScreenVertex));
}

int32_t cKestruneGraphics::RenderFrame()
{
    cKestruneGraphicsHost& host = GraphicsHost();
    cKestruneFonts* fonts = cKestruneFonts::Current();
    DynArray<RenderQueueEntry> list;

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | (stencilBits > 0 ? D3DCLEAR_STENCIL : 0),
                  0xFF000000, 1.0f, 0);

    bool realtime = false;
    if (host.HasVideo()) {
        host.VideoUpdate();
        realtime = host.VideoRealtime();
        if (!realtime) {
            device->BeginScene();
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            host.VideoDraw(1);
            device->EndScene();
            if (device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST &&
                device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
                ResetDevice();
            }
            return 0;
        }
    }

    host.GameplayUpdate();
    if (multisampleType > 0) device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->BeginScene();
    if (multisampleType > 0) device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);

    D3DXMATRIX view, projection;
    host.GetCamera(view, projection);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

    if (realtime) {
        host.VideoDraw(1);
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    }
    if (host.GameState() & kStateMeshSprites) host.CollectMeshSprites(list);
    if (host.HasScene() && !realtime) host.SceneSubmit(list);
    SortRenderQueue(list);
    if (host.HasScene()) DrawMirrorPasses(list);
    DrawList(list);
    for (int32_t i = 0; i < objects.count; ++i) {
        if (objects.data[i]) objects.data[i]->Render();
    }

    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    if (!realtime) host.MessengerRender();
    DrawLetterbox();
    host.HintsRender();
    if (!realtime) host.InventoryBarRender();
    const bool control = host.HasScreenControl();
    if (control) host.ScreenControlRender();

    const bool menuOpen = host.MenuOpen();
    const uint32_t state = host.GameState();
    const int32_t dialogue = host.DialogueState();
    if (!menuOpen && (state & kStateCursor) && (dialogue == 0 || (dialogue == 2 && !(state & kStateBusy))) &&
        !realtime && !control) {
        RenderHotspotCaption();
    } else {
        ReleaseCaption();
    }
    if (const void* highlight = host.TakeDialogueHighlight()) {
        SetOverlayBlend();
        device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, highlight, sizeof(KestruneScreenVertex));
    }

    if (!realtime && fonts) fonts->DrawTexts(0);
    if (menuOpen) host.MenuRender();
    if (host.FadeActive() == 0 && (host.ScenePending() || host.LoadRequested()) && loadingImage) loadingImage->Render(1);
    if (fonts) fonts->DrawTexts(1);

    DrawCursor(menuOpen, realtime);
    DrawFade();
    if (realtime) host.VideoDraw(0);
    device->EndScene();

    while (host.Inactive()) {
        host.Sleep(1000);
        host.PumpMessages();
    }
    if (device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST &&
        device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
        ResetDevice();
    }
    return 0;
}
