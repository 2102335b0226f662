#include "platform/gdi/bmp.h"

#include "platform/gdi/dib.h"

namespace vls::gdi {

namespace {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}
    bool Seek(std::size_t pos)
    {
        if (pos > data_.size())
            return ok_ = false;
        pos_ = pos;
        return true;
    }
    std::size_t Pos() const { return pos_; }
    std::uint32_t U8() { return Take(1) ? data_[pos_ - 1] : 0; }
    std::uint32_t U16() { return Take(2) ? data_[pos_ - 2] | (data_[pos_ - 1] << 8) : 0; }
    std::uint32_t U32()
    {
        if (!Take(4))
            return 0;
        const std::uint8_t* p = &data_[pos_ - 4];
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    bool Ok() const { return ok_; }

private:
    bool Take(std::size_t n)
    {
        if (!ok_ || data_.size() - pos_ < n)
            return ok_ = false;
        pos_ += n;
        return true;
    }
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

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

}  // namespace

bool ReadBmp(std::span<const std::uint8_t> data, Surface& out, BmpInfo& info, std::string& error)
{
    ByteReader r(data);
    if (r.U16() != 0x4D42) {
        error = "not a BMP file";
        return false;
    }
    r.U32();
    r.U32();
    const std::uint32_t offBits = r.U32();
    const std::size_t headerStart = r.Pos();
    const std::uint32_t headerSize = r.U32();
    BITMAPINFOHEADER h{};
    bool core = false;
    if (headerSize == 12) {
        core = true;
        h.biWidth = static_cast<LONG>(r.U16());
        h.biHeight = static_cast<LONG>(r.U16());
        h.biPlanes = static_cast<WORD>(r.U16());
        h.biBitCount = static_cast<WORD>(r.U16());
        h.biCompression = BI_RGB;
    } else if (headerSize >= 40) {
        h.biWidth = static_cast<LONG>(r.U32());
        h.biHeight = static_cast<LONG>(r.U32());
        h.biPlanes = static_cast<WORD>(r.U16());
        h.biBitCount = static_cast<WORD>(r.U16());
        h.biCompression = r.U32();
        h.biSizeImage = r.U32();
        r.U32();
        r.U32();
        h.biClrUsed = r.U32();
        h.biClrImportant = r.U32();
    } else {
        error = "unknown BMP header size " + std::to_string(headerSize);
        return false;
    }
    if (!r.Ok()) {
        error = "BMP header is short";
        return false;
    }
    DWORD masks[3] = {0, 0, 0};
    if (h.biCompression == BI_BITFIELDS) {
        // The masks follow a 40-byte header, or sit inside a larger one.
        for (DWORD& m : masks)
            m = r.U32();
    }
    if (!r.Seek(headerStart + headerSize) && !(h.biCompression == BI_BITFIELDS && headerSize == 40)) {
        error = "BMP header is short";
        return false;
    }
    if (h.biCompression == BI_BITFIELDS && headerSize == 40)
        r.Seek(headerStart + headerSize + 12);
    std::vector<RGBQUAD> palette;
    if (h.biBitCount <= 8 && h.biBitCount > 0) {
        const std::size_t maxColors = std::size_t{1} << h.biBitCount;
        const std::size_t count = h.biClrUsed && h.biClrUsed < maxColors ? h.biClrUsed : maxColors;
        for (std::size_t i = 0; i < count && r.Ok(); ++i) {
            RGBQUAD q{};
            q.rgbBlue = static_cast<BYTE>(r.U8());
            q.rgbGreen = static_cast<BYTE>(r.U8());
            q.rgbRed = static_cast<BYTE>(r.U8());
            if (!core)
                r.U8();
            palette.push_back(q);
        }
        if (!r.Ok()) {
            error = "BMP palette is short";
            return false;
        }
    }
    if (offBits > data.size()) {
        error = "BMP pixel offset lies past the end";
        return false;
    }
    const std::span<const std::uint8_t> bits = data.subspan(offBits);
    if (!DecodeDib(h, palette.data(), palette.size(), masks, bits.data(), bits.size(), out, error))
        return false;
    info.width = out.Width();
    info.height = out.Height();
    info.bitCount = h.biBitCount;
    return true;
}

std::vector<std::uint8_t> WriteBmp(const Surface& picture, int bitCount)
{
    if (bitCount != 16 && bitCount != 24 && bitCount != 32)
        return {};
    const std::vector<std::uint8_t> bits = EncodeDib(picture, bitCount);
    constexpr std::uint32_t kHeaders = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(kHeaders + bits.size());
    Put16(out, 0x4D42);
    Put32(out, static_cast<std::uint32_t>(kHeaders + bits.size()));
    Put32(out, 0);
    Put32(out, kHeaders);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(picture.Width()));
    Put32(out, static_cast<std::uint32_t>(picture.Height()));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bitCount));
    Put32(out, BI_RGB);
    Put32(out, static_cast<std::uint32_t>(bits.size()));
    Put32(out, 3780);  // 96 dpi in pixels per metre
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

}  // namespace vls::gdi
