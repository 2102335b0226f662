#pragma once

// The state machine that both devices share: Direct3D 8's render, texture
// stage and transform state with its defaults (restored by Reset), resource
// creation, draw-call validation, device loss and the call record. A backend
// (OpenGL, or none for the recording device) draws what it is handed.

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_resources.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vls::d3d8 {

// One recorded device call: its name, its integer arguments (floats are kept
// by their bit pattern, as Direct3D passes them through DWORD states), the
// resource it names and, for draws, the vertex bytes drawn.
struct D3D8Call {
    std::string name;
    std::vector<DWORD> args;
    const void* object = nullptr;
    std::vector<BYTE> vertices;
    DWORD fvf = 0;
    UINT stride = 0;
};

// A draw resolved to plain memory for the backend.
struct DrawRequest {
    D3DPRIMITIVETYPE type;
    UINT primitiveCount;
    const BYTE* vertices;  // vertex 0 of the range the indices address
    UINT vertexCount;
    UINT stride;
    DWORD fvf;
    std::vector<UINT> indices;  // empty: vertices in order
};

UINT verticesForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount);

class D3D8Device : public IDirect3DDevice8 {
public:
    D3D8Device(IDirect3D8* d3d, const D3DPRESENT_PARAMETERS& params, const D3DCAPS8& caps, bool recording);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT TestCooperativeLevel() override;
    HRESULT GetDirect3D(IDirect3D8** d3d) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* source, const RECT* dest, HWND destWindow, const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;
    void SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) override;
    void GetGammaRamp(D3DGAMMARAMP* ramp) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) override;
    HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count, IDirect3DSurface8* dest,
                      const POINT* destPoints) override;
    HRESULT GetFrontBuffer(IDirect3DSurface8* dest) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                 UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                   UINT stride) override;
    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT GetVertexShader(DWORD* handle) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;

    // Test hooks. Device loss: Present reports D3DERR_DEVICELOST and
    // TestCooperativeLevel D3DERR_DEVICENOTRESET (or D3DERR_DEVICELOST while
    // `resettable` is false) until a Reset succeeds.
    void InjectDeviceLoss(bool resettable = true);
    void SetResettable(bool resettable) { resettable_ = resettable; }
    // The next `count` calls of Reset fail with D3DERR_DEVICELOST.
    void FailResets(int count) { failResets_ = count; }
    bool IsLost() const { return lost_; }

    // The call record: calls since the last Present, and one list per Present
    // for the latest kKeptFrames frames.
    static constexpr std::size_t kKeptFrames = 16;
    const std::vector<D3D8Call>& Calls() const { return calls_; }
    const std::vector<std::vector<D3D8Call>>& Frames() const { return frames_; }
    void ClearRecord();
    // Whether the record keeps the vertex bytes of each draw (it does unless
    // told otherwise). Without them draws are still checked and recorded, and
    // the device costs what the calls cost, as a benchmark of the engine's own
    // work wants.
    void KeepDrawnVertices(bool keep) { keepVertices_ = keep; }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return params_; }
    const D3DGAMMARAMP& GammaRamp() const { return gamma_; }
    int LiveDefaultPoolResources() const { return link_->defaultPoolResources; }
    // With D3D8TestOptions().captureWindow: the window's pixels as the last
    // Present left them (A8R8G8B8, top row first), and their size.
    const std::vector<DWORD>& WindowPixels() const { return windowPixels_; }
    int WindowWidth() const { return windowWidth_; }

protected:
    ~D3D8Device() override;

    // Backend hooks; the recording device leaves them empty.
    virtual void backendClear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) {}
    virtual void backendDraw(const DrawRequest&) {}
    virtual void backendPresent() {}
    virtual void backendReset() {}
    virtual void backendGamma() {}
    // Fill A8R8G8B8 pixels (width * height, top row first) of the back buffer
    // and of the last presented frame; the recording device has black ones.
    virtual void backendReadBack(std::vector<DWORD>& pixels);
    virtual void backendReadFront(std::vector<DWORD>& pixels);

    void resetStates();
    void record(const char* name, std::initializer_list<DWORD> args, const void* object = nullptr);
    static DWORD floatBits(float f);

    D3DCAPS8 caps_;
    D3DPRESENT_PARAMETERS params_;
    std::shared_ptr<DeviceLink> link_;
    std::array<DWORD, kD3DRenderStateCount> renderStates_{};
    std::array<std::array<DWORD, kD3DTextureStageStateCount>, kD3DTextureStageCount> stageStates_{};
    std::array<IDirect3DBaseTexture8*, kD3DTextureStageCount> textures_{};
    std::map<DWORD, D3DMATRIX> transforms_;
    D3DVIEWPORT8 viewport_{};
    D3DMATERIAL8 material_{};
    DWORD fvf_ = 0;
    IDirect3DVertexBuffer8* stream_ = nullptr;
    UINT streamStride_ = 0;
    IDirect3DIndexBuffer8* indices_ = nullptr;
    UINT baseVertexIndex_ = 0;
    D3DGAMMARAMP gamma_{};
    MemSurface* backBuffer_ = nullptr;
    std::vector<DWORD> windowPixels_;
    int windowWidth_ = 0;

private:
    HRESULT draw(const char* name, DrawRequest request, std::initializer_list<DWORD> args);

    std::atomic<ULONG> refs_{1};
    IDirect3D8* d3d_;
    bool recording_;
    bool keepVertices_ = true;
    bool inScene_ = false;
    bool lost_ = false;
    bool resettable_ = true;
    int failResets_ = 0;
    std::vector<D3D8Call> calls_;
    std::vector<std::vector<D3D8Call>> frames_;
};

}  // namespace vls::d3d8
