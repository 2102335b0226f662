#include "platform/d3d8/d3d8_format.h"

#include <algorithm>
#include <cstring>

namespace vls::d3d8 {

bool isDxtFormat(D3DFORMAT format)
{
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

UINT bytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D32:
        return 4;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
        return 2;
    case D3DFMT_A8:
        return 1;
    default:
        return 0;
    }
}

bool isSupportedSurfaceFormat(D3DFORMAT format) { return isDxtFormat(format) || bytesPerPixel(format) != 0; }

static UINT blockBytes(D3DFORMAT format) { return format == D3DFMT_DXT1 ? 8 : 16; }

UINT levelPitch(D3DFORMAT format, UINT width)
{
    if (isDxtFormat(format)) return std::max(1u, (width + 3) / 4) * blockBytes(format);
    return width * bytesPerPixel(format);
}

UINT levelRows(D3DFORMAT format, UINT height)
{
    return isDxtFormat(format) ? std::max(1u, (height + 3) / 4) : height;
}

std::size_t levelSize(D3DFORMAT format, UINT width, UINT height)
{
    return static_cast<std::size_t>(levelPitch(format, width)) * levelRows(format, height);
}

UINT fvfStride(DWORD fvf)
{
    UINT size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: size += 12; break;
    case D3DFVF_XYZRHW: size += 16; break;
    default: break;
    }
    if (fvf & D3DFVF_NORMAL) size += 12;
    if (fvf & D3DFVF_PSIZE) size += 4;
    if (fvf & D3DFVF_DIFFUSE) size += 4;
    if (fvf & D3DFVF_SPECULAR) size += 4;
    size += ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) * 8;
    return size;
}

static WORD read16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
static DWORD read32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }

static DWORD expand565(WORD c)
{
    const DWORD r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 | ((b << 3) | (b >> 2));
}

static DWORD mix(DWORD a, DWORD b, int wa, int wb, int div)
{
    DWORD out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<DWORD>((ca * wa + cb * wb) / div) << shift;
    }
    return out;
}

// Colours of a block; a DXT1 block whose first colour is not above the second
// has three colours and transparent black.
static void decodeColours(const BYTE* block, bool dxt1, DWORD out[16])
{
    const WORD c0 = read16(block), c1 = read16(block + 2);
    DWORD palette[4];
    palette[0] = expand565(c0) | 0xFF000000;
    palette[1] = expand565(c1) | 0xFF000000;
    if (c0 > c1 || !dxt1) {
        palette[2] = mix(palette[0], palette[1], 2, 1, 3) | 0xFF000000;
        palette[3] = mix(palette[0], palette[1], 1, 2, 3) | 0xFF000000;
    } else {
        palette[2] = mix(palette[0], palette[1], 1, 1, 2) | 0xFF000000;
        palette[3] = 0;
    }
    const DWORD bits = read32(block + 4);
    for (int i = 0; i < 16; ++i) out[i] = palette[(bits >> (2 * i)) & 3];
}

static void decodeExplicitAlpha(const BYTE* block, DWORD colours[16])
{
    for (int i = 0; i < 16; ++i) {
        const int nibble = (block[i / 2] >> ((i & 1) * 4)) & 15;
        colours[i] = (colours[i] & 0x00FFFFFF) | (static_cast<DWORD>(nibble * 17) << 24);
    }
}

static void decodeInterpolatedAlpha(const BYTE* block, DWORD colours[16])
{
    const int a0 = block[0], a1 = block[1];
    int palette[8] = {a0, a1};
    if (a0 > a1) {
        for (int i = 1; i < 7; ++i) palette[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i < 5; ++i) palette[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) {
        colours[i] = (colours[i] & 0x00FFFFFF) | (static_cast<DWORD>(palette[(bits >> (3 * i)) & 7]) << 24);
    }
}

void decodeDxt(D3DFORMAT format, const BYTE* source, UINT width, UINT height, DWORD* pixels)
{
    const UINT blocksWide = std::max(1u, (width + 3) / 4);
    const UINT blocksHigh = std::max(1u, (height + 3) / 4);
    const UINT size = blockBytes(format);
    for (UINT by = 0; by < blocksHigh; ++by) {
        for (UINT bx = 0; bx < blocksWide; ++bx) {
            const BYTE* block = source + (static_cast<std::size_t>(by) * blocksWide + bx) * size;
            DWORD colours[16];
            if (format == D3DFMT_DXT1) {
                decodeColours(block, true, colours);
            } else {
                decodeColours(block + 8, false, colours);
                if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
                    decodeExplicitAlpha(block, colours);
                } else {
                    decodeInterpolatedAlpha(block, colours);
                }
            }
            for (UINT i = 0; i < 16; ++i) {
                const UINT x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < width && y < height) pixels[static_cast<std::size_t>(y) * width + x] = colours[i];
            }
        }
    }
}

DWORD readPixel(D3DFORMAT format, const BYTE* p)
{
    switch (format) {
    case D3DFMT_A8R8G8B8: return read32(p);
    case D3DFMT_X8R8G8B8: return read32(p) | 0xFF000000;
    case D3DFMT_R8G8B8: return 0xFF000000 | p[0] | (p[1] << 8) | (p[2] << 16);
    case D3DFMT_R5G6B5: return 0xFF000000 | expand565(read16(p));
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
        const WORD c = read16(p);
        const DWORD r = (c >> 10) & 31, g = (c >> 5) & 31, b = c & 31;
        const DWORD a = (format == D3DFMT_X1R5G5B5 || (c & 0x8000)) ? 0xFF : 0;
        return a << 24 | ((r << 3) | (r >> 2)) << 16 | ((g << 3) | (g >> 2)) << 8 | ((b << 3) | (b >> 2));
    }
    case D3DFMT_A4R4G4B4: {
        const WORD c = read16(p);
        return ((c >> 12) & 15) * 17u << 24 | ((c >> 8) & 15) * 17u << 16 | ((c >> 4) & 15) * 17u << 8 | (c & 15) * 17u;
    }
    case D3DFMT_A8: return static_cast<DWORD>(p[0]) << 24;
    default: return 0;
    }
}

void writePixel(D3DFORMAT format, BYTE* p, DWORD argb)
{
    const DWORD a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    WORD c = 0;
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        p[0] = static_cast<BYTE>(b);
        p[1] = static_cast<BYTE>(g);
        p[2] = static_cast<BYTE>(r);
        p[3] = static_cast<BYTE>(format == D3DFMT_X8R8G8B8 ? 0xFF : a);
        return;
    case D3DFMT_R8G8B8:
        p[0] = static_cast<BYTE>(b);
        p[1] = static_cast<BYTE>(g);
        p[2] = static_cast<BYTE>(r);
        return;
    case D3DFMT_R5G6B5: c = static_cast<WORD>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); break;
    case D3DFMT_X1R5G5B5: c = static_cast<WORD>(0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); break;
    case D3DFMT_A1R5G5B5: c = static_cast<WORD>((a >= 128 ? 0x8000 : 0) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); break;
    case D3DFMT_A4R4G4B4: c = static_cast<WORD>((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4)); break;
    case D3DFMT_A8: p[0] = static_cast<BYTE>(a); return;
    default: return;
    }
    p[0] = static_cast<BYTE>(c & 0xFF);
    p[1] = static_cast<BYTE>(c >> 8);
}

}  // namespace vls::d3d8
