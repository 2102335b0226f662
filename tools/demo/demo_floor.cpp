#include "tools/demo/demo_floor.h"

#include "engine/render/kestrune_graphics.h"

#include <cmath>

namespace vls::tools {
namespace {

constexpr float kLens = 1.0f;
constexpr float kFarPlane = 200.0f;
// The engine's field of view for a lens value, and its screen's aspect.
constexpr float kLensBase = 1.5666666f;
constexpr float kLensSlope = 0.1928f;
constexpr float kAspect = 1.3333334f;
constexpr float kBandTop = static_cast<float>(cKestruneGraphics::kBandTop);
constexpr float kHalfWidth = cKestruneGraphics::kScreenWidth / 2.0f;
constexpr float kHalfHeight = cKestruneGraphics::kScreenHeight / 2.0f;
constexpr std::uint32_t kBandWidth = cKestruneGraphics::kScreenWidth;
constexpr std::uint32_t kBandHeight = cKestruneGraphics::kBandBottom - cKestruneGraphics::kBandTop;

} // namespace

DemoFloorCamera::DemoFloorCamera(float eyeX, float eyeHeight, float horizonRow)
    : eyeX_(eyeX), eyeHeight_(eyeHeight)
{
    const float fov = (kLensBase - kLensSlope * kLens) * kLens;
    tanHalf_ = std::tan(fov / 2.0f);
    // The horizon is where the ray's height stops falling: tilt the view
    // down by the angle whose tangent is that row's screen height.
    const float horizonNdc = (kHalfHeight - (horizonRow + kBandTop)) / kHalfHeight;
    const float tilt = std::atan(horizonNdc * tanHalf_);
    tiltSin_ = std::sin(tilt);
    tiltCos_ = std::cos(tilt);
}

void DemoFloorCamera::FillHeader(ViewHeader& header) const
{
    header.lens = kLens;
    header.farPlane = kFarPlane;
    header.up[0] = 0.0f;
    header.up[1] = 1.0f;
    header.up[2] = 0.0f;
    header.direction[0] = 0.0f;
    header.direction[1] = -tiltSin_;
    // Views store their z components negated.
    header.direction[2] = -tiltCos_;
    header.position[0] = eyeX_;
    header.position[1] = eyeHeight_;
    header.position[2] = 0.0f;
}

std::vector<float> DemoFloorCamera::MotionRecord() const
{
    ViewHeader header;
    FillHeader(header);
    return {0.0f,
            0.0f,
            0.0f,
            header.up[0],
            header.up[1],
            header.up[2],
            header.direction[0],
            header.direction[1],
            header.direction[2],
            header.position[0],
            header.position[1],
            header.position[2],
            header.lens,
            0.0f};
}

void DemoFloorCamera::Ray(float bandX, float bandY, float ray[3]) const
{
    const float ndcX = (bandX - kHalfWidth) / kHalfWidth;
    const float ndcY = (kHalfHeight - (bandY + kBandTop)) / kHalfHeight;
    // forward (0, -sin, cos), up (0, cos, sin), right (1, 0, 0)
    const float up = ndcY * tanHalf_;
    ray[0] = ndcX * tanHalf_ * kAspect;
    ray[1] = -tiltSin_ + up * tiltCos_;
    ray[2] = tiltCos_ + up * tiltSin_;
}

float DemoFloorCamera::Depth(float bandRow) const
{
    float ray[3];
    Ray(0.0f, bandRow, ray);
    // The ray's forward component is 1, so the distance along the view is
    // the same for the whole row.
    return ray[1] < 0.0f ? eyeHeight_ / -ray[1] : -1.0f;
}

bool DemoFloorCamera::Unproject(BandPoint pixel, FloorPoint& out) const
{
    float ray[3];
    Ray(pixel.x, pixel.y, ray);
    if (!(ray[1] < 0.0f))
        return false;
    const float along = eyeHeight_ / -ray[1];
    out.x = eyeX_ + ray[0] * along;
    out.z = ray[2] * along;
    return true;
}

BandPoint DemoFloorCamera::Project(FloorPoint floor, float height) const
{
    const float dx = floor.x - eyeX_, dy = height - eyeHeight_, dz = floor.z;
    // The offset from the eye on the view's axes, as in Ray.
    const float along = -dy * tiltSin_ + dz * tiltCos_;
    const float up = dy * tiltCos_ + dz * tiltSin_;
    const float ndcX = dx / along / (tanHalf_ * kAspect);
    const float ndcY = up / along / tanHalf_;
    return {kHalfWidth + ndcX * kHalfWidth, kHalfHeight - ndcY * kHalfHeight - kBandTop};
}

void DemoFloorCamera::FillDepthMap(ViewDescription& view) const
{
    view.mapWidth = kBandWidth;
    view.mapHeight = kBandHeight;
    view.depths.assign(static_cast<std::size_t>(kBandWidth) * kBandHeight, -1.0f);
    for (std::uint32_t y = 0; y < kBandHeight; ++y) {
        const float depth = Depth(static_cast<float>(y));
        if (depth < 0.0f || depth > kFarPlane)
            continue;
        for (std::uint32_t x = 0; x < kBandWidth; ++x)
            view.depths[static_cast<std::size_t>(y) * kBandWidth + x] = depth;
    }
}

LayerDescription FloorLayer(const std::string& name, const DemoFloorCamera& camera, const std::vector<BandPoint>& outline)
{
    LayerDescription layer;
    layer.name = name;
    LayerPolygon polygon;
    polygon.pointCount = static_cast<std::uint32_t>(outline.size() + 1);
    layer.data.polygons.push_back(polygon);
    for (const BandPoint& corner : outline) {
        FloorPoint floor{};
        camera.Unproject(corner, floor);
        layer.data.points.push_back({floor.x, 0.0f, floor.z});
    }
    // Stored rings repeat their first point.
    layer.data.points.push_back(layer.data.points.front());
    for (std::uint32_t i = 1; i + 1 < outline.size(); ++i)
        layer.data.triangles.push_back({{0, i, i + 1}});
    return layer;
}

} // namespace vls::tools
