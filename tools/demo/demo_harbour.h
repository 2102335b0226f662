#pragma once

// The demo's first room: "harbour", a quay and a pier seen from two views,
// one walk-map layer and one hotspot (the boat), with a scene script that
// answers on_enter and on_leave. The resources are returned by name so the
// demo writer packs them beside the project.

#include "engine/world/hotspot_format.h"
#include "tools/demo/demo_floor.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vls::tools {

using DemoResource = std::pair<std::string, std::vector<std::uint8_t>>;

struct Picture;

// "harbour.scene", "harbour_quay.view", "harbour_pier.view", the rope
// lying on the quay, "harbour_quay_rope.image", and the close-up of the
// lighthouse, "harbour_tower.view".
std::vector<DemoResource> MakeHarbourResources();

// A view of the demo's sea front from `camera`, showing `picture`.
ViewDescription HarbourView(const std::string& name, const Picture& picture, const DemoFloorCamera& camera);
// A hotspot of one area in the first view: the polygon through `corners`.
HotspotData QuadHotspot(const std::vector<HotspotPoint>& corners, std::int8_t cursor);
// A ledge on the lighthouse's rock: a block of rock `height` units high,
// the middle of its front edge on the floor at `front`.
struct RockLedge {
    FloorPoint front;
    float height;
};
constexpr float kRockLedgeHalfWidth = 0.55f;
constexpr float kRockLedgeDepth = 1.2f;
// Its top, lit from the sky; its sides are in shade.
constexpr std::uint32_t kRockLedgeTopColour = 0xFF6C645A;

// The corners of the ledge's block on the band as `camera` sees them: the
// front edge's left and right, then the back edge's, first on the floor and
// then at its height.
std::vector<BandPoint> RockLedgeOnBand(const DemoFloorCamera& camera, const RockLedge& ledge);

// The seascape as seen from the lighthouse's rock through `camera`, the
// ledge standing on the rock.
Picture LighthouseRockPicture(const DemoFloorCamera& camera, const RockLedge& ledge);

}  // namespace vls::tools
