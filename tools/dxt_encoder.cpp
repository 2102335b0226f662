#include "tools/dxt_encoder.h"

#include <algorithm>
#include <array>

namespace vls::tools {
namespace {

using Pixel = std::array<int, 4>;

std::uint16_t To565(const Pixel& p)
{
    return static_cast<std::uint16_t>(((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3));
}

Pixel From565(std::uint16_t c)
{
    const int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2), 255};
}

int Distance(const Pixel& a, const Pixel& b)
{
    int d = 0;
    for (int c = 0; c < 3; ++c) d += (a[c] - b[c]) * (a[c] - b[c]);
    return d;
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The colour half of a block. With transparent pixels (1-bit alpha) the
// three-colour mode marks them with index 3.
void ColourBlock(std::vector<std::uint8_t>& out, const std::array<Pixel, 16>& block, bool punchThrough)
{
    int lo = 0, hi = 0;
    auto luma = [](const Pixel& p) { return p[0] * 3 + p[1] * 6 + p[2]; };
    for (int i = 1; i < 16; ++i) {
        if (luma(block[i]) < luma(block[lo])) lo = i;
        if (luma(block[i]) > luma(block[hi])) hi = i;
    }
    std::uint16_t c0 = To565(block[hi]), c1 = To565(block[lo]);
    bool transparent = false;
    for (const Pixel& p : block) transparent = transparent || (punchThrough && p[3] < 128);
    // Four-colour mode needs c0 > c1, three-colour mode c0 <= c1.
    if (transparent ? c0 > c1 : c0 < c1) std::swap(c0, c1);
    if (!transparent && c0 == c1) {
        Put16(out, c0);
        Put16(out, c1);
        Put32(out, 0);
        return;
    }
    const Pixel a = From565(c0), b = From565(c1);
    std::array<Pixel, 4> palette;
    palette[0] = a;
    palette[1] = b;
    for (int c = 0; c < 3; ++c) {
        if (transparent) {
            palette[2][c] = (a[c] + b[c]) / 2;
        } else {
            palette[2][c] = (2 * a[c] + b[c]) / 3;
            palette[3][c] = (a[c] + 2 * b[c]) / 3;
        }
    }
    std::uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 0;
        if (transparent && block[i][3] < 128) {
            best = 3;
        } else {
            const int choices = transparent ? 3 : 4;
            for (int k = 1; k < choices; ++k)
                if (Distance(block[i], palette[k]) < Distance(block[i], palette[best])) best = k;
        }
        indices |= static_cast<std::uint32_t>(best) << (2 * i);
    }
    Put16(out, c0);
    Put16(out, c1);
    Put32(out, indices);
}

void ExplicitAlpha(std::vector<std::uint8_t>& out, const std::array<Pixel, 16>& block)
{
    for (int i = 0; i < 16; i += 2)
        out.push_back(static_cast<std::uint8_t>((block[i][3] >> 4) | ((block[i + 1][3] >> 4) << 4)));
}

void InterpolatedAlpha(std::vector<std::uint8_t>& out, const std::array<Pixel, 16>& block)
{
    int lo = 255, hi = 0;
    for (const Pixel& p : block) {
        lo = std::min(lo, p[3]);
        hi = std::max(hi, p[3]);
    }
    out.push_back(static_cast<std::uint8_t>(hi));
    out.push_back(static_cast<std::uint8_t>(lo));
    std::array<int, 8> values{hi, lo};
    for (int k = 1; k <= 6; ++k) values[k + 1] = hi > lo ? ((7 - k) * hi + k * lo) / 7 : hi;
    std::uint64_t bits = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 0;
        for (int k = 1; k < 8; ++k)
            if (std::abs(values[k] - block[i][3]) < std::abs(values[best] - block[i][3])) best = k;
        bits |= static_cast<std::uint64_t>(best) << (3 * i);
    }
    for (int i = 0; i < 6; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> EncodeDxt(int width, int height, const std::vector<std::uint8_t>& rgba, DxtKind kind)
{
    std::vector<std::uint8_t> out;
    for (int by = 0; by < std::max(1, (height + 3) / 4); ++by) {
        for (int bx = 0; bx < std::max(1, (width + 3) / 4); ++bx) {
            std::array<Pixel, 16> block;
            for (int i = 0; i < 16; ++i) {
                // Blocks past a small level's edge repeat its last pixel.
                const int x = std::min(bx * 4 + i % 4, width - 1);
                const int y = std::min(by * 4 + i / 4, height - 1);
                const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
                block[i] = {rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
            }
            if (kind == DxtKind::kDxt3) ExplicitAlpha(out, block);
            if (kind == DxtKind::kDxt5) InterpolatedAlpha(out, block);
            ColourBlock(out, block, kind == DxtKind::kDxt1Alpha);
        }
    }
    return out;
}

std::vector<std::uint8_t> HalveRgba(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    const int w = std::max(1, width / 2), h = std::max(1, height / 2);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int k = 0; k < 4; ++k) {
                    const int sx = std::min(x * 2 + k % 2, width - 1), sy = std::min(y * 2 + k / 2, height - 1);
                    sum += rgba[(static_cast<std::size_t>(sy) * width + sx) * 4 + c];
                }
                out[(static_cast<std::size_t>(y) * w + x) * 4 + c] = static_cast<std::uint8_t>(sum / 4);
            }
    return out;
}

}  // namespace vls::tools
