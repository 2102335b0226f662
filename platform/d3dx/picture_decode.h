#pragma once

// Pictures from files we did not write: PNG through libspng, JPEG through
// libjpeg-turbo, every other format through stb_image. The size a file
// declares is checked against a pixel cap before any pixel memory is taken,
// and PNG chunks are held to the file's own size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vls::d3dx {

// 16 M pixels: a 4096 x 4096 picture.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 24;

enum class PictureKind { kPng, kJpeg, kOther };

struct DecodedPicture {
    int width = 0;
    int height = 0;
    bool alpha = false;              // the file carries transparency
    PictureKind kind = PictureKind::kOther;
    std::vector<std::uint8_t> rgba;  // width x height x 4, top row first
};

// False with a short reason when the bytes are not a picture, are damaged,
// or declare more than maxPixels pixels.
bool DecodePicture(const std::uint8_t* bytes, std::size_t size, std::int64_t maxPixels, DecodedPicture& out,
                   std::string* error = nullptr);

}  // namespace vls::d3dx
