#include "engine/world/walk_map_node_graph.h"

#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/walk_map_edge_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#define WALK_EIGHT_LANES 1
#endif

namespace {

constexpr float kNoCost = 100000.0f;
// Allows for the rounding of the distances and sums that the planner
// compares, many times over.
constexpr double kRoundingShare = 0.99999;
constexpr double kRoundingSlack = 1e-6;
// Well above both of the above, so a node whose least cost passes the limit
// by this share is beyond it by the tests themselves.
constexpr double kStopShare = 1e-5;
// The quick tests in single precision (a node far off the way, a pair far
// off it): a slightly lower share of the straight way and a wider slack than
// above keep them on the safe side of every rounding of their few operations.
constexpr double kQuickShare = 1.0 - 1e-5;
constexpr float kPairSlack = 1e-4f;
// Lines of sight from one end after which filing the edges by direction
// from it costs less than the grid would for the lines to come.
constexpr int kLinesBeforeFan = 32;

// A landmark's shortfall is widened by this share of the sizes of its rows,
// the largest row and itself: well above the rounding of the sums that
// measure it and of those that use it.
constexpr double kShortfallRounding = 1.0 / (1 << 19);

// The landmarks: the nodes nearest to the corners and the middles of the
// sides of the nodes' box, each taken once.
void ChooseLandmarks(WalkNodeGraph& graph)
{
    graph.landmarks.clear();
    if (!(graph.lowX <= graph.highX && graph.lowZ <= graph.highZ))
        return;
    const double lowX = graph.lowX, lowZ = graph.lowZ, highX = graph.highX, highZ = graph.highZ;
    const double midX = (lowX + highX) * 0.5, midZ = (lowZ + highZ) * 0.5;
    const double placeX[] = {lowX, midX, highX, highX, highX, midX, lowX, lowX};
    const double placeZ[] = {lowZ, lowZ, lowZ, midZ, highZ, highZ, highZ, midZ};
    static_assert(std::size(placeX) == WalkNodeGraph::kLandmarks);
    for (std::size_t k = 0; k < WalkNodeGraph::kLandmarks; ++k) {
        double least = std::numeric_limits<double>::infinity();
        std::uint32_t nearest = 0;
        for (std::size_t i = 0; i < graph.x.size(); ++i) {
            const double dx = graph.x[i] - placeX[k], dz = graph.z[i] - placeZ[k];
            if (dx * dx + dz * dz < least) {
                least = dx * dx + dz * dz;
                nearest = static_cast<std::uint32_t>(i);
            }
        }
        if (least < std::numeric_limits<double>::infinity()
            && std::find(graph.landmarks.begin(), graph.landmarks.end(), nearest) == graph.landmarks.end())
            graph.landmarks.push_back(nearest);
    }
}

// Raises shortfall[l] to row(l, b) - row(l, a) - row(a, b) over the row of
// node a, in single precision; a row that is not a number never raises it.
void RaiseShortfalls(const LayerRowEntry* row, std::size_t n, std::size_t a, const WalkNodeGraph& graph,
                     float* shortfall)
{
    const std::size_t count = graph.landmarks.size();
    for (std::size_t l = 0; l < count; ++l) {
        const float* const marks = graph.landmarkRows.data() + l * n;
        const float fromA = marks[a];
        float most = shortfall[l];
        std::size_t b = 0;
#if defined(__SSE2__)
        __m128 lanes = _mm_set1_ps(most);
        const __m128 from = _mm_set1_ps(fromA);
        for (; b + 4 <= n; b += 4) {
            // The distances of four entries, out of their {next, distance}.
            const __m128 low = _mm_loadu_ps(reinterpret_cast<const float*>(row + b));
            const __m128 high = _mm_loadu_ps(reinterpret_cast<const float*>(row + b + 2));
            const __m128 r = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1));
            const __m128 d = _mm_sub_ps(_mm_sub_ps(_mm_loadu_ps(marks + b), from), r);
            // The lane's value stays where d is not a number.
            lanes = _mm_max_ps(d, lanes);
        }
        float lane[4];
        _mm_storeu_ps(lane, lanes);
        for (const float v : lane)
            most = v > most ? v : most;
#endif
        for (; b < n; ++b) {
            const float d = (marks[b] - fromA) - row[b].distance;
            most = d > most ? d : most;
        }
        shortfall[l] = most;
    }
}

#if defined(WALK_EIGHT_LANES)
// What the pairs of one seen node with the other side's are tested by (see
// Passing).
struct PairTest {
    float distance, best, reach, x, z, share, sign, offset;
    bool straight;
};

bool HasEightLanes()
{
    static const bool has = __builtin_cpu_supports("avx");
    return has;
}

// Passing's test eight pairs at a time, in the same operations: bit j of
// masks[g] is set when pair 8g + j passes. Returns the pairs tested.
__attribute__((target("avx"))) std::size_t PairMasks8(const PairTest& test, const float* distance, const float* mark,
                                                      const float* x, const float* z, std::size_t m,
                                                      std::uint8_t* masks)
{
    const __m256 own = _mm256_set1_ps(test.distance), limit = _mm256_set1_ps(test.best);
    const __m256 room = _mm256_set1_ps(test.reach), share = _mm256_set1_ps(test.share);
    const __m256 px = _mm256_set1_ps(test.x), pz = _mm256_set1_ps(test.z);
    const __m256 sign = _mm256_set1_ps(test.sign), offset = _mm256_set1_ps(test.offset);
    const __m256 zero = _mm256_setzero_ps();
    std::size_t k = 0;
    for (; k + 8 <= m; k += 8) {
        const __m256 sum = _mm256_add_ps(own, _mm256_loadu_ps(distance + k));
        const __m256 least = _mm256_add_ps(_mm256_mul_ps(sign, _mm256_loadu_ps(mark + k)), offset);
        __m256 ok = _mm256_and_ps(_mm256_cmp_ps(sum, limit, _CMP_LE_OQ),
                                  _mm256_cmp_ps(_mm256_add_ps(sum, least), room, _CMP_LE_OQ));
        if (test.straight) {
            const __m256 left = _mm256_sub_ps(room, sum);
            const __m256 dx = _mm256_sub_ps(px, _mm256_loadu_ps(x + k));
            const __m256 dz = _mm256_sub_ps(pz, _mm256_loadu_ps(z + k));
            const __m256 span = _mm256_mul_ps(share, _mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dz, dz)));
            ok = _mm256_and_ps(ok, _mm256_and_ps(_mm256_cmp_ps(left, zero, _CMP_GE_OQ),
                                                 _mm256_cmp_ps(span, _mm256_mul_ps(left, left), _CMP_LE_OQ)));
        }
        masks[k / 8] = static_cast<std::uint8_t>(_mm256_movemask_ps(ok));
    }
    return k;
}
#endif

} // namespace

bool ReadWalkNodeGraph(const cKestruneEnvironmentLayer& layer, WalkNodeGraph& out)
{
    const LayerData& data = layer.Data();
    const std::size_t n = data.nodes.size();
    out.layer = &layer;
    out.x.resize(n);
    out.z.resize(n);
    out.lowX = out.lowZ = std::numeric_limits<float>::infinity();
    out.highX = out.highZ = -std::numeric_limits<float>::infinity();
    bool finite = true;
    for (std::size_t i = 0; i < n; ++i) {
        const LayerNode& node = data.nodes[i];
        if (node.field[2] >= data.polygons.size())
            return false;
        std::memcpy(&out.x[i], &node.field[0], sizeof(float));
        std::memcpy(&out.z[i], &node.field[1], sizeof(float));
        if (!std::isfinite(out.x[i]) || !std::isfinite(out.z[i])) {
            finite = false;
            continue;
        }
        out.lowX = std::min(out.lowX, out.x[i]);
        out.lowZ = std::min(out.lowZ, out.z[i]);
        out.highX = std::max(out.highX, out.x[i]);
        out.highZ = std::max(out.highZ, out.z[i]);
    }
    if (data.rows.size() != n * n)
        return false;
    ChooseLandmarks(out);
    const std::size_t landmarkCount = out.landmarks.size();
    out.landmarkRows.resize(landmarkCount * n);
    for (std::size_t l = 0; l < landmarkCount; ++l) {
        const LayerRowEntry* const row = data.rows.data() + std::size_t{out.landmarks[l]} * n;
        for (std::size_t b = 0; b < n; ++b)
            out.landmarkRows[l * n + b] = row[b].distance;
    }
    std::vector<float> shortfall(landmarkCount, -std::numeric_limits<float>::infinity());
    // The least ratio of a row's square to the squared straight distance of
    // its nodes; a distance that is not a number makes it 0.
    double leastSquared = finite ? 1.0 : 0.0;
    double largest = 0.0;
    for (std::size_t a = 0; a < n; ++a) {
        const LayerRowEntry* const row = data.rows.data() + a * n;
        for (std::size_t b = 0; b < n; ++b) {
            if (row[b].next >= n || row[b].distance < 0.0f)
                return false;
            const double dx = double{out.x[b]} - out.x[a], dz = double{out.z[b]} - out.z[a];
            const double r = row[b].distance, straight = dx * dx + dz * dz;
            if (!(r * r >= leastSquared * straight))
                leastSquared = straight > 0.0 && r * r >= 0.0 ? r * r / straight : 0.0;
            if (r > largest && r < std::numeric_limits<double>::infinity())
                largest = r;
        }
        RaiseShortfalls(row, n, a, out, shortfall.data());
    }
    // Down by the rounding of the square root and the division.
    out.straightShare = std::sqrt(leastSquared) * (1.0 - 1e-12);
    out.landmarkShortfall.assign(landmarkCount, std::numeric_limits<float>::infinity());
    for (std::size_t l = 0; l < landmarkCount; ++l) {
        const float* const marks = out.landmarkRows.data() + l * n;
        double size = 0.0;
        bool usable = std::isfinite(shortfall[l]);
        for (std::size_t b = 0; b < n && usable; ++b) {
            usable = std::isfinite(marks[b]);
            size = std::max(size, double{marks[b]});
        }
        const double most = std::max(double{shortfall[l]}, 0.0);
        const double widened = most + kShortfallRounding * (size + largest + most);
        if (usable && widened < std::numeric_limits<float>::max())
            out.landmarkShortfall[l] = static_cast<float>(widened) * (1.0f + 1e-6f);
    }
    return true;
}

void WalkNodePairSearch::End::Reset(float atX, float atZ, std::size_t nodes)
{
    x = atX;
    z = atZ;
    seen.assign(nodes, kUntested);
    blockerCount = 0;
    lines = 0;
    limit = std::numeric_limits<double>::infinity();
}

bool WalkNodePairSearch::Blocked(End& end, const End& other, float x, float z, std::uint32_t& edge) const
{
    if (end.lines < kLinesBeforeFan && ++end.lines == kLinesBeforeFan) {
        // Every node lies within this |dx| + |dz| of the end; a node at a
        // place that is not finite is beyond it and goes to the grid.
        const double px = end.x, pz = end.z;
        const double reach = std::max(std::fabs(graph_->lowX - px), std::fabs(graph_->highX - px))
                           + std::max(std::fabs(graph_->lowZ - pz), std::fabs(graph_->highZ - pz));
        const WalkSightFan::Region region{other.x, other.z, graph_->straightShare, end.limit};
        end.fan.Build(*edges_, end.x, end.z, std::isfinite(reach) ? reach : 0.0, &region);
    }
    if (end.lines < kLinesBeforeFan)
        return edges_->Crosses(x, z, end.x, end.z, &edge);
    return end.fan.Crosses(x, z, &edge);
}

bool WalkNodePairSearch::Sees(std::size_t i, End& end, const End& other) const
{
    if (end.seen[i] != kUntested)
        return end.seen[i] == kVisible;
    // The segment runs from the node to the end, as every line of sight of
    // a node does: the crossing test is exact only in that order.
    const float x = graph_->x[i], z = graph_->z[i];
    int hit = 0;
    while (hit < end.blockerCount && !edges_->CrossesEdge(end.blockers[hit], x, z, end.x, end.z))
        ++hit;
    std::uint32_t edge = 0;
    if (hit < end.blockerCount)
        edge = end.blockers[hit];
    else if (Blocked(end, other, x, z, edge))
        hit = end.blockerCount < End::kBlockers ? end.blockerCount++ : End::kBlockers - 1;
    else {
        end.seen[i] = kVisible;
        return true;
    }
    // The blocking edge moves to the front.
    for (; hit > 0; --hit)
        end.blockers[hit] = end.blockers[hit - 1];
    end.blockers[0] = edge;
    end.seen[i] = kBlocked;
    return false;
}

std::int32_t WalkNodePairSearch::NearestSeeing(End& end, const End& other, std::size_t nearest,
                                               const std::vector<float>& distance)
{
    const std::size_t n = distance.size();
    if (nearest == n)
        return -1;
    // Usually the nearest node already sees the point; otherwise the others
    // come nearest first.
    if (Sees(nearest, end, other))
        return static_cast<std::int32_t>(nearest);
    order_.clear();
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isfinite(distance[i]) && i != nearest)
            order_.push_back(static_cast<std::int32_t>(i));
    }
    const auto farther = [&distance](std::int32_t l, std::int32_t r) { return distance[l] > distance[r]; };
    std::make_heap(order_.begin(), order_.end(), farther);
    while (!order_.empty()) {
        std::pop_heap(order_.begin(), order_.end(), farther);
        const std::int32_t i = order_.back();
        order_.pop_back();
        if (Sees(static_cast<std::size_t>(i), end, other))
            return i;
    }
    return -1;
}

std::size_t WalkNodePairSearch::Measure(float x, float z, std::vector<float>& distance) const
{
    // Four nodes at a time where the processor has the lanes; each lane
    // rounds as the plain loop does. Each lane keeps its least distance and
    // the first node at it (a distance that is not a number or infinite
    // never replaces one), and of the lanes' the least wins, the first node
    // on a tie.
    const std::size_t n = graph_->x.size();
    const float* const nx = graph_->x.data();
    const float* const nz = graph_->z.data();
    float* const out = distance.data();
    float least = std::numeric_limits<float>::infinity();
    std::size_t nearest = n;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128 px = _mm_set1_ps(x), pz = _mm_set1_ps(z);
    __m128 lane = _mm_set1_ps(least);
    __m128i laneNode = _mm_set1_epi32(-1);
    __m128i node = _mm_setr_epi32(0, 1, 2, 3);
    const __m128i four = _mm_set1_epi32(4);
    for (; i + 4 <= n; i += 4) {
        const __m128 dx = _mm_sub_ps(_mm_loadu_ps(nx + i), px);
        const __m128 dz = _mm_sub_ps(_mm_loadu_ps(nz + i), pz);
        const __m128 d = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dz, dz)));
        _mm_storeu_ps(out + i, d);
        const __m128 nearer = _mm_cmplt_ps(d, lane);
        lane = _mm_or_ps(_mm_and_ps(nearer, d), _mm_andnot_ps(nearer, lane));
        const __m128i take = _mm_castps_si128(nearer);
        laneNode = _mm_or_si128(_mm_and_si128(take, node), _mm_andnot_si128(take, laneNode));
        node = _mm_add_epi32(node, four);
    }
    float lanes[4];
    std::int32_t nodes[4];
    _mm_storeu_ps(lanes, lane);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(nodes), laneNode);
    for (int l = 0; l < 4; ++l) {
        const auto at = static_cast<std::size_t>(nodes[l]);
        if (nodes[l] >= 0 && (lanes[l] < least || (lanes[l] == least && at < nearest))) {
            least = lanes[l];
            nearest = at;
        }
    }
#endif
    for (; i < n; ++i) {
        const float dx = nx[i] - x, dz = nz[i] - z;
        out[i] = std::sqrt(dx * dx + dz * dz);
        if (out[i] < least) {
            least = out[i];
            nearest = i;
        }
    }
    return nearest;
}

void WalkNodePairSearch::Sort(double lowest, double highest)
{
    // Buckets over the range of least costs, filled by counting: the nodes
    // leave in the order of their buckets, in any order inside one.
    const double width = highest > lowest ? (highest - lowest) / kBuckets : 1.0;
    const double perWidth = 1.0 / width;
    const auto bucketOf = [&](double least) {
        const double f = (least - lowest) * perWidth;
        return f < kBuckets ? static_cast<std::size_t>(f) : std::size_t{kBuckets - 1};
    };
    static_assert(kBuckets - 1 <= std::numeric_limits<std::uint8_t>::max());
    bucketStart_.fill(0);
    for (Queued& q : queue_) {
        q.bucket = static_cast<std::uint8_t>(bucketOf(q.least));
        ++bucketStart_[q.bucket + 1u];
    }
    for (std::size_t k = 0; k < kBuckets; ++k)
        bucketStart_[k + 1] += bucketStart_[k];
    sorted_.resize(queue_.size());
    std::array<std::uint32_t, kBuckets> next;
    std::copy(bucketStart_.begin(), bucketStart_.end() - 1, next.begin());
    for (const Queued& q : queue_)
        sorted_[next[q.bucket]++] = q;
    bucketLow_ = lowest;
    bucketWidth_ = width;
}

void WalkNodePairSearch::SeenSide::Clear()
{
    node.clear();
    distance.clear();
    x.clear();
    z.clear();
    mark.clear();
}

void WalkNodePairSearch::SeenSide::Add(const Seen& seen)
{
    node.push_back(seen.node);
    distance.push_back(seen.distance);
    x.push_back(seen.x);
    z.push_back(seen.z);
    mark.push_back(seen.mark);
}

std::int32_t WalkNodePairSearch::ChooseLandmark(std::int32_t a, std::int32_t b) const
{
    const std::size_t n = graph_->x.size();
    std::int32_t chosen = -1;
    float most = 0.0f;
    for (std::size_t l = 0; l < graph_->landmarks.size(); ++l) {
        const float* const marks = graph_->landmarkRows.data() + l * n;
        const float tells = marks[b] - marks[a] - graph_->landmarkShortfall[l];
        if (tells > most) {
            most = tells;
            chosen = static_cast<std::int32_t>(l);
        }
    }
    return chosen;
}

std::uint32_t WalkNodePairSearch::Passing(const Seen& seen, const SeenSide& others, float best, float quickShare,
                                          bool straight, LandmarkBound landmark, const LayerRowEntry* row,
                                          std::size_t stride)
{
    // A pair whose straight ways alone, the row taken at its least share of
    // the straight way between the nodes, come to more than this is dearer
    // than the best beyond any rounding of the sums.
    const float reach = best * (1.0f + kPairSlack) + kPairSlack;
    const float quick = quickShare * quickShare;
    const std::size_t m = others.Size();
    passing_.resize(m);
    std::uint32_t count = 0;
    const auto pass = [&](std::size_t k) {
        __builtin_prefetch(row + static_cast<std::size_t>(others.node[k]) * stride);
        passing_[count++] = static_cast<std::uint32_t>(k);
    };
    std::size_t k = 0;
#if defined(WALK_EIGHT_LANES)
    if (m >= 8 && HasEightLanes()) {
        masks_.resize(m / 8);
        const PairTest test{seen.distance, best, reach, seen.x, seen.z, quick, landmark.sign, landmark.offset, straight};
        k = PairMasks8(test, others.distance.data(), others.mark.data(), others.x.data(), others.z.data(), m,
                       masks_.data());
        for (std::size_t g = 0; g < k / 8; ++g) {
            for (unsigned bits = masks_[g]; bits != 0; bits &= bits - 1)
                pass(8 * g + static_cast<std::size_t>(__builtin_ctz(bits)));
        }
    }
#endif
#if defined(__SSE2__)
    // The same operations as below, four pairs at a time; a pair whose sum
    // is not a number, which the plain test lets through, fails here, and
    // could never be chosen.
    const __m128 distance = _mm_set1_ps(seen.distance), limit = _mm_set1_ps(best), room = _mm_set1_ps(reach);
    const __m128 x = _mm_set1_ps(seen.x), z = _mm_set1_ps(seen.z), share = _mm_set1_ps(quick);
    const __m128 zero = _mm_setzero_ps();
    const __m128 sign = _mm_set1_ps(landmark.sign), offset = _mm_set1_ps(landmark.offset);
    for (; k + 4 <= m; k += 4) {
        const __m128 sum = _mm_add_ps(distance, _mm_loadu_ps(others.distance.data() + k));
        const __m128 least = _mm_add_ps(_mm_mul_ps(sign, _mm_loadu_ps(others.mark.data() + k)), offset);
        __m128 ok = _mm_and_ps(_mm_cmple_ps(sum, limit), _mm_cmple_ps(_mm_add_ps(sum, least), room));
        if (straight) {
            const __m128 left = _mm_sub_ps(room, sum);
            const __m128 dx = _mm_sub_ps(x, _mm_loadu_ps(others.x.data() + k));
            const __m128 dz = _mm_sub_ps(z, _mm_loadu_ps(others.z.data() + k));
            const __m128 span = _mm_mul_ps(share, _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dz, dz)));
            ok = _mm_and_ps(ok, _mm_and_ps(_mm_cmpge_ps(left, zero), _mm_cmple_ps(span, _mm_mul_ps(left, left))));
        }
        for (int bits = _mm_movemask_ps(ok); bits != 0; bits &= bits - 1)
            pass(k + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(bits))));
    }
#endif
    for (; k < m; ++k) {
        const float sum = seen.distance + others.distance[k];
        if (sum > best || !(sum + (landmark.sign * others.mark[k] + landmark.offset) <= reach))
            continue;
        if (straight) {
            const float left = reach - sum;
            const float dx = seen.x - others.x[k], dz = seen.z - others.z[k];
            if (left < 0.0f || quick * (dx * dx + dz * dz) > left * left)
                continue;
        }
        pass(k);
    }
    return count;
}

bool WalkNodePairSearch::Find(const WalkEdgeGrid& edges, const WalkNodeGraph& graph, float startX, float startZ,
                              float targetX, float targetZ, std::int32_t& a, std::int32_t& b)
{
    edges_ = &edges;
    graph_ = &graph;
    const std::size_t n = graph.x.size();
    fromStart_.resize(n);
    toTarget_.resize(n);
    start_.Reset(startX, startZ, n);
    target_.Reset(targetX, targetZ, n);
    const std::size_t nearestA = Measure(startX, startZ, fromStart_);
    const std::size_t nearestB = Measure(targetX, targetZ, toTarget_);
    if (nearestA == n || nearestB == n)
        return false;
    const float nearestToStart = fromStart_[nearestA], nearestToTarget = toTarget_[nearestB];

    // Any pair of nodes seeing the two ends bounds the cost of the best one.
    const std::int32_t someA = NearestSeeing(start_, target_, nearestA, fromStart_);
    if (someA < 0)
        return false;
    const std::int32_t someB = NearestSeeing(target_, start_, nearestB, toTarget_);
    if (someB < 0)
        return false;
    const LayerRowEntry* const rows = graph.layer->Data().rows.data();
    const std::int32_t landmark = ChooseLandmark(someA, someB);
    const float* const marks = landmark >= 0 ? graph.landmarkRows.data() + static_cast<std::size_t>(landmark) * n : nullptr;
    const float shortfall = landmark >= 0 ? graph.landmarkShortfall[static_cast<std::size_t>(landmark)] : 0.0f;
    const float some = fromStart_[static_cast<std::size_t>(someA)] + toTarget_[static_cast<std::size_t>(someB)]
                     + rows[static_cast<std::size_t>(someA) * n + static_cast<std::size_t>(someB)].distance;
    const float bound = some < kNoCost ? some : kNoCost;

    // A node is passed over when every pair it could be part of costs more
    // than the limit. Every row is at least 0, so a pair costs at least its
    // two straight distances; with rows at least the straight distance
    // between their nodes, a start-side node also costs at least its
    // distance to the start plus its straight distance to the target (the
    // way on to the target cannot be shorter), and likewise for the target
    // side: only nodes inside an ellipse around start and target remain.
    const double share = graph.straightShare;
    const bool straight = share > 0.0;
    const float quickShare = static_cast<float>(share * kQuickShare);
    // Most nodes lie far outside the ellipse: a test in single precision,
    // with room for its rounding, passes them over first.
    const auto quickBeyond = [=](float near, float far, float nearestFar, float limit) {
        return near + nearestFar > limit
            || (straight && near + quickShare * far > limit * (1.0f + kPairSlack) + kPairSlack);
    };
    // The least any pair of the node could cost by its straight ways.
    const auto way = [=](float near, float far) { return kRoundingShare * (double{near} + share * double{far}); };
    const auto beyond = [=](float near, float far, float nearestFar, float limit) {
        return quickBeyond(near, far, nearestFar, limit)
            || (straight && way(near, far) > double{limit} + kRoundingSlack);
    };
    queue_.clear();
    double lowest = std::numeric_limits<double>::infinity(), highest = 0.0;
    // One side of a node that the quick tests kept: the rest of beyond, and
    // the least cost by the same tests.
    const auto queueSide = [&](std::size_t i, float near, float far, float nearestFar, bool startSide) {
        if (!std::isfinite(near))
            return;
        double cost = near + nearestFar;
        if (straight) {
            const double straightWay = way(near, far);
            if (straightWay > double{bound} + kRoundingSlack)
                return;
            cost = std::max(cost, straightWay);
        }
        queue_.push_back({cost, static_cast<std::int32_t>(i), startSide, 0});
        lowest = std::min(lowest, cost);
        highest = std::max(highest, cost);
    };
    // A node hidden from an end by one of its nearest edges never pairs on
    // that side; most nodes that an end does not see are hidden so.
    startShadows_.Build(edges, startX, startZ, targetX, targetZ, bound, straight);
    targetShadows_.Build(edges, targetX, targetZ, startX, startZ, bound, straight);
    const auto queue = [&](std::size_t i) {
        const float s = fromStart_[i], t = toTarget_[i];
        if (!quickBeyond(s, t, nearestToTarget, bound) && !startShadows_.Hidden(graph.x[i], graph.z[i]))
            queueSide(i, s, t, nearestToTarget, true);
        if (!quickBeyond(t, s, nearestToStart, bound) && !targetShadows_.Hidden(graph.x[i], graph.z[i]))
            queueSide(i, t, s, nearestToStart, false);
    };
    std::size_t i = 0;
#if defined(__SSE2__)
    // The quick tests in the same operations four nodes at a time: most
    // nodes lie far off the way, and only the sides they keep take the rest
    // of the test.
    {
        const __m128 limit = _mm_set1_ps(bound);
        const __m128 quickLimit = _mm_set1_ps(bound * (1.0f + kPairSlack) + kPairSlack);
        const __m128 share = _mm_set1_ps(quickShare);
        const __m128 toTarget = _mm_set1_ps(nearestToTarget), toStart = _mm_set1_ps(nearestToStart);
        const __m128 ellipse = straight ? _mm_castsi128_ps(_mm_set1_epi32(-1)) : _mm_setzero_ps();
        for (; i + 4 <= n; i += 4) {
            const __m128 s = _mm_loadu_ps(fromStart_.data() + i), t = _mm_loadu_ps(toTarget_.data() + i);
            const __m128 startFar = _mm_or_ps(
                _mm_cmpgt_ps(_mm_add_ps(s, toTarget), limit),
                _mm_and_ps(ellipse, _mm_cmpgt_ps(_mm_add_ps(s, _mm_mul_ps(share, t)), quickLimit)));
            const __m128 targetFar = _mm_or_ps(
                _mm_cmpgt_ps(_mm_add_ps(t, toStart), limit),
                _mm_and_ps(ellipse, _mm_cmpgt_ps(_mm_add_ps(t, _mm_mul_ps(share, s)), quickLimit)));
            int startBits = _mm_movemask_ps(startFar), targetBits = _mm_movemask_ps(targetFar);
            if ((startBits & targetBits) == 0xF)
                continue;
            if (startBits != 0xF && !startShadows_.Empty())
                startBits |= static_cast<int>(startShadows_.Hidden4(graph.x.data() + i, graph.z.data() + i));
            if (targetBits != 0xF && !targetShadows_.Empty())
                targetBits |= static_cast<int>(targetShadows_.Hidden4(graph.x.data() + i, graph.z.data() + i));
            for (std::size_t k = 0; k < 4; ++k) {
                const float s = fromStart_[i + k], t = toTarget_[i + k];
                if (!(startBits >> k & 1))
                    queueSide(i + k, s, t, nearestToTarget, true);
                if (!(targetBits >> k & 1))
                    queueSide(i + k, t, s, nearestToStart, false);
            }
        }
    }
#endif
    for (; i < n; ++i)
        queue(i);
    Sort(lowest, highest);

    // The nodes come cheapest first, and each that sees its end is paired
    // with the seen nodes of the other side so far: every pair of seen nodes
    // is costed once, and the best cost found limits what is looked at next.
    // Once the cheapest nodes left cost more than the best pair, every pair
    // of the nodes left does, and the search ends without testing their
    // lines of sight. Ties go to the first pair in node order, as a search
    // in node order would find them, so the order in which pairs are costed
    // does not change the pair chosen.
    startSide_.Clear();
    targetSide_.Clear();
    float best = kNoCost;
    a = b = -1;
    const auto consider = [&](const Seen& s, const Seen& t) {
        const float cost = s.distance + t.distance
                         + rows[static_cast<std::size_t>(s.node) * n + static_cast<std::size_t>(t.node)].distance;
        const bool earlier = a >= 0 && (s.node < a || (s.node == a && t.node < b));
        if (cost < best || (cost == best && earlier)) {
            best = cost;
            a = s.node;
            b = t.node;
        }
    };
    // The pairs of a newly seen node with the seen nodes of the other side
    // that can still cost no more than the best: first the pairs that pass,
    // their rows fetched ahead (they lie all over the table), then costed.
    const auto pairWith = [&](const Seen& seen, const SeenSide& others, bool startSide) {
        const LayerRowEntry* const row =
            rows + (startSide ? static_cast<std::size_t>(seen.node) * n : static_cast<std::size_t>(seen.node));
        // A pair's row is at least the landmark's row to the target-side
        // node less its row to the start-side node and its shortfall.
        LandmarkBound least{0.0f, -std::numeric_limits<float>::max()};
        if (marks)
            least = startSide ? LandmarkBound{1.0f, -(seen.mark + shortfall)} : LandmarkBound{-1.0f, seen.mark - shortfall};
        const std::uint32_t count = Passing(seen, others, best, quickShare, straight, least, row, startSide ? 1 : n);
        for (std::uint32_t p = 0; p < count; ++p)
            startSide ? consider(seen, others.At(passing_[p])) : consider(others.At(passing_[p]), seen);
    };
    for (std::size_t k = 0; k < kBuckets; ++k) {
        // Past this, a node's least cost is above the limit beyond any
        // rounding of the tests above.
        const auto stop = [&] { return double{std::min(best, bound)} * (1.0 + kStopShare) + kStopShare; };
        // Every node of this bucket and the later ones costs at least the
        // bucket's lower edge, less a bucket for the rounding of its index.
        if (bucketLow_ + (static_cast<double>(k) - 1.0) * bucketWidth_ > stop())
            break;
        for (std::uint32_t q = bucketStart_[k]; q < bucketStart_[k + 1]; ++q) {
            const Queued& next = sorted_[q];
            if (next.least > stop())
                continue;
            const float limit = std::min(best, bound);
            start_.limit = target_.limit = limit;
            const auto i = static_cast<std::size_t>(next.node);
            const auto seen = [&](float distance) {
                return Seen{next.node, distance, graph.x[i], graph.z[i], marks ? marks[i] : 0.0f};
            };
            if (next.startSide) {
                if (beyond(fromStart_[i], toTarget_[i], nearestToTarget, limit) || !Sees(i, start_, target_))
                    continue;
                startSide_.Add(seen(fromStart_[i]));
                pairWith(seen(fromStart_[i]), targetSide_, true);
            } else {
                if (beyond(toTarget_[i], fromStart_[i], nearestToStart, limit) || !Sees(i, target_, start_))
                    continue;
                targetSide_.Add(seen(toTarget_[i]));
                pairWith(seen(toTarget_[i]), startSide_, false);
            }
        }
    }
    return a >= 0;
}
