#pragma once

// Writes ".image" resources from pictures: raw pixels (3 or 4 bytes), or DXT1
// to DXT5 blocks of the power-of-two texture, one block set per frame.

#include "engine/render/image_format.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vls::tools {

// A picture as A8R8G8B8 values, top row first.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;

    Picture() = default;
    Picture(uint32_t w, uint32_t h, uint32_t fill = 0xFF000000) : width(w), height(h), argb(size_t(w) * h, fill) {}
    uint32_t& At(uint32_t x, uint32_t y) { return argb[size_t(y) * width + x]; }
};

// PNG, BMP, JPEG or TGA through stb_image; false when it cannot be read.
bool LoadPicture(const std::filesystem::path& path, Picture& picture);

// The header's width and height come from the first frame and its frame count
// from the list; its pixel type picks raw (0) or a DXT type (2 to 6). Every
// frame must have the first frame's size.
std::vector<uint8_t> WriteImage(KestruneImageHeader header, const std::vector<Picture>& frames);

// One DXT level of a picture placed in the top-left of a width x height
// texture (the rest transparent black).
std::vector<uint8_t> EncodeDxt(uint32_t pixelType, const Picture& picture, uint32_t width, uint32_t height);

} // namespace vls::tools
