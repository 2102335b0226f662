#include "tools/demo/demo_climb.h"

#include "engine/render/image_format.h"
#include "engine/render/kestrune_graphics.h"
#include "tools/demo/demo_floor.h"
#include "tools/video_tracks_writer.h"
#include "tools/video_writer.h"

#include <algorithm>
#include <cmath>

namespace vls::tools {
namespace {

constexpr int kBandWidth = cKestruneGraphics::kScreenWidth;
constexpr int kBandHeight = cKestruneGraphics::kBandBottom - cKestruneGraphics::kBandTop;

// How far the picture slides on the band at each record: the point of the
// painted view where the climber's feet are, at the height the track has
// lifted them to, goes to where the moved camera shows them. So the
// ground under him stays under him, and at the end the ledge's top.
struct Pan {
    int x;
    int y;
};

std::vector<Pan> ClimberPans(float eyeX, BandPoint foot)
{
    const DemoFloorCamera view(eyeX, kDemoEyeHeight, kSeaHorizonRow);
    FloorPoint floor{};
    view.Unproject(foot, floor);
    std::vector<Pan> pans;
    for (int k = 0; k < climb::kFrames; ++k) {
        const BandPoint painted = view.Project(floor, ClimbHeight(k));
        const BandPoint seen = ClimbCamera(eyeX, k).Project(floor, ClimbHeight(k));
        pans.push_back({static_cast<int>(std::lround(seen.x - painted.x)), static_cast<int>(std::lround(seen.y - painted.y))});
    }
    return pans;
}

VideoClipOptions ClimbClip(const Picture& picture, std::vector<Pan> pans)
{
    VideoClipOptions clip;
    clip.codec = VideoClipOptions::Codec::Mpeg4;
    clip.pixels = VideoClipOptions::Pixels::Yuv420;
    clip.width = kBandWidth;
    clip.height = kBandHeight;
    clip.frames = climb::kFrames;
    clip.rate = climb::kRate;
    clip.keyInterval = 10;
    clip.paint = [&picture, pans = std::move(pans)](int frame, int x, int y) {
        // While frame f shows, the engine has moved the camera to the
        // track's record f + 1 (and keeps the last one on the last frame).
        const Pan pan = pans[static_cast<std::size_t>(std::min(frame + 1, climb::kFrames - 1))];
        const int sx = std::clamp(x - pan.x, 0, static_cast<int>(picture.width) - 1);
        const int sy = std::clamp(y - pan.y, 0, static_cast<int>(picture.height) - 1);
        return picture.argb[static_cast<std::size_t>(sy) * picture.width + static_cast<std::size_t>(sx)];
    };
    return clip;
}

std::vector<std::uint8_t> ClimbVideo(const Picture& picture, float eyeX, BandPoint foot, std::string& error)
{
    const std::vector<std::uint8_t> clip = WriteVideoClip(ClimbClip(picture, ClimberPans(eyeX, foot)), error);
    if (clip.empty())
        return {};
    KestruneImageHeader header;
    header.width = kBandWidth;
    header.height = kBandHeight;
    header.frameRate = climb::kRate;
    header.pixelType = kImagePixelsBink;
    std::vector<std::uint8_t> bytes(kImageHeaderSize);
    WriteImageHeader(header, bytes.data());
    bytes.insert(bytes.end(), clip.begin(), clip.end());
    return bytes;
}

std::vector<std::uint8_t> CameraTrack(float eyeX)
{
    std::vector<std::vector<float>> records;
    for (int k = 0; k < climb::kFrames; ++k)
        records.push_back(ClimbCamera(eyeX, k).MotionRecord());
    return WriteCameraTrack(records);
}

std::vector<std::uint8_t> HeightTrack()
{
    std::vector<std::vector<float>> positions;
    for (int k = 0; k < climb::kFrames; ++k)
        positions.push_back({0.0f, ClimbHeight(k), 0.0f});
    return WriteHeightTrack(positions);
}

} // namespace

float ClimbHeight(int record) { return climb::kHeight * static_cast<float>(record) / (climb::kFrames - 1); }

DemoFloorCamera ClimbCamera(float eyeX, int record)
{
    const float t = static_cast<float>(record) / (climb::kFrames - 1);
    return DemoFloorCamera(eyeX + climb::kAcross * t, kDemoEyeHeight + climb::kRise * t, kSeaHorizonRow);
}

std::vector<DemoResource> MakeClimbResources(const std::string& name, const Picture& picture, float eyeX, BandPoint foot,
                                             std::string& error)
{
    const std::vector<std::uint8_t> video = ClimbVideo(picture, eyeX, foot, error);
    if (video.empty())
        return {};
    return {{name + ".image", video}, {name + ".cmotion", CameraTrack(eyeX)}, {name + ".motion", HeightTrack()}};
}

} // namespace vls::tools
