// The launcher's music and button sounds on the null output.

#include "launcher/launcher_sound.h"

#include "platform/fmod/null_output.h"
#include "platform/win32/kernel/clock.h"
#include "platform/win32/kernel/paths.h"
#include "tests/support/temp_dir.h"
#include "tools/launcher_sounds.h"
#include "tools/sound_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kLauncherChannels = 5;

std::string Text(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::uint64_t fakeMicroseconds = 0;

// The launcher runs headless here, so its sounds move on with the shared
// clock, which the tests hold still and move by hand.
class LauncherSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fakeMicroseconds = 1'000'000;
        vls::win32::SetClockSource([] { return fakeMicroseconds; });
    }

    void TearDown() override
    {
        FSOUND_Close();
        vls::win32::SetClockSource({});
    }

    // The folder as the launcher sees its own: Windows-style, with a trailing backslash.
    std::string LauncherDir() const { return vls::win32::ToWindowsPath(dir_.path().string()) + "\\"; }

    void WriteMusic(double seconds = 0.25)
    {
        dir_.write("launcher.mus", Text(vls::tools::EncodeOggVorbis(vls::tools::MakeSine(44100, 2, 441, seconds, 6000))));
    }

    void WriteClick() { dir_.write("launcher.sn1", Text(vls::tools::WriteWav(vls::tools::MakeSine(22050, 1, 1000, 0.1, 9000)))); }
    void WriteHover() { dir_.write("launcher.sn2", Text(vls::tools::WriteWav(vls::tools::MakeSine(22050, 1, 2000, 0.1, 9000)))); }

    static int PlayingChannels()
    {
        int playing = 0;
        for (int i = 0; i < kLauncherChannels; ++i)
            playing += FSOUND_IsPlaying(i) ? 1 : 0;
        return playing;
    }

    static int Peak(int frames)
    {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
        EXPECT_TRUE(vls::fmod::NullOutputRender(out.data(), frames));
        int peak = 0;
        for (const std::int16_t sample : out)
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        return peak;
    }

    vls::test::TempDir dir_;
    LauncherSound sound_;
};

} // namespace

TEST_F(LauncherSoundTest, MusicLoopsFromSetUpUntilRelease)
{
    WriteMusic(0.25);
    WriteClick();
    WriteHover();
    sound_.Setup(LauncherDir());
    EXPECT_TRUE(sound_.SoundReady);
    ASSERT_TRUE(vls::fmod::NullOutputActive());
    ASSERT_NE(sound_.MusicStream, nullptr);
    ASSERT_NE(sound_.ClickSound, nullptr);
    ASSERT_NE(sound_.HoverSound, nullptr);
    EXPECT_EQ(FSOUND_Sample_GetMode(sound_.ClickSound) & FSOUND_2D, unsigned(FSOUND_2D));
    EXPECT_EQ(PlayingChannels(), 1);

    // Four times the music's length: it is still there, and still audible.
    Peak(44100 / 4 * 3);
    EXPECT_GT(Peak(44100 / 4), 4000);
    FSOUND_Update();
    EXPECT_EQ(PlayingChannels(), 1);

    sound_.Release();
    EXPECT_EQ(sound_.MusicStream, nullptr);
    EXPECT_EQ(PlayingChannels(), 0);
    EXPECT_EQ(Peak(1000), 0);
}

TEST_F(LauncherSoundTest, ClicksAndHoversOverlapOnFreeChannels)
{
    WriteMusic();
    WriteClick();
    WriteHover();
    sound_.Setup(LauncherDir());
    sound_.PlayClickSound();
    EXPECT_EQ(PlayingChannels(), 2);
    // Pointer across three more buttons: one hover sound per entry.
    for (int entry = 0; entry < 3; ++entry)
        sound_.PlayHoverSound();
    EXPECT_EQ(PlayingChannels(), 5);
    // Every channel busy: the extra sound is left out, nothing else changes.
    sound_.PlayHoverSound();
    EXPECT_EQ(PlayingChannels(), 5);

    // The effects are a tenth of a second long; the music goes on. The
    // launcher never calls FSOUND_Update, yet time frees the channels.
    fakeMicroseconds += 150'000;
    EXPECT_EQ(PlayingChannels(), 1);
    sound_.PlayClickSound();
    EXPECT_EQ(PlayingChannels(), 2);
    EXPECT_EQ(FSOUND_Stream_GetPosition(sound_.MusicStream), 44100u * 150 / 1000);
}

TEST_F(LauncherSoundTest, MissingFilesLeaveThoseSoundsOut)
{
    WriteHover();
    sound_.Setup(LauncherDir());
    EXPECT_TRUE(sound_.SoundReady);
    EXPECT_EQ(sound_.MusicStream, nullptr);
    EXPECT_EQ(sound_.ClickSound, nullptr);
    EXPECT_EQ(PlayingChannels(), 0);

    sound_.PlayClickSound();
    EXPECT_EQ(PlayingChannels(), 0);
    sound_.PlayHoverSound();
    EXPECT_EQ(PlayingChannels(), 1);

    // Closing without music hands FMOD a null stream, which it refuses quietly.
    sound_.Release();
    EXPECT_EQ(sound_.MusicStream, nullptr);
}

TEST_F(LauncherSoundTest, UnreadableFilesAreTreatedAsNoSound)
{
    dir_.write("launcher.mus", "this is no music");
    dir_.write("launcher.sn1", "RIFF....WAVEdata");
    sound_.Setup(LauncherDir());
    EXPECT_TRUE(sound_.SoundReady);
    EXPECT_EQ(sound_.MusicStream, nullptr);
    EXPECT_EQ(sound_.ClickSound, nullptr);
    EXPECT_EQ(PlayingChannels(), 0);
    sound_.PlayClickSound();
    sound_.Release();
}

TEST_F(LauncherSoundTest, ClickWaitsForTheSoundStepButHoverDoesNot)
{
    // Sounds loaded by hand on a running FSOUND, before the form's sound step has run.
    WriteClick();
    WriteHover();
    ASSERT_TRUE(FSOUND_Init(44100, kLauncherChannels, 0));
    const std::string click = (dir_ / "launcher.sn1").string();
    const std::string hover = (dir_ / "launcher.sn2").string();
    sound_.ClickSound = FSOUND_Sample_Load(FSOUND_FREE, click.c_str(), FSOUND_2D, 0, 0);
    sound_.HoverSound = FSOUND_Sample_Load(FSOUND_FREE, hover.c_str(), FSOUND_2D, 0, 0);
    ASSERT_FALSE(sound_.SoundReady);
    sound_.PlayClickSound();
    EXPECT_EQ(PlayingChannels(), 0);
    sound_.PlayHoverSound();
    EXPECT_EQ(PlayingChannels(), 1);
    // Release before the sound step leaves everything alone.
    sound_.Release();
}

TEST_F(LauncherSoundTest, DemoSoundsLoadAndTheMusicLoopJoinsSmoothly)
{
    ASSERT_TRUE(vls::tools::WriteLauncherSounds(dir_.path()));
    sound_.Setup(LauncherDir());
    ASSERT_NE(sound_.MusicStream, nullptr);
    ASSERT_NE(sound_.ClickSound, nullptr);
    ASSERT_NE(sound_.HoverSound, nullptr);

    // Across the loop's seam the wave moves on as it does anywhere else.
    constexpr int kLoopFrames = 44100 * 8;
    std::vector<std::int16_t> out(2 * 200);
    vls::fmod::NullOutputAdvance(kLoopFrames - 100);
    ASSERT_TRUE(vls::fmod::NullOutputRender(out.data(), 200));
    int largestStep = 0;
    for (int i = 1; i < 200; ++i)
        largestStep = std::max(largestStep, std::abs(out[2 * i] - out[2 * i - 2]));
    EXPECT_LT(largestStep, 600);
    EXPECT_EQ(FSOUND_Stream_GetPosition(sound_.MusicStream), 100u);
}
