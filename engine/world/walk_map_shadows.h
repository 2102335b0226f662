#pragma once

#include "engine/world/walk_map_edge_grid.h"

#include <cstdint>
#include <utility>
#include <vector>

// The few edges near one point that hide the most of the floor from it,
// ready for the lines of sight of four places to the point at once. A place
// is hidden only when its segment to the point crosses one of them by the
// edge grid's own test, in the same operations, so every answer "hidden" is
// the one the grid would give; places left unhidden still need their test.
class WalkShadows {
public:
    static constexpr int kMostEdges = 4;

    // Chooses among the enabled edges within a few cells of (x, z) those
    // that hide the most of the region where places are tested: within
    // limit of the point by their distance to it plus their distance to
    // (otherX, otherZ), or within limit of the point when ellipse is false.
    void Build(const WalkEdgeGrid& edges, float x, float z, float otherX, float otherZ, double limit, bool ellipse);
    bool Empty() const { return edges_.empty(); }
    // Bit k is set when the segment from (x[k], z[k]) to the point crosses
    // one of the edges.
    unsigned Hidden4(const float* x, const float* z) const;
    bool Hidden(float x, float z) const;

private:
    // An edge with the parts of the crossing test that do not depend on the
    // place: its direction and the side of the point.
    struct Edge {
        float ax, az, bx, bz;
        float dx, dz;
        float pointSide;
    };

    float x_ = 0.0f, z_ = 0.0f;
    std::vector<Edge> edges_;
    WalkEdgeGrid::Nearby near_;
    std::vector<std::pair<double, std::uint32_t>> ranked_;

    // How much of the region the edge from (ux, uz) to (vx, vz), relative
    // to the point, hides, roughly: the area of the sector it covers
    // between it and the region's rim.
    static double HiddenArea(double ux, double uz, double vx, double vz, double towardX, double towardZ,
                             double focus, double limit, bool ellipse);
};
