#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class cKestruneEnvironmentLayer;
class WalkEdgeGrid;

// A layer's node graph as the planner reads it, checked once when the layer
// is bound: node positions unpacked, and the largest share of the straight
// distance between two nodes that every row distance reaches (about 1 for
// rows measured along the floor, 0 when a node is not at a finite place),
// which lets the planner pass over nodes that lie far off the way between
// start and target: the nearer the share is to 1, the more of them.
struct WalkNodeGraph {
    const cKestruneEnvironmentLayer* layer = nullptr;
    std::vector<float> x;
    std::vector<float> z;
    double straightShare = 0.0;
};

// False, with out unusable, unless every row entry names a node of the graph
// at a distance that is not negative and every node names a polygon of its
// layer, so the planner can follow rows and polygons without checks.
bool ReadWalkNodeGraph(const cKestruneEnvironmentLayer& layer, WalkNodeGraph& out);

// Finds the pair of nodes that a walk over the graph goes through: of every
// node seen from the start and every node seen from the target, the pair
// whose straight distances plus row distance cost least, below 100000, and
// of equally cheap pairs the first in node order. Nodes are looked at
// cheapest first, and only those that can still take part in a pair cheaper
// than the best found are tested for line of sight. Keeps its buffers from
// one walk to the next.
class WalkNodePairSearch {
public:
    bool Find(const WalkEdgeGrid& edges, const WalkNodeGraph& graph, float startX, float startZ, float targetX,
              float targetZ, std::int32_t& a, std::int32_t& b);

private:
    struct Seen {
        std::int32_t node;
        float distance;
        float x, z;
    };
    // A node waiting to be looked at from one side, with the least a pair of
    // it could cost.
    struct Queued {
        double least;
        std::int32_t node;
        bool startSide;
    };
    static constexpr std::size_t kBuckets = 256;
    enum : std::uint8_t { kUntested, kBlocked, kVisible };
    // One end of the walk, with what its lines of sight found so far: the
    // nodes tested, and the edges that blocked the latest of them. Nearby
    // obstacles hide most of the floor from a point, so an edge that hid one
    // node usually hides the next, and testing it first ends most blocked
    // lines at once.
    struct End {
        float x, z;
        std::vector<std::uint8_t> seen;
        static constexpr int kBlockers = 4;
        std::uint32_t blockers[kBlockers];
        int blockerCount;
        void Reset(float atX, float atZ, std::size_t nodes);
    };

    // The distance of every node from (x, z).
    void Measure(float x, float z, std::vector<float>& distance) const;
    // The first node of the least distance, or the count when none is finite.
    static std::size_t Nearest(const std::vector<float>& distance);
    // Orders queue_ into sorted_ by least cost, bucket by bucket.
    void Sort(double lowest, double highest);
    // Whether node i sees the end, tested once per walk.
    bool Sees(std::size_t i, End& end) const;
    // The nearest node that sees the end, or -1; nearest: the nearest node.
    std::int32_t NearestSeeing(End& end, std::size_t nearest, const std::vector<float>& distance);

    const WalkEdgeGrid* edges_ = nullptr;
    const WalkNodeGraph* graph_ = nullptr;
    std::vector<float> fromStart_, toTarget_;
    End start_, target_;
    std::vector<std::int32_t> order_;
    std::vector<Queued> queue_, sorted_;
    std::array<std::uint32_t, kBuckets + 1> bucketStart_{};
    double bucketLow_ = 0.0, bucketWidth_ = 1.0;
    std::vector<Seen> startSide_, targetSide_;
    std::vector<std::uint32_t> passing_;
};
