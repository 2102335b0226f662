#include "platform/d3dx/d3dx8tex.h"

#include "platform/d3d8/d3d8_format.h"
#include "platform/win32/kernel/paths.h"

#include "platform/d3dx/picture_decode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using vls::d3d8::bytesPerPixel;
using vls::d3d8::decodeDxt;
using vls::d3d8::isDxtFormat;
using vls::d3d8::levelSize;
using vls::d3d8::readPixel;
using vls::d3d8::writePixel;

namespace {

constexpr int kMaxPictureSide = 4096;

// A picture as 32-bit A8R8G8B8 pixels.
struct Picture {
    UINT width = 0;
    UINT height = 0;
    std::vector<DWORD> pixels;
};

bool validRect(const RECT& r, UINT width, UINT height)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<UINT>(r.right) <= width &&
           static_cast<UINT>(r.bottom) <= height;
}

HRESULT readSurface(IDirect3DSurface8* surface, Picture& out)
{
    D3DSURFACE_DESC desc{};
    if (!surface || FAILED(surface->GetDesc(&desc))) return D3DERR_INVALIDCALL;
    const bool dxt = isDxtFormat(desc.Format);
    if (!dxt && bytesPerPixel(desc.Format) == 0) return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return D3DERR_INVALIDCALL;
    out.width = desc.Width;
    out.height = desc.Height;
    out.pixels.assign(static_cast<std::size_t>(desc.Width) * desc.Height, 0);
    const BYTE* bits = static_cast<const BYTE*>(locked.pBits);
    if (dxt) {
        decodeDxt(desc.Format, bits, desc.Width, desc.Height, out.pixels.data());
    } else {
        const UINT bpp = bytesPerPixel(desc.Format);
        for (UINT y = 0; y < desc.Height; ++y) {
            for (UINT x = 0; x < desc.Width; ++x) {
                out.pixels[static_cast<std::size_t>(y) * desc.Width + x] =
                    readPixel(desc.Format, bits + static_cast<std::size_t>(y) * locked.Pitch + x * bpp);
            }
        }
    }
    surface->UnlockRect();
    return D3D_OK;
}

DWORD averageOf(const Picture& source, double x0, double y0, double x1, double y1)
{
    const UINT left = static_cast<UINT>(x0), top = static_cast<UINT>(y0);
    const UINT right = std::max(left + 1, std::min(source.width, static_cast<UINT>(std::ceil(x1))));
    const UINT bottom = std::max(top + 1, std::min(source.height, static_cast<UINT>(std::ceil(y1))));
    std::uint64_t sum[4] = {0, 0, 0, 0};
    std::uint64_t count = 0;
    for (UINT y = top; y < bottom; ++y) {
        for (UINT x = left; x < right; ++x) {
            const DWORD p = source.pixels[static_cast<std::size_t>(y) * source.width + x];
            for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
            ++count;
        }
    }
    DWORD out = 0;
    for (int c = 0; c < 4; ++c) out |= static_cast<DWORD>((sum[c] + count / 2) / count) << (8 * c);
    return out;
}

HRESULT writeRect(IDirect3DSurface8* dest, const RECT* destRect, const Picture& source, const RECT* sourceRect,
                  DWORD filter, D3DCOLOR colorKey)
{
    D3DSURFACE_DESC desc{};
    if (!dest || FAILED(dest->GetDesc(&desc))) return D3DERR_INVALIDCALL;
    if (isDxtFormat(desc.Format) || bytesPerPixel(desc.Format) == 0) return D3DERR_INVALIDCALL;
    const RECT to = destRect ? *destRect : RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    const RECT from = sourceRect ? *sourceRect
                                 : RECT{0, 0, static_cast<LONG>(source.width), static_cast<LONG>(source.height)};
    if (!validRect(to, desc.Width, desc.Height) || !validRect(from, source.width, source.height)) {
        return D3DERR_INVALIDCALL;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(dest->LockRect(&locked, nullptr, 0))) return D3DERR_INVALIDCALL;
    const UINT bpp = bytesPerPixel(desc.Format);
    const double sx = static_cast<double>(from.right - from.left) / (to.right - to.left);
    const double sy = static_cast<double>(from.bottom - from.top) / (to.bottom - to.top);
    const bool nearest = (filter & 0xFF) == D3DX_FILTER_NONE || (filter & 0xFF) == D3DX_FILTER_POINT ||
                         (sx == 1.0 && sy == 1.0);
    for (LONG y = to.top; y < to.bottom; ++y) {
        for (LONG x = to.left; x < to.right; ++x) {
            const double fx = from.left + (x - to.left) * sx, fy = from.top + (y - to.top) * sy;
            DWORD p;
            if (nearest) {
                const UINT px = std::min<UINT>(static_cast<UINT>(fx + (sx > 1.0 ? sx / 2 : 0.0)), from.right - 1);
                const UINT py = std::min<UINT>(static_cast<UINT>(fy + (sy > 1.0 ? sy / 2 : 0.0)), from.bottom - 1);
                p = source.pixels[static_cast<std::size_t>(py) * source.width + px];
            } else {
                p = averageOf(source, fx, fy, fx + std::max(sx, 1.0), fy + std::max(sy, 1.0));
            }
            if (colorKey != 0 && p == colorKey) p = 0;
            writePixel(desc.Format, static_cast<BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch + x * bpp, p);
        }
    }
    dest->UnlockRect();
    return D3D_OK;
}

UINT powerOfTwo(UINT v)
{
    UINT p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

HRESULT textureFromPicture(IDirect3DDevice8* device, const Picture& picture, UINT width, UINT height, UINT mipLevels,
                           DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                           D3DCOLOR colorKey, IDirect3DTexture8** texture)
{
    if (width == 0 || width == D3DX_DEFAULT) width = powerOfTwo(picture.width);
    if (height == 0 || height == D3DX_DEFAULT) height = powerOfTwo(picture.height);
    if (format == D3DFMT_UNKNOWN || isDxtFormat(format)) format = D3DFMT_A8R8G8B8;
    if (mipLevels == D3DX_DEFAULT) mipLevels = 0;
    IDirect3DTexture8* made = nullptr;
    HRESULT hr = device->CreateTexture(width, height, mipLevels, usage, format, pool, &made);
    if (FAILED(hr)) return hr;
    if (filter == D3DX_DEFAULT) filter = D3DX_FILTER_TRIANGLE;
    if (mipFilter == D3DX_DEFAULT) mipFilter = D3DX_FILTER_BOX;
    for (DWORD level = 0; level < made->GetLevelCount() && SUCCEEDED(hr); ++level) {
        IDirect3DSurface8* surface = nullptr;
        hr = made->GetSurfaceLevel(level, &surface);
        if (FAILED(hr)) break;
        hr = writeRect(surface, nullptr, picture, nullptr, level == 0 ? filter : mipFilter, colorKey);
        surface->Release();
    }
    if (FAILED(hr)) {
        made->Release();
        return hr;
    }
    *texture = made;
    return D3D_OK;
}

bool decodePicture(const BYTE* data, std::size_t size, Picture& out, D3DXIMAGE_INFO* info)
{
    // The pixel cap is checked against the file's header before any pixel
    // memory is taken, so a damaged header cannot ask for gigabytes.
    vls::d3dx::DecodedPicture picture;
    if (!data || !vls::d3dx::DecodePicture(data, size, std::int64_t{kMaxPictureSide} * kMaxPictureSide, picture) ||
        picture.width > kMaxPictureSide || picture.height > kMaxPictureSide)
        return false;
    out.width = static_cast<UINT>(picture.width);
    out.height = static_cast<UINT>(picture.height);
    out.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        const std::uint8_t* p = picture.rgba.data() + i * 4;
        out.pixels[i] = static_cast<DWORD>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
    }
    if (info) {
        *info = D3DXIMAGE_INFO{out.width, out.height, 1, 1, picture.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                               D3DRTYPE_TEXTURE,
                               size >= 2 && data[0] == 'B' && data[1] == 'M' ? D3DXIFF_BMP
                               : size >= 4 && data[0] == 0x89 && data[1] == 'P'  ? D3DXIFF_PNG
                               : size >= 2 && data[0] == 0xFF && data[1] == 0xD8 ? D3DXIFF_JPG
                                                                                  : D3DXIFF_TGA};
    }
    return true;
}

void put16(std::vector<BYTE>& out, std::uint32_t v)
{
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}

void put32(std::vector<BYTE>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface8* dest, const PALETTEENTRY*, const RECT* destRect,
                                   IDirect3DSurface8* source, const PALETTEENTRY*, const RECT* sourceRect,
                                   DWORD filter, D3DCOLOR colorKey)
{
    Picture picture;
    const HRESULT hr = readSurface(source, picture);
    if (FAILED(hr)) return hr;
    return writeRect(dest, destRect, picture, sourceRect, filter, colorKey);
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* dest, const PALETTEENTRY*, const RECT* destRect,
                                  const void* sourceMemory, D3DFORMAT sourceFormat, UINT sourcePitch,
                                  const PALETTEENTRY*, const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey)
{
    if (!sourceMemory || !sourceRect || bytesPerPixel(sourceFormat) == 0) return D3DERR_INVALIDCALL;
    const UINT bpp = bytesPerPixel(sourceFormat);
    if (sourceRect->left < 0 || sourceRect->top < 0 || sourceRect->right <= sourceRect->left ||
        sourceRect->bottom <= sourceRect->top || sourcePitch < static_cast<UINT>(sourceRect->right) * bpp) {
        return D3DERR_INVALIDCALL;
    }
    Picture picture;
    picture.width = static_cast<UINT>(sourceRect->right);
    picture.height = static_cast<UINT>(sourceRect->bottom);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    const BYTE* bits = static_cast<const BYTE*>(sourceMemory);
    for (UINT y = 0; y < picture.height; ++y)
        for (UINT x = 0; x < picture.width; ++x)
            picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
                readPixel(sourceFormat, bits + static_cast<std::size_t>(y) * sourcePitch + x * bpp);
    return writeRect(dest, destRect, picture, sourceRect, filter, colorKey);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* sourceInfo, PALETTEENTRY*, IDirect3DTexture8** texture)
{
    if (!device || !data || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    Picture picture;
    if (!decodePicture(static_cast<const BYTE*>(data), size, picture, sourceInfo)) return D3DXERR_INVALIDDATA;
    return textureFromPicture(device, picture, width, height, mipLevels, usage, format, pool, filter, mipFilter,
                              colorKey, texture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR fileName, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* sourceInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture)
{
    if (!device || !fileName || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const auto path = vls::win32::MapPath(fileName);
    if (!path) return D3DERR_NOTAVAILABLE;
    std::ifstream in(*path, std::ios::binary);
    if (!in) return D3DERR_NOTAVAILABLE;
    const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() > 0x7FFFFFFF) return D3DXERR_INVALIDDATA;
    return D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), static_cast<UINT>(bytes.size()), width, height,
                                               mipLevels, usage, format, pool, filter, mipFilter, colorKey, sourceInfo,
                                               palette, texture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, LPCSTR fileName, IDirect3DTexture8** texture)
{
    return D3DXCreateTextureFromFileExA(device, fileName, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                        nullptr, texture);
}

HRESULT D3DXSaveSurfaceToFileA(LPCSTR fileName, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface8* surface,
                               const PALETTEENTRY*, const RECT* rect)
{
    if (!fileName || !surface) return D3DERR_INVALIDCALL;
    if (format != D3DXIFF_BMP && format != D3DXIFF_DIB) return D3DERR_NOTAVAILABLE;
    Picture picture;
    HRESULT hr = readSurface(surface, picture);
    if (FAILED(hr)) return hr;
    const RECT r = rect ? *rect : RECT{0, 0, static_cast<LONG>(picture.width), static_cast<LONG>(picture.height)};
    if (!validRect(r, picture.width, picture.height)) return D3DERR_INVALIDCALL;
    const UINT width = static_cast<UINT>(r.right - r.left), height = static_cast<UINT>(r.bottom - r.top);
    const UINT rowBytes = (width * 3 + 3) & ~3u;
    std::vector<BYTE> out;
    out.reserve(54 + static_cast<std::size_t>(rowBytes) * height);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + rowBytes * height);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, rowBytes * height);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (UINT row = 0; row < height; ++row) {
        const UINT y = static_cast<UINT>(r.bottom) - 1 - row;
        for (UINT x = static_cast<UINT>(r.left); x < static_cast<UINT>(r.right); ++x) {
            const DWORD p = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
            out.push_back(static_cast<BYTE>(p));
            out.push_back(static_cast<BYTE>(p >> 8));
            out.push_back(static_cast<BYTE>(p >> 16));
        }
        for (UINT pad = width * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    const auto path = vls::win32::MapPath(fileName);
    if (!path) return D3DERR_INVALIDCALL;
    const std::string temporary = *path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()))) {
            std::remove(temporary.c_str());
            return D3DERR_INVALIDCALL;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, *path, error);
    if (error) {
        std::remove(temporary.c_str());
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}
