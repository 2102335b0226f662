#include "tools/demo/demo_climb.h"

#include "engine/render/image_format.h"
#include "engine/render/kestrune_graphics.h"
#include "tools/demo/demo_floor.h"
#include "tools/video_tracks_writer.h"
#include "tools/video_writer.h"

#include <algorithm>

namespace vls::tools {
namespace {

constexpr int kBandWidth = cKestruneGraphics::kScreenWidth;
constexpr int kBandHeight = cKestruneGraphics::kBandBottom - cKestruneGraphics::kBandTop;

VideoClipOptions ClimbClip(const Picture& picture)
{
    VideoClipOptions clip;
    clip.codec = VideoClipOptions::Codec::Mpeg4;
    clip.pixels = VideoClipOptions::Pixels::Yuv420;
    clip.width = kBandWidth;
    clip.height = kBandHeight;
    clip.frames = climb::kFrames;
    clip.rate = climb::kRate;
    clip.keyInterval = 10;
    clip.paint = [&picture](int frame, int x, int y) {
        const int sx = std::clamp(x + frame * 2, 0, static_cast<int>(picture.width) - 1);
        const int sy = std::clamp(y - frame * 3, 0, static_cast<int>(picture.height) - 1);
        return picture.argb[static_cast<std::size_t>(sy) * picture.width + static_cast<std::size_t>(sx)];
    };
    return clip;
}

std::vector<std::uint8_t> ClimbVideo(const Picture& picture, std::string& error)
{
    const std::vector<std::uint8_t> clip = WriteVideoClip(ClimbClip(picture), error);
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
    for (int k = 0; k < climb::kFrames; ++k) {
        const float t = static_cast<float>(k) / (climb::kFrames - 1);
        records.push_back(
            DemoFloorCamera(eyeX + climb::kAcross * t, kDemoEyeHeight + climb::kRise * t, kSeaHorizonRow).MotionRecord());
    }
    return WriteCameraTrack(records);
}

std::vector<std::uint8_t> HeightTrack()
{
    std::vector<std::vector<float>> positions;
    for (int k = 0; k < climb::kFrames; ++k)
        positions.push_back({0.0f, climb::kHeight * k / (climb::kFrames - 1), 0.0f});
    return WriteHeightTrack(positions);
}

} // namespace

std::vector<DemoResource> MakeClimbResources(const std::string& name, const Picture& picture, float eyeX, std::string& error)
{
    const std::vector<std::uint8_t> video = ClimbVideo(picture, error);
    if (video.empty())
        return {};
    return {{name + ".image", video}, {name + ".cmotion", CameraTrack(eyeX)}, {name + ".motion", HeightTrack()}};
}

} // namespace vls::tools
