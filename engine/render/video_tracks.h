#pragma once

// The side files of a video: ".subtitle" text and the ".cmotion" and
// ".motion" tracks. Readers turn bytes into plain data; the writers in tools/
// use the same layouts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SubtitleLine {
    int32_t start = 0; // video frames
    int32_t end = 0;
    std::string text;
};

// Reads ".subtitle" text as the text-mode line reader does: CR LF is LF,
// lines are at most 1023 characters (a longer one goes on as the next line),
// and reading stops at the end or at a line that begins with '0'. Each line
// is "start-end,text"; a line without '-', or without ',' after it, is skipped.
std::vector<SubtitleLine> ReadSubtitles(const uint8_t* data, size_t size);

constexpr size_t kCameraRecordSize = 56; // 14 f32: four vectors, the lens, one unused
constexpr size_t kCameraRecordValues = 14;
constexpr size_t kHeightRecordSize = 48;  // 12 f32, of which the last three are x, y, z
constexpr size_t kHeightRecordValues = 12;

// The whole records of a track (a remainder is ignored), as f32 values.
std::vector<float> ReadMotionTrack(const uint8_t* data, size_t size, size_t recordSize);
