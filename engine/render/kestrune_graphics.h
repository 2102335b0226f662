#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/object_handles.h"
#include "engine/render/render_queue.h"
#include "platform/d3d8/d3d8.h"

#include <cstdint>

class cKestruneImage;
class cKestruneText;
class cKestruneParticleSystem;

// A pre-transformed, coloured vertex (x, y, z, rhw, ARGB): the caption
// balloon and the dialogue highlight.
struct KestruneScreenVertex {
    float x, y, z, rhw;
    DWORD colour;
};

// The engine's Direct3D 8 device and the drawing of each frame.
class cKestruneGraphics {
public:
    static constexpr int32_t kBandTop = 128;
    static constexpr int32_t kBandBottom = 640;
    static constexpr int32_t kScreenWidth = 1024;
    static constexpr int32_t kScreenHeight = 768;
    static constexpr int32_t kCaptionVertexCount = 6;

    cKestruneGraphics();
    ~cKestruneGraphics();
    cKestruneGraphics(const cKestruneGraphics&) = delete;
    cKestruneGraphics& operator=(const cKestruneGraphics&) = delete;

    // The graphics object the engine created (the newest one alive).
    static cKestruneGraphics* Current();

    int32_t SetDeviceParams();
    void ResetDevice();
    int32_t LoadUIImages(int32_t slot, int32_t cursorCount);
    int32_t RenderFrame();
    void RenderHotspotCaption();
    int32_t ApplyGamma();
    HRESULT SaveScreenshot(const char* fileName);

    // Fields, in the engine's order.
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DSURFACE_DESC backBufferDesc{};
    IDirect3DSurface8* backBuffer = nullptr;
    D3DPRESENT_PARAMETERS presentParams{};
    RECT band{0, kBandTop, kScreenWidth, kBandBottom};
    int32_t screenWidth = kScreenWidth;
    int32_t screenHeight = kScreenHeight;
    int32_t stencilBits = 0;
    int32_t multisampleType = 0;
    uint8_t dxtSupported = 1;
    uint8_t mipmapSupported = 0;
    DynArray<cKestruneImage*> cursors;
    KestruneScreenVertex* captionVertices = nullptr;
    int32_t cursorIndex = -1;
    // The hovered hotspot's caption; a handle, as leaving a scene releases
    // every text behind the frame's back.
    ObjectHandle captionText = kNoObject;
    void* captionHotspot = nullptr;
    cKestruneImage* blackScreen = nullptr;
    cKestruneImage* whiteScreen = nullptr;
    cKestruneImage* loadingImage = nullptr;
    cKestruneImage* inventoryBackground = nullptr;
    DynArray<cKestruneParticleSystem*> objects;
    uint32_t ok = 0;

private:
    void Fail(HRESULT code);
    void DrawMirrorPasses(DynArray<RenderQueueEntry>& list);
    void DrawList(DynArray<RenderQueueEntry>& list);
    void DrawLetterbox();
    void DrawCursor(bool menuOpen, bool realtimeVideo);
    void DrawFade();
    void SetOverlayBlend();
    void ReleaseCaption();
};
