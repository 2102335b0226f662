#include <algorithm>
#include <cstring>

#include "platform/gdi/dib.h"
#include "platform/gdi/objects.h"

using namespace vls::gdi;

namespace {

constexpr int kMaxBitmapSide = 32768;

bool SizeOk(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide;
}

HBITMAP NewBitmap(SurfacePtr surface, int bitsPerPixel, bool dib)
{
    auto b = std::make_shared<BitmapObject>();
    b->surface = std::move(surface);
    b->bitsPerPixel = bitsPerPixel;
    b->dib = dib;
    return static_cast<HBITMAP>(Register(b));
}

// A bottom-up DIB section keeps its rows bottom-up in the memory the caller
// sees; the surface walks them with a negative stride.
struct DibStorage : Surface {
    DibStorage(int width, int height, bool bottomUp)
        : Surface(width, height, nullptr, 0), storage(static_cast<size_t>(width) * height, 0u)
    {
        Surface& self = *this;
        if (bottomUp)
            self = Surface(width, height, storage.data() + static_cast<size_t>(height - 1) * width, -width);
        else
            self = Surface(width, height, storage.data(), width);
    }
    std::vector<std::uint32_t> storage;
};

std::size_t PaletteCount(const BITMAPINFOHEADER& h)
{
    if (h.biBitCount > 8)
        return 0;
    return h.biClrUsed ? std::min<std::size_t>(h.biClrUsed, 256) : (std::size_t{1} << h.biBitCount);
}

// Decodes caller DIB bits; the caller vouches for the buffer's size, as with
// the original, so we take the size the header implies.
bool DecodeCallerDib(const BITMAPINFO* info, const void* bits, Surface& out)
{
    if (!info || !bits)
        return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const std::size_t stride = DibStride(h.biWidth, h.biBitCount);
    const std::int64_t height = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    if (stride == 0 || height <= 0 || height > kMaxBitmapSide)
        return false;
    const DWORD* masks = reinterpret_cast<const DWORD*>(info->bmiColors);
    std::string error;
    return DecodeDib(h, info->bmiColors, PaletteCount(h), masks, static_cast<const std::uint8_t*>(bits),
                     stride * static_cast<std::size_t>(height), out, error);
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits)
{
    if (!SizeOk(width, height) || planes != 1 || (bitCount != 1 && bitCount != 32))
        return nullptr;
    auto s = std::make_shared<Surface>(width, height);
    if (bits) {
        const auto* src = static_cast<const std::uint8_t*>(bits);
        if (bitCount == 1) {
            const std::size_t stride = static_cast<std::size_t>((width + 15) / 16) * 2;  // WORD-aligned rows
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const bool set = src[stride * y + x / 8] & (0x80 >> (x % 8));
                    s->Row(y)[x] = set ? 0x00FFFFFF : 0;
                }
            }
        } else {
            for (int y = 0; y < height; ++y)
                std::memcpy(s->Row(y), src + static_cast<std::size_t>(y) * width * 4, static_cast<size_t>(width) * 4);
        }
    }
    return NewBitmap(s, static_cast<int>(bitCount), false);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return nullptr;
    // A compatible bitmap of a memory DC has the depth of the bitmap in it,
    // which is monochrome for a fresh memory DC, as in the original.
    const int bpp = dc->memory && dc->state.bitmap ? dc->state.bitmap->bitsPerPixel : 32;
    if (width == 0 || height == 0)
        return CreateBitmap(1, 1, 1, static_cast<UINT>(bpp), nullptr);
    return CreateBitmap(width, height, 1, static_cast<UINT>(bpp), nullptr);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || section || usage != DIB_RGB_COLORS)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const bool bottomUp = h.biHeight > 0;
    const std::int64_t height = bottomUp ? h.biHeight : -static_cast<std::int64_t>(h.biHeight);
    if (h.biBitCount != 32 || (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) ||
        !SizeOk(h.biWidth, static_cast<int>(std::min<std::int64_t>(height, kMaxBitmapSide + 1))))
        return nullptr;
    auto s = std::make_shared<DibStorage>(h.biWidth, static_cast<int>(height), bottomUp);
    if (bits)
        *bits = s->storage.data();
    HBITMAP handle = NewBitmap(s, 32, true);
    GetBitmap(handle)->bits = s->storage.data();
    return handle;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info, UINT)
{
    if (!header)
        return nullptr;
    const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    HBITMAP b = CreateCompatibleBitmap(hdc, header->biWidth, height);
    auto bm = GetBitmap(b);
    if (bm && bm->bitsPerPixel != 32) {
        DeleteObject(b);
        b = CreateBitmap(header->biWidth, height, 1, 32, nullptr);
        bm = GetBitmap(b);
    }
    constexpr DWORD kInitBits = 4;
    if (bm && (init & kInitBits) && info && bits) {
        Surface decoded(0, 0);
        if (DecodeCallerDib(info, bits, decoded)) {
            for (int y = 0; y < std::min(decoded.Height(), bm->surface->Height()); ++y)
                std::copy(decoded.Row(y), decoded.Row(y) + std::min(decoded.Width(), bm->surface->Width()), bm->surface->Row(y));
        }
    }
    return b;
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage)
{
    auto bm = GetBitmap(bitmap);
    if (!bm || !info || usage != DIB_RGB_COLORS)
        return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    const Surface& s = *bm->surface;
    if (!bits) {
        h.biWidth = s.Width();
        h.biHeight = s.Height();
        h.biPlanes = 1;
        if (h.biBitCount == 0)
            h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(DibStride(s.Width(), h.biBitCount) * s.Height());
        return s.Height();
    }
    if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biWidth != s.Width())
        return 0;
    const bool topDown = h.biHeight < 0;
    const int height = s.Height();
    const std::size_t stride = DibStride(s.Width(), h.biBitCount);
    auto* out = static_cast<std::uint8_t*>(bits);
    int copied = 0;
    for (UINT line = start; line < start + lines && line < static_cast<UINT>(height); ++line) {
        // `line` counts scan lines from the bottom of a bottom-up DIB.
        const int y = topDown ? static_cast<int>(line) : height - 1 - static_cast<int>(line);
        std::uint8_t* dst = out + stride * (line - start);
        for (int x = 0; x < s.Width(); ++x) {
            const std::uint32_t p = s.At(x, y);
            if (h.biBitCount == 32) {
                std::memcpy(dst + x * 4, &p, 4);
            } else {
                dst[x * 3] = static_cast<std::uint8_t>(p);
                dst[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
                dst[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
            }
        }
        ++copied;
    }
    return copied;
}

int SetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    auto bm = GetBitmap(bitmap);
    if (!bm || usage != DIB_RGB_COLORS || start != 0)
        return 0;
    Surface decoded(0, 0);
    if (!DecodeCallerDib(info, bits, decoded))
        return 0;
    Surface& s = *bm->surface;
    const int rows = std::min({decoded.Height(), s.Height(), static_cast<int>(lines)});
    for (int y = 0; y < std::min(decoded.Height(), s.Height()); ++y)
        std::copy(decoded.Row(y), decoded.Row(y) + std::min(decoded.Width(), s.Width()), s.Row(y));
    return rows;
}

BOOL GdiFlush() { return TRUE; }
