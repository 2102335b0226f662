#include "engine/world/walk_map_shadows.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The edges looked at lie within this many cells of the point: the nearer
// an edge, the wider the angle it can hide.
constexpr double kCellsAround = 2.0;
// An edge hiding less than this share of the region hides too few places
// to pay for testing every place against it.
constexpr double kLeastShare = 0.03;
constexpr double kPi = 3.141592653589793;

// The edge grid's side test, with the edge's direction given: the grid
// computes that direction by the same subtraction, so both round alike.
float Side(float px, float pz, float ax, float az, float dx, float dz) { return (pz - az) * dx - (px - ax) * dz; }

bool Opposite(float s, float t) { return s != 0.0f && t != 0.0f && (s < 0.0f) != (t < 0.0f); }

} // namespace

double WalkShadows::HiddenArea(double ux, double uz, double vx, double vz, double towardX, double towardZ,
                               double focus, double limit, bool ellipse)
{
    const double angle = std::atan2(std::fabs(ux * vz - uz * vx), ux * vx + uz * vz);
    const double mx = (ux + vx) * 0.5, mz = (uz + vz) * 0.5;
    const double middle = std::sqrt(mx * mx + mz * mz);
    // The rim along the edge's middle direction: of an ellipse with the
    // point as one focus, the other focus at focus along (towardX, towardZ)
    // and the distances to both at most limit; else of a circle.
    double rim = limit;
    if (ellipse) {
        const double a = limit * 0.5, c = focus * 0.5;
        const double along = middle > 0.0 ? (mx * towardX + mz * towardZ) / middle : 0.0;
        rim = (a * a - c * c) / (a - c * along);
    }
    return rim > middle ? 0.5 * angle * (rim * rim - middle * middle) : 0.0;
}

void WalkShadows::Build(const WalkEdgeGrid& edges, float x, float z, float otherX, float otherZ, double limit,
                        bool ellipse)
{
    x_ = x;
    z_ = z;
    edges_.clear();
    ranked_.clear();
    const double focus = std::hypot(double{otherX} - x, double{otherZ} - z);
    if (!std::isfinite(x) || !std::isfinite(z) || !std::isfinite(focus) || !(limit > focus) || !std::isfinite(limit)
        || edges.EdgeCount() == 0)
        return;
    const double towardX = focus > 0.0 ? (double{otherX} - x) / focus : 0.0;
    const double towardZ = focus > 0.0 ? (double{otherZ} - z) / focus : 0.0;
    const double a = limit * 0.5, c = focus * 0.5;
    const double area = ellipse ? kPi * a * std::sqrt(a * a - c * c) : kPi * limit * limit;
    edges.Gather(x, z, kCellsAround * edges.CellSpan(), near_);
    for (const std::uint32_t e : near_.edges) {
        if (!edges.EdgeEnabled(e))
            continue;
        float ax, az, bx, bz;
        edges.EdgeEnds(e, ax, az, bx, bz);
        const double hidden = HiddenArea(double{ax} - x, double{az} - z, double{bx} - x, double{bz} - z, towardX,
                                         towardZ, focus, limit, ellipse);
        if (hidden >= kLeastShare * area)
            ranked_.push_back({-hidden, e});
    }
    const std::size_t kept = std::min<std::size_t>(ranked_.size(), kMostEdges);
    std::partial_sort(ranked_.begin(), ranked_.begin() + static_cast<std::ptrdiff_t>(kept), ranked_.end());
    for (std::size_t k = 0; k < kept; ++k) {
        Edge edge;
        edges.EdgeEnds(ranked_[k].second, edge.ax, edge.az, edge.bx, edge.bz);
        edge.dx = edge.bx - edge.ax;
        edge.dz = edge.bz - edge.az;
        edge.pointSide = Side(x, z, edge.ax, edge.az, edge.dx, edge.dz);
        // The point on the edge's line: no segment to it crosses the edge.
        if (edge.pointSide != 0.0f)
            edges_.push_back(edge);
    }
}

bool WalkShadows::Hidden(float x, float z) const
{
    const float dx = x_ - x, dz = z_ - z;
    for (const Edge& e : edges_) {
        if (Opposite(Side(e.ax, e.az, x, z, dx, dz), Side(e.bx, e.bz, x, z, dx, dz))
            && Opposite(e.pointSide, Side(x, z, e.ax, e.az, e.dx, e.dz)))
            return true;
    }
    return false;
}

unsigned WalkShadows::Hidden4(const float* x, const float* z) const
{
#if defined(__SSE2__)
    // The operations of Hidden lane by lane; the comparisons answer for a
    // value that is not a number as the plain ones do.
    const __m128 zero = _mm_setzero_ps();
    const auto side = [](__m128 px, __m128 pz, __m128 ax, __m128 az, __m128 dx, __m128 dz) {
        return _mm_sub_ps(_mm_mul_ps(_mm_sub_ps(pz, az), dx), _mm_mul_ps(_mm_sub_ps(px, ax), dz));
    };
    const auto opposite = [zero](__m128 s, __m128 t) {
        return _mm_and_ps(_mm_and_ps(_mm_cmpneq_ps(s, zero), _mm_cmpneq_ps(t, zero)),
                          _mm_xor_ps(_mm_cmplt_ps(s, zero), _mm_cmplt_ps(t, zero)));
    };
    const __m128 x1 = _mm_loadu_ps(x), z1 = _mm_loadu_ps(z);
    const __m128 dx = _mm_sub_ps(_mm_set1_ps(x_), x1), dz = _mm_sub_ps(_mm_set1_ps(z_), z1);
    __m128 hidden = zero;
    for (const Edge& e : edges_) {
        const __m128 ax = _mm_set1_ps(e.ax), az = _mm_set1_ps(e.az);
        const __m128 bx = _mm_set1_ps(e.bx), bz = _mm_set1_ps(e.bz);
        const __m128 across = opposite(side(ax, az, x1, z1, dx, dz), side(bx, bz, x1, z1, dx, dz));
        const __m128 beyond = opposite(_mm_set1_ps(e.pointSide), side(x1, z1, ax, az, _mm_set1_ps(e.dx), _mm_set1_ps(e.dz)));
        hidden = _mm_or_ps(hidden, _mm_and_ps(across, beyond));
    }
    return static_cast<unsigned>(_mm_movemask_ps(hidden));
#else
    unsigned bits = 0;
    for (unsigned k = 0; k < 4; ++k)
        bits |= Hidden(x[k], z[k]) ? 1u << k : 0u;
    return bits;
#endif
}
