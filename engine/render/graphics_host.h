#pragma once

// What the graphics object, images and texts need from the engine and from
// the members that draw inside the frame. The engine installs its own host;
// what the real engine must supply has no base answer, so a host that forgets
// one does not build.

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
    virtual HWND Window() = 0;
    virtual int32_t SimpleShadows() = 0;
    virtual int32_t Antialiasing() = 0;
    virtual int32_t Gamma() = 0;
    virtual int32_t SFXVolume() = 0;

    // The frame clock's time of the current frame (ms).
    virtual uint32_t FrameTime() = 0;
    // The frame clock's seconds and the seconds since the previous frame.
    virtual float FrameSeconds() = 0;
    virtual float FrameDeltaSeconds() = 0;

    // The sprite system: camera planes and matrices, mesh sprites, skinning buffers.
    virtual float CameraNear() = 0;
    virtual float CameraFar() = 0;
    virtual void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) = 0;
    virtual void CollectMeshSprites(DynArray<RenderQueueEntry>& list) = 0;
    virtual void RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow) = 0;
    // The sprite's position and up axis (second row of its world matrix).
    virtual void MeshSpriteFrame(void* sprite, D3DXVECTOR3& position, D3DXVECTOR3& up) = 0;
    virtual void ReleaseSkinBuffers() = 0;
    virtual void RecreateSkinBuffers() = 0;

    // Video.
    virtual bool HasVideo() = 0;
    virtual void VideoUpdate() = 0;
    virtual bool VideoRealtime() = 0;
    virtual void VideoDraw(int32_t withSubtitles) = 0;

    // Gameplay, scene and input state.
    virtual void GameplayUpdate() = 0;
    virtual uint32_t GameState() = 0;
    virtual bool HasScene() = 0;
    virtual void SceneSubmit(DynArray<RenderQueueEntry>& list) = 0;
    // False when the current view has no mirror layer (or there is no scene).
    virtual bool GetMirrorView(KestruneMirrorView& view) = 0;
    virtual int32_t MouseX() = 0;
    virtual int32_t MouseY() = 0;
    virtual int32_t FadeActive() = 0;
    virtual uint32_t FadeStart() = 0;
    virtual float FadeRate() = 0;
    virtual bool ScenePending() = 0;
    virtual bool LoadRequested() = 0;
    virtual bool Inactive() = 0;
    virtual void PumpMessages() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // The hovered hotspot and its name (null: none).
    virtual void* HoveredHotspot(const char** name) = 0;

    // The members drawn inside the frame.
    virtual void MessengerRender() = 0;
    virtual void HintsRender() = 0;
    virtual void InventoryBarRender() = 0;
    virtual bool HasScreenControl() = 0;
    virtual void ScreenControlRender() = 0;
    virtual bool MenuOpen() = 0;
    virtual void MenuRender() = 0;
    virtual int32_t DialogueState() = 0;
    // The dialogue's highlight fan when its draw-once flag is set (the flag
    // is cleared by the call); null otherwise.
    virtual const void* TakeDialogueHighlight() = 0;
    // The item in hand: its icon and the cursor index the inventory keeps for it.
    virtual cKestruneImage* HandItemIcon() = 0;
    virtual int32_t HandItemCursor() = 0;

    // Images: every image of the given name in the overlays of all views of
    // the current scene (the shared-callback rule).
    virtual std::vector<cKestruneImage*> SceneOverlaysNamed(const char* name) = 0;
    // Runs a script function of a live script (callers resolve their script
    // references, so a gone script arrives as null and is skipped).
    virtual void RunScript(cKestruneScript* script, const char* function);
};

// The answers of an engine with none of the members above: what the frame
// sees before the engine installs its host, and the base of test fakes.
class cKestruneNullGraphicsHost : public cKestruneGraphicsHost {
public:
    HWND Window() override;
    int32_t SimpleShadows() override;
    int32_t Antialiasing() override;
    int32_t Gamma() override;
    int32_t SFXVolume() override;
    uint32_t FrameTime() override;
    float FrameSeconds() override;
    float FrameDeltaSeconds() override;
    float CameraNear() override;
    float CameraFar() override;
    void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) override;
    void CollectMeshSprites(DynArray<RenderQueueEntry>& list) override;
    void RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow) override;
    void MeshSpriteFrame(void* sprite, D3DXVECTOR3& position, D3DXVECTOR3& up) override;
    void ReleaseSkinBuffers() override;
    void RecreateSkinBuffers() override;
    bool HasVideo() override;
    void VideoUpdate() override;
    bool VideoRealtime() override;
    void VideoDraw(int32_t withSubtitles) override;
    void GameplayUpdate() override;
    uint32_t GameState() override;
    bool HasScene() override;
    void SceneSubmit(DynArray<RenderQueueEntry>& list) override;
    bool GetMirrorView(KestruneMirrorView& view) override;
    int32_t MouseX() override;
    int32_t MouseY() override;
    int32_t FadeActive() override;
    uint32_t FadeStart() override;
    float FadeRate() override;
    bool ScenePending() override;
    bool LoadRequested() override;
    bool Inactive() override;
    void PumpMessages() override;
    void Sleep(uint32_t milliseconds) override;
    void* HoveredHotspot(const char** name) override;
    void MessengerRender() override;
    void HintsRender() override;
    void InventoryBarRender() override;
    bool HasScreenControl() override;
    void ScreenControlRender() override;
    bool MenuOpen() override;
    void MenuRender() override;
    int32_t DialogueState() override;
    const void* TakeDialogueHighlight() override;
    cKestruneImage* HandItemIcon() override;
    int32_t HandItemCursor() override;
    std::vector<cKestruneImage*> SceneOverlaysNamed(const char* name) override;
};

// Null restores the null host (the answers of an engine without members).
void SetGraphicsHost(cKestruneGraphicsHost* host);
cKestruneGraphicsHost& GraphicsHost();

// The seconds of the frame clock since t, scaled by factor; 0 when t lies
// after the current frame time.
double GraphicsSecondsSince(uint32_t t, float factor);
