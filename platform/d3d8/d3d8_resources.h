#pragma once

// Resources of both devices, held in memory. The OpenGL device mirrors
// textures into GL objects when they are drawn (see the version counter), so
// LockRect always works on the memory copy, as on a managed pool.

#include "platform/d3d8/d3d8.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace vls::d3d8 {

class D3D8Device;

// What a resource knows of its device; outlives the device so that a
// resource released late does not touch freed memory.
struct DeviceLink {
    D3D8Device* device = nullptr;
    int defaultPoolResources = 0;
    std::vector<unsigned> deadGlTextures;
};

class MemTexture;

class MemSurface final : public IDirect3DSurface8 {
public:
    // A stand-alone image surface, or a view of one texture level.
    MemSurface(std::shared_ptr<DeviceLink> link, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool);
    MemSurface(std::shared_ptr<DeviceLink> link, MemTexture* texture, UINT level);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    const D3DSURFACE_DESC& desc() const { return desc_; }
    BYTE* bits();
    UINT pitch() const;
    // Back buffers read their pixels from the device when locked.
    std::function<void(MemSurface&)> onLock;
    MemTexture* texture() const { return texture_; }
    UINT level() const { return level_; }

private:
    ~MemSurface() override;
    std::atomic<ULONG> refs_{1};
    std::shared_ptr<DeviceLink> link_;
    D3DSURFACE_DESC desc_{};
    std::vector<BYTE> pixels_;  // empty until bits() first wants it
    MemTexture* texture_ = nullptr;
    UINT level_ = 0;
    bool locked_ = false;
};

class MemTexture final : public IDirect3DTexture8 {
public:
    struct Level {
        UINT width;
        UINT height;
        std::vector<BYTE> bits;
        bool locked = false;
    };

    MemTexture(std::shared_ptr<DeviceLink> link, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
               D3DPOOL pool);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    D3DFORMAT format() const { return format_; }
    std::vector<Level>& levels() { return levels_; }
    // Raised by every unlock, so a device knows its copy is stale.
    std::uint64_t version() const { return version_; }
    void touch() { ++version_; }
    unsigned glName = 0;
    std::uint64_t glVersion = 0;

private:
    ~MemTexture() override;
    std::atomic<ULONG> refs_{1};
    std::shared_ptr<DeviceLink> link_;
    D3DFORMAT format_;
    DWORD usage_;
    D3DPOOL pool_;
    std::vector<Level> levels_;
    std::uint64_t version_ = 1;
};

class MemBuffer final : public IDirect3DVertexBuffer8, public IDirect3DIndexBuffer8 {
public:
    MemBuffer(std::shared_ptr<DeviceLink> link, bool vertices, UINT length, DWORD usage, DWORD fvf, D3DFORMAT format,
              D3DPOOL pool);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return vertices_ ? D3DRTYPE_VERTEXBUFFER : D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    const std::vector<BYTE>& data() const { return data_; }
    D3DFORMAT indexFormat() const { return format_; }

private:
    ~MemBuffer() override;
    std::atomic<ULONG> refs_{1};
    std::shared_ptr<DeviceLink> link_;
    bool vertices_;
    DWORD usage_;
    DWORD fvf_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    std::vector<BYTE> data_;
    bool locked_ = false;
};

}  // namespace vls::d3d8
