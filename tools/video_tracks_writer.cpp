#include "tools/video_tracks_writer.h"

#include "engine/base/datafile_bytes.h"

namespace vls::tools {

std::string WriteSubtitles(const std::vector<SubtitleLine>& lines)
{
    std::string text;
    for (const SubtitleLine& line : lines)
        text += std::to_string(line.start) + "-" + std::to_string(line.end) + "," + line.text + "\r\n";
    return text + "0\r\n";
}

namespace {

std::vector<std::uint8_t> WriteRecords(const std::vector<std::vector<float>>& records, size_t values, size_t at)
{
    std::vector<std::uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    for (const std::vector<float>& record : records) {
        for (size_t i = 0; i < values; ++i)
            writer.F32(i >= at && i - at < record.size() ? record[i - at] : 0.0f);
    }
    return bytes;
}

} // namespace

std::vector<std::uint8_t> WriteCameraTrack(const std::vector<std::vector<float>>& records)
{
    return WriteRecords(records, kCameraRecordValues, 0);
}

std::vector<std::uint8_t> WriteHeightTrack(const std::vector<std::vector<float>>& positions)
{
    return WriteRecords(positions, kHeightRecordValues, 9);
}

} // namespace vls::tools
