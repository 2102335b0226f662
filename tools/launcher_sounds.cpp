#include "tools/launcher_sounds.h"

#include "tools/sound_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <system_error>

namespace vls::tools {

namespace {

constexpr int kMusicRate = 44100;
constexpr int kMusicSeconds = 8;
constexpr int kEffectRate = 22050;

std::int16_t ToSample(double value)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(value, -32767.0, 32767.0)));
}

// Three notes whose periods all fit the loop a whole number of times, under
// an envelope with the loop's period, so the end runs straight into the start.
PcmClip MusicLoop()
{
    constexpr double kNotes[] = {220.0, 277.5, 330.0};
    PcmClip clip;
    clip.channels = 2;
    clip.rate = kMusicRate;
    const int frames = kMusicRate * kMusicSeconds;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double swell = 0.55 + 0.45 * std::sin(2 * std::numbers::pi * t / kMusicSeconds);
        double left = 0;
        double right = 0;
        for (int n = 0; n < 3; ++n) {
            const double tone = std::sin(2 * std::numbers::pi * kNotes[n] * t);
            left += tone * (n == 2 ? 0.6 : 1.0);
            right += tone * (n == 0 ? 0.6 : 1.0);
        }
        clip.samples.push_back(ToSample(left * swell * 2500));
        clip.samples.push_back(ToSample(right * swell * 2500));
    }
    return clip;
}

// A short tone that dies away quickly.
PcmClip Blip(double hz, double seconds, double amplitude)
{
    PcmClip clip;
    clip.channels = 1;
    clip.rate = kEffectRate;
    const int frames = static_cast<int>(seconds * kEffectRate);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        const double decay = std::exp(-t * 6.0 / seconds);
        clip.samples.push_back(ToSample(amplitude * decay * std::sin(2 * std::numbers::pi * hz * t)));
    }
    return clip;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

} // namespace

bool WriteLauncherSounds(const std::filesystem::path& folder)
{
    return WriteFile(folder / "launcher.mus", EncodeOggVorbis(MusicLoop(), 0.3f)) &&
           WriteFile(folder / "launcher.sn1", WriteWav(Blip(1500, 0.05, 12000))) &&
           WriteFile(folder / "launcher.sn2", WriteWav(Blip(900, 0.04, 7000)));
}

} // namespace vls::tools
