#include "tools/demo/demo_voices.h"

#include "tools/sound_writer.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace vls::tools {
namespace {

constexpr int kVoiceRate = 22050;
constexpr double kSyllableSeconds = 0.12;
constexpr int kLettersPerSyllable = 3;
constexpr double kSyncKeysPerSecond = 30.0;

// One syllable: a tone that glides a little and swells in and out.
void Syllable(PcmClip& clip, double hz, double glide)
{
    const int count = static_cast<int>(kSyllableSeconds * kVoiceRate);
    double phase = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / count;
        phase += 2.0 * std::numbers::pi * hz * (1.0 + glide * t) / kVoiceRate;
        const double envelope = std::sin(std::numbers::pi * t);
        const double voice = std::sin(phase) + 0.3 * std::sin(2.0 * phase);
        clip.samples.push_back(static_cast<std::int16_t>(6000.0 * envelope * voice));
    }
}

} // namespace

// Calls `syllable(letter)` for each syllable of the line's murmur and
// `pause()` for each pause, in order.
template <typename Syllable, typename Pause>
void ForEachSyllable(const DemoLine& line, Syllable syllable, Pause pause)
{
    const std::string text = line.text;
    for (std::size_t i = 0; i < text.size(); i += kLettersPerSyllable) {
        const unsigned char letter = static_cast<unsigned char>(text[i]);
        if (letter == ' ' || letter == ',' || letter == '.' || letter == '?')
            pause();
        else
            syllable(letter);
    }
}

std::vector<std::uint8_t> Murmur(const DemoLine& line)
{
    PcmClip clip;
    clip.rate = kVoiceRate;
    ForEachSyllable(
        line,
        [&](unsigned char letter) {
            const double step = static_cast<double>(letter % 5) / 10.0;
            Syllable(clip, line.pitch * (0.9 + step / 2), (letter % 2) ? 0.08 : -0.06);
        },
        [&] { clip.samples.insert(clip.samples.end(), static_cast<std::size_t>(kSyllableSeconds * kVoiceRate / 2), 0); });
    return EncodeOggVorbis(clip, 0.2f);
}

std::vector<std::uint8_t> LipSync(const DemoLine& line)
{
    // Thirty keys a second, key k at k / 30 seconds of the speech: the mouth
    // opens (the jaw's viseme, with a little of the smiling one) as each
    // syllable swells, and shuts in each pause.
    std::vector<double> opening;
    double start = 0.0;
    const auto upTo = [&](double end, auto shape) {
        while (opening.size() / kSyncKeysPerSecond < end)
            opening.push_back(shape((opening.size() / kSyncKeysPerSecond - start) / (end - start)));
        start = end;
    };
    ForEachSyllable(
        line, [&](unsigned char) { upTo(start + kSyllableSeconds, [](double t) { return std::sin(std::numbers::pi * t); }); },
        [&] { upTo(start + kSyllableSeconds / 2, [](double) { return 0.0; }); });
    std::string text = std::to_string(opening.size()) + "\r\n";
    char row[160];
    for (const double open : opening) {
        std::snprintf(row, sizeof row, "%.3f %.3f 0 0 0 0 0 0\r\n", open * 1.5, open * 8.0);
        text += row;
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

namespace {

// A soft thud: a low tone that dies away quickly.
std::vector<std::uint8_t> Step()
{
    PcmClip clip = MakeSine(kVoiceRate, 1, 90.0, 0.09, 9000.0);
    for (std::size_t i = 0; i < clip.samples.size(); ++i) {
        const double fall = std::exp(-6.0 * static_cast<double>(i) / clip.samples.size());
        clip.samples[i] = static_cast<std::int16_t>(clip.samples[i] * fall);
    }
    return WriteWav(clip);
}

constexpr double kPlayerVoice = 180.0;
constexpr double kFisherVoice = 120.0;

} // namespace

const std::vector<DemoLine>& DemoLines()
{
    static const std::vector<DemoLine> lines = {
        {"say_boat_look", "A fishing boat, moored for the night.", kPlayerVoice},
        {"say_boat_use", "She is not mine to take out.", kPlayerVoice},
        {"say_boat_tied", "There. Tied fast, she will not drift.", kPlayerVoice},
        {"say_boat_done", "The boat is tied fast already.", kPlayerVoice},
        {"say_rope_look", "A coil of old rope.", kPlayerVoice},
        {"say_rope_take", "This rope could be useful.", kPlayerVoice},
        {"say_fisher_look", "An old fisherman, mending a net.", kPlayerVoice},
        {"say_fisher_item", "He has no use for that.", kPlayerVoice},
        {"say_pc_who", "Who keeps the light?", kPlayerVoice},
        {"say_fisher_who", "The keeper, every night for forty years.", kFisherVoice},
        {"say_pc_boat", "Your boat is drifting loose.", kPlayerVoice},
        {"say_fisher_boat", "Then tie her up, if you have a rope.", kFisherVoice},
        {"say_pc_way", "Can I get out to the lighthouse?", kPlayerVoice},
        {"say_fisher_way", "Walk to the end of the quay. Mind the gap.", kFisherVoice},
        {"say_rock_look", "The rock is slick with spray.", kPlayerVoice},
        {"say_way_look", "The quay runs out towards the lighthouse.", kPlayerVoice},
        {"say_no_use", "That will not work.", kPlayerVoice},
    };
    return lines;
}

std::string SayStatements(const std::string& speaker, const std::string& speech, const std::string& callsite)
{
    for (const DemoLine& line : DemoLines()) {
        if (speech != line.speech)
            continue;
        return " push string \"" + std::string(line.text) + "\"\n push string \"" + speech + "\"\n native " + speaker + " "
            + callsite + "\n";
    }
    throw std::runtime_error("no demo line " + speech);
}

std::vector<DemoResource> MakeVoiceResources()
{
    std::vector<DemoResource> resources;
    for (const DemoLine& line : DemoLines()) {
        resources.push_back({std::string(line.speech) + ".ogg", Murmur(line)});
        resources.push_back({std::string(line.speech) + ".sync", LipSync(line)});
    }
    resources.push_back({"step.wav", Step()});
    return resources;
}

} // namespace vls::tools
