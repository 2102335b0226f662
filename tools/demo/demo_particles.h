#pragma once

// The particle pictures of the demo's weather and fountain:
// "particle_snowflake.image" and "particle_raindrop.image".

#include "tools/demo/demo_harbour.h"

#include <vector>

namespace vls::tools {

std::vector<DemoResource> MakeParticleResources();

} // namespace vls::tools
