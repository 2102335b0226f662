#include "platform/d3dx/picture_decode.h"

#include <spng.h>

#include "platform/d3dx/jpeg_library.h"

#include <csetjmp>
#include <cstdio>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_PNG
#define STBI_NO_JPEG
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
#include <memory>

namespace vls::d3dx {
namespace {

bool Fail(std::string* error, const char* reason)
{
    if (error) *error = reason;
    return false;
}

bool SizeAllowed(std::int64_t width, std::int64_t height, std::int64_t maxPixels)
{
    return width > 0 && height > 0 && width <= maxPixels && height <= maxPixels && width * height <= maxPixels;
}

bool DecodePng(const std::uint8_t* bytes, std::size_t size, std::int64_t maxPixels, DecodedPicture& out,
               std::string* error)
{
    std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
    if (!ctx) return Fail(error, "out of memory");
    // No chunk may claim more than the file holds.
    spng_set_chunk_limits(ctx.get(), size, size);
    spng_set_crc_action(ctx.get(), SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    if (spng_set_png_buffer(ctx.get(), bytes, size) != 0) return Fail(error, "unreadable PNG");
    spng_ihdr ihdr{};
    if (spng_get_ihdr(ctx.get(), &ihdr) != 0) return Fail(error, "unreadable PNG header");
    if (!SizeAllowed(ihdr.width, ihdr.height, maxPixels)) return Fail(error, "PNG size out of range");
    std::size_t length = 0;
    if (spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &length) != 0 ||
        length != static_cast<std::size_t>(ihdr.width) * ihdr.height * 4)
        return Fail(error, "unreadable PNG layout");
    out.rgba.resize(length);
    if (spng_decode_image(ctx.get(), out.rgba.data(), length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0) {
        out.rgba.clear();
        return Fail(error, "damaged PNG data");
    }
    spng_trns trns{};
    out.width = static_cast<int>(ihdr.width);
    out.height = static_cast<int>(ihdr.height);
    out.alpha = ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || spng_get_trns(ctx.get(), &trns) == 0;
    out.kind = PictureKind::kPng;
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JpegFail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

bool DecodeJpeg(const std::uint8_t* bytes, std::size_t size, std::int64_t maxPixels, DecodedPicture& out,
                std::string* error)
{
    const JpegLibrary* const jpeg = LoadJpegLibrary();
    if (!jpeg)
        return Fail(error, "no JPEG decoder");
    jpeg_decompress_struct info{};
    JpegError failure{};
    info.err = jpeg->jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegFail;
    failure.manager.emit_message = JpegQuiet;
    // Nothing below the jump may own memory that a longjmp would skip.
    if (setjmp(failure.jump)) {
        jpeg->jpeg_destroy_decompress(&info);
        out.rgba.clear();
        return Fail(error, "damaged JPEG data");
    }
    jpeg->jpeg_CreateDecompress(&info, JPEG_LIB_VERSION, sizeof info);
    jpeg->jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    if (jpeg->jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg->jpeg_destroy_decompress(&info);
        return Fail(error, "unreadable JPEG header");
    }
    if (!SizeAllowed(info.image_width, info.image_height, maxPixels)) {
        jpeg->jpeg_destroy_decompress(&info);
        return Fail(error, "JPEG size out of range");
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg->jpeg_start_decompress(&info);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * 4;
    out.rgba.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgba.data() + stride * info.output_scanline;
        jpeg->jpeg_read_scanlines(&info, &row, 1);
    }
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.alpha = false;
    out.kind = PictureKind::kJpeg;
    jpeg->jpeg_finish_decompress(&info);
    jpeg->jpeg_destroy_decompress(&info);
    return true;
}

bool DecodeOther(const std::uint8_t* bytes, std::size_t size, std::int64_t maxPixels, DecodedPicture& out,
                 std::string* error)
{
    if (size > 0x7FFFFFFF) return Fail(error, "file too large");
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, static_cast<int>(size), &w, &h, &channels)) return Fail(error, "unknown picture format");
    if (!SizeAllowed(w, h, maxPixels)) return Fail(error, "picture size out of range");
    stbi_uc* pixels = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4);
    if (!pixels) return Fail(error, "damaged picture data");
    out.width = w;
    out.height = h;
    out.alpha = channels == 4 || channels == 2;
    out.kind = PictureKind::kOther;
    out.rgba.assign(pixels, pixels + static_cast<std::size_t>(w) * h * 4);
    stbi_image_free(pixels);
    return true;
}

}  // namespace

bool DecodePicture(const std::uint8_t* bytes, std::size_t size, std::int64_t maxPixels, DecodedPicture& out,
                   std::string* error)
{
    out = DecodedPicture{};
    if (!bytes || size == 0) return Fail(error, "no picture data");
    static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::equal(kPng, kPng + 8, bytes)) return DecodePng(bytes, size, maxPixels, out, error);
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return DecodeJpeg(bytes, size, maxPixels, out, error);
    return DecodeOther(bytes, size, maxPixels, out, error);
}

}  // namespace vls::d3dx
