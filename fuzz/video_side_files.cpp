// Any bytes as a video's ".subtitle", ".cmotion" and ".motion" files: the
// readers must keep to the bytes they are given.

#include "engine/render/video_tracks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const SubtitleLine& line : ReadSubtitles(data, size)) {
        if (line.text.size() > 1023)
            __builtin_trap();
    }
    if (ReadMotionTrack(data, size, kCameraRecordSize).size() != size / kCameraRecordSize * kCameraRecordValues)
        __builtin_trap();
    if (ReadMotionTrack(data, size, kHeightRecordSize).size() != size / kHeightRecordSize * kHeightRecordValues)
        __builtin_trap();
    return 0;
}
