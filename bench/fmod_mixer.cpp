// The sound layer's mixer: one second of 44.1 kHz output with 32 channels
// playing, each at its own volume, pan and rate (so every channel resamples).
// The time per iteration is the time to mix one second of audio; the
// audio_seconds rate says how many times faster than real time that is.

#include "platform/fmod/fmod.h"
#include "platform/fmod/null_output.h"
#include "tools/sound_writer.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kMixRate = 44100;
constexpr int kChannels = 32;

FSOUND_SAMPLE* LoadLoop(const std::vector<std::uint8_t>& file)
{
    return FSOUND_Sample_Load(FSOUND_UNMANAGED, reinterpret_cast<const char*>(file.data()),
                              FSOUND_LOADMEMORY | FSOUND_2D | FSOUND_LOOP_NORMAL, 0, static_cast<int>(file.size()));
}

void MixSecond(benchmark::State& state, int streams)
{
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    FSOUND_Init(kMixRate, kChannels, 0);
    FSOUND_SAMPLE* mono = LoadLoop(vls::tools::WriteWav(vls::tools::MakeSine(22050, 1, 440, 1.0, 3000)));
    FSOUND_SAMPLE* stereo = LoadLoop(vls::tools::WriteWav(vls::tools::MakeSine(44100, 2, 330, 1.0, 3000)));
    const auto music = vls::tools::EncodeOggVorbis(vls::tools::MakeSine(44100, 2, 220, 2.0, 3000));
    for (int i = 0; i < streams; ++i) {
        FSOUND_STREAM* stream =
            FSOUND_Stream_Open(reinterpret_cast<const char*>(music.data()), FSOUND_LOADMEMORY | FSOUND_LOOP_NORMAL, 0,
                               static_cast<int>(music.size()));
        FSOUND_Stream_Play(FSOUND_FREE, stream);
    }
    for (int i = streams; i < kChannels; ++i) {
        const int channel = FSOUND_PlaySound(FSOUND_FREE, i % 2 ? stereo : mono);
        FSOUND_SetVolume(channel, 64 + i * 5);
        FSOUND_SetPan(channel, i * 8);
        FSOUND_SetFrequency(channel, 20000 + i * 900);
    }
    std::vector<std::int16_t> out(kMixRate * 2);
    for (auto _ : state) {
        vls::fmod::NullOutputRender(out.data(), kMixRate);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["audio_seconds"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    FSOUND_Close();
}

void BM_Mix32Samples(benchmark::State& state)
{
    MixSecond(state, 0);
}

// The launcher's and the engine's usual load: music decoding while effects play.
void BM_Mix31SamplesAndOggMusic(benchmark::State& state)
{
    MixSecond(state, 1);
}

} // namespace

BENCHMARK(BM_Mix32Samples)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix31SamplesAndOggMusic)->Unit(benchmark::kMillisecond);
