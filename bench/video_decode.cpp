// The video player decoding and copying 100 frames of a 1024 x 512 clip
// (planar 4:2:0 pixels, as most video has, converted to 32-bit for the
// texture). The video_seconds rate says how many times faster than real
// time the player runs at the clip's 25 frames a second.

#include "platform/bink/bink.h"
#include "tools/video_writer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 512;
constexpr int kFrames = 100;
constexpr int kRate = 25;

// Gradients that move a little each frame, so no frame repeats another.
std::uint32_t MovingGradient(int frame, int x, int y)
{
    const std::uint32_t r = static_cast<std::uint32_t>(x / 4 + frame * 3) & 0xFF;
    const std::uint32_t g = static_cast<std::uint32_t>(y / 2 + frame) & 0xFF;
    const std::uint32_t b = static_cast<std::uint32_t>((x ^ y) + frame * 5) & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}

void DecodeAndCopy(benchmark::State& state)
{
    vls::tools::VideoClipOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.frames = kFrames;
    options.rate = kRate;
    options.pixels = vls::tools::VideoClipOptions::Pixels::Yuv420;
    options.keyInterval = 25;
    options.paint = MovingGradient;
    std::string error;
    const std::vector<std::uint8_t> clip = vls::tools::WriteVideoClip(options, error);
    HBINK bink = vls::bink::BinkOpenMemory(clip.data(), clip.size(), BINKALPHA);
    if (!bink) {
        state.SkipWithError(clip.empty() ? error.c_str() : BinkGetError());
        return;
    }
    std::vector<std::uint32_t> texture(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        BinkGoto(bink, 1, 0);
        for (int frame = 0; frame < kFrames; ++frame) {
            BinkDoFrame(bink);
            BinkCopyToBuffer(bink, texture.data(), kWidth * 4, kHeight, 0, 0, BINKSURFACE32);
            BinkNextFrame(bink);
        }
        benchmark::DoNotOptimize(texture.data());
    }
    state.counters["video_seconds"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames / kRate, benchmark::Counter::kIsRate);
    BinkClose(bink);
}

BENCHMARK(DecodeAndCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
