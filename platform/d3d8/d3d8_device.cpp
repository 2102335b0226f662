#include "platform/d3d8/d3d8_device.h"

#include "platform/d3d8/d3d8_format.h"

#include <algorithm>
#include <cstring>

namespace vls::d3d8 {

UINT verticesForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount)
{
    switch (type) {
    case D3DPT_POINTLIST: return primitiveCount;
    case D3DPT_LINELIST: return primitiveCount * 2;
    case D3DPT_LINESTRIP: return primitiveCount + 1;
    case D3DPT_TRIANGLELIST: return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitiveCount + 2;
    default: return 0;
    }
}

DWORD D3D8Device::floatBits(float f)
{
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

D3D8Device::D3D8Device(IDirect3D8* d3d, const D3DPRESENT_PARAMETERS& params, const D3DCAPS8& caps, bool recording)
    : caps_(caps), params_(params), link_(std::make_shared<DeviceLink>()), d3d_(d3d), recording_(recording)
{
    link_->device = this;
    d3d_->AddRef();
    if (params_.BackBufferWidth == 0) params_.BackBufferWidth = 1024;
    if (params_.BackBufferHeight == 0) params_.BackBufferHeight = 768;
    backBuffer_ = new MemSurface(link_, params_.BackBufferWidth, params_.BackBufferHeight, D3DFMT_A8R8G8B8,
                                 D3DPOOL_DEFAULT);
    backBuffer_->onLock = [this](MemSurface& surface) {
        std::vector<DWORD> pixels;
        backendReadBack(pixels);
        std::memcpy(surface.bits(), pixels.data(), std::min<std::size_t>(pixels.size() * 4, surface.desc().Size));
    };
    for (int i = 0; i < 256; ++i) {
        gamma_.red[i] = gamma_.green[i] = gamma_.blue[i] = static_cast<WORD>(i * 257);
    }
    resetStates();
}

D3D8Device::~D3D8Device()
{
    for (auto*& texture : textures_) {
        if (texture) texture->Release();
        texture = nullptr;
    }
    if (stream_) stream_->Release();
    if (indices_) indices_->Release();
    backBuffer_->Release();
    link_->device = nullptr;
    d3d_->Release();
}

void D3D8Device::resetStates()
{
    renderStates_.fill(0);
    auto rs = [this](D3DRENDERSTATETYPE state, DWORD value) { renderStates_[state] = value; };
    rs(D3DRS_ZENABLE, params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE);
    rs(D3DRS_FILLMODE, D3DFILL_SOLID);
    rs(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    rs(D3DRS_ZWRITEENABLE, TRUE);
    rs(D3DRS_LASTPIXEL, TRUE);
    rs(D3DRS_SRCBLEND, D3DBLEND_ONE);
    rs(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    rs(D3DRS_CULLMODE, D3DCULL_CCW);
    rs(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    rs(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    rs(D3DRS_FOGEND, floatBits(1.0f));
    rs(D3DRS_FOGDENSITY, floatBits(1.0f));
    rs(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    rs(D3DRS_STENCILMASK, 0xFFFFFFFF);
    rs(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
    rs(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    rs(D3DRS_CLIPPING, TRUE);
    rs(D3DRS_LIGHTING, TRUE);
    rs(D3DRS_COLORVERTEX, TRUE);
    rs(D3DRS_LOCALVIEWER, TRUE);
    rs(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    rs(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
    rs(D3DRS_POINTSIZE, floatBits(1.0f));
    rs(D3DRS_POINTSCALE_A, floatBits(1.0f));
    rs(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    rs(D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF);
    rs(D3DRS_POINTSIZE_MAX, floatBits(64.0f));
    rs(D3DRS_COLORWRITEENABLE, 0xF);
    rs(D3DRS_BLENDOP, D3DBLENDOP_ADD);

    for (DWORD stage = 0; stage < kD3DTextureStageCount; ++stage) {
        auto& s = stageStates_[stage];
        s.fill(0);
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = stage;
        s[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        s[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        s[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        s[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        s[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        s[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        s[D3DTSS_MAXANISOTROPY] = 1;
        s[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        if (textures_[stage]) textures_[stage]->Release();
        textures_[stage] = nullptr;
    }
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    transforms_.clear();
    for (DWORD t : {DWORD(D3DTS_VIEW), DWORD(D3DTS_PROJECTION), DWORD(D3DTS_WORLD)}) transforms_[t] = identity;
    viewport_ = D3DVIEWPORT8{0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
    material_ = D3DMATERIAL8{};
    fvf_ = 0;
    if (stream_) stream_->Release();
    stream_ = nullptr;
    streamStride_ = 0;
    if (indices_) indices_->Release();
    indices_ = nullptr;
    baseVertexIndex_ = 0;
}

void D3D8Device::record(const char* name, std::initializer_list<DWORD> args, const void* object)
{
    if (!recording_) return;
    calls_.push_back(D3D8Call{name, args, object, {}, 0, 0});
}

void D3D8Device::ClearRecord()
{
    calls_.clear();
    frames_.clear();
}

void D3D8Device::InjectDeviceLoss(bool resettable)
{
    lost_ = true;
    resettable_ = resettable;
}

ULONG D3D8Device::AddRef() { return ++refs_; }

ULONG D3D8Device::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT D3D8Device::TestCooperativeLevel()
{
    if (!lost_) return D3D_OK;
    return resettable_ ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
}

HRESULT D3D8Device::GetDirect3D(IDirect3D8** d3d)
{
    if (!d3d) return D3DERR_INVALIDCALL;
    d3d_->AddRef();
    *d3d = d3d_;
    return D3D_OK;
}

HRESULT D3D8Device::GetDeviceCaps(D3DCAPS8* caps)
{
    if (!caps) return D3DERR_INVALIDCALL;
    *caps = caps_;
    return D3D_OK;
}

HRESULT D3D8Device::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    if (!mode) return D3DERR_INVALIDCALL;
    *mode = D3DDISPLAYMODE{params_.BackBufferWidth, params_.BackBufferHeight, 60, D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT D3D8Device::Reset(D3DPRESENT_PARAMETERS* params)
{
    record("Reset", {});
    if (!params) return D3DERR_INVALIDCALL;
    if (lost_ && !resettable_) return D3DERR_DEVICELOST;
    if (failResets_ > 0) {
        --failResets_;
        return D3DERR_DEVICELOST;
    }
    // As on the real device, every default-pool resource and every extra
    // reference to the back buffer must be gone first.
    backBuffer_->AddRef();
    const bool backBufferHeld = backBuffer_->Release() > 1;
    if (link_->defaultPoolResources > 0 || backBufferHeld) return D3DERR_INVALIDCALL;
    params_ = *params;
    if (params_.BackBufferWidth == 0) params_.BackBufferWidth = 1024;
    if (params_.BackBufferHeight == 0) params_.BackBufferHeight = 768;
    lost_ = false;
    inScene_ = false;
    resetStates();
    backendReset();
    return D3D_OK;
}

HRESULT D3D8Device::Present(const RECT*, const RECT*, HWND, const void*)
{
    record("Present", {});
    if (recording_) {
        // A long headless run keeps only the latest frames.
        if (frames_.size() >= kKeptFrames) frames_.erase(frames_.begin());
        frames_.push_back(std::move(calls_));
        calls_.clear();
    }
    if (lost_) return D3DERR_DEVICELOST;
    backendPresent();
    return D3D_OK;
}

HRESULT D3D8Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface)
{
    if (!surface || index != 0) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
}

void D3D8Device::SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp)
{
    record("SetGammaRamp", {flags});
    if (!ramp) return;
    gamma_ = *ramp;
    backendGamma();
}

void D3D8Device::GetGammaRamp(D3DGAMMARAMP* ramp)
{
    if (ramp) *ramp = gamma_;
}

HRESULT D3D8Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture8** texture)
{
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (width == 0 || height == 0 || width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight ||
        !isSupportedSurfaceFormat(format)) {
        return D3DERR_INVALIDCALL;
    }
    *texture = new MemTexture(link_, width, height, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT D3D8Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** buffer)
{
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0) return D3DERR_INVALIDCALL;
    *buffer = new MemBuffer(link_, true, length, usage, fvf, D3DFMT_VERTEXDATA, pool);
    return D3D_OK;
}

HRESULT D3D8Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer8** buffer)
{
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
    *buffer = new MemBuffer(link_, false, length, usage, 0, format, pool);
    return D3D_OK;
}

HRESULT D3D8Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface)
{
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > 16384 || height > 16384 || !isSupportedSurfaceFormat(format)) {
        return D3DERR_INVALIDCALL;
    }
    *surface = new MemSurface(link_, width, height, format, D3DPOOL_SYSTEMMEM);
    return D3D_OK;
}

HRESULT D3D8Device::CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count,
                              IDirect3DSurface8* dest, const POINT* destPoints)
{
    auto* from = static_cast<MemSurface*>(source);
    auto* to = static_cast<MemSurface*>(dest);
    if (!from || !to || from->desc().Format != to->desc().Format || isDxtFormat(from->desc().Format)) {
        return D3DERR_INVALIDCALL;
    }
    const RECT whole{0, 0, static_cast<LONG>(from->desc().Width), static_cast<LONG>(from->desc().Height)};
    if (!sourceRects) count = 1;
    D3DLOCKED_RECT src{}, dst{};
    if (FAILED(from->LockRect(&src, nullptr, D3DLOCK_READONLY))) return D3DERR_INVALIDCALL;
    if (FAILED(to->LockRect(&dst, nullptr, 0))) {
        from->UnlockRect();
        return D3DERR_INVALIDCALL;
    }
    const UINT bpp = bytesPerPixel(from->desc().Format);
    HRESULT result = D3D_OK;
    for (UINT i = 0; i < count; ++i) {
        const RECT r = sourceRects ? sourceRects[i] : whole;
        const POINT at = destPoints ? destPoints[i] : POINT{r.left, r.top};
        const bool inside = r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom &&
                            static_cast<UINT>(r.right) <= from->desc().Width &&
                            static_cast<UINT>(r.bottom) <= from->desc().Height && at.x >= 0 && at.y >= 0 &&
                            static_cast<UINT>(at.x + (r.right - r.left)) <= to->desc().Width &&
                            static_cast<UINT>(at.y + (r.bottom - r.top)) <= to->desc().Height;
        if (!inside) {
            result = D3DERR_INVALIDCALL;
            continue;
        }
        for (LONG y = r.top; y < r.bottom; ++y) {
            std::memcpy(static_cast<BYTE*>(dst.pBits) + static_cast<std::size_t>(at.y + y - r.top) * dst.Pitch + at.x * bpp,
                        static_cast<const BYTE*>(src.pBits) + static_cast<std::size_t>(y) * src.Pitch + r.left * bpp,
                        static_cast<std::size_t>(r.right - r.left) * bpp);
        }
    }
    to->UnlockRect();
    from->UnlockRect();
    return result;
}

void D3D8Device::backendReadBack(std::vector<DWORD>& pixels)
{
    pixels.assign(static_cast<std::size_t>(params_.BackBufferWidth) * params_.BackBufferHeight, 0xFF000000);
}

void D3D8Device::backendReadFront(std::vector<DWORD>& pixels) { backendReadBack(pixels); }

HRESULT D3D8Device::GetFrontBuffer(IDirect3DSurface8* dest)
{
    record("GetFrontBuffer", {}, dest);
    auto* to = static_cast<MemSurface*>(dest);
    if (!to || to->desc().Format != D3DFMT_A8R8G8B8 || to->texture()) return D3DERR_INVALIDCALL;
    std::vector<DWORD> pixels;
    backendReadFront(pixels);
    const UINT width = std::min(to->desc().Width, params_.BackBufferWidth);
    const UINT height = std::min(to->desc().Height, params_.BackBufferHeight);
    for (UINT y = 0; y < height; ++y) {
        std::memcpy(to->bits() + static_cast<std::size_t>(y) * to->pitch(),
                    pixels.data() + static_cast<std::size_t>(y) * params_.BackBufferWidth, width * 4);
    }
    return D3D_OK;
}

HRESULT D3D8Device::BeginScene()
{
    record("BeginScene", {});
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::EndScene()
{
    record("EndScene", {});
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT D3D8Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    record("Clear", {count, flags, color, floatBits(z), stencil});
    if ((flags & D3DCLEAR_STENCIL) && params_.AutoDepthStencilFormat != D3DFMT_D24S8) return D3DERR_INVALIDCALL;
    if (count > 0 && !rects) return D3DERR_INVALIDCALL;
    if (!lost_) backendClear(count, rects, flags, color, z, stencil);
    return D3D_OK;
}

HRESULT D3D8Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    if (recording_) {
        std::vector<DWORD> args{state};
        for (int i = 0; i < 16; ++i) args.push_back(floatBits(matrix->m[i / 4][i % 4]));
        calls_.push_back(D3D8Call{"SetTransform", std::move(args), nullptr, {}, 0, 0});
    }
    transforms_[state] = *matrix;
    return D3D_OK;
}

HRESULT D3D8Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    const auto found = transforms_.find(state);
    if (found != transforms_.end()) {
        *matrix = found->second;
    } else {
        *matrix = D3DMATRIX{};
        matrix->_11 = matrix->_22 = matrix->_33 = matrix->_44 = 1.0f;
    }
    return D3D_OK;
}

HRESULT D3D8Device::SetViewport(const D3DVIEWPORT8* viewport)
{
    if (!viewport) return D3DERR_INVALIDCALL;
    record("SetViewport", {viewport->X, viewport->Y, viewport->Width, viewport->Height, floatBits(viewport->MinZ),
                           floatBits(viewport->MaxZ)});
    if (viewport->X + viewport->Width > params_.BackBufferWidth ||
        viewport->Y + viewport->Height > params_.BackBufferHeight) {
        return D3DERR_INVALIDCALL;
    }
    viewport_ = *viewport;
    return D3D_OK;
}

HRESULT D3D8Device::GetViewport(D3DVIEWPORT8* viewport)
{
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT D3D8Device::SetMaterial(const D3DMATERIAL8* material)
{
    if (!material) return D3DERR_INVALIDCALL;
    record("SetMaterial", {floatBits(material->Diffuse.r), floatBits(material->Diffuse.g),
                           floatBits(material->Diffuse.b), floatBits(material->Diffuse.a),
                           floatBits(material->Ambient.r), floatBits(material->Ambient.g),
                           floatBits(material->Ambient.b), floatBits(material->Ambient.a)});
    material_ = *material;
    return D3D_OK;
}

HRESULT D3D8Device::GetMaterial(D3DMATERIAL8* material)
{
    if (!material) return D3DERR_INVALIDCALL;
    *material = material_;
    return D3D_OK;
}

HRESULT D3D8Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    record("SetRenderState", {state, value});
    if (state >= kD3DRenderStateCount) return D3DERR_INVALIDCALL;
    renderStates_[state] = value;
    return D3D_OK;
}

HRESULT D3D8Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || state >= kD3DRenderStateCount) return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return D3D_OK;
}

HRESULT D3D8Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    if (!texture || stage >= kD3DTextureStageCount) return D3DERR_INVALIDCALL;
    *texture = textures_[stage];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT D3D8Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    record("SetTexture", {stage}, texture);
    if (stage >= kD3DTextureStageCount) return D3DERR_INVALIDCALL;
    if (texture) texture->AddRef();
    if (textures_[stage]) textures_[stage]->Release();
    textures_[stage] = texture;
    return D3D_OK;
}

HRESULT D3D8Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (!value || stage >= kD3DTextureStageCount || type >= kD3DTextureStageStateCount) return D3DERR_INVALIDCALL;
    *value = stageStates_[stage][type];
    return D3D_OK;
}

HRESULT D3D8Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    record("SetTextureStageState", {stage, type, value});
    if (stage >= kD3DTextureStageCount || type >= kD3DTextureStageStateCount) return D3DERR_INVALIDCALL;
    stageStates_[stage][type] = value;
    return D3D_OK;
}

// The vertex bytes a draw reads, in the order it reads them.
static std::vector<BYTE> drawnVertices(const DrawRequest& request)
{
    if (request.indices.empty())
        return {request.vertices, request.vertices + static_cast<std::size_t>(request.vertexCount) * request.stride};
    std::vector<BYTE> bytes;
    bytes.reserve(request.indices.size() * request.stride);
    for (UINT index : request.indices) {
        const BYTE* v = request.vertices + static_cast<std::size_t>(index) * request.stride;
        bytes.insert(bytes.end(), v, v + request.stride);
    }
    return bytes;
}

HRESULT D3D8Device::draw(const char* name, DrawRequest request, std::initializer_list<DWORD> args)
{
    if (recording_) {
        D3D8Call call{name, args, nullptr, {}, request.fvf, request.stride};
        if (keepVertices_) call.vertices = drawnVertices(request);
        calls_.push_back(std::move(call));
    }
    if (!lost_ && request.primitiveCount > 0) backendDraw(request);
    return D3D_OK;
}

HRESULT D3D8Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    const UINT count = verticesForPrimitives(type, primitiveCount);
    auto* buffer = static_cast<MemBuffer*>(stream_);
    if (!buffer || streamStride_ == 0 || count == 0) {
        record("DrawPrimitive", {type, startVertex, primitiveCount});
        return D3DERR_INVALIDCALL;
    }
    const std::size_t end = (static_cast<std::size_t>(startVertex) + count) * streamStride_;
    if (end > buffer->data().size()) {
        record("DrawPrimitive", {type, startVertex, primitiveCount});
        return D3DERR_INVALIDCALL;
    }
    DrawRequest request{type, primitiveCount, buffer->data().data() + static_cast<std::size_t>(startVertex) * streamStride_,
                        count, streamStride_, fvf_, {}};
    return draw("DrawPrimitive", std::move(request), {type, startVertex, primitiveCount});
}

template <typename Index>
static bool gatherIndices(const BYTE* data, UINT count, UINT base, UINT limit, std::vector<UINT>& out)
{
    out.resize(count);
    for (UINT i = 0; i < count; ++i) {
        Index value;
        std::memcpy(&value, data + static_cast<std::size_t>(i) * sizeof(Index), sizeof(Index));
        out[i] = static_cast<UINT>(value) + base;
        if (out[i] >= limit) return false;
    }
    return true;
}

HRESULT D3D8Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                         UINT primitiveCount)
{
    const UINT count = verticesForPrimitives(type, primitiveCount);
    auto* vertices = static_cast<MemBuffer*>(stream_);
    auto* indices = dynamic_cast<MemBuffer*>(indices_);
    const std::initializer_list<DWORD> args{type, minIndex, vertexCount, startIndex, primitiveCount};
    if (!vertices || !indices || streamStride_ == 0 || count == 0) {
        record("DrawIndexedPrimitive", args);
        return D3DERR_INVALIDCALL;
    }
    const UINT indexSize = indices->indexFormat() == D3DFMT_INDEX32 ? 4 : 2;
    const std::size_t end = (static_cast<std::size_t>(startIndex) + count) * indexSize;
    DrawRequest request{type, primitiveCount, vertices->data().data(),
                        static_cast<UINT>(vertices->data().size() / streamStride_), streamStride_, fvf_, {}};
    const BYTE* first = indices->data().data() + static_cast<std::size_t>(startIndex) * indexSize;
    const bool ok = end <= indices->data().size() &&
                    (indexSize == 4 ? gatherIndices<std::uint32_t>(first, count, baseVertexIndex_, request.vertexCount, request.indices)
                                    : gatherIndices<std::uint16_t>(first, count, baseVertexIndex_, request.vertexCount, request.indices));
    if (!ok) {
        record("DrawIndexedPrimitive", args);
        return D3DERR_INVALIDCALL;
    }
    return draw("DrawIndexedPrimitive", std::move(request), args);
}

HRESULT D3D8Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride)
{
    const UINT count = verticesForPrimitives(type, primitiveCount);
    // Drawing from user memory unbinds stream 0, as on the real device.
    if (stream_) stream_->Release();
    stream_ = nullptr;
    streamStride_ = 0;
    if (!vertices || stride == 0 || count == 0) {
        record("DrawPrimitiveUP", {type, primitiveCount, stride});
        return D3DERR_INVALIDCALL;
    }
    DrawRequest request{type, primitiveCount, static_cast<const BYTE*>(vertices), count, stride, fvf_, {}};
    return draw("DrawPrimitiveUP", std::move(request), {type, primitiveCount, stride});
}

HRESULT D3D8Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride)
{
    const UINT count = verticesForPrimitives(type, primitiveCount);
    if (stream_) stream_->Release();
    stream_ = nullptr;
    streamStride_ = 0;
    if (indices_) indices_->Release();
    indices_ = nullptr;
    const std::initializer_list<DWORD> args{type, minIndex, vertexCount, primitiveCount, stride};
    if (!vertices || !indices || stride == 0 || count == 0) {
        record("DrawIndexedPrimitiveUP", args);
        return D3DERR_INVALIDCALL;
    }
    DrawRequest request{type, primitiveCount, static_cast<const BYTE*>(vertices), minIndex + vertexCount, stride, fvf_, {}};
    const bool ok = indexFormat == D3DFMT_INDEX32
                        ? gatherIndices<std::uint32_t>(static_cast<const BYTE*>(indices), count, 0, request.vertexCount, request.indices)
                        : gatherIndices<std::uint16_t>(static_cast<const BYTE*>(indices), count, 0, request.vertexCount, request.indices);
    if (!ok) {
        record("DrawIndexedPrimitiveUP", args);
        return D3DERR_INVALIDCALL;
    }
    return draw("DrawIndexedPrimitiveUP", std::move(request), args);
}

HRESULT D3D8Device::SetVertexShader(DWORD handle)
{
    record("SetVertexShader", {handle});
    fvf_ = handle;
    return D3D_OK;
}

HRESULT D3D8Device::GetVertexShader(DWORD* handle)
{
    if (!handle) return D3DERR_INVALIDCALL;
    *handle = fvf_;
    return D3D_OK;
}

HRESULT D3D8Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride)
{
    record("SetStreamSource", {stream, stride}, buffer);
    if (stream != 0) return D3DERR_INVALIDCALL;
    if (buffer) buffer->AddRef();
    if (stream_) stream_->Release();
    stream_ = buffer;
    streamStride_ = stride;
    return D3D_OK;
}

HRESULT D3D8Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex)
{
    record("SetIndices", {baseVertexIndex}, buffer);
    if (buffer) buffer->AddRef();
    if (indices_) indices_->Release();
    indices_ = buffer;
    baseVertexIndex_ = baseVertexIndex;
    return D3D_OK;
}

}  // namespace vls::d3d8
