#pragma once

// Writers of a video's side files, beside the readers in engine/render.

#include "engine/render/video_tracks.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

// ".subtitle" text: one "start-end,text" line each, CR LF line ends, and
// the closing "0" line that ends reading.
std::string WriteSubtitles(const std::vector<SubtitleLine>& lines);

// One ".cmotion" record per camera: 14 values (four vectors, the lens, unused).
std::vector<std::uint8_t> WriteCameraTrack(const std::vector<std::vector<float>>& records);
// One ".motion" record per frame: only x, y, z are meaningful (the first nine
// values are zero).
std::vector<std::uint8_t> WriteHeightTrack(const std::vector<std::vector<float>>& positions);

} // namespace vls::tools
