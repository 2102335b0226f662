// The WAV reader and the Ogg page check on byte fixtures.

#include "platform/fmod/ogg_check.h"
#include "platform/fmod/wav_reader.h"
#include "tools/sound_writer.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vls::fmod;
using vls::tools::PcmClip;

namespace {

PcmClip StereoClip()
{
    PcmClip clip;
    clip.channels = 2;
    clip.rate = 22050;
    clip.samples = {100, -100, 200, -200, 300, -300};
    return clip;
}

void Set32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Set16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// Offsets in the file WriteWav makes: RIFF header 12, fmt chunk 8 + 16, data header 8.
constexpr std::size_t kFmtTag = 20;
constexpr std::size_t kFmtChannels = 22;
constexpr std::size_t kFmtBlockAlign = 32;
constexpr std::size_t kFmtBits = 34;
constexpr std::size_t kFmtSize = 16;
constexpr std::size_t kDataSize = 40;
constexpr std::size_t kDataStart = 44;

} // namespace

TEST(WavReader, ReadsLayoutAndPcmOfSixteenAndEightBitFiles)
{
    const auto wav16 = vls::tools::WriteWav(StereoClip(), 16);
    WavData data;
    ASSERT_EQ(ReadWav(wav16, data), WavStatus::Ok);
    EXPECT_EQ(data.channels, 2);
    EXPECT_EQ(data.rate, 22050);
    EXPECT_EQ(data.bits, 16);
    EXPECT_EQ(data.frames, 3);
    ASSERT_EQ(data.pcm.size(), 12u);
    EXPECT_EQ(data.pcm[2], static_cast<std::uint8_t>(-100 & 0xFF));

    const auto wav8 = vls::tools::WriteWav(StereoClip(), 8);
    ASSERT_EQ(ReadWav(wav8, data), WavStatus::Ok);
    EXPECT_EQ(data.bits, 8);
    EXPECT_EQ(data.frames, 3);
    EXPECT_EQ(data.pcm.size(), 6u);
}

TEST(WavReader, SkipsUnknownAndOddSizedChunksBeforeTheData)
{
    auto wav = vls::tools::WriteWav(StereoClip(), 16);
    // A 3-byte "LIST" chunk and its pad byte between "fmt " and "data".
    const std::vector<std::uint8_t> extra = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    wav.insert(wav.begin() + 36, extra.begin(), extra.end());
    WavData data;
    ASSERT_EQ(ReadWav(wav, data), WavStatus::Ok);
    EXPECT_EQ(data.frames, 3);
}

TEST(WavReader, RefusesDamagedAndUnsupportedFiles)
{
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        WavStatus expected;
    };
    const Case cases[] = {
        {"data chunk past the end", [](auto& b) { Set32(b, kDataSize, 1000); }, WavStatus::Damaged},
        {"data size near 4 GiB", [](auto& b) { Set32(b, kDataSize, 0xFFFFFFFF); }, WavStatus::Damaged},
        {"fmt chunk past the end", [](auto& b) { Set32(b, kFmtSize, 0xFFFFFFF0); }, WavStatus::Damaged},
        {"fmt chunk too short", [](auto& b) { Set32(b, kFmtSize, 8); }, WavStatus::Damaged},
        {"cut inside the data", [](auto& b) { b.resize(kDataStart + 5); }, WavStatus::Damaged},
        {"cut inside the fmt chunk", [](auto& b) { b.resize(30); }, WavStatus::Damaged},
        {"no data chunk", [](auto& b) { b.resize(kDataStart - 8); }, WavStatus::Damaged},
        {"block align wrong", [](auto& b) { Set16(b, kFmtBlockAlign, 3); }, WavStatus::Damaged},
        {"float samples", [](auto& b) { Set16(b, kFmtTag, 3); }, WavStatus::Unsupported},
        {"compressed", [](auto& b) { Set16(b, kFmtTag, 2); }, WavStatus::Unsupported},
        {"24-bit samples", [](auto& b) { Set16(b, kFmtBits, 24); }, WavStatus::Unsupported},
        {"three channels", [](auto& b) { Set16(b, kFmtChannels, 3); }, WavStatus::Unsupported},
        {"no channels", [](auto& b) { Set16(b, kFmtChannels, 0); }, WavStatus::Unsupported},
        {"not RIFF", [](auto& b) { b[0] = 'X'; }, WavStatus::NotWav},
        {"RIFF but not WAVE", [](auto& b) { b[8] = 'X'; }, WavStatus::NotWav},
        {"shorter than a header", [](auto& b) { b.resize(6); }, WavStatus::NotWav},
    };
    for (const Case& c : cases) {
        auto wav = vls::tools::WriteWav(StereoClip(), 16);
        c.damage(wav);
        WavData data;
        EXPECT_EQ(ReadWav(wav, data), c.expected) << c.name;
    }
}

TEST(OggCheck, AcceptsWholeFilesAndRefusesCutOrCorruptedOnes)
{
    const PcmClip sine = vls::tools::MakeSine(44100, 1, 440, 0.5, 8000);
    const auto ogg = vls::tools::EncodeOggVorbis(sine);
    ASSERT_EQ(CheckOggPages(ogg), OggStatus::Ok);

    auto cutMidPage = ogg;
    cutMidPage.resize(ogg.size() - 10);
    EXPECT_EQ(CheckOggPages(cutMidPage), OggStatus::Damaged);

    // Cut exactly after a page that is not the last: every page is whole, but
    // the end-of-stream page is missing.
    std::size_t lastPage = 0;
    for (std::size_t i = 1; i + 4 <= ogg.size(); ++i)
        if (ogg[i] == 'O' && ogg[i + 1] == 'g' && ogg[i + 2] == 'g' && ogg[i + 3] == 'S')
            lastPage = i;
    ASSERT_GT(lastPage, 0u);
    const std::vector<std::uint8_t> cutAtPage(ogg.begin(), ogg.begin() + static_cast<std::ptrdiff_t>(lastPage));
    EXPECT_EQ(CheckOggPages(cutAtPage), OggStatus::Damaged);

    auto flipped = ogg;
    flipped[ogg.size() / 2] ^= 0x5A;
    EXPECT_EQ(CheckOggPages(flipped), OggStatus::Damaged);

    auto junkAfter = ogg;
    junkAfter.push_back('x');
    EXPECT_EQ(CheckOggPages(junkAfter), OggStatus::Damaged);

    const std::vector<std::uint8_t> notOgg = {'R', 'I', 'F', 'F'};
    EXPECT_EQ(CheckOggPages(notOgg), OggStatus::NotOgg);
    EXPECT_EQ(CheckOggPages({}), OggStatus::NotOgg);
}
