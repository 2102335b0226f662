#include "platform/d3dx/picture_decode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <zlib.h>

namespace vls::test {
namespace {

using d3dx::DecodedPicture;
using d3dx::DecodePicture;
using d3dx::PictureKind;

void PutU32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data,
           std::uint32_t claimedLength = 0xFFFFFFFF)
{
    PutU32BigEndian(out, claimedLength != 0xFFFFFFFF ? claimedLength : static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutU32BigEndian(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// An 8-bit RGBA PNG; width and height as the header claims them, the pixel
// rows made for rowsWidth x rowsHeight.
std::vector<std::uint8_t> Png(std::uint32_t width, std::uint32_t height, std::uint32_t rowsWidth,
                              std::uint32_t rowsHeight, std::uint32_t rgba, std::uint32_t idatClaim = 0xFFFFFFFF)
{
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    PutU32BigEndian(ihdr, width);
    PutU32BigEndian(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    Chunk(out, "IHDR", ihdr);
    std::vector<std::uint8_t> raw;
    for (std::uint32_t y = 0; y < rowsHeight; ++y) {
        raw.push_back(0);
        for (std::uint32_t x = 0; x < rowsWidth; ++x)
            for (int s = 24; s >= 0; s -= 8) raw.push_back(static_cast<std::uint8_t>(rgba >> s));
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> z(size);
    compress(z.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    z.resize(size);
    Chunk(out, "IDAT", z, idatClaim);
    Chunk(out, "IEND", {});
    return out;
}

std::vector<std::uint8_t> Jpeg(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[x * 3] = r;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = b;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

TEST(PictureDecode, PngAndJpegDecodeToRgba)
{
    DecodedPicture picture;
    const auto png = Png(3, 2, 3, 2, 0x10203040);
    ASSERT_TRUE(DecodePicture(png.data(), png.size(), d3dx::kMaxPicturePixels, picture));
    EXPECT_EQ(picture.kind, PictureKind::kPng);
    EXPECT_EQ(picture.width, 3);
    EXPECT_EQ(picture.height, 2);
    EXPECT_TRUE(picture.alpha);
    ASSERT_EQ(picture.rgba.size(), 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(picture.rgba.begin(), picture.rgba.begin() + 4),
              (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x40}));

    const auto jpeg = Jpeg(16, 8, 200, 40, 30);
    ASSERT_TRUE(DecodePicture(jpeg.data(), jpeg.size(), d3dx::kMaxPicturePixels, picture));
    EXPECT_EQ(picture.kind, PictureKind::kJpeg);
    EXPECT_EQ(picture.width, 16);
    EXPECT_EQ(picture.height, 8);
    EXPECT_FALSE(picture.alpha);
    EXPECT_NEAR(picture.rgba[0], 200, 4);
    EXPECT_NEAR(picture.rgba[1], 40, 4);
    EXPECT_EQ(picture.rgba[3], 255);
}

TEST(PictureDecode, DamagedOrOversizedPicturesAreRefused)
{
    std::vector<std::uint8_t> jpegTooBig = Jpeg(16, 16, 1, 2, 3);
    // The frame header's height and width (SOF0: FF C0, length, precision, then height, width).
    for (std::size_t i = 0; i + 8 < jpegTooBig.size(); ++i)
        if (jpegTooBig[i] == 0xFF && jpegTooBig[i + 1] == 0xC0) {
            jpegTooBig[i + 5] = jpegTooBig[i + 6] = jpegTooBig[i + 7] = jpegTooBig[i + 8] = 0xFF;
            break;
        }
    std::vector<std::uint8_t> jpegCut = Jpeg(64, 64, 1, 2, 3);
    jpegCut.resize(jpegCut.size() / 2);
    const std::string garbage = "not a picture at all";
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::int64_t cap;
    } cases[] = {
        {"a PNG larger than the cap", Png(5000, 5000, 1, 1, 0), d3dx::kMaxPicturePixels},
        {"a PNG whose rows are fewer than its header says", Png(4, 4, 4, 1, 0), d3dx::kMaxPicturePixels},
        {"a chunk that claims 1.8 GB", Png(2, 2, 2, 2, 0, 0x70000000), d3dx::kMaxPicturePixels},
        {"a small cap", Png(8, 8, 8, 8, 0), 63},
        {"a JPEG larger than the cap", jpegTooBig, d3dx::kMaxPicturePixels},
        {"a JPEG cut in half", jpegCut, d3dx::kMaxPicturePixels},
        {"neither", std::vector<std::uint8_t>(garbage.begin(), garbage.end()), d3dx::kMaxPicturePixels},
        {"nothing", {}, d3dx::kMaxPicturePixels},
    };
    for (const auto& c : cases) {
        DecodedPicture picture;
        std::string error;
        EXPECT_FALSE(DecodePicture(c.bytes.data(), c.bytes.size(), c.cap, picture, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_TRUE(picture.rgba.empty()) << c.what;
    }
}

TEST(PictureDecode, OtherFormatsStillRead)
{
    // A 2 x 1 24-bit BMP, bottom row first, BGR.
    std::vector<std::uint8_t> bmp = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,          // file header
                                     40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // info header
                                     0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 0, 0, 0, 0, 0,
                                     255, 0, 0, 0, 255, 0, 0, 0};                        // blue, green, padding
    DecodedPicture picture;
    ASSERT_TRUE(DecodePicture(bmp.data(), bmp.size(), d3dx::kMaxPicturePixels, picture));
    EXPECT_EQ(picture.kind, PictureKind::kOther);
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.rgba[2], 255);  // first pixel blue
    EXPECT_EQ(picture.rgba[5], 255);  // second pixel green
    EXPECT_FALSE(DecodePicture(bmp.data(), bmp.size(), 1, picture));
}

} // namespace
} // namespace vls::test
