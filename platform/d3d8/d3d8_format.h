#pragma once

// Pixel and vertex layout facts shared by both devices and the extension
// library: bytes per pixel, pitch and size of a surface level, the vertex
// size of a flexible vertex format, and the DXT block decoder.

#include "platform/d3d8/d3d8types.h"

#include <cstddef>

namespace vls::d3d8 {

bool isDxtFormat(D3DFORMAT format);
// 0 for formats we do not store.
UINT bytesPerPixel(D3DFORMAT format);
bool isSupportedSurfaceFormat(D3DFORMAT format);
// Row pitch of a level: one row of pixels, or one row of 4 x 4 blocks for DXT.
UINT levelPitch(D3DFORMAT format, UINT width);
UINT levelRows(D3DFORMAT format, UINT height);
std::size_t levelSize(D3DFORMAT format, UINT width, UINT height);
UINT fvfStride(DWORD fvf);

// Decodes one DXT level into 32-bit A8R8G8B8 pixels (width x height, pitch
// width * 4). DXT2 and DXT4 decode as DXT3 and DXT5 (their colours are taken
// as stored). The source holds levelSize(format, width, height) bytes.
void decodeDxt(D3DFORMAT format, const BYTE* source, UINT width, UINT height, DWORD* pixels);

// Reads one pixel of an uncompressed format as A8R8G8B8, and writes one.
DWORD readPixel(D3DFORMAT format, const BYTE* p);
void writePixel(D3DFORMAT format, BYTE* p, DWORD argb);

}  // namespace vls::d3d8
