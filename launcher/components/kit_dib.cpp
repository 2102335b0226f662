#include "launcher/components/kit_dib.h"

#include <algorithm>
#include <map>

#include "platform/gdi/dib.h"
#include "platform/gdi/surface.h"

namespace kit {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Pixels are 0x00RRGGBB.
int Distance(std::uint32_t a, std::uint32_t b)
{
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        d += c * c;
    }
    return d;
}

std::vector<std::uint32_t> FixedPalette(int bitCount)
{
    if (bitCount == 1)
        return {0x000000, 0xFFFFFF};
    if (bitCount == 4)
        return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
                0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::vector<std::uint32_t> palette;  // 3-3-2 levels of red, green and blue
    for (std::uint32_t i = 0; i < 256; ++i)
        palette.push_back((((i >> 5) * 255 / 7) << 16) | ((((i >> 2) & 7) * 255 / 7) << 8) | ((i & 3) * 255 / 3));
    return palette;
}

std::vector<std::uint32_t> PaletteFor(vcl::TBitmap* bitmap, int bitCount)
{
    if (bitCount == 1)
        return FixedPalette(1);
    std::vector<std::uint32_t> own;
    const std::size_t size = static_cast<std::size_t>(bitmap->Width()) * bitmap->Height();
    const std::size_t limit = std::size_t{1} << bitCount;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint32_t p = bitmap->Pixels()[i] & 0xFFFFFF;
        if (std::find(own.begin(), own.end(), p) == own.end()) {
            if (own.size() == limit)
                return FixedPalette(bitCount);
            own.push_back(p);
        }
    }
    return own;
}

}  // namespace

std::vector<std::uint8_t> WriteDibFile(vcl::TBitmap* bitmap, int bitCount)
{
    if (bitCount != 1 && bitCount != 4 && bitCount != 8)
        bitCount = 24;
    const int width = bitmap->Width(), height = bitmap->Height();
    std::vector<std::uint8_t> rows;
    std::vector<std::uint32_t> palette;
    if (bitCount == 24) {
        const vls::gdi::Surface pixels(width, height, bitmap->Pixels(), width);
        rows = vls::gdi::EncodeDib(pixels, 24);
    } else {
        palette = PaletteFor(bitmap, bitCount);
        const std::size_t stride = vls::gdi::DibStride(width, bitCount);
        rows.assign(stride * static_cast<std::size_t>(height), 0);
        std::map<std::uint32_t, int> nearest;
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = rows.data() + stride * static_cast<std::size_t>(height - 1 - y);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = bitmap->Pixels()[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF;
                auto found = nearest.find(p);
                if (found == nearest.end()) {
                    int best = 0;
                    for (std::size_t i = 1; i < palette.size(); ++i)
                        if (Distance(p, palette[i]) < Distance(p, palette[static_cast<std::size_t>(best)]))
                            best = static_cast<int>(i);
                    found = nearest.emplace(p, best).first;
                }
                const int bit = x * bitCount;
                row[bit / 8] |= static_cast<std::uint8_t>(found->second << (8 - bitCount - bit % 8));
            }
        }
    }
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, offset + static_cast<std::uint32_t>(rows.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bitCount));
    Put32(out, 0);  // BI_RGB
    Put32(out, static_cast<std::uint32_t>(rows.size()));
    Put32(out, 3780);  // 96 dpi
    Put32(out, 3780);
    Put32(out, static_cast<std::uint32_t>(palette.size()));
    Put32(out, 0);
    for (const std::uint32_t c : palette)
        Put32(out, c);  // blue, green, red, 0
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

}  // namespace kit
