#include "engine/world/walk_map_edge_grid.h"

#include "engine/world/kestrune_environment_layer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kMaxCellsPerSide = 256;
// Rounding lets the crossing test report a crossing for an edge that only
// nearly meets the segment; only edges within this distance of it can be
// found so (a part of the floor's and of the segment's size, never less
// than the base), so a cell is searched when the segment comes that close.
constexpr double kMarginBase = 1e-3;
constexpr double kMarginShare = 1e-5;
// Edges are filed with a margin of their own, against the rounding of the
// cell bounds, so one lying on a cell border is filed on both sides.
constexpr double kFilingShare = 1e-9;
// Far above the rounding of a few single-precision operations on lengths
// that are not negative, as a share of the result and at the least.
constexpr double kRegionRounding = 1e-5;
constexpr double kRegionRoundingFloor = 1e-30;
// Offsets up to this square and sum in single precision without overflow.
constexpr float kOrdinary = 1e18f;

bool Finite(float a, float b, float c, float d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// The cell index of v along one axis, the first or last cell for a place
// before or past the grid (an edge on the far border belongs to the last).
int CellOf(double v, double origin, double perCell, int count)
{
    const double f = (v - origin) * perCell;
    if (!(f >= 0.0))
        return 0;
    if (f >= count)
        return count - 1;
    return static_cast<int>(f);
}

} // namespace

void WalkEdgeGrid::Clear()
{
    layers_.clear();
    edges_.clear();
    boxes_ = Boxes();
    all_.clear();
    loose_.clear();
    cellStart_.clear();
    cellEdges_.clear();
    columns_ = rows_ = 0;
}

void WalkEdgeGrid::Build(const DynArray<cKestruneEnvironmentLayer*>& layers)
{
    Clear();
    constexpr float kFar = std::numeric_limits<float>::infinity();
    double minX = kFar, minZ = kFar, maxX = -kFar, maxZ = -kFar;
    for (std::int32_t i = 0; i < layers.count; ++i) {
        layers_.push_back(layers.data[i]);
        const LayerData& data = layers.data[i]->Data();
        for (const LayerPolygon& polygon : data.polygons) {
            const LayerPoint* const points = data.points.data() + polygon.firstPoint;
            for (std::uint32_t p = 1; p < polygon.pointCount; ++p) {
                const LayerPoint& a = points[p - 1];
                const LayerPoint& b = points[p];
                const Edge edge{a.x, a.z, b.x, b.z,
                                std::fmin(a.x, b.x), std::fmin(a.z, b.z), std::fmax(a.x, b.x), std::fmax(a.z, b.z),
                                static_cast<std::uint32_t>(i)};
                const std::uint32_t index = static_cast<std::uint32_t>(edges_.size());
                edges_.push_back(edge);
                all_.push_back(index);
                if (!Finite(a.x, a.z, b.x, b.z)) {
                    loose_.push_back(index);
                    // No measure of distance passes over it.
                    boxes_.Add(-kFar, -kFar, kFar, kFar);
                    continue;
                }
                boxes_.Add(edge.lowX, edge.lowZ, edge.highX, edge.highZ);
                minX = std::min(minX, static_cast<double>(edge.lowX));
                minZ = std::min(minZ, static_cast<double>(edge.lowZ));
                maxX = std::max(maxX, static_cast<double>(edge.highX));
                maxZ = std::max(maxZ, static_cast<double>(edge.highZ));
            }
        }
    }
    const std::size_t filed = edges_.size() - loose_.size();
    if (filed == 0)
        return;
    originX_ = minX;
    originZ_ = minZ;
    spanX_ = maxX - minX;
    spanZ_ = maxZ - minZ;
    margin_ = kMarginBase + kMarginShare * std::max(spanX_, spanZ_);
    filing_ = kFilingShare * std::max({spanX_, spanZ_, 1.0});

    // About two cells per edge, in the floor's proportions; coarser when
    // long edges would be filed in too many cells.
    const double cells = std::min(2.0 * static_cast<double>(filed), double{kMaxCellsPerSide} * kMaxCellsPerSide);
    double columns = std::sqrt(cells), rows = columns;
    if (spanX_ > 0.0 && spanZ_ > 0.0) {
        columns = std::sqrt(cells * spanX_ / spanZ_);
        rows = cells / std::max(columns, 1.0);
    } else if (spanZ_ > 0.0) {
        columns = 1.0;
        rows = cells;
    } else {
        columns = spanX_ > 0.0 ? cells : 1.0;
        rows = 1.0;
    }
    const auto side = [](double v) { return static_cast<int>(std::clamp(std::round(v), 1.0, double{kMaxCellsPerSide})); };
    Size(side(columns), side(rows));
    const std::size_t limit = 16 * filed + 4096;
    while (CountFiled() > limit && (columns_ > 1 || rows_ > 1))
        Size(std::max(1, columns_ / 2), std::max(1, rows_ / 2));

    const std::size_t cellCount = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    cellStart_.assign(cellCount + 1, 0);
    for (std::uint32_t e = 0; e < edges_.size(); ++e) {
        const Edge& edge = edges_[e];
        if (!Finite(edge.ax, edge.az, edge.bx, edge.bz))
            continue;
        AnyCell(edge.ax, edge.az, edge.bx, edge.bz, filing_, [this](std::size_t cell) {
            ++cellStart_[cell + 1];
            return false;
        });
    }
    for (std::size_t c = 0; c < cellCount; ++c)
        cellStart_[c + 1] += cellStart_[c];
    cellEdges_.resize(cellStart_[cellCount]);
    std::vector<std::uint32_t> next(cellStart_.begin(), cellStart_.end() - 1);
    for (std::uint32_t e = 0; e < edges_.size(); ++e) {
        const Edge& edge = edges_[e];
        if (!Finite(edge.ax, edge.az, edge.bx, edge.bz))
            continue;
        AnyCell(edge.ax, edge.az, edge.bx, edge.bz, filing_, [&](std::size_t cell) {
            cellEdges_[next[cell]++] = e;
            return false;
        });
    }
}

void WalkEdgeGrid::Size(int columns, int rows)
{
    columns_ = columns;
    rows_ = rows;
    cellWidth_ = spanX_ > 0.0 ? spanX_ / columns : 1.0;
    cellHeight_ = spanZ_ > 0.0 ? spanZ_ / rows : 1.0;
    columnsPerUnit_ = 1.0 / cellWidth_;
    rowsPerUnit_ = 1.0 / cellHeight_;
}

std::size_t WalkEdgeGrid::CountFiled() const
{
    std::size_t count = 0;
    for (const Edge& edge : edges_) {
        if (!Finite(edge.ax, edge.az, edge.bx, edge.bz))
            continue;
        AnyCell(edge.ax, edge.az, edge.bx, edge.bz, filing_, [&count](std::size_t) {
            ++count;
            return false;
        });
    }
    return count;
}

template <typename Visit>
bool WalkEdgeGrid::AnyCell(double x1, double z1, double x2, double z2, double margin, Visit visit) const
{
    const double lowZ = std::min(z1, z2), highZ = std::max(z1, z2);
    const int firstRow = CellOf(lowZ - margin, originZ_, rowsPerUnit_, rows_);
    const int lastRow = CellOf(highZ + margin, originZ_, rowsPerUnit_, rows_);
    const double dx = x2 - x1, dz = z2 - z1;
    const double perDz = dz != 0.0 ? 1.0 / dz : 0.0;
    for (int r = firstRow; r <= lastRow; ++r) {
        // The part of the segment that comes within margin of this row.
        const double from = std::max(lowZ, originZ_ + r * cellHeight_ - margin);
        const double to = std::min(highZ, originZ_ + (r + 1) * cellHeight_ + margin);
        if (from > to)
            continue;
        double left = std::min(x1, x2), right = std::max(x1, x2);
        if (dz != 0.0) {
            const double u = std::clamp((from - z1) * perDz, 0.0, 1.0);
            const double v = std::clamp((to - z1) * perDz, 0.0, 1.0);
            left = x1 + dx * std::min(u, v);
            right = x1 + dx * std::max(u, v);
            if (left > right)
                std::swap(left, right);
        }
        const int firstColumn = CellOf(left - margin, originX_, columnsPerUnit_, columns_);
        const int lastColumn = CellOf(right + margin, originX_, columnsPerUnit_, columns_);
        for (int c = firstColumn; c <= lastColumn; ++c) {
            if (visit(static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c)))
                return true;
        }
    }
    return false;
}

void WalkEdgeGrid::Gather(float x, float z, double reach, Nearby& out) const
{
    out.x = x;
    out.z = z;
    out.edges.clear();
    if (!Finite(x, z, x, z) || !std::isfinite(reach)) {
        out.reach = -1.0;
        return;
    }
    out.reach = reach;
    out.edges = loose_;
    if (columns_ == 0)
        return;
    const double margin = reach + Margin(2.0 * reach);
    const double lowX = x - margin, highX = x + margin, lowZ = z - margin, highZ = z + margin;
    AnyCell(x, z, x, z, margin, [&](std::size_t cell) {
        for (std::uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
            const Edge& edge = edges_[cellEdges_[k]];
            if (edge.highX >= lowX && edge.lowX <= highX && edge.highZ >= lowZ && edge.lowZ <= highZ)
                out.edges.push_back(cellEdges_[k]);
        }
        return false;
    });
    std::sort(out.edges.begin(), out.edges.end());
    out.edges.erase(std::unique(out.edges.begin(), out.edges.end()), out.edges.end());
}

bool WalkEdgeGrid::CrossesNearby(const Nearby& nearby, float x1, float z1, float x2, float z2) const
{
    const bool served = x1 == nearby.x && z1 == nearby.z && std::fabs(double{x2} - x1) <= nearby.reach
                     && std::fabs(double{z2} - z1) <= nearby.reach;
    if (!served)
        return Crosses(x1, z1, x2, z2);
    return AnyCrossed(nearby.edges, x1, z1, x2, z2, nullptr);
}

void WalkEdgeGrid::Boxes::Add(float lowX, float lowZ, float highX, float highZ)
{
    this->lowX.push_back(lowX);
    this->lowZ.push_back(lowZ);
    this->highX.push_back(highX);
    this->highZ.push_back(highZ);
}

void WalkEdgeGrid::BeyondRegion(float x, float z, float otherX, float otherZ, double share, double limit,
                                std::vector<std::uint8_t>& beyond) const
{
    // Offsets, squares, roots, sums and the share in single precision each
    // round by a part in 2^24 of what they measure, all of it not negative:
    // a sum this far past the limit is past it in any precision.
    const float far = static_cast<float>(limit * (1.0 + kRegionRounding) + kRegionRoundingFloor);
    const float part = static_cast<float>(share);
    const std::size_t count = edges_.size();
    beyond.assign(count, 0);
    const auto offset = [](float low, float high, float p) { return std::fmax(std::fmax(low - p, p - high), 0.0f); };
    // Offsets too large to square are never told.
    const auto away = [&](std::size_t e, float px, float pz) {
        const float ox = offset(boxes_.lowX[e], boxes_.highX[e], px), oz = offset(boxes_.lowZ[e], boxes_.highZ[e], pz);
        return std::fmax(ox, oz) <= kOrdinary ? std::sqrt(ox * ox + oz * oz) : 0.0f;
    };
    std::size_t e = 0;
#if defined(__SSE2__)
    // The same as below, four edges at a time.
    const __m128 px = _mm_set1_ps(x), pz = _mm_set1_ps(z), qx = _mm_set1_ps(otherX), qz = _mm_set1_ps(otherZ);
    const __m128 zero = _mm_setzero_ps(), partLanes = _mm_set1_ps(part), farLanes = _mm_set1_ps(far);
    const __m128 ordinary = _mm_set1_ps(kOrdinary);
    const auto lanes = [zero](__m128 low, __m128 high, __m128 p) {
        return _mm_max_ps(_mm_max_ps(_mm_sub_ps(low, p), _mm_sub_ps(p, high)), zero);
    };
    for (; e + 4 <= count; e += 4) {
        const __m128 lowX = _mm_loadu_ps(boxes_.lowX.data() + e), highX = _mm_loadu_ps(boxes_.highX.data() + e);
        const __m128 lowZ = _mm_loadu_ps(boxes_.lowZ.data() + e), highZ = _mm_loadu_ps(boxes_.highZ.data() + e);
        const __m128 ox = lanes(lowX, highX, px), oz = lanes(lowZ, highZ, pz);
        const __m128 qox = lanes(lowX, highX, qx), qoz = lanes(lowZ, highZ, qz);
        const __m128 near = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(ox, ox), _mm_mul_ps(oz, oz)));
        const __m128 nearOther = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(qox, qox), _mm_mul_ps(qoz, qoz)));
        const __m128 largest = _mm_max_ps(_mm_max_ps(ox, oz), _mm_max_ps(qox, qoz));
        const __m128 past = _mm_cmpgt_ps(_mm_add_ps(near, _mm_mul_ps(partLanes, nearOther)), farLanes);
        const int bits = _mm_movemask_ps(_mm_and_ps(past, _mm_cmple_ps(largest, ordinary)));
        for (int k = 0; k < 4; ++k)
            beyond[e + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(bits >> k & 1);
    }
#endif
    for (; e < count; ++e)
        beyond[e] = away(e, x, z) + part * away(e, otherX, otherZ) > far ? 1 : 0;
}

double WalkEdgeGrid::Margin(double extent) const { return margin_ + kMarginShare * extent; }

bool WalkEdgeGrid::EdgeEnabled(std::uint32_t e) const { return layers_[edges_[e].layer]->enabled != 0; }

bool WalkEdgeGrid::Crossed(const Edge& edge, float x1, float z1, float x2, float z2) const
{
    if (!layers_[edge.layer]->enabled)
        return false;
    // Written exactly as the layer's segment test, so both round alike.
    const auto side = [](float px, float pz, float ax, float az, float bx, float bz) {
        return (pz - az) * (bx - ax) - (px - ax) * (bz - az);
    };
    const auto opposite = [](float s, float t) { return s != 0.0f && t != 0.0f && (s < 0.0f) != (t < 0.0f); };
    return opposite(side(edge.ax, edge.az, x1, z1, x2, z2), side(edge.bx, edge.bz, x1, z1, x2, z2))
        && opposite(side(x2, z2, edge.ax, edge.az, edge.bx, edge.bz), side(x1, z1, edge.ax, edge.az, edge.bx, edge.bz));
}

bool WalkEdgeGrid::AnyCrossed(const std::vector<std::uint32_t>& list, float x1, float z1, float x2, float z2,
                              std::uint32_t* crossed) const
{
    for (const std::uint32_t e : list) {
        if (Crossed(edges_[e], x1, z1, x2, z2)) {
            if (crossed)
                *crossed = e;
            return true;
        }
    }
    return false;
}

bool WalkEdgeGrid::Crosses(float x1, float z1, float x2, float z2, std::uint32_t* crossed) const
{
    if (!Finite(x1, z1, x2, z2))
        return AnyCrossed(all_, x1, z1, x2, z2, crossed);
    if (AnyCrossed(loose_, x1, z1, x2, z2, crossed))
        return true;
    if (columns_ == 0)
        return false;
    const double margin = Margin(std::fabs(double{x2} - x1) + std::fabs(double{z2} - z1));
    const double lowX = std::min(x1, x2) - margin, highX = std::max(x1, x2) + margin;
    const double lowZ = std::min(z1, z2) - margin, highZ = std::max(z1, z2) + margin;
    return AnyCell(x1, z1, x2, z2, margin, [&](std::size_t cell) {
        for (std::uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
            const Edge& edge = edges_[cellEdges_[k]];
            if (edge.highX < lowX || edge.lowX > highX || edge.highZ < lowZ || edge.lowZ > highZ)
                continue;
            if (Crossed(edge, x1, z1, x2, z2)) {
                if (crossed)
                    *crossed = cellEdges_[k];
                return true;
            }
        }
        return false;
    });
}
