#pragma once

#include "engine/base/datafile_bytes.h"
#include "engine/world/environment_layer_format.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace vls::test {

// Builds layer data polygon by polygon (points in x/z, y as given).
class LayerBuilder {
public:
    LayerBuilder& Polygon(std::initializer_list<LayerPoint> points, bool hole = false)
    {
        LayerPolygon polygon;
        polygon.pointCount = static_cast<std::uint32_t>(points.size());
        polygon.flags = hole ? 1 : 0;
        polygon.firstPoint = static_cast<std::uint32_t>(data.points.size());
        data.polygons.push_back(polygon);
        data.points.insert(data.points.end(), points);
        return *this;
    }
    // A rectangle on the floor at height y.
    LayerBuilder& Rect(float x1, float z1, float x2, float z2, bool hole = false, float y = 0.0f)
    {
        return Polygon({{x1, y, z1}, {x2, y, z1}, {x2, y, z2}, {x1, y, z2}}, hole);
    }
    LayerBuilder& Triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c)
    {
        data.triangles.push_back({{a, b, c}});
        return *this;
    }
    std::vector<std::uint8_t> Bytes(const std::string& name = "walkmap") const
    {
        std::vector<std::uint8_t> out;
        DatafileByteWriter writer(out);
        WriteLayer(writer, name, data);
        return out;
    }

    LayerData data;
};

} // namespace vls::test
