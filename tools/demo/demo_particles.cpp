#include "tools/demo/demo_particles.h"

#include "engine/render/image_format.h"
#include "tools/image_writer.h"

#include <algorithm>
#include <cmath>

namespace vls::tools {
namespace {

// A soft round spot of `colour`, opaque in the middle and fading to clear at
// its edge: point sprites stretch it over each particle.
std::vector<std::uint8_t> Spot(std::uint32_t side, std::uint32_t colour)
{
    Picture spot(side, side, 0x00000000);
    const float centre = side / 2.0f;
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x) {
            const float r = std::hypot(x + 0.5f - centre, y + 0.5f - centre) / centre;
            const auto alpha = static_cast<std::uint32_t>(255.0f * std::clamp(1.5f - 1.5f * r, 0.0f, 1.0f));
            spot.At(x, y) = alpha << 24 | (colour & 0xFFFFFF);
        }
    KestruneImageHeader header;
    header.alpha = 1;
    return WriteImage(header, {spot});
}

} // namespace

std::vector<DemoResource> MakeParticleResources()
{
    return {{"particle_snowflake.image", Spot(16, 0xFFFFFF)}, {"particle_raindrop.image", Spot(16, 0xC0E0FF)}};
}

} // namespace vls::tools
