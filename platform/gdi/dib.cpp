#include "platform/gdi/dib.h"

#include <bit>
#include <cstdlib>
#include <limits>

namespace vls::gdi {

namespace {

// Scales a masked channel to 8 bits.
std::uint32_t Channel(std::uint32_t value, DWORD mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    std::uint32_t v = (value & mask) >> shift;
    if (bits >= 8)
        return v >> (bits - 8);
    // Replicate the high bits into the low ones so that full scale is 255.
    std::uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += bits)
        out = (out << bits) | v;
    const int total = ((8 + bits - 1) / bits) * bits;
    return (out >> (total - 8)) & 0xFF;
}

}  // namespace

std::size_t DibStride(int width, int bitCount)
{
    if (width < 0 || bitCount <= 0)
        return 0;
    const std::uint64_t bitsPerRow = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitCount);
    const std::uint64_t stride = ((bitsPerRow + 31) / 32) * 4;
    if (stride > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return static_cast<std::size_t>(stride);
}

bool DecodeDib(const BITMAPINFOHEADER& header, const RGBQUAD* palette, std::size_t paletteCount,
               const DWORD* masks, const std::uint8_t* bits, std::size_t bitsSize, Surface& out, std::string& error)
{
    const int bitCount = header.biBitCount;
    const int width = header.biWidth;
    const bool topDown = header.biHeight < 0;
    const std::int64_t h64 = topDown ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
    if (width <= 0 || h64 <= 0 || width > 32768 || h64 > 32768) {
        error = "bad bitmap size";
        return false;
    }
    const int height = static_cast<int>(h64);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
        error = "unsupported bit count " + std::to_string(bitCount);
        return false;
    }
    DWORD rMask = 0, gMask = 0, bMask = 0;
    if (header.biCompression == BI_BITFIELDS) {
        if ((bitCount != 16 && bitCount != 32) || !masks) {
            error = "bit fields need 16 or 32 bits";
            return false;
        }
        rMask = masks[0];
        gMask = masks[1];
        bMask = masks[2];
    } else if (header.biCompression == BI_RGB) {
        if (bitCount == 16) {
            rMask = 0x7C00;
            gMask = 0x03E0;
            bMask = 0x001F;
        }
    } else {
        error = "unsupported compression " + std::to_string(header.biCompression);
        return false;
    }
    if (bitCount <= 8 && paletteCount == 0) {
        error = "palette missing";
        return false;
    }
    const std::size_t stride = DibStride(width, bitCount);
    if (stride == 0 || bitsSize / stride < static_cast<std::size_t>(height)) {
        error = "pixel data is short";
        return false;
    }
    out.Resize(width, height);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* src = bits + stride * static_cast<std::size_t>(row);
        std::uint32_t* dst = out.Row(topDown ? row : height - 1 - row);
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            switch (bitCount) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / bitCount;
                const std::uint8_t byte = src[x / perByte];
                const int shift = 8 - bitCount * (x % perByte + 1);
                const std::size_t index = (byte >> shift) & ((1u << bitCount) - 1);
                const RGBQUAD q = index < paletteCount ? palette[index] : RGBQUAD{0, 0, 0, 0};
                pixel = (static_cast<std::uint32_t>(q.rgbRed) << 16) | (q.rgbGreen << 8) | q.rgbBlue;
                break;
            }
            case 16: {
                const std::uint32_t v = src[x * 2] | (src[x * 2 + 1] << 8);
                pixel = (Channel(v, rMask) << 16) | (Channel(v, gMask) << 8) | Channel(v, bMask);
                break;
            }
            case 24:
                pixel = src[x * 3] | (src[x * 3 + 1] << 8) | (static_cast<std::uint32_t>(src[x * 3 + 2]) << 16);
                break;
            case 32: {
                const std::uint32_t v = src[x * 4] | (src[x * 4 + 1] << 8) | (static_cast<std::uint32_t>(src[x * 4 + 2]) << 16) |
                                        (static_cast<std::uint32_t>(src[x * 4 + 3]) << 24);
                if (header.biCompression == BI_BITFIELDS)
                    pixel = (Channel(v, rMask) << 16) | (Channel(v, gMask) << 8) | Channel(v, bMask);
                else
                    pixel = v;
                break;
            }
            }
            dst[x] = pixel;
        }
    }
    return true;
}

std::vector<std::uint8_t> EncodeDib(const Surface& in, int bitCount)
{
    const std::size_t stride = DibStride(in.Width(), bitCount);
    std::vector<std::uint8_t> out(stride * static_cast<std::size_t>(in.Height()), 0);
    for (int row = 0; row < in.Height(); ++row) {
        std::uint8_t* dst = out.data() + stride * static_cast<std::size_t>(in.Height() - 1 - row);
        const std::uint32_t* src = in.Row(row);
        for (int x = 0; x < in.Width(); ++x) {
            const std::uint32_t p = src[x];
            switch (bitCount) {
            case 16: {
                const std::uint32_t v = (((p >> 19) & 0x1F) << 10) | (((p >> 11) & 0x1F) << 5) | ((p >> 3) & 0x1F);
                dst[x * 2] = static_cast<std::uint8_t>(v);
                dst[x * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            }
            case 24:
                dst[x * 3] = static_cast<std::uint8_t>(p);
                dst[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
                dst[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
                break;
            default:
                dst[x * 4] = static_cast<std::uint8_t>(p);
                dst[x * 4 + 1] = static_cast<std::uint8_t>(p >> 8);
                dst[x * 4 + 2] = static_cast<std::uint8_t>(p >> 16);
                dst[x * 4 + 3] = static_cast<std::uint8_t>(p >> 24);
                break;
            }
        }
    }
    return out;
}

}  // namespace vls::gdi
