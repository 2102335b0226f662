#pragma once

// The extension library's surface and texture helpers: copies between
// surfaces with format conversion (DXT sources decoded) and point or box
// filtering, textures made from picture files or memory, and saving a surface
// as a BMP file.

#include "platform/d3d8/d3d8.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;

constexpr HRESULT D3DXERR_INVALIDDATA = MAKE_D3DHRESULT(2905);

enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// Copies srcRect of the source into destRect of the destination (null: the
// whole surface), converting the format. D3DX_FILTER_NONE and POINT sample the
// nearest pixel when the sizes differ; the other filters average the source
// pixels under each destination pixel. A non-zero colour key turns matching
// source pixels into transparent black.
HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface8* dest, const PALETTEENTRY* destPalette, const RECT* destRect,
                                   IDirect3DSurface8* source, const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                                   DWORD filter, D3DCOLOR colorKey);

// The same from 32-bit A8R8G8B8 pixels in memory.
HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* dest, const PALETTEENTRY* destPalette, const RECT* destRect,
                                  const void* sourceMemory, D3DFORMAT sourceFormat, UINT sourcePitch,
                                  const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                                  D3DCOLOR colorKey);

// Textures from BMP, PNG, JPEG, TGA and the other formats stb_image reads.
// Width and height D3DX_DEFAULT (or 0) take the picture's size rounded up to
// powers of two; format D3DFMT_UNKNOWN takes A8R8G8B8.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR fileName, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* sourceInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture);
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, LPCSTR fileName, IDirect3DTexture8** texture);
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* sourceInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture);

// Only D3DXIFF_BMP is written: a 24-bit bottom-up BMP of the rectangle.
HRESULT D3DXSaveSurfaceToFileA(LPCSTR fileName, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface8* surface,
                               const PALETTEENTRY* palette, const RECT* rect);
