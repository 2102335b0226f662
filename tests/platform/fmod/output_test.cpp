// The outputs a program gets: the null output following the shared clock when
// it runs headless, and the SDL device when it may make sound.

#include "platform/fmod/fmod.h"
#include "platform/fmod/null_output.h"
#include "platform/win32/kernel/clock.h"
#include "tools/sound_writer.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

FSOUND_STREAM* OpenWavStream(const std::vector<std::uint8_t>& file)
{
    return FSOUND_Stream_Open(reinterpret_cast<const char*>(file.data()), FSOUND_LOADMEMORY | FSOUND_2D, 0,
                              static_cast<int>(file.size()));
}

// Restores an environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

std::uint64_t fakeMicroseconds = 0;

} // namespace

TEST(FmodOutput, HeadlessProgramFollowsTheSharedClockInUpdate)
{
    const ScopedEnv headless("VEILSTRAND_BACKEND", "headless");
    fakeMicroseconds = 5'000'000;
    vls::win32::SetClockSource([] { return fakeMicroseconds; });
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    ASSERT_TRUE(FSOUND_Init(44100, 4, 0));
    EXPECT_TRUE(vls::fmod::NullOutputActive());
    FSOUND_STREAM* stream = OpenWavStream(vls::tools::WriteWav(vls::tools::MakeSine(44100, 1, 100, 3.0, 1000)));
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);

    fakeMicroseconds += 300'000;
    FSOUND_Update();
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 300);
    // A long stall catches up by one second only.
    fakeMicroseconds += 60'000'000;
    FSOUND_Update();
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 1300);
    fakeMicroseconds += 1'000'000;
    FSOUND_Update();
    fakeMicroseconds += 1'000'000;
    FSOUND_Update();
    EXPECT_FALSE(FSOUND_IsPlaying(channel));

    FSOUND_Close();
    vls::win32::SetClockSource({});
}

TEST(FmodOutput, SdlDeviceMixesOnItsOwnThread)
{
    const ScopedEnv backend("VEILSTRAND_BACKEND", nullptr);
    const ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    ASSERT_TRUE(FSOUND_SetBufferSize(20));
    ASSERT_TRUE(FSOUND_Init(44100, 4, 0));
    if (vls::fmod::NullOutputActive()) {
        FSOUND_Close();
        GTEST_SKIP() << "no SDL audio device here, not even the dummy one";
    }
    std::int16_t ignored[2];
    EXPECT_FALSE(vls::fmod::NullOutputRender(ignored, 1)) << "the device pulls, tests do not";

    FSOUND_STREAM* stream = OpenWavStream(vls::tools::WriteWav(vls::tools::MakeSine(44100, 1, 100, 10.0, 1000)));
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (FSOUND_Stream_GetTime(stream) < 100 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(FSOUND_Stream_GetTime(stream), 100);
    FSOUND_Close();
}

// Whether or not the machine has a card, the audio subsystem taken at Init
// (and kept when no device opened) is let go at Close, once per Init.
TEST(FmodOutput, CloseLetsTheAudioSubsystemGoWhetherOrNotADeviceOpened)
{
    const ScopedEnv backend("VEILSTRAND_BACKEND", nullptr);
    for (const char* driver : {"alsa", "dummy"}) {
        SCOPED_TRACE(driver);
        const ScopedEnv chosen("SDL_AUDIODRIVER", driver);
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
            ASSERT_TRUE(FSOUND_Init(44100, 4, 0));
            FSOUND_Close();
            EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "round " << round;
        }
    }
}

// A program heard through a device opens non-blocking streams on a worker;
// one whose time is virtual gets them finished at the call, as the null
// output does, so the same input script sees the same open states.
TEST(FmodOutput, NonBlockingOpenOnADeviceFinishesAtTheCallUnderAVirtualClock)
{
    const ScopedEnv backend("VEILSTRAND_BACKEND", nullptr);
    const ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    ASSERT_TRUE(FSOUND_Init(44100, 4, 0));
    if (vls::fmod::NullOutputActive()) {
        FSOUND_Close();
        GTEST_SKIP() << "no SDL audio device here, not even the dummy one";
    }
    const auto ogg = vls::tools::EncodeOggVorbis(vls::tools::MakeSine(44100, 1, 441, 0.5, 8000));
    auto damaged = ogg;
    damaged.resize(damaged.size() / 2);
    const auto open = [](const std::vector<std::uint8_t>& file) {
        return FSOUND_Stream_Open(reinterpret_cast<const char*>(file.data()),
                                  FSOUND_LOADMEMORY | FSOUND_2D | FSOUND_NONBLOCKING, 0,
                                  static_cast<int>(file.size()));
    };

    fakeMicroseconds = 1'000'000;
    vls::win32::SetClockSource([] { return fakeMicroseconds; });
    FSOUND_STREAM* good = open(ogg);
    FSOUND_STREAM* bad = open(damaged);
    vls::win32::SetClockSource({});
    ASSERT_NE(good, nullptr);
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(FSOUND_Stream_GetOpenState(good), 0);
    EXPECT_EQ(FSOUND_Stream_GetOpenState(bad), -3);

    // On real time the worker opens it; it gets there all the same.
    FSOUND_STREAM* later = open(ogg);
    ASSERT_NE(later, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (FSOUND_Stream_GetOpenState(later) == -2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(FSOUND_Stream_GetOpenState(later), 0);
    FSOUND_Close();
}

TEST(FmodOutput, ProgramMayEndWithoutClosingTheSoundSystem)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("VEILSTRAND_BACKEND");
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            FSOUND_Init(44100, 5, FSOUND_INIT_GLOBALFOCUS);
            const auto ogg = vls::tools::EncodeOggVorbis(vls::tools::MakeSine(44100, 2, 441, 1.0, 5000));
            FSOUND_STREAM* music = FSOUND_Stream_Open(reinterpret_cast<const char*>(ogg.data()),
                                                      FSOUND_LOADMEMORY | FSOUND_LOOP_NORMAL, 0,
                                                      static_cast<int>(ogg.size()));
            FSOUND_Stream_Play(FSOUND_FREE, music);
            FSOUND_Stream_Open(reinterpret_cast<const char*>(ogg.data()), FSOUND_LOADMEMORY | FSOUND_NONBLOCKING, 0,
                               static_cast<int>(ogg.size()));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
