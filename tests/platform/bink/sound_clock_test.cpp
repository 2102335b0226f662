// On a real sound output a video with sound is paced by what the output has
// played, not by the millisecond clock; on the null output by the clock.

#include "tests/platform/bink/clip_fixture.h"

#include "platform/fmod/fmod.h"
#include "platform/fmod/null_output.h"
#include "platform/win32/kernel/clock.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace vls::test {
namespace {

// Runs the video the way the engine does until frame `last` has been shown or
// the wall clock says `seconds` have passed; returns the frames shown.
U32 PlayFor(HBINK bink, U32 last, double seconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (bink->LastFrameNum < last && std::chrono::steady_clock::now() < until) {
        if (BinkWait(bink)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        BinkDoFrame(bink);
        if (bink->LastFrameNum < last)
            BinkNextFrame(bink);
    }
    return bink->LastFrameNum;
}

class BinkSoundClock : public ::testing::Test {
protected:
    void TearDown() override
    {
        BinkSetSoundSystem(nullptr, nullptr);
        FSOUND_Close();
        FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
        vls::win32::SetClockSource({});
        if (!backend_.empty())
            setenv("VEILSTRAND_BACKEND", backend_.c_str(), 1);
    }

    // A one-second clip of 25 frames with a sound track, and a millisecond
    // clock that runs a tenth as fast as time (`slow`) or stands still: by
    // that clock alone frame 10 would take 3.6 s, or never come.
    std::vector<std::uint8_t> StartWithClock(bool slow)
    {
        const auto start = std::chrono::steady_clock::now();
        vls::win32::SetClockSource([start, slow] {
            const auto passed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
            return std::uint64_t{7000000} + (slow ? std::uint64_t(passed.count()) / 10 : 0);
        });
        tools::VideoClipOptions options;
        options.width = 16;
        options.height = 16;
        options.frames = 25;
        options.audioRate = 44100;
        return MakeClip(options);
    }

    std::string backend_ = std::getenv("VEILSTRAND_BACKEND") ? std::getenv("VEILSTRAND_BACKEND") : "";
};

TEST_F(BinkSoundClock, ARealOutputPacesPicturesByTheSoundPlayed)
{
    const std::vector<std::uint8_t> clip = StartWithClock(true);
    // SDL's dummy audio driver consumes sound in real time, as a device does.
    unsetenv("VEILSTRAND_BACKEND");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    ASSERT_TRUE(FSOUND_Init(44100, 8, 0));
    if (vls::fmod::NullOutputActive())
        GTEST_SKIP() << "no audio device, not even SDL's dummy one";
    ASSERT_EQ(BinkSetSoundSystem(BinkOpenDirectSound, FSOUND_GetOutputHandle()), 1);
    HBINK bink = OpenClip(clip, 0);
    ASSERT_NE(bink, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PlayFor(bink, 10, 6.0), 10u);
    // Frame 10 is due at 0.36 s of sound: not at once, and well before the
    // slow clock would have it.
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(took, 0.2);
    EXPECT_LT(took, 2.0);
    BinkClose(bink);
}

TEST_F(BinkSoundClock, TheNullOutputLeavesPacingToTheClock)
{
    const std::vector<std::uint8_t> clip = StartWithClock(false);
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
    ASSERT_TRUE(FSOUND_Init(44100, 8, 0));
    ASSERT_EQ(BinkSetSoundSystem(BinkOpenDirectSound, FSOUND_GetOutputHandle()), 1);
    HBINK bink = OpenClip(clip, 0);
    ASSERT_NE(bink, nullptr);
    vls::fmod::NullOutputAdvance(44100); // a second of sound "played"
    EXPECT_EQ(PlayFor(bink, 10, 0.3), 1u); // the clock stands still: frame 2 never comes
    BinkClose(bink);
}

} // namespace
} // namespace vls::test
