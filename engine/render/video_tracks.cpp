#include "engine/render/video_tracks.h"

#include "engine/base/datafile_bytes.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kLineLimit = 1023;

// The decimal value at the start of text, as atoi reads it.
int32_t LeadingNumber(const std::string& text) { return static_cast<int32_t>(std::atol(text.c_str())); }

} // namespace

std::vector<SubtitleLine> ReadSubtitles(const uint8_t* data, size_t size)
{
    std::string text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            continue;
        text.push_back(static_cast<char>(data[i]));
    }
    std::vector<SubtitleLine> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && end - pos < kLineLimit && text[end] != '\n')
            ++end;
        std::string line = text.substr(pos, end - pos);
        pos = end < text.size() && text[end] == '\n' ? end + 1 : end;
        // The line reader stops at a NUL as a C string does.
        line.resize(std::strlen(line.c_str()));
        if (!line.empty() && line[0] == '0')
            break;
        const size_t dash = line.find('-');
        if (dash == std::string::npos)
            continue;
        const size_t comma = line.find(',', dash + 1);
        if (comma == std::string::npos)
            continue;
        lines.push_back({LeadingNumber(line.substr(0, dash)), LeadingNumber(line.substr(dash + 1, comma - dash - 1)),
                         line.substr(comma + 1)});
    }
    return lines;
}

std::vector<float> ReadMotionTrack(const uint8_t* data, size_t size, size_t recordSize)
{
    const size_t values = size / recordSize * (recordSize / 4);
    std::vector<float> track(values);
    DatafileByteReader reader(data, size);
    for (float& value : track)
        value = reader.F32();
    return track;
}
