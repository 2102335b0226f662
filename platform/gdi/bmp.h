#pragma once

// BMP files: reading 1, 4, 8, 16, 24 and 32 bits per pixel (uncompressed or
// bit fields, bottom-up or top-down, with the old core header too) and
// writing 16 (5-5-5), 24 and 32 bits, bottom-up.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"

namespace vls::gdi {

struct BmpInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0;
};

// Fills `out` with the picture, top row first. False with a reason for
// anything malformed; nothing is read past the data.
bool ReadBmp(std::span<const std::uint8_t> data, Surface& out, BmpInfo& info, std::string& error);

// The whole file; an empty vector for a bit count other than 16, 24 or 32.
std::vector<std::uint8_t> WriteBmp(const Surface& picture, int bitCount);

}  // namespace vls::gdi
