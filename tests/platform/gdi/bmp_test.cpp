#include <gtest/gtest.h>

#include "platform/gdi/bmp.h"

namespace {

using vls::gdi::BmpInfo;
using vls::gdi::ReadBmp;
using vls::gdi::Surface;
using vls::gdi::WriteBmp;

Surface Picture()
{
    Surface s(3, 2);
    const std::uint32_t px[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080, 0x102030};
    for (int i = 0; i < 6; ++i)
        s.Row(i / 3)[i % 3] = px[i];
    return s;
}

TEST(Bmp, WriteAndReadBack)
{
    const Surface in = Picture();
    for (int bits : {24, 32, 16}) {
        SCOPED_TRACE(bits);
        const std::vector<std::uint8_t> file = WriteBmp(in, bits);
        ASSERT_FALSE(file.empty());
        Surface out(0, 0);
        BmpInfo info;
        std::string error;
        ASSERT_TRUE(ReadBmp(file, out, info, error)) << error;
        EXPECT_EQ(info.bitCount, bits);
        ASSERT_EQ(out.Width(), 3);
        ASSERT_EQ(out.Height(), 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const std::uint32_t want = in.At(x, y);
                const std::uint32_t got = out.At(x, y) & 0xFFFFFF;
                if (bits == 16) {
                    // 5 bits per channel: the top five bits survive.
                    EXPECT_EQ(got & 0xF8F8F8, want & 0xF8F8F8) << x << "," << y;
                } else {
                    EXPECT_EQ(got, want) << x << "," << y;
                }
            }
    }
    EXPECT_TRUE(WriteBmp(in, 8).empty());
}

// A hand-made file: 14-byte file header, 40-byte info header, palette, rows.
std::vector<std::uint8_t> PaletteFile(int bitCount, int width, int height, const std::vector<std::uint8_t>& rows,
                                      int colours)
{
    std::vector<std::uint8_t> f;
    auto u16 = [&](std::uint32_t v) { f.push_back(v & 0xFF); f.push_back((v >> 8) & 0xFF); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    const std::uint32_t off = 14 + 40 + 4 * colours;
    u16(0x4D42);
    u32(off + static_cast<std::uint32_t>(rows.size()));
    u32(0);
    u32(off);
    u32(40);
    u32(static_cast<std::uint32_t>(width));
    u32(static_cast<std::uint32_t>(height));
    u16(1);
    u16(static_cast<std::uint32_t>(bitCount));
    u32(0);
    u32(static_cast<std::uint32_t>(rows.size()));
    u32(0);
    u32(0);
    u32(static_cast<std::uint32_t>(colours));
    u32(0);
    for (int i = 0; i < colours; ++i) {
        // colour i = (i*16, i*8, i) as blue, green, red
        f.push_back(static_cast<std::uint8_t>(i));
        f.push_back(static_cast<std::uint8_t>(i * 8));
        f.push_back(static_cast<std::uint8_t>(i * 16));
        f.push_back(0);
    }
    f.insert(f.end(), rows.begin(), rows.end());
    return f;
}

std::uint32_t PaletteColour(int i)
{
    return static_cast<std::uint32_t>((i * 16) << 16 | (i * 8) << 8 | i);
}

TEST(Bmp, ReadsPaletteDepths)
{
    struct Case {
        int bits;
        std::vector<std::uint8_t> rows;  // bottom row first, 4-byte aligned
        int colours;
        std::vector<int> indexes;        // top row first, 3 x 2
    };
    const Case cases[] = {
        {1, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}, 2, {0, 1, 0, 1, 0, 1}},
        {4, {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0}, 16, {4, 5, 6, 1, 2, 3}},
        {8, {1, 2, 3, 0, 4, 5, 6, 0}, 7, {4, 5, 6, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Surface out(0, 0);
        BmpInfo info;
        std::string error;
        ASSERT_TRUE(ReadBmp(PaletteFile(c.bits, 3, 2, c.rows, c.colours), out, info, error)) << error;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(out.At(i % 3, i / 3), PaletteColour(c.indexes[i])) << i;
    }
}

TEST(Bmp, RejectsDamagedFiles)
{
    const std::vector<std::uint8_t> good = WriteBmp(Picture(), 24);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"wrong magic", good});
    cases.back().data[0] = 'X';
    cases.push_back({"cut in the header", std::vector<std::uint8_t>(good.begin(), good.begin() + 30)});
    cases.push_back({"cut in the pixels", std::vector<std::uint8_t>(good.begin(), good.end() - 3)});
    cases.push_back({"offset past the end", good});
    cases.back().data[10] = 0xFF;
    cases.back().data[11] = 0xFF;
    cases.push_back({"huge width", good});
    cases.back().data[21] = 0x7F;
    cases.push_back({"bad bit count", good});
    cases.back().data[28] = 7;
    cases.push_back({"compressed", good});
    cases.back().data[30] = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface out(0, 0);
        BmpInfo info;
        std::string error;
        EXPECT_FALSE(ReadBmp(c.data, out, info, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
