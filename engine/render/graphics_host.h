#pragma once

// What the graphics object, images and texts need from the engine and from
// the members that draw inside the frame. The engine installs its own host;
// until then (and in tests of this folder) the base class answers as if every
// member were absent, and tests install fakes that record what was asked.

#include "engine/base/dynarray.h"
#include "engine/render/render_queue.h"
#include "platform/d3dx/d3dx8math.h"
#include "platform/win32/wintypes.h"

#include <cstdint>
#include <vector>

class cKestruneImage;
class cKestruneScript;

// The mirror set-up of the current view.
struct KestruneMirrorView {
    cKestruneImage* background = nullptr;  // the view's first image
    cKestruneImage* mirrorLayer = nullptr; // null: no mirror passes
    bool floorMirror = false;
    std::vector<D3DXPLANE> mirrors;
};

class cKestruneGraphicsHost {
public:
    virtual ~cKestruneGraphicsHost() = default;

    // Engine settings and the window.
    virtual HWND Window();
    virtual int32_t SimpleShadows();
    virtual int32_t Antialiasing();
    virtual int32_t Gamma();
    virtual int32_t SFXVolume();

    // The frame clock's time of the current frame (ms).
    virtual uint32_t FrameTime();
    // The frame clock's seconds and the seconds since the previous frame.
    virtual float FrameSeconds();
    virtual float FrameDeltaSeconds();

    // The sprite system: camera planes and matrices, mesh sprites, skinning buffers.
    virtual float CameraNear();
    virtual float CameraFar();
    virtual void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection);
    virtual void CollectMeshSprites(DynArray<RenderQueueEntry>& list);
    virtual void RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow);
    // The sprite's position and up axis (second row of its world matrix).
    virtual void MeshSpriteFrame(void* sprite, D3DXVECTOR3& position, D3DXVECTOR3& up);
    virtual void ReleaseSkinBuffers();
    virtual void RecreateSkinBuffers();

    // Video.
    virtual bool HasVideo();
    virtual void VideoUpdate();
    virtual bool VideoRealtime();
    virtual void VideoDraw(int32_t withSubtitles);

    // Gameplay, scene and input state.
    virtual void GameplayUpdate();
    virtual uint32_t GameState();
    virtual bool HasScene();
    virtual void SceneSubmit(DynArray<RenderQueueEntry>& list);
    // False when the current view has no mirror layer (or there is no scene).
    virtual bool GetMirrorView(KestruneMirrorView& view);
    virtual int32_t MouseX();
    virtual int32_t MouseY();
    virtual int32_t FadeActive();
    virtual uint32_t FadeStart();
    virtual float FadeRate();
    virtual bool ScenePending();
    virtual bool LoadRequested();
    virtual bool Inactive();
    virtual void PumpMessages();
    virtual void Sleep(uint32_t milliseconds);
    // The hovered hotspot and its name (null: none).
    virtual void* HoveredHotspot(const char** name);

    // The members drawn inside the frame.
    virtual void MessengerRender();
    virtual void HintsRender();
    virtual void InventoryBarRender();
    virtual bool HasScreenControl();
    virtual void ScreenControlRender();
    virtual bool MenuOpen();
    virtual void MenuRender();
    virtual int32_t DialogueState();
    // The dialogue's highlight fan when its draw-once flag is set (the flag
    // is cleared by the call); null otherwise.
    virtual const void* TakeDialogueHighlight();
    // The item in hand: its icon and the cursor index the inventory keeps for it.
    virtual cKestruneImage* HandItemIcon();
    virtual int32_t HandItemCursor();

    // Images: every image of the given name in the overlays of all views of
    // the current scene (the shared-callback rule).
    virtual std::vector<cKestruneImage*> SceneOverlaysNamed(const char* name);
    // Runs a script function; skipped for a script that is no longer live.
    virtual void RunScript(cKestruneScript* script, const char* function);
};

// Null restores the default host.
void SetGraphicsHost(cKestruneGraphicsHost* host);
cKestruneGraphicsHost& GraphicsHost();

// The seconds of the frame clock since t, scaled by factor; 0 when t lies
// after the current frame time.
double GraphicsSecondsSince(uint32_t t, float factor);
