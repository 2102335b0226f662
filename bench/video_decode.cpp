// The video player decoding and copying 100 frames of a 1024 x 512 clip
// (a lossy block-transform codec with planar 4:2:0 pixels, as game video
// has, converted to 32-bit for the texture). The video_seconds rate says how many times faster than real
// time the player runs at the clip's 25 frames a second (wall clock);
// cpu_per_video_second is the processor time, summed over the decoder's
// threads, that one second of video costs, which load on other cores does
// not swing: one core keeps up while it stays below 1, and 5 times real time
// on one core means 0.2 or less.

#include "platform/bink/bink.h"
#include "tools/video_writer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
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

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void DecodeAndCopy(benchmark::State& state)
{
    vls::tools::VideoClipOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.frames = kFrames;
    options.rate = kRate;
    options.pixels = vls::tools::VideoClipOptions::Pixels::Yuv420;
    // Lossless test clips cost several times what game video costs to decode.
    options.codec = vls::tools::VideoClipOptions::Codec::Mpeg4;
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
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        BinkGoto(bink, 1, 0);
        for (int frame = 0; frame < kFrames; ++frame) {
            BinkDoFrame(bink);
            BinkCopyToBuffer(bink, texture.data(), kWidth * 4, kHeight, 0, 0, BINKSURFACE32);
            BinkNextFrame(bink);
        }
        benchmark::DoNotOptimize(texture.data());
    }
    const double cpuSeconds = ProcessCpuSeconds() - cpuStart;
    const double videoSeconds = static_cast<double>(state.iterations()) * kFrames / kRate;
    state.counters["video_seconds"] = benchmark::Counter(videoSeconds, benchmark::Counter::kIsRate);
    state.counters["cpu_per_video_second"] = cpuSeconds / videoSeconds;
    state.counters["cpu_realtime_factor"] = videoSeconds / cpuSeconds;
    BinkClose(bink);
}

BENCHMARK(DecodeAndCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
