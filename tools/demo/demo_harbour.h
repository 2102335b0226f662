#pragma once

// The demo's first room: "harbour", a quay and a pier seen from two views,
// one walk-map layer and one hotspot (the boat), with a scene script that
// answers on_enter and on_leave. The resources are returned by name so the
// demo writer packs them beside the project.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vls::tools {

using DemoResource = std::pair<std::string, std::vector<std::uint8_t>>;

// "harbour.scene", "harbour_quay.view" and "harbour_pier.view".
std::vector<DemoResource> MakeHarbourResources();

}  // namespace vls::tools
