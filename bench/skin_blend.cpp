// Alpha blending and stretching of a 620 x 400 skin bitmap with the skin
// library's own routines, timed beside pixman's compositing of the same
// operation (OVER, nearest-neighbour scaling for the stretch), round by round
// (paired_rounds.h), once for every instruction-set level of the blend that
// this processor runs (a line per level: plain, sse2, the x86-64 baseline,
// and the wider ones). Counters: the microseconds of each side, and the
// median of our throughput over pixman's with its quartiles.

#include "bench/paired_rounds.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include "skin/graphics/sk_bitmap.h"
#include "skin/graphics/sk_pixel_rows.h"

#include <string>

namespace {

constexpr int kWidth = 620;
constexpr int kHeight = 400;

constexpr int kRounds = 301;

// Translucent pixels with a gradient of alpha, the kind a skin blends.
void FillSource(skin::TSkBitmap& b)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const auto a = static_cast<std::uint32_t>((x + y) & 0xFF);
            *b.PixelPtr(x, y) = (a << 24) | (static_cast<std::uint32_t>(x & 0xFF) << 16) |
                                (static_cast<std::uint32_t>(y & 0xFF) << 8) | 0x40;
        }
}

pixman_image_t* Wrap(skin::TSkBitmap& b)
{
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, b.Width(), b.Height(), b.Bits(), b.Width() * 4);
}

void Report(benchmark::State& state, const bench::PairedRounds& rounds)
{
    rounds.Report(state, 1000.0, "us", "pixman", "throughput_to_pixman", true);
}

void AlphaBlend620x400(benchmark::State& state)
{
    skin::TSkBitmap source, target, reference;
    source.SetSize(kWidth, kHeight);
    FillSource(source);
    source.SetAlphaBlend(true);
    target.SetSize(kWidth, kHeight);
    target.Fill(0xFF336699);
    reference.SetSize(kWidth, kHeight);
    reference.Fill(0xFF336699);
    pixman_image_t* src = Wrap(source);
    pixman_image_t* dst = Wrap(reference);
    const auto ours = [&] {
        source.DrawTo(&target, 0, RECT{0, 0, kWidth, kHeight}, 0);
        benchmark::DoNotOptimize(target.Bits());
        return true;
    };
    const auto theirs = [&] {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
        benchmark::DoNotOptimize(reference.Bits());
        return true;
    };
    bench::PairedRounds rounds;
    for (auto _ : state)
        rounds.Round(state, ours, theirs);
    pixman_image_unref(src);
    pixman_image_unref(dst);
    Report(state, rounds);
}

void AlphaStretch620x400To930x600(benchmark::State& state)
{
    constexpr int kDestWidth = 930, kDestHeight = 600;
    skin::TSkBitmap source, target, reference;
    source.SetSize(kWidth, kHeight);
    FillSource(source);
    source.SetAlphaBlend(true);
    target.SetSize(kDestWidth, kDestHeight);
    target.Fill(0xFF336699);
    reference.SetSize(kDestWidth, kDestHeight);
    reference.Fill(0xFF336699);
    pixman_image_t* src = Wrap(source);
    pixman_image_t* dst = Wrap(reference);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(static_cast<double>(kWidth) / kDestWidth),
                                pixman_double_to_fixed(static_cast<double>(kHeight) / kDestHeight));
    pixman_image_set_transform(src, &scale);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    const auto ours = [&] {
        source.StretchTo(&target, RECT{0, 0, kWidth, kHeight}, RECT{0, 0, kDestWidth, kDestHeight});
        benchmark::DoNotOptimize(target.Bits());
        return true;
    };
    const auto theirs = [&] {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kDestWidth, kDestHeight);
        benchmark::DoNotOptimize(reference.Bits());
        return true;
    };
    bench::PairedRounds rounds;
    for (auto _ : state)
        rounds.Round(state, ours, theirs);
    pixman_image_unref(src);
    pixman_image_unref(dst);
    Report(state, rounds);
}

[[maybe_unused]] const bool g_registered = [] {
    for (const skin::TBlendRowLevel& level : skin::BlendRowLevels()) {
        const auto atLevel = [level](void (*body)(benchmark::State&)) {
            return [level, body](benchmark::State& state) {
                skin::UseBlendRowLevel(&level);
                body(state);
                skin::UseBlendRowLevel(nullptr);
            };
        };
        benchmark::RegisterBenchmark((std::string("BM_AlphaBlend620x400/") + level.name).c_str(),
                                     atLevel(AlphaBlend620x400))
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(kRounds);
        benchmark::RegisterBenchmark((std::string("BM_AlphaStretch620x400To930x600/") + level.name).c_str(),
                                     atLevel(AlphaStretch620x400To930x600))
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(kRounds);
    }
    return true;
}();

}  // namespace
