#pragma once

// Walk-map node graphs for scene layers: nodes placed by hand, and the
// node-to-node rows (shortest distance and next node on the way) computed
// from the layer's own line-of-sight test, as the engine expects them.

#include "engine/world/environment_layer_format.h"
#include "engine/world/kestrune_player_control.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace vls::tools {

// The distance a row gives between nodes with no way between them.
constexpr float kNoWay = 100000.0f;

struct WalkCorner {
    float x;
    float z;
};

// A closed ring through `corners` at height 0, stored with its first point
// repeated at its end, as scene data stores its walk polygons (the segment
// test of line of sight reads only the stored edges).
void AddWalkPolygon(LayerData& data, const std::vector<WalkCorner>& corners, bool hole = false);
// A closed rectangular ring from (x1, z1) to (x2, z2).
void AddWalkRing(LayerData& data, float x1, float z1, float x2, float z2, bool hole = false);
// A node at (x, z) inside polygon polygon of the layer.
void AddWalkNode(LayerData& data, float x, float z, std::uint32_t polygon);
// The same only where the layer's polygons make (x, z) walkable, as the
// walk map sees it (the last polygon holding the point decides); whether
// the node was added.
bool AddWalkNodeOnFloor(LayerData& data, float x, float z, std::uint32_t polygon);
// Fills the rows: nodes that see each other, no farther apart than
// maxJoin, are joined by their straight distance, and the shortest ways over
// those joins are stored. Short joins make rows that zigzag over the floor,
// as a scene editor's lattice of nodes does.
void BuildWalkNodeRows(LayerData& data, float maxJoin = kNoWay);

// A controller without a model for driving a walk map alone: it keeps the
// position it is given and faces along +x.
class StandingControl : public cKestrunePlayerControl {
public:
    StandingControl() : cKestrunePlayerControl(nullptr, kDefault) {}
    void SetPosition(float x, float y, float z) override
    {
        position[0] = x;
        position[1] = y;
        position[2] = z;
    }
    void GetPosition(float out[3]) override { std::memcpy(out, position, sizeof position); }
    void SetOrientation(float, float, float, float, float, float) override {}
    void GetAxes(float out1[3], float out2[3]) override
    {
        out1[0] = out1[2] = out2[1] = out2[2] = 0.0f;
        out1[1] = out2[0] = 1.0f;
    }
    float position[3] = {};
};

} // namespace vls::tools
