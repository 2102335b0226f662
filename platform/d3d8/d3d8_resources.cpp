#include "platform/d3d8/d3d8_resources.h"

#include "platform/d3d8/d3d8_device.h"
#include "platform/d3d8/d3d8_format.h"

#include <algorithm>

namespace vls::d3d8 {

static HRESULT deviceOf(const std::shared_ptr<DeviceLink>& link, IDirect3DDevice8** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    *device = link->device;
    if (!*device) return D3DERR_INVALIDCALL;
    (*device)->AddRef();
    return D3D_OK;
}

// A lock of a sub-rectangle points into the level at that rectangle; DXT
// rectangles are addressed in whole blocks.
static BYTE* lockAddress(BYTE* base, D3DFORMAT format, UINT pitch, const RECT* rect)
{
    if (!rect) return base;
    if (isDxtFormat(format)) {
        return base + static_cast<std::size_t>(rect->top / 4) * pitch + (rect->left / 4) * levelPitch(format, 4);
    }
    return base + static_cast<std::size_t>(rect->top) * pitch + rect->left * bytesPerPixel(format);
}

static bool rectInside(const RECT* rect, UINT width, UINT height)
{
    return !rect || (rect->left >= 0 && rect->top >= 0 && rect->left <= rect->right && rect->top <= rect->bottom &&
                     static_cast<UINT>(rect->right) <= width && static_cast<UINT>(rect->bottom) <= height);
}

MemSurface::MemSurface(std::shared_ptr<DeviceLink> link, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool)
    : link_(std::move(link))
{
    desc_.Format = format;
    desc_.Type = D3DRTYPE_SURFACE;
    desc_.Pool = pool;
    desc_.Width = width;
    desc_.Height = height;
    desc_.Size = static_cast<UINT>(levelSize(format, width, height));
}

MemSurface::MemSurface(std::shared_ptr<DeviceLink> link, MemTexture* texture, UINT level)
    : link_(std::move(link)), texture_(texture), level_(level)
{
    texture_->AddRef();
    texture_->GetLevelDesc(level, &desc_);
}

MemSurface::~MemSurface()
{
    if (texture_) texture_->Release();
}

ULONG MemSurface::AddRef() { return ++refs_; }

ULONG MemSurface::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT MemSurface::GetDevice(IDirect3DDevice8** device) { return deviceOf(link_, device); }

HRESULT MemSurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

// A stand-alone surface takes its memory when its pixels are first wanted:
// the back buffer of a device that draws with OpenGL is only read when it is
// locked, and a device made at start-up should not touch megabytes of zeros
// before its first frame. Fresh memory reads as zeros, as before.
BYTE* MemSurface::bits()
{
    if (texture_) return texture_->levels()[level_].bits.data();
    if (pixels_.size() != desc_.Size) pixels_.assign(desc_.Size, 0);
    return pixels_.data();
}
UINT MemSurface::pitch() const { return levelPitch(desc_.Format, desc_.Width); }

HRESULT MemSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (texture_) {
        const HRESULT hr = texture_->LockRect(level_, locked, rect, flags);
        if (SUCCEEDED(hr)) locked_ = true;
        return hr;
    }
    if (!locked || locked_ || !rectInside(rect, desc_.Width, desc_.Height)) return D3DERR_INVALIDCALL;
    if (onLock) onLock(*this);
    locked->Pitch = static_cast<INT>(pitch());
    locked->pBits = lockAddress(bits(), desc_.Format, pitch(), rect);
    locked_ = true;
    return D3D_OK;
}

HRESULT MemSurface::UnlockRect()
{
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return texture_ ? texture_->UnlockRect(level_) : D3D_OK;
}

MemTexture::MemTexture(std::shared_ptr<DeviceLink> link, UINT width, UINT height, UINT levels, DWORD usage,
                       D3DFORMAT format, D3DPOOL pool)
    : link_(std::move(link)), format_(format), usage_(usage), pool_(pool)
{
    UINT maxLevels = 1;
    for (UINT w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2)) ++maxLevels;
    if (levels == 0 || levels > maxLevels) levels = maxLevels;
    UINT w = width, h = height;
    for (UINT i = 0; i < levels; ++i) {
        levels_.push_back(Level{w, h, std::vector<BYTE>(levelSize(format, w, h), 0)});
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    if (pool_ == D3DPOOL_DEFAULT) ++link_->defaultPoolResources;
}

MemTexture::~MemTexture()
{
    if (pool_ == D3DPOOL_DEFAULT) --link_->defaultPoolResources;
    if (glName != 0) link_->deadGlTextures.push_back(glName);
}

ULONG MemTexture::AddRef() { return ++refs_; }

ULONG MemTexture::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT MemTexture::GetDevice(IDirect3DDevice8** device) { return deviceOf(link_, device); }

HRESULT MemTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{};
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Width = levels_[level].width;
    desc->Height = levels_[level].height;
    desc->Size = static_cast<UINT>(levels_[level].bits.size());
    return D3D_OK;
}

HRESULT MemTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface)
{
    if (!surface || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *surface = new MemSurface(link_, this, level);
    return D3D_OK;
}

HRESULT MemTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD)
{
    if (!locked || level >= levels_.size()) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    if (l.locked || !rectInside(rect, l.width, l.height)) return D3DERR_INVALIDCALL;
    const UINT pitch = levelPitch(format_, l.width);
    locked->Pitch = static_cast<INT>(pitch);
    locked->pBits = lockAddress(l.bits.data(), format_, pitch, rect);
    l.locked = true;
    return D3D_OK;
}

HRESULT MemTexture::UnlockRect(UINT level)
{
    if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    levels_[level].locked = false;
    touch();
    return D3D_OK;
}

MemBuffer::MemBuffer(std::shared_ptr<DeviceLink> link, bool vertices, UINT length, DWORD usage, DWORD fvf,
                     D3DFORMAT format, D3DPOOL pool)
    : link_(std::move(link)), vertices_(vertices), usage_(usage), fvf_(fvf), format_(format), pool_(pool),
      data_(length, 0)
{
    if (pool_ == D3DPOOL_DEFAULT) ++link_->defaultPoolResources;
}

MemBuffer::~MemBuffer()
{
    if (pool_ == D3DPOOL_DEFAULT) --link_->defaultPoolResources;
}

ULONG MemBuffer::AddRef() { return ++refs_; }

ULONG MemBuffer::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT MemBuffer::GetDevice(IDirect3DDevice8** device) { return deviceOf(link_, device); }

HRESULT MemBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD)
{
    if (!data || locked_ || offset > data_.size()) return D3DERR_INVALIDCALL;
    if (size != 0 && size > data_.size() - offset) return D3DERR_INVALIDCALL;
    *data = data_.data() + offset;
    locked_ = true;
    return D3D_OK;
}

HRESULT MemBuffer::Unlock()
{
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

HRESULT MemBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_,
                                 static_cast<UINT>(data_.size()), fvf_};
    return D3D_OK;
}

HRESULT MemBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DINDEXBUFFER_DESC{format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, static_cast<UINT>(data_.size())};
    return D3D_OK;
}

}  // namespace vls::d3d8
