#pragma once

#include "engine/base/dynarray.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class cKestruneEnvironmentLayer;

// The polygon edges of a walk map's layers filed by the cells of a uniform
// grid over them, so that a line-of-sight test looks only at the edges near
// its segment instead of every edge of every layer. The answer is the one
// the layers' own segment test gives: the same edges (consecutive stored
// points of every polygon), the same crossing rule, and a layer's enabled
// flag read at the time of the test.
class WalkEdgeGrid {
public:
    void Build(const DynArray<cKestruneEnvironmentLayer*>& layers);
    void Clear();
    // True when the segment crosses an edge of an enabled layer; crossed,
    // when given, then names that edge.
    bool Crosses(float x1, float z1, float x2, float z2, std::uint32_t* crossed = nullptr) const;
    // True when the segment crosses edge e (a name Crosses gave) of an
    // enabled layer: one edge that blocked a segment often blocks the next
    // one from the same point, and is tested first.
    bool CrossesEdge(std::uint32_t e, float x1, float z1, float x2, float z2) const
    {
        return Crossed(edges_[e], x1, z1, x2, z2);
    }
    // The edges near one point, gathered once for the many short segments
    // from it that the smoothing of a walk tests.
    struct Nearby {
        float x = 0.0f, z = 0.0f;
        double reach = -1.0;
        std::vector<std::uint32_t> edges;
    };
    // Gathers the edges that a segment from (x, z) whose ends differ by at
    // most reach in x and in z can cross (and a few more).
    void Gather(float x, float z, double reach, Nearby& out) const;
    // Crosses, answered from the gathered edges for a segment they serve.
    bool CrossesNearby(const Nearby& nearby, float x1, float z1, float x2, float z2) const;

    std::size_t EdgeCount() const { return edges_.size(); }
    // Whether edge e belongs to a layer that is enabled now.
    bool EdgeEnabled(std::uint32_t e) const;
    // The larger side of a cell: edges within a few of it of a point are
    // the ones near it.
    double CellSpan() const { return std::max(cellWidth_, cellHeight_); }
    void EdgeEnds(std::uint32_t e, float& ax, float& az, float& bx, float& bz) const
    {
        ax = edges_[e].ax;
        az = edges_[e].az;
        bx = edges_[e].bx;
        bz = edges_[e].bz;
    }
    // Marks the edges whose boxes lie so far from (x, z) and from (otherX,
    // otherZ), both finite, that the distance from the first plus share (at
    // most 1) of the distance from the second is beyond limit, even measured
    // in double precision; edges that are not finite never are.
    void BeyondRegion(float x, float z, float otherX, float otherZ, double share, double limit,
                      std::vector<std::uint8_t>& beyond) const;
    // Only an edge within this distance of a segment whose |dx| + |dz| is
    // extent can be found to cross it, rounding included.
    double Margin(double extent) const;

private:
    struct Edge {
        float ax, az, bx, bz;
        float lowX, lowZ, highX, highZ;
        std::uint32_t layer;
    };

    bool Crossed(const Edge& edge, float x1, float z1, float x2, float z2) const;
    bool AnyCrossed(const std::vector<std::uint32_t>& list, float x1, float z1, float x2, float z2,
                    std::uint32_t* crossed) const;
    // Calls visit(cell) for every cell within margin of the segment (and
    // possibly a few more) until visit returns true.
    template <typename Visit>
    bool AnyCell(double x1, double z1, double x2, double z2, double margin, Visit visit) const;
    void Size(int columns, int rows);
    std::size_t CountFiled() const;

    // The edges' boxes field by field, for four edges at a time.
    struct Boxes {
        std::vector<float> lowX, lowZ, highX, highZ;
        void Add(float lowX, float lowZ, float highX, float highZ);
    };

    std::vector<const cKestruneEnvironmentLayer*> layers_;
    std::vector<Edge> edges_;
    Boxes boxes_;
    // Every edge, and the edges with a coordinate that is not finite, which
    // no cell can hold: the first serves segments that are not finite, the
    // second is tested for every segment.
    std::vector<std::uint32_t> all_;
    std::vector<std::uint32_t> loose_;
    // Cell c holds cellEdges_[cellStart_[c] .. cellStart_[c + 1]).
    std::vector<std::uint32_t> cellStart_;
    std::vector<std::uint32_t> cellEdges_;
    double originX_ = 0.0, originZ_ = 0.0, cellWidth_ = 1.0, cellHeight_ = 1.0;
    double columnsPerUnit_ = 1.0, rowsPerUnit_ = 1.0;
    double spanX_ = 0.0, spanZ_ = 0.0;
    int columns_ = 0, rows_ = 0;
    double margin_ = 0.0;
    double filing_ = 0.0;
};
