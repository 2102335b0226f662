#pragma once

// The demo's first room: "harbour", a quay and a pier seen from two views,
// one walk-map layer and one hotspot (the boat), with a scene script that
// answers on_enter and on_leave. The resources are returned by name so the
// demo writer packs them beside the project.

#include "engine/world/hotspot_format.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vls::tools {

using DemoResource = std::pair<std::string, std::vector<std::uint8_t>>;

struct Picture;
struct ViewDescription;
class DemoFloorCamera;

// "harbour.scene", "harbour_quay.view", "harbour_pier.view", the rope
// lying on the quay, "harbour_quay_rope.image", and the close-up of the
// lighthouse, "harbour_tower.view".
std::vector<DemoResource> MakeHarbourResources();

// A view of the demo's sea front from `camera`, showing `picture`.
ViewDescription HarbourView(const std::string& name, const Picture& picture, const DemoFloorCamera& camera);
// A hotspot of one area in the first view: the polygon through `corners`.
HotspotData QuadHotspot(const std::vector<HotspotPoint>& corners, std::int8_t cursor);
// The seascape as seen from the lighthouse's rock.
Picture LighthouseRockPicture();

}  // namespace vls::tools
