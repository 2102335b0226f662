#pragma once

// A small S3TC (DXT) block encoder for test and demo textures: endpoints are
// the darkest and brightest colours of each 4 x 4 block, every pixel takes
// the nearest of the block's palette. Good enough to tell textures apart,
// not a quality encoder.

#include <cstdint>
#include <vector>

namespace vls::tools {

// Sub-formats as the model files store them.
enum class DxtKind : int {
    kDxt1 = 0,       // opaque colour
    kDxt1Alpha = 1,  // colour with 1-bit alpha
    kDxt3 = 2,       // explicit 4-bit alpha
    kDxt5 = 3,       // interpolated alpha
};

// One level: rgba is width x height x 4 bytes (R, G, B, A).
std::vector<std::uint8_t> EncodeDxt(int width, int height, const std::vector<std::uint8_t>& rgba, DxtKind kind);

// The next smaller mip level by averaging 2 x 2 pixels.
std::vector<std::uint8_t> HalveRgba(int width, int height, const std::vector<std::uint8_t>& rgba);

}  // namespace vls::tools
