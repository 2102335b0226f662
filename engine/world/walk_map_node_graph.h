#pragma once

#include "engine/world/environment_layer_format.h"
#include "engine/world/walk_map_shadows.h"
#include "engine/world/walk_map_sight_fan.h"

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
    // The box of the nodes at finite places.
    float lowX = 0.0f, lowZ = 0.0f, highX = 0.0f, highZ = 0.0f;
    // A few landmark nodes spread over the box, each with its row (row k
    // of landmarkRows holds the distances from landmark k) and the most by
    // which a way from it through another node comes out shorter than its
    // own row (row(l, b) - row(l, a) - row(a, b)), widened for rounding:
    // row(l, b) - row(l, a) - that shortfall is then no more than row(a, b)
    // for every pair whose row is finite, even in single precision. Rows
    // measured along the floor fall short by nothing, and the bound often
    // shows a pair too dear without reading its row, which lies anywhere
    // in the table. Infinite for a landmark whose row is not all finite.
    static constexpr std::size_t kLandmarks = 8;
    std::vector<std::uint32_t> landmarks;
    std::vector<float> landmarkRows;
    std::vector<float> landmarkShortfall;
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
        // The distance from the landmark in use (0 without one).
        float mark;
    };
    // The seen nodes of one side, field by field, so that a new node of the
    // other side is paired with four of them at a time.
    struct SeenSide {
        std::vector<std::int32_t> node;
        std::vector<float> distance, x, z, mark;
        std::size_t Size() const { return node.size(); }
        void Clear();
        void Add(const Seen& seen);
        Seen At(std::size_t k) const { return {node[k], distance[k], x[k], z[k], mark[k]}; }
    };
    // What the landmark in use tells of the row of a pair of seen with a
    // seen node of the other side: it is at least sign times the other's
    // mark plus offset.
    struct LandmarkBound {
        float sign;
        float offset;
    };
    // A node waiting to be looked at from one side, with the least a pair of
    // it could cost.
    struct Queued {
        double least;
        std::int32_t node;
        bool startSide;
        // Its bucket while the queue is sorted.
        std::uint8_t bucket;
    };
    static constexpr std::size_t kBuckets = 256;
    enum : std::uint8_t { kUntested, kBlocked, kVisible };
    // One end of the walk, with what its lines of sight found so far: the
    // nodes tested, and the edges that blocked the latest of them. Nearby
    // obstacles hide most of the floor from a point, so an edge that hid one
    // node usually hides the next, and testing it first ends most blocked
    // lines at once. An end whose lines are many files the edges by their
    // direction from it.
    struct End {
        float x, z;
        std::vector<std::uint8_t> seen;
        static constexpr int kBlockers = 4;
        std::uint32_t blockers[kBlockers];
        int blockerCount;
        int lines;
        // The most that a node tested from now on can cost by its straight
        // ways (see the region of WalkSightFan); infinite until known.
        double limit;
        WalkSightFan fan;
        void Reset(float atX, float atZ, std::size_t nodes);
    };

    // The distance of every node from (x, z); returns the first node of the
    // least distance, or the count when none is finite.
    std::size_t Measure(float x, float z, std::vector<float>& distance) const;
    // Orders queue_ into sorted_ by least cost, bucket by bucket.
    void Sort(double lowest, double highest);
    // Fills passing_ with the seen nodes of the other side whose pair with
    // seen can cost no more than best by its straight ways (the row taken at
    // quickShare of the straight way between the nodes when straight) and
    // by the landmark's bound on the row, and fetches the rows of those
    // pairs ahead; returns how many.
    std::uint32_t Passing(const Seen& seen, const SeenSide& others, float best, float quickShare, bool straight,
                          LandmarkBound landmark, const LayerRowEntry* row, std::size_t stride);
    // The landmark whose rows tell most of the way from node a to node b, or
    // -1 when none tells anything.
    std::int32_t ChooseLandmark(std::int32_t a, std::int32_t b) const;
    // Whether node i sees the end, tested once per walk.
    bool Sees(std::size_t i, End& end, const End& other) const;
    // Whether the segment from (x, z) to the end crosses an edge, and which;
    // other is the other end of the walk.
    bool Blocked(End& end, const End& other, float x, float z, std::uint32_t& edge) const;
    // The nearest node that sees the end, or -1; nearest: the nearest node.
    std::int32_t NearestSeeing(End& end, const End& other, std::size_t nearest, const std::vector<float>& distance);

    const WalkEdgeGrid* edges_ = nullptr;
    const WalkNodeGraph* graph_ = nullptr;
    std::vector<float> fromStart_, toTarget_;
    End start_, target_;
    // The edges that hide the most from each end: most nodes behind them
    // are passed over before the queue is filled.
    WalkShadows startShadows_, targetShadows_;
    std::vector<std::int32_t> order_;
    std::vector<Queued> queue_, sorted_;
    std::array<std::uint32_t, kBuckets + 1> bucketStart_{};
    double bucketLow_ = 0.0, bucketWidth_ = 1.0;
    SeenSide startSide_, targetSide_;
    std::vector<std::uint32_t> passing_;
    std::vector<std::uint8_t> masks_;
};
