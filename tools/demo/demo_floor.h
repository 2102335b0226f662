#pragma once

// The demo's floor under its painted views: each view's camera stands at eye
// height over a flat floor (y = 0) and looks along +z, tilted down so the
// horizon falls on the picture's painted horizon. From that camera come the
// view's depth map (what a click on the picture unprojects with) and the
// walk-map polygon laid under a painted floor area.

#include "tools/scene_writer.h"

#include <string>
#include <vector>

namespace vls::tools {

// Where the demo's painted sea meets the sky, in band rows, and the height
// its views are seen from, in floor units (the figure is 1.8 tall).
constexpr float kSeaHorizonRow = 220.0f;
constexpr float kDemoEyeHeight = 3.0f;

struct BandPoint {
    float x; // pixels of the 1024 x 512 band
    float y;
};

struct FloorPoint {
    float x;
    float z;
};

class DemoFloorCamera {
public:
    // Eye at (eyeX, eyeHeight, 0); the horizon on band row horizonRow.
    DemoFloorCamera(float eyeX, float eyeHeight, float horizonRow);

    // The camera fields of a view header: position, direction, up, lens and
    // far plane.
    void FillHeader(ViewHeader& header) const;
    // Depth (distance along the view) of the floor under every band pixel,
    // -1 where a pixel sees no floor; one row per band row.
    void FillDepthMap(ViewDescription& view) const;
    // The distance along the view to the floor seen on a band row; -1 above
    // the horizon.
    float Depth(float bandRow) const;
    // The floor point under a band pixel; false above the horizon.
    bool Unproject(BandPoint pixel, FloorPoint& out) const;
    // Where the point `height` units above a floor point shows on the band;
    // the point must lie in front of the camera.
    BandPoint Project(FloorPoint floor, float height) const;
    // The camera as one record of a realtime video's camera track: the
    // fourteen values of a ".cmotion" record, z components stored negated as
    // in a view's header.
    std::vector<float> MotionRecord() const;

    float EyeX() const { return eyeX_; }

private:
    // The view ray through a band pixel, with its forward component 1.
    void Ray(float bandX, float bandY, float ray[3]) const;

    float eyeX_;
    float eyeHeight_;
    float tiltSin_;
    float tiltCos_;
    float tanHalf_;
};

// A walk layer: the floor under the convex band polygon `outline` (given
// clockwise on the picture), as one closed ring fanned into triangles.
LayerDescription FloorLayer(const std::string& name, const DemoFloorCamera& camera,
                            const std::vector<BandPoint>& outline);

} // namespace vls::tools
