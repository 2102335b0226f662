#include "tests/platform/bink/clip_fixture.h"

#include "platform/fmod/fmod.h"
#include "platform/fmod/null_output.h"

#include <algorithm>
#include <cstdlib>

namespace vls::test {
namespace {

// The sound layer on its null output, handed to the player as the engine
// does; each test pulls what the mixer plays.
class BinkSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
        ASSERT_TRUE(FSOUND_Init(44100, 8, 0));
        ASSERT_EQ(BinkSetSoundSystem(BinkOpenDirectSound, FSOUND_GetOutputHandle()), 1);
        tools::VideoClipOptions options;
        options.width = 16;
        options.height = 16;
        options.frames = 25;
        options.audioRate = 44100;
        options.toneLevel = 8000;
        clip = MakeClip(options);
    }

    void TearDown() override
    {
        BinkSetSoundSystem(nullptr, nullptr);
        FSOUND_Close();
        FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
    }

    // Loudest sample of the next `frames` frames of mixed output.
    static int Peak(int frames)
    {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
        EXPECT_TRUE(vls::fmod::NullOutputRender(out.data(), frames));
        int peak = 0;
        for (const std::int16_t sample : out)
            peak = std::max(peak, std::abs(int(sample)));
        return peak;
    }

    static void PlayFrames(HBINK bink, int count)
    {
        for (int i = 0; i < count; ++i) {
            BinkDoFrame(bink);
            BinkNextFrame(bink);
        }
    }

    std::vector<std::uint8_t> clip;
};

TEST_F(BinkSound, TrackPlaysThroughTheMixerAtItsVolume)
{
    HBINK bink = OpenClip(clip);
    ASSERT_NE(bink, nullptr) << BinkGetError();
    EXPECT_EQ(bink->NumTracks, 1u);
    EXPECT_EQ(Peak(441), 0) << "no sound before its frames are reached";
    PlayFrames(bink, 5); // 200 ms of sound queued
    const int full = Peak(2205);
    EXPECT_GT(full, 4000);
    BinkSetVolume(bink, 0, BINKVOLUMEFULL / 2);
    const int half = Peak(2205);
    EXPECT_NEAR(half, full / 2, full / 10);
    BinkSetVolume(bink, 0, 0);
    EXPECT_EQ(Peak(1000), 0);
    BinkClose(bink);
    EXPECT_EQ(Peak(1000), 0) << "closing stops the sound";
}

TEST_F(BinkSound, PauseAndSoundOffSilenceTheTrack)
{
    HBINK bink = OpenClip(clip);
    PlayFrames(bink, 5);
    EXPECT_GT(Peak(441), 0);
    BinkPause(bink, 1);
    EXPECT_EQ(Peak(441), 0);
    BinkPause(bink, 0);
    EXPECT_GT(Peak(441), 0) << "resumes with what was queued";

    EXPECT_EQ(BinkSetSoundOnOff(bink, 0), 0);
    EXPECT_EQ(Peak(441), 0);
    PlayFrames(bink, 3);
    EXPECT_EQ(Peak(441), 0) << "sound decoded while off is dropped";
    EXPECT_EQ(BinkSetSoundOnOff(bink, 1), 1);
    EXPECT_EQ(Peak(441), 0) << "switched on empty";
    PlayFrames(bink, 2);
    EXPECT_GT(Peak(441), 0);
    BinkClose(bink);
}

TEST_F(BinkSound, GotoRestartsTheTrackAtTheNewFrame)
{
    HBINK bink = OpenClip(clip);
    PlayFrames(bink, 20); // 800 ms queued ahead of the mixer
    BinkGoto(bink, 23, 0);
    PlayFrames(bink, 2);
    // What was queued before the jump is gone; the sound reached from frame
    // 23 on is three frames (120 ms) at most.
    EXPECT_GT(Peak(441), 0);
    Peak(44100 * 150 / 1000 - 441);
    EXPECT_EQ(Peak(441), 0);
    BinkClose(bink);
}

TEST_F(BinkSound, WithoutASoundSystemTheVideoPlaysSilent)
{
    EXPECT_EQ(BinkSetSoundSystem(BinkOpenDirectSound, nullptr), 0);
    EXPECT_EQ(BinkOpenDirectSound(reinterpret_cast<void*>(0x1234)), 0) << "only the live output is accepted";
    HBINK bink = OpenClip(clip);
    ASSERT_NE(bink, nullptr);
    EXPECT_EQ(bink->NumTracks, 1u);
    PlayFrames(bink, 10);
    EXPECT_EQ(Peak(2000), 0);
    EXPECT_EQ(CopyFrame(bink)[0], tools::PatternPixel(9, 0, 0));
    BinkClose(bink);
}

} // namespace
} // namespace vls::test
