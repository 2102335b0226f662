#include "engine/world/walk_map_sight_fan.h"

#include "engine/world/walk_map_edge_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// An edge this many margins from the point or nearer is tested for every
// line: its widened directions would cover most of the turn.
constexpr double kAlwaysMargins = 4.0;
// A direction's measure moves no faster than its angle, and the angle at
// which a place within margin m of an edge at distance d can lie off the
// edge's directions is at most asin(m / d) <= (pi / 2) m / d.
constexpr double kHalfPi = 1.5707963267948966;
// Covers the rounding of the measure of a direction, many times over.
constexpr double kTurnSlack = 1e-12;
// Widens a region beyond the rounding of the distances that placed a line
// inside it, many times over.
constexpr double kRegionShare = 1e-3;
constexpr double kRegionSlack = 1e-3;

// How far an axis-aligned box lies outside a point along each axis, by the
// offsets of its two corners from the point.
struct BoxOffset {
    double x, z;
    BoxOffset(double u1, double u2, double v1, double v2)
        : x(std::max({std::min(u1, u2), -std::max(u1, u2), 0.0})), z(std::max({std::min(v1, v2), -std::max(v1, v2), 0.0}))
    {
    }
    // No more than the distance, which is no more than 1.5 times this.
    double Near() const { return std::max(x, z); }
    double Distance() const { return std::sqrt(x * x + z * z); }
};

} // namespace

double WalkSightFan::Turn(double dx, double dz)
{
    const double share = dz / (std::fabs(dx) + std::fabs(dz));
    if (dx >= 0.0)
        return dz >= 0.0 ? share : 4.0 + share;
    return 2.0 - share;
}

void WalkSightFan::Build(const WalkEdgeGrid& edges, float x, float z, double reach, const Region* region)
{
    edges_ = &edges;
    x_ = x;
    z_ = z;
    reach_ = reach;
    always_.clear();
    const std::size_t count = edges.EdgeCount();
    first_.resize(count);
    span_.resize(count);
    distance_.resize(count);
    sectorStart_.assign(kSectors + 1, 0);
    clear_.assign(kSectors, std::numeric_limits<double>::infinity());
    const double margin = edges.Margin(reach);
    const double px = x, pz = z;
    // The point has the least measure of all places (share is at most 1),
    // so a line from a place in the region to it stays in the region; one
    // that passes within margin of an edge brings a point of the edge within
    // (1 + share) margins of the region's limit, and the edge's box is no
    // farther by the measure than that point.
    double regionReach = std::numeric_limits<double>::infinity();
    if (region && region->share >= 0.0 && region->share <= 1.0)
        regionReach = region->limit * (1.0 + kRegionShare) + kRegionSlack + 2.0 * margin;
    // Most edges lie far outside the region: the grid tells them four at a
    // time, by the distances of their boxes as the test below measures them.
    const bool quick = regionReach < std::numeric_limits<double>::infinity() && std::isfinite(x) && std::isfinite(z)
                    && std::isfinite(region->otherX) && std::isfinite(region->otherZ);
    if (quick)
        edges.BeyondRegion(x, z, region->otherX, region->otherZ, region->share, regionReach, beyond_);
    constexpr double kPerTurn = kSectors / 4.0;
    for (std::uint32_t e = 0; e < count; ++e) {
        span_[e] = 0;
        if (quick && beyond_[e])
            continue;
        float ax, az, bx, bz;
        edges.EdgeEnds(e, ax, az, bx, bz);
        const double ux = ax - px, uz = az - pz, vx = bx - px, vz = bz - pz;
        const BoxOffset fromPoint(ux, vx, uz, vz);
        // Edges at places that are not finite cross lines by no measure of
        // distance, and are always filed. Most edges far outside the region
        // are told by the nearer measure of distance, without a square root.
        if (regionReach < std::numeric_limits<double>::infinity() && std::isfinite(ax) && std::isfinite(az)
            && std::isfinite(bx) && std::isfinite(bz)) {
            const double ox = region->otherX, oz = region->otherZ;
            const BoxOffset fromOther(ax - ox, bx - ox, az - oz, bz - oz);
            if (fromPoint.Near() + region->share * fromOther.Near() > regionReach
                || fromPoint.Distance() + region->share * fromOther.Distance() > regionReach)
                continue;
        }
        // No nearer than the edge's box comes to the point.
        const double nearest = fromPoint.Distance();
        // Edges that are not finite land here too.
        if (!(nearest > kAlwaysMargins * margin)) {
            always_.push_back(e);
            continue;
        }
        // No line of sight is long enough to come within margin of it.
        if (nearest - margin > reach)
            continue;
        double low = Turn(ux, uz), high = Turn(vx, vz);
        if (high < low)
            std::swap(low, high);
        // The edge lies across the +x direction: its turn runs from the
        // higher measure round through 0.
        if (high - low > 2.0) {
            const double wrapped = low + 4.0;
            low = high;
            high = wrapped;
        }
        const double widen = kHalfPi * margin / nearest + kTurnSlack;
        low -= widen;
        high += widen;
        std::int64_t first = 0, last = kSectors - 1;
        if (high - low < 4.0) {
            // Both ends lie above -2 turns (the widening of an edge not
            // tested always is below 1), so truncation is the floor.
            constexpr double kLift = 2.0 * kSectors;
            first = static_cast<std::int64_t>(low * kPerTurn + kLift) - static_cast<std::int64_t>(kLift);
            last = static_cast<std::int64_t>(high * kPerTurn + kLift) - static_cast<std::int64_t>(kLift);
            last = std::min(last, first + kSectors - 1);
        }
        first_[e] = static_cast<std::uint32_t>(((first % kSectors) + kSectors) % kSectors);
        span_[e] = static_cast<std::uint32_t>(last - first + 1);
        distance_[e] = nearest - margin;
        for (std::uint32_t k = 0, s = first_[e]; k < span_[e]; ++k, s = s + 1 == kSectors ? 0 : s + 1) {
            ++sectorStart_[s];
            clear_[s] = std::min(clear_[s], distance_[e]);
        }
    }
    // Each sector's count becomes its end, and filling it from the back
    // leaves its start there.
    for (int s = 1; s < kSectors; ++s)
        sectorStart_[s] += sectorStart_[s - 1];
    sectorStart_[kSectors] = sectorStart_[kSectors - 1];
    sectorEdges_.resize(sectorStart_[kSectors]);
    for (std::uint32_t e = static_cast<std::uint32_t>(count); e-- > 0;) {
        for (std::uint32_t k = 0, s = first_[e]; k < span_[e]; ++k, s = s + 1 == kSectors ? 0 : s + 1)
            sectorEdges_[--sectorStart_[s]] = e;
    }
}

bool WalkSightFan::Crosses(float x1, float z1, std::uint32_t* crossed) const
{
    const double dx = double{x1} - x_, dz = double{z1} - z_;
    const double extent = std::fabs(dx) + std::fabs(dz);
    // Lines longer than the fan was filed for, of no length, or not finite.
    if (!(extent <= reach_) || extent == 0.0)
        return edges_->Crosses(x1, z1, x_, z_, crossed);
    const auto hit = [&](std::uint32_t e) {
        if (!edges_->CrossesEdge(e, x1, z1, x_, z_))
            return false;
        if (crossed)
            *crossed = e;
        return true;
    };
    for (const std::uint32_t e : always_) {
        if (hit(e))
            return true;
    }
    const double turn = Turn(dx, dz) * (kSectors / 4.0);
    const int sector = std::min(static_cast<int>(turn), kSectors - 1);
    const double length = std::sqrt(dx * dx + dz * dz);
    if (length < clear_[sector])
        return false;
    for (std::uint32_t k = sectorStart_[sector]; k < sectorStart_[sector + 1]; ++k) {
        const std::uint32_t e = sectorEdges_[k];
        if (distance_[e] <= length && hit(e))
            return true;
    }
    return false;
}
