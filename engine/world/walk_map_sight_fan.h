#pragma once

#include <cstdint>
#include <vector>

class WalkEdgeGrid;

// The edges of a walk map filed by their direction from one point, for the
// many lines of sight that a walk tests from the nodes to one end: a node
// looks only at the edges in its own direction, and a node nearer to the
// point than every edge in its direction sees it without a test. The answer
// is the edge grid's: the same edges, the same crossing test; directions
// are widened by the distance within which rounding can make an edge cross.
class WalkSightFan {
public:
    // Where the lines of sight can run: within limit of the point by their
    // distance to it plus share (at most 1) of their distance to another
    // point. The planner tests lines only from nodes inside such a region
    // around the two ends of a walk, and a line from a place inside it to
    // the point stays inside, so edges far outside it need no filing.
    struct Region {
        float otherX = 0.0f, otherZ = 0.0f;
        double share = 0.0;
        double limit = 0.0;
    };

    // Files the grid's edges around (x, z) for lines of sight from places
    // whose |dx| + |dz| from it is at most reach, and inside region when one
    // is given.
    void Build(const WalkEdgeGrid& edges, float x, float z, double reach, const Region* region = nullptr);
    // Whether the segment from (x1, z1) to the point crosses an edge of an
    // enabled layer; crossed, when given, then names the edge.
    bool Crosses(float x1, float z1, std::uint32_t* crossed = nullptr) const;

private:
    static constexpr int kSectors = 256;

    // The sector of a direction, from a measure of its angle that grows
    // with it: 0 along +x, 1 along +z, 2 along -x, 3 along -z.
    static double Turn(double dx, double dz);

    const WalkEdgeGrid* edges_ = nullptr;
    float x_ = 0.0f, z_ = 0.0f;
    double reach_ = 0.0;
    // Edges near enough to the point to lie in every direction, tested for
    // every line.
    std::vector<std::uint32_t> always_;
    // Sector s holds sectorEdges_[sectorStart_[s] .. sectorStart_[s + 1]),
    // and no edge of it comes nearer than clear_[s] to the point.
    std::vector<std::uint32_t> sectorStart_;
    std::vector<std::uint32_t> sectorEdges_;
    std::vector<double> clear_;
    // Per edge while filing: its first sector and how many it spans.
    std::vector<std::uint32_t> first_, span_;
    std::vector<double> distance_;
    std::vector<std::uint8_t> beyond_;
};
