// Samples on channels: decoding, the volume and pan laws, frequency, pause,
// loop and channel handles, heard on the null output.

#include "fmod_fixture.h"

#include <cmath>

using vls::test::FmodTest;
using vls::tools::PcmClip;

namespace {

int Left(const std::vector<std::int16_t>& out, int frame) { return out[2 * frame]; }
int Right(const std::vector<std::int16_t>& out, int frame) { return out[2 * frame + 1]; }

} // namespace

TEST_F(FmodTest, SixteenBitWavPlaysItsSamplesUnchangedAtFullVolumeAndCentre)
{
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Ramp(100, 300)));
    ASSERT_NE(sample, nullptr);
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    ASSERT_GE(channel, 0);
    const auto out = Render(120);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(Left(out, i), i * 300) << i;
        ASSERT_EQ(Right(out, i), i * 300) << i;
    }
    EXPECT_EQ(Left(out, 110), 0);
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
}

TEST_F(FmodTest, EightBitAndStereoWavDecode)
{
    FSOUND_SAMPLE* eight = LoadSample(vls::tools::WriteWav(Clip({-32768, -256, 0, 256, 32767}), 8));
    ASSERT_NE(eight, nullptr);
    FSOUND_PlaySound(FSOUND_FREE, eight);
    const auto out8 = Render(5);
    const int expected8[] = {-32768, -256, 0, 256, 32512};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Left(out8, i), expected8[i]) << i;

    FSOUND_SAMPLE* stereo = LoadSample(vls::tools::WriteWav(Clip({1000, -2000, 3000, -4000}, 44100, 2)));
    ASSERT_NE(stereo, nullptr);
    EXPECT_TRUE(FSOUND_Sample_GetMode(stereo) & FSOUND_STEREO);
    EXPECT_FALSE(FSOUND_Sample_GetMode(eight) & FSOUND_STEREO);
    const int channel = FSOUND_PlaySound(FSOUND_FREE, stereo);
    FSOUND_SetPan(channel, FSOUND_STEREOPAN);
    const auto out = Render(2);
    EXPECT_EQ(Left(out, 0), 1000);
    EXPECT_EQ(Right(out, 0), -2000);
    EXPECT_EQ(Left(out, 1), 3000);
    EXPECT_EQ(Right(out, 1), -4000);
}

TEST_F(FmodTest, OggVorbisDecodesCloseToTheEncodedSine)
{
    const PcmClip sine = vls::tools::MakeSine(44100, 1, 441, 0.5, 12000);
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::EncodeOggVorbis(sine));
    ASSERT_NE(sample, nullptr) << FSOUND_GetError();
    EXPECT_EQ(FSOUND_Sample_GetMode(sample) & (FSOUND_MONO | FSOUND_16BITS), unsigned(FSOUND_MONO | FSOUND_16BITS));
    FSOUND_PlaySound(FSOUND_FREE, sample);
    const int frames = static_cast<int>(sine.frames());
    const auto out = Render(frames + 100);
    double error = 0;
    for (int i = 0; i < frames; ++i)
        error += std::pow(Left(out, i) - sine.samples[i], 2);
    const double rms = std::sqrt(error / frames);
    EXPECT_LT(rms, 12000 * 0.02);
    // The decoded length is the encoded one: silence right after.
    EXPECT_EQ(Left(out, frames + 10), 0);
    EXPECT_NE(Left(out, frames - 25), 0);
}

TEST_F(FmodTest, VolumeScalesLinearlyOnTheScaleTo255)
{
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Clip({10000, -10000})), FSOUND_2D | FSOUND_LOOP_NORMAL);
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    const struct {
        int volume;
        int expected;
        int stored;
    } cases[] = {{255, 10000, 255}, {128, 5020, 128}, {51, 2000, 51}, {0, 0, 0}, {300, 10000, 255}, {-5, 0, 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(FSOUND_SetVolume(channel, c.volume));
        EXPECT_EQ(FSOUND_GetVolume(channel), c.stored);
        const auto out = Render(2);
        EXPECT_EQ(Left(out, 0), c.expected) << c.volume;
        EXPECT_EQ(Right(out, 1), -c.expected) << c.volume;
    }
    ASSERT_TRUE(FSOUND_SetVolumeAbsolute(channel, 128));
    EXPECT_EQ(FSOUND_GetVolume(channel), 128);
}

TEST_F(FmodTest, PanKeepsTheNearSideFullAndFadesTheFarSide)
{
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Clip({12700})), FSOUND_2D | FSOUND_LOOP_NORMAL);
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    const struct {
        int pan;
        int left;
        int right;
    } cases[] = {
        {0, 12700, 0},        {2, 12700, 100},     {65, 12700, 6400},  {128, 12700, 12700},
        {191, 6400, 12700},   {255, 0, 12700},     {FSOUND_STEREOPAN, 12700, 12700},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(FSOUND_SetPan(channel, c.pan));
        const auto out = Render(1);
        EXPECT_EQ(Left(out, 0), c.left) << c.pan;
        EXPECT_EQ(Right(out, 0), c.right) << c.pan;
    }
}

TEST_F(FmodTest, MonoSpeakerModeFoldsBothSidesToTheCentre)
{
    FSOUND_Close();
    FSOUND_SetSpeakerMode(FSOUND_SPEAKERMODE_MONO);
    ASSERT_TRUE(FSOUND_Init(44100, 4, 0));
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Clip({8000})));
    const int channel = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, 1);
    FSOUND_SetPan(channel, 0);
    FSOUND_SetPaused(channel, 0);
    const auto out = Render(1);
    EXPECT_EQ(Left(out, 0), 4000);
    EXPECT_EQ(Right(out, 0), 4000);
}

TEST_F(FmodTest, ChannelsMixBySumAndClipAtTheSixteenBitRange)
{
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Clip({20000, -20000, 1000})));
    FSOUND_PlaySound(FSOUND_FREE, sample);
    FSOUND_PlaySound(FSOUND_FREE, sample);
    const auto out = Render(3);
    EXPECT_EQ(Left(out, 0), 32767);
    EXPECT_EQ(Left(out, 1), -32768);
    EXPECT_EQ(Left(out, 2), 2000);
}

TEST_F(FmodTest, FrequencyResamplesLinearly)
{
    // A 22050 Hz sample lasts twice as many output frames, halfway frames interpolated.
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Clip({0, 1000, 2000, 3000}, 22050)));
    int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    auto out = Render(8);
    const int expectedHalf[] = {0, 500, 1000, 1500, 2000, 2500, 3000, 3000};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Left(out, i), expectedHalf[i]) << i;
    EXPECT_FALSE(FSOUND_IsPlaying(channel));

    // Twice the native rate skips every other frame and ends in half the time.
    channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    ASSERT_TRUE(FSOUND_SetFrequency(channel, 88200));
    out = Render(3);
    EXPECT_EQ(Left(out, 0), 0);
    EXPECT_EQ(Left(out, 1), 2000);
    EXPECT_EQ(Left(out, 2), 0);
    EXPECT_FALSE(FSOUND_IsPlaying(channel));

    EXPECT_FALSE(FSOUND_SetFrequency(channel, -1));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
}

TEST_F(FmodTest, PausedChannelIsSilentAndKeepsItsPlace)
{
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Ramp(1000, 10)));
    const int channel = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, 1);
    auto out = Render(50);
    EXPECT_EQ(Left(out, 49), 0);
    EXPECT_EQ(FSOUND_GetCurrentPosition(channel), 0u);
    EXPECT_TRUE(FSOUND_IsPlaying(channel));

    FSOUND_SetPaused(channel, 0);
    Render(100);
    FSOUND_SetPaused(channel, 1);
    Render(100);
    EXPECT_EQ(FSOUND_GetCurrentPosition(channel), 100u);
    FSOUND_SetPaused(channel, 0);
    out = Render(1);
    EXPECT_EQ(Left(out, 0), 1000);

    ASSERT_TRUE(FSOUND_SetCurrentPosition(channel, 500));
    out = Render(1);
    EXPECT_EQ(Left(out, 0), 5000);
    EXPECT_FALSE(FSOUND_SetCurrentPosition(channel, 1000));
}

TEST_F(FmodTest, LoopingSampleWrapsAndOneShotStops)
{
    const auto wav = vls::tools::WriteWav(Ramp(100, 10));
    FSOUND_SAMPLE* looping = LoadSample(wav, FSOUND_2D | FSOUND_LOOP_NORMAL);
    FSOUND_SAMPLE* once = LoadSample(wav, FSOUND_2D | FSOUND_LOOP_OFF);
    EXPECT_TRUE(FSOUND_Sample_GetMode(looping) & FSOUND_LOOP_NORMAL);
    const int loopChannel = FSOUND_PlaySound(FSOUND_FREE, looping);
    const int onceChannel = FSOUND_PlaySound(FSOUND_FREE, once);
    FSOUND_SetPan(onceChannel, 255); // the one-shot only on the right
    FSOUND_SetPan(loopChannel, 0);   // the loop only on the left
    const auto out = Render(350);
    for (int i = 0; i < 350; ++i) {
        ASSERT_EQ(Left(out, i), (i % 100) * 10) << i;
        ASSERT_EQ(Right(out, i), i < 100 ? i * 10 : 0) << i;
    }
    EXPECT_TRUE(FSOUND_IsPlaying(loopChannel));
    EXPECT_FALSE(FSOUND_IsPlaying(onceChannel));
    EXPECT_EQ(FSOUND_GetCurrentPosition(loopChannel), 50u);
    EXPECT_EQ(FSOUND_GetCurrentSample(loopChannel), looping);
}

TEST_F(FmodTest, HandleOfAReusedChannelIsRefused)
{
    FSOUND_Close();
    ASSERT_TRUE(FSOUND_Init(44100, 1, 0));
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Ramp(10)));
    const int first = FSOUND_PlaySound(FSOUND_FREE, sample);
    ASSERT_GE(first, 0);
    EXPECT_EQ(first & 0xFFF, 0);

    // The only channel is busy.
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_CHANNEL_ALLOC);

    Render(20);
    EXPECT_FALSE(FSOUND_IsPlaying(first));
    EXPECT_TRUE(FSOUND_SetVolume(first, 10)) << "ended, but not yet reused";

    const int second = FSOUND_PlaySound(FSOUND_FREE, sample);
    ASSERT_GE(second, 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(second & 0xFFF, 0);
    EXPECT_EQ(FSOUND_GetVolume(second), 255) << "a new sound starts from the defaults";

    EXPECT_FALSE(FSOUND_IsPlaying(first));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_SetVolume(first, 0));
    EXPECT_FALSE(FSOUND_StopSound(first));
    EXPECT_FALSE(FSOUND_SetPaused(first, 1));
    EXPECT_EQ(FSOUND_GetCurrentSample(first), nullptr);
    EXPECT_TRUE(FSOUND_IsPlaying(second));
    EXPECT_TRUE(FSOUND_IsPlaying(0)) << "a plain index names the channel as it is now";

    for (const int bad : {-1, 1, 5, 0x7FFFFFFF})
        EXPECT_FALSE(FSOUND_SetVolume(bad, 0)) << bad;
}

TEST_F(FmodTest, FreeingAPlayingSampleStopsItsChannels)
{
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Ramp(1000)), FSOUND_2D | FSOUND_LOOP_NORMAL);
    const int a = FSOUND_PlaySound(FSOUND_FREE, sample);
    const int b = FSOUND_PlaySound(FSOUND_FREE, sample);
    Render(10);
    FSOUND_Sample_Free(sample);
    EXPECT_FALSE(FSOUND_IsPlaying(a));
    EXPECT_FALSE(FSOUND_IsPlaying(b));
    const auto out = Render(10);
    EXPECT_EQ(Left(out, 5), 0);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1) << "a freed sample is no longer known";
    EXPECT_EQ(FSOUND_Sample_GetMode(sample), 0u);
}

TEST_F(FmodTest, ForceMonoFoldsAStereoSample)
{
    FSOUND_SAMPLE* sample =
        LoadSample(vls::tools::WriteWav(Clip({1000, 3000, -500, 500}, 44100, 2)), FSOUND_HW3D | FSOUND_FORCEMONO);
    ASSERT_NE(sample, nullptr);
    const unsigned int mode = FSOUND_Sample_GetMode(sample);
    EXPECT_TRUE(mode & FSOUND_MONO);
    EXPECT_FALSE(mode & FSOUND_STEREO);
    EXPECT_TRUE(mode & FSOUND_HW3D);
    FSOUND_PlaySound(FSOUND_FREE, sample);
    const auto out = Render(2);
    EXPECT_EQ(Left(out, 0), 2000);
    EXPECT_EQ(Right(out, 1), 0);
}
