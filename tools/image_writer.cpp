#include "tools/image_writer.h"

#include "platform/d3d8/d3d8_format.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace vls::tools {
namespace {

uint16_t to565(uint32_t argb)
{
    return static_cast<uint16_t>(((argb >> 19) & 0x1F) << 11 | ((argb >> 10) & 0x3F) << 5 | ((argb >> 3) & 0x1F));
}

int luminance(uint32_t argb) { return int((argb >> 16) & 0xFF) * 3 + int((argb >> 8) & 0xFF) * 6 + int(argb & 0xFF); }

void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// Colour part: the darkest and brightest pixels as end points, every pixel
// mapped to the nearest of the four palette entries. For DXT1 a block with
// transparent pixels uses the three-colour mode with index 3 transparent.
void encodeColours(const std::array<uint32_t, 16>& block, bool dxt1, std::vector<uint8_t>& out)
{
    bool transparent = false;
    uint32_t lo = 0, hi = 0;
    int loL = 1 << 30, hiL = -1;
    for (uint32_t p : block) {
        if (dxt1 && (p >> 24) < 128) {
            transparent = true;
            continue;
        }
        const int l = luminance(p);
        if (l < loL) { loL = l; lo = p; }
        if (l > hiL) { hiL = l; hi = p; }
    }
    uint16_t c0 = to565(hi), c1 = to565(lo);
    if (transparent) {
        if (c0 > c1) std::swap(c0, c1);
    } else if (c0 < c1) {
        std::swap(c0, c1);
    } else if (c0 == c1 && !dxt1) {
        // Equal end points still decode as the four-colour mode outside DXT1.
    }
    const BYTE raw[4] = {static_cast<BYTE>(c0), static_cast<BYTE>(c0 >> 8), static_cast<BYTE>(c1), static_cast<BYTE>(c1 >> 8)};
    BYTE probe[8] = {raw[0], raw[1], raw[2], raw[3], 0, 0, 0, 0};
    // Decode the palette through the reader so writer and reader agree.
    DWORD palette[4];
    for (int index = 0; index < 4; ++index) {
        const uint32_t bits = 0x55555555u * static_cast<uint32_t>(index);
        std::memcpy(probe + 4, &bits, 4);
        DWORD px[16];
        vls::d3d8::decodeDxt(D3DFMT_DXT1, probe, 4, 4, px);
        palette[index] = px[0];
    }
    if (!dxt1 && c0 <= c1) {
        // The four-colour palette of DXT3 and DXT5 blocks.
        BYTE dxt3[16] = {};
        std::memcpy(dxt3 + 8, raw, 4);
        for (int index = 0; index < 4; ++index) {
            const uint32_t bits = 0x55555555u * static_cast<uint32_t>(index);
            std::memcpy(dxt3 + 12, &bits, 4);
            DWORD px[16];
            vls::d3d8::decodeDxt(D3DFMT_DXT3, dxt3, 4, 4, px);
            palette[index] = px[0];
        }
    }
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 0;
        if (dxt1 && transparent && (block[i] >> 24) < 128) {
            best = 3;
        } else {
            int bestError = 1 << 30;
            const int usable = dxt1 && transparent ? 3 : 4;
            for (int k = 0; k < usable; ++k) {
                int error = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int d = int((block[i] >> shift) & 0xFF) - int((palette[k] >> shift) & 0xFF);
                    error += d * d;
                }
                if (error < bestError) { bestError = error; best = k; }
            }
        }
        indices |= static_cast<uint32_t>(best) << (2 * i);
    }
    put16(out, c0);
    put16(out, c1);
    put16(out, static_cast<uint16_t>(indices));
    put16(out, static_cast<uint16_t>(indices >> 16));
}

void encodeExplicitAlpha(const std::array<uint32_t, 16>& block, std::vector<uint8_t>& out)
{
    for (int i = 0; i < 16; i += 2) {
        const int a0 = int(block[i] >> 24) * 15 / 255, a1 = int(block[i + 1] >> 24) * 15 / 255;
        out.push_back(static_cast<uint8_t>(a0 | (a1 << 4)));
    }
}

void encodeInterpolatedAlpha(const std::array<uint32_t, 16>& block, std::vector<uint8_t>& out)
{
    int lo = 255, hi = 0;
    for (uint32_t p : block) {
        lo = std::min(lo, int(p >> 24));
        hi = std::max(hi, int(p >> 24));
    }
    if (hi == lo) hi = std::min(255, lo + 1);
    int palette[8] = {hi, lo};
    for (int i = 1; i < 7; ++i) palette[i + 1] = ((7 - i) * hi + i * lo) / 7;
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 0, bestError = 1 << 30;
        for (int k = 0; k < 8; ++k) {
            const int e = std::abs(int(block[i] >> 24) - palette[k]);
            if (e < bestError) { bestError = e; best = k; }
        }
        bits |= static_cast<uint64_t>(best) << (3 * i);
    }
    out.push_back(static_cast<uint8_t>(hi));
    out.push_back(static_cast<uint8_t>(lo));
    for (int i = 0; i < 6; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

} // namespace

bool LoadPicture(const std::filesystem::path& path, Picture& picture)
{
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgba = stbi_load(path.string().c_str(), &w, &h, &channels, 4);
    if (!rgba) return false;
    picture = Picture(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
    for (size_t i = 0; i < picture.argb.size(); ++i) {
        const stbi_uc* p = rgba + i * 4;
        picture.argb[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    stbi_image_free(rgba);
    return true;
}

std::vector<uint8_t> EncodeDxt(uint32_t pixelType, const Picture& picture, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> out;
    const D3DFORMAT format = DxtFormatOfPixelType(pixelType);
    for (uint32_t by = 0; by < std::max(1u, height / 4); ++by) {
        for (uint32_t bx = 0; bx < std::max(1u, width / 4); ++bx) {
            std::array<uint32_t, 16> block{};
            for (uint32_t i = 0; i < 16; ++i) {
                const uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                block[i] = x < picture.width && y < picture.height ? picture.argb[size_t(y) * picture.width + x] : 0;
            }
            if (format == D3DFMT_DXT1) {
                encodeColours(block, true, out);
            } else {
                if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
                    encodeExplicitAlpha(block, out);
                } else {
                    encodeInterpolatedAlpha(block, out);
                }
                encodeColours(block, false, out);
            }
        }
    }
    return out;
}

std::vector<uint8_t> WriteImage(KestruneImageHeader header, const std::vector<Picture>& frames)
{
    if (!frames.empty()) {
        header.width = frames[0].width;
        header.height = frames[0].height;
    }
    header.frameCount = static_cast<uint32_t>(frames.size());
    std::vector<uint8_t> out(kImageHeaderSize);
    WriteImageHeader(header, out.data());
    const uint32_t texWidth = ImageTextureSide(header.width), texHeight = ImageTextureSide(header.height);
    for (const Picture& frame : frames) {
        if (IsDxtPixelType(header.pixelType)) {
            const std::vector<uint8_t> blocks = EncodeDxt(header.pixelType, frame, texWidth, texHeight);
            out.insert(out.end(), blocks.begin(), blocks.end());
            continue;
        }
        for (uint32_t p : frame.argb) {
            out.push_back(static_cast<uint8_t>(p >> 16));
            out.push_back(static_cast<uint8_t>(p >> 8));
            out.push_back(static_cast<uint8_t>(p));
            if (header.alpha) out.push_back(static_cast<uint8_t>(p >> 24));
        }
    }
    return out;
}

} // namespace vls::tools
