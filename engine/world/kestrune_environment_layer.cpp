#include "engine/world/kestrune_environment_layer.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/script/kestrune_script.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float kBoundsStart = 100000.0f;

float Squared(float dx, float dz) { return dx * dx + dz * dz; }

} // namespace

std::int32_t cKestruneEnvironmentLayer::Load(std::int32_t slot)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    std::uint8_t headerBytes[kLayerHeaderSize];
    if (!files || files->Read(slot, headerBytes, sizeof headerBytes) != 0)
        return -1;
    DatafileByteReader reader(headerBytes, sizeof headerBytes);
    const LayerHeader read = ReadLayerHeader(reader);
    if (read.dataSize > files->GetRemaining(slot)) {
        ReportError("gameplay", read.name.c_str(), 0, "Environment layer data runs past its scene file.");
        return -1;
    }
    std::uint8_t* const block = static_cast<std::uint8_t*>(
        files->ReadAlloc(slot, static_cast<std::int32_t>(read.dataSize)));
    if (!block)
        return -1;
    header = read;
    name_ = read.name.c_str();
    const std::string problem = ParseLayerData(read, block, read.dataSize, data_);
    std::free(block);
    if (!problem.empty()) {
        ReportError("gameplay", read.name.c_str(), 0, "%s", problem.c_str());
        data_ = LayerData();
        return -1;
    }
    return 0;
}

std::int32_t cKestruneEnvironmentLayer::LoadFromMemory(const std::uint8_t* bytes, std::size_t size)
{
    DatafileByteReader reader(bytes, size);
    const LayerHeader read = ReadLayerHeader(reader);
    const std::uint8_t* const block = reader.Take(read.dataSize);
    if (reader.Failed()) {
        ReportError("gameplay", read.name.c_str(), 0, "Environment layer data runs past its scene file.");
        return -1;
    }
    header = read;
    name_ = read.name.c_str();
    const std::string problem = ParseLayerData(read, block, read.dataSize, data_);
    if (!problem.empty()) {
        ReportError("gameplay", read.name.c_str(), 0, "%s", problem.c_str());
        data_ = LayerData();
        return -1;
    }
    return 0;
}

bool cKestruneEnvironmentLayer::PolygonHolds(float x, float z, const LayerPolygon& polygon) const
{
    const LayerPoint* const points = data_.points.data() + polygon.firstPoint;
    bool inside = false;
    for (std::uint32_t i = 0, j = polygon.pointCount - 1; i < polygon.pointCount; j = i++) {
        const LayerPoint& a = points[j];
        const LayerPoint& b = points[i];
        if ((b.z <= z && z < a.z) || (a.z <= z && z < b.z)) {
            if (x < (a.x - b.x) * (z - b.z) / (a.z - b.z) + b.x)
                inside = !inside;
        }
    }
    return inside;
}

bool cKestruneEnvironmentLayer::PointInPolygon(float x, float z, std::uint32_t polygon) const
{
    if (!enabled || polygon >= data_.polygons.size() || data_.polygons[polygon].pointCount == 0)
        return false;
    return PolygonHolds(x, z, data_.polygons[polygon]);
}

int cKestruneEnvironmentLayer::ContainingVerdict(float x, float z) const
{
    int verdict = -1;
    for (const LayerPolygon& polygon : data_.polygons) {
        if (polygon.pointCount > 0 && PolygonHolds(x, z, polygon))
            verdict = polygon.IsHole() ? 0 : 1;
    }
    return verdict;
}

bool cKestruneEnvironmentLayer::ContainsPoint(float x, float z) const
{
    return enabled && ContainingVerdict(x, z) == 1;
}

void cKestruneEnvironmentLayer::ContainsPointOut(float x, float z, std::uint8_t& out) const
{
    if (!enabled)
        return;
    const int verdict = ContainingVerdict(x, z);
    if (verdict >= 0)
        out = static_cast<std::uint8_t>(verdict);
}

bool cKestruneEnvironmentLayer::PointInTriangle(float x, float z, std::uint32_t triangle) const
{
    if (!enabled || triangle >= data_.triangles.size())
        return false;
    const LayerTriangle& t = data_.triangles[triangle];
    const LayerPoint& a = data_.points[t.corner[0]];
    const LayerPoint& b = data_.points[t.corner[1]];
    const LayerPoint& c = data_.points[t.corner[2]];
    return (b.x - a.x) * (z - a.z) - (b.z - a.z) * (x - a.x) >= 0.0f
        && (c.x - b.x) * (z - b.z) - (c.z - b.z) * (x - b.x) >= 0.0f
        && (a.x - c.x) * (z - c.z) - (a.z - c.z) * (x - c.x) >= 0.0f;
}

bool cKestruneEnvironmentLayer::Barycentric(const LayerPoint& a, const LayerPoint& b, const LayerPoint& c, float px,
                                            float pz, float weights[3])
{
    const float ux = a.x - c.x, uz = a.z - c.z;
    const float vx = b.x - c.x, vz = b.z - c.z;
    const float wx = px - c.x, wz = pz - c.z;
    const float uu = ux * ux + uz * uz;
    const float vv = vx * vx + vz * vz;
    const float uv = ux * vx + uz * vz;
    const float uw = ux * wx + uz * wz;
    const float vw = vx * wx + vz * wz;
    const float d = uu * vv - uv * uv;
    if (d == 0.0f) {
        weights[0] = weights[1] = weights[2] = 0.0f;
        return false;
    }
    weights[0] = (vv * uw - uv * vw) / d;
    weights[1] = (uu * vw - uv * uw) / d;
    weights[2] = 1.0f - weights[0] - weights[1];
    return true;
}

bool cKestruneEnvironmentLayer::HeightAt(float x, float z, float& y)
{
    if (!ContainsPoint(x, z))
        return false;
    for (std::uint32_t i = 0; i < data_.triangles.size(); ++i) {
        if (!PointInTriangle(x, z, i))
            continue;
        const LayerTriangle& t = data_.triangles[i];
        const LayerPoint& a = data_.points[t.corner[0]];
        const LayerPoint& b = data_.points[t.corner[1]];
        const LayerPoint& c = data_.points[t.corner[2]];
        float w[3];
        // A collinear triangle passes the edge test for the points on its
        // line but has no plane: it gives no height, and the search goes on.
        if (!Barycentric(a, b, c, x, z, w))
            continue;
        lastTriangle = static_cast<std::int32_t>(i);
        y = w[0] * a.y + w[1] * b.y + w[2] * c.y;
        return true;
    }
    if (data_.triangles.empty() || lastTriangle < 0 || static_cast<std::size_t>(lastTriangle) >= data_.triangles.size())
        return false;
    const LayerTriangle& t = data_.triangles[static_cast<std::size_t>(lastTriangle)];
    const LayerPoint& a = data_.points[t.corner[0]];
    const LayerPoint& b = data_.points[t.corner[1]];
    const LayerPoint& c = data_.points[t.corner[2]];
    const float da = Squared(x - a.x, z - a.z);
    const float db = Squared(x - b.x, z - b.z);
    const float dc = Squared(x - c.x, z - c.z);
    const float sum = da + db + dc;
    // All three corners on the point itself: any corner's height is the answer.
    if (sum == 0.0f) {
        y = a.y;
        return true;
    }
    y = ((db + dc) * a.y + (da + dc) * b.y + (da + db) * c.y) / (2.0f * sum);
    return true;
}

bool cKestruneEnvironmentLayer::SegmentCrossesEdges(float x1, float z1, float x2, float z2) const
{
    if (!enabled)
        return false;
    for (std::uint32_t i = 0; i < data_.polygons.size(); ++i) {
        if (SegmentCrossesPolygon(i, x1, z1, x2, z2))
            return true;
    }
    return false;
}

bool cKestruneEnvironmentLayer::SegmentCrossesPolygon(std::uint32_t index, float x1, float z1, float x2, float z2) const
{
    if (!enabled || index >= data_.polygons.size())
        return false;
    const auto side = [](float px, float pz, float ax, float az, float bx, float bz) {
        return (pz - az) * (bx - ax) - (px - ax) * (bz - az);
    };
    const auto opposite = [](float s, float t) { return s != 0.0f && t != 0.0f && (s < 0.0f) != (t < 0.0f); };
    const LayerPolygon& polygon = data_.polygons[index];
    const LayerPoint* const points = data_.points.data() + polygon.firstPoint;
    for (std::uint32_t i = 1; i < polygon.pointCount; ++i) {
        const LayerPoint& p = points[i - 1];
        const LayerPoint& q = points[i];
        if (!opposite(side(p.x, p.z, x1, z1, x2, z2), side(q.x, q.z, x1, z1, x2, z2)))
            continue;
        if (!opposite(side(x2, z2, p.x, p.z, q.x, q.z), side(x1, z1, p.x, p.z, q.x, q.z)))
            continue;
        return true;
    }
    return false;
}

void cKestruneEnvironmentLayer::GetBounds(float& minX, float& minZ, float& maxX, float& maxZ) const
{
    minX = minZ = kBoundsStart;
    maxX = maxZ = -kBoundsStart;
    for (const LayerPoint& point : data_.points) {
        minX = std::fmin(minX, point.x);
        minZ = std::fmin(minZ, point.z);
        maxX = std::fmax(maxX, point.x);
        maxZ = std::fmax(maxZ, point.z);
    }
}

void cKestruneEnvironmentLayer::SetStairValue(std::int32_t count)
{
    stairCount = count;
    // A stair needs three points of its first polygon and a step count; the
    // controllers divide by the step length, so a stair without rise or
    // length stays inactive.
    if (count == 0 || data_.polygons.empty() || data_.polygons[0].pointCount < 3)
        return;
    const LayerPoint* const p = data_.points.data() + data_.polygons[0].firstPoint;
    const bool firstEdge = std::fabs(p[2].y - p[1].y) <= std::fabs(p[1].y - p[0].y);
    const LayerPoint& e0 = firstEdge ? p[0] : p[1];
    const LayerPoint& e1 = firstEdge ? p[1] : p[2];
    const float top = std::fmax(e0.y, e1.y);
    const float bottom = std::fmin(e0.y, e1.y);
    const float stepHeight = std::fabs((top - bottom) / static_cast<float>(count));
    const float stepLength = std::fabs(std::sqrt((e1.x - e0.x) * (e1.x - e0.x) + (e1.y - e0.y) * (e1.y - e0.y))
                                       / static_cast<float>(count));
    if (stepHeight == 0.0f || stepLength == 0.0f)
        return;
    stairTop = top;
    stairBottom = bottom;
    stairActive = 1;
    stairStepHeight = stepHeight;
    stairStepLength = stepLength;
}

void cKestruneEnvironmentLayer::UpdateTrigger(bool hasPlayer, float x, float z, cKestruneScript* sceneScript)
{
    if (!triggerActive || !enabled || !hasPlayer)
        return;
    const bool inside = ContainingVerdict(x, z) == 1;
    if (inside == (playerInside != 0))
        return;
    playerInside = inside ? 1 : 0;
    const cString& callback = inside ? enterCallback : leaveCallback;
    if (sceneScript && callback.GetLength() > 0)
        sceneScript->Run(callback.GetText());
}

namespace {

void PutU32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* at)
{
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

void PutF32(std::uint8_t* at, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    PutU32(at, bits);
}

float GetF32(const std::uint8_t* at)
{
    const std::uint32_t bits = GetU32(at);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

void PutName(std::uint8_t* at, const cString& text)
{
    std::memset(at, 0, 64);
    std::memcpy(at, text.GetText(), std::min<std::size_t>(63, static_cast<std::size_t>(text.GetLength())));
}

cString GetName(const std::uint8_t* at)
{
    char buffer[65] = {};
    std::memcpy(buffer, at, 64);
    return cString(buffer);
}

} // namespace

void cKestruneEnvironmentLayer::SaveState(std::uint8_t* record, std::uint32_t viewToken) const
{
    std::memset(record, 0, kStateRecordSize);
    record[0] = enabled;
    PutU32(record + 4, viewToken);
    record[8] = stairActive;
    record[9] = triggerActive;
    PutName(record + 10, enterCallback);
    PutName(record + 74, leaveCallback);
    record[138] = playerInside;
    PutU32(record + 140, static_cast<std::uint32_t>(stairCount));
    PutF32(record + 144, stairTop);
    PutF32(record + 148, stairBottom);
    PutF32(record + 152, stairStepHeight);
    PutF32(record + 156, stairStepLength);
}

std::uint32_t cKestruneEnvironmentLayer::LoadState(const std::uint8_t* record)
{
    enabled = record[0];
    stairActive = record[8];
    triggerActive = record[9];
    enterCallback = GetName(record + 10);
    leaveCallback = GetName(record + 74);
    playerInside = record[138];
    stairCount = static_cast<std::int32_t>(GetU32(record + 140));
    stairTop = GetF32(record + 144);
    stairBottom = GetF32(record + 148);
    stairStepHeight = GetF32(record + 152);
    stairStepLength = GetF32(record + 156);
    return GetU32(record + 4);
}
