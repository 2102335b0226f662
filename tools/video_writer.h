#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vls::tools {

// Short video clips made at run time with libavcodec, for the video player's
// tests and benchmark. Frames are painted by a function of (frame, x, y)
// returning a pixel as 0xAARRGGBB.
struct VideoClipOptions {
    enum class Pixels {
        Bgra,      // lossless with alpha (FFV1, 32-bit RGB with alpha)
        Bgr,       // lossless, opaque (FFV1, 32-bit RGB without alpha)
        Yuv420,    // the layout of most video, opaque (FFV1)
        Yuva420,   // the same with an alpha plane (FFV1)
    };
    enum class Codec {
        Ffv1,  // lossless: frames decode to exactly what was painted
        Mpeg4, // a lossy block-transform codec of the weight of game video (4:2:0 pixels only)
    };
    Codec codec = Codec::Ffv1;
    int width = 64;
    int height = 32;
    int frames = 10;
    int rate = 25;
    Pixels pixels = Pixels::Bgra;
    // Frames between key frames.
    int keyInterval = 1;
    std::function<std::uint32_t(int frame, int x, int y)> paint;
    // A sound track of 16-bit PCM when audioRate > 0: a square wave of
    // `toneHz` at `toneLevel`, as long as the video.
    int audioRate = 0;
    int audioChannels = 2;
    int toneHz = 441;
    std::int16_t toneLevel = 8000;
};

// The clip as a Matroska file; empty with `error` set when encoding fails.
std::vector<std::uint8_t> WriteVideoClip(const VideoClipOptions& options, std::string& error);

// A pattern whose every pixel tells its frame and place: red = x, green = y,
// blue = frame (all modulo 256), alpha = (x + y + frame) modulo 256.
std::uint32_t PatternPixel(int frame, int x, int y);

} // namespace vls::tools
