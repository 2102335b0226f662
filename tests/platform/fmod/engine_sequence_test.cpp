// The call sequences the engine's sound object makes, with its mode values,
// end to end on the null output.

#include "fmod_fixture.h"

#include <chrono>
#include <thread>

using vls::test::FmodTest;

namespace {

// The engine's channel record: the end callback only marks it ended.
struct MusicRecord {
    unsigned int state = 1;
};

signed char OnStreamEnd(FSOUND_STREAM*, void*, int, void* userdata)
{
    static_cast<MusicRecord*>(userdata)->state = 2;
    return 1;
}

constexpr unsigned int kMusicOnce = 0x100A001;   // non-blocking, from memory, 2D, no loop
constexpr unsigned int kMusicLoop = 0x100A002;
constexpr unsigned int kSpeech = 0xA000;
constexpr unsigned int kEffect2D = 0xA001;
constexpr unsigned int kEffect3D = 0x8001 | 0x41000;

FSOUND_STREAM* OpenEngineStream(const std::vector<std::uint8_t>& file, unsigned int mode)
{
    return FSOUND_Stream_Open(reinterpret_cast<const char*>(file.data()), mode, 0, static_cast<int>(file.size()));
}

FSOUND_SAMPLE* LoadEngineSample(const std::vector<std::uint8_t>& file, unsigned int mode)
{
    return FSOUND_Sample_Load(FSOUND_UNMANAGED, reinterpret_cast<const char*>(file.data()), mode, 0,
                              static_cast<int>(file.size()));
}

void WaitUntilOpen(FSOUND_STREAM* stream)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (FSOUND_Stream_GetOpenState(stream) != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST_F(FmodTest, EngineMusicEndsThroughItsRecordAndLoopingMusicDoesNot)
{
    const auto ogg = vls::tools::EncodeOggVorbis(vls::tools::MakeSine(44100, 2, 441, 0.3, 6000));
    MusicRecord once, looping;
    FSOUND_STREAM* onceStream = OpenEngineStream(ogg, kMusicOnce);
    FSOUND_STREAM* loopStream = OpenEngineStream(ogg, kMusicLoop);
    WaitUntilOpen(onceStream);
    WaitUntilOpen(loopStream);
    for (auto [stream, record] : {std::pair{onceStream, &once}, std::pair{loopStream, &looping}}) {
        const int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
        ASSERT_GE(channel, 0);
        FSOUND_SetVolumeAbsolute(channel, static_cast<int>(255 * 0.5));
        FSOUND_Stream_SetEndCallback(stream, OnStreamEnd, record);
        record->state = 0;
    }
    Render(44100 / 2);
    EXPECT_EQ(once.state, 0u);
    FSOUND_Update();
    EXPECT_EQ(once.state, 2u);
    EXPECT_EQ(looping.state, 0u);
    // The engine's next update stops and closes the ended music.
    EXPECT_TRUE(FSOUND_Stream_Stop(onceStream));
    EXPECT_TRUE(FSOUND_Stream_Close(onceStream));

    // The savegame keeps the looping music's place and puts it back.
    const unsigned int saved = FSOUND_Stream_GetPosition(loopStream);
    EXPECT_EQ(saved, 44100u / 2 - 13230u);
    FSOUND_Stream_Close(loopStream);
    FSOUND_STREAM* again = OpenEngineStream(ogg, kSpeech | FSOUND_LOOP_NORMAL);
    ASSERT_NE(again, nullptr);
    FSOUND_Stream_Play(FSOUND_FREE, again);
    ASSERT_TRUE(FSOUND_Stream_SetPosition(again, saved));
    EXPECT_EQ(FSOUND_Stream_GetPosition(again), saved);
}

TEST_F(FmodTest, EngineSpeechTimeDrivesLipSyncAndEndsPlaying)
{
    const auto ogg = vls::tools::EncodeOggVorbis(vls::tools::MakeSine(22050, 1, 300, 1.0, 6000));
    FSOUND_STREAM* speech = OpenEngineStream(ogg, kSpeech);
    ASSERT_NE(speech, nullptr);
    const int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, speech, nullptr, 1);
    FSOUND_SetVolumeAbsolute(channel, 200);
    FSOUND_SetPaused(channel, 0);
    // Half a second of output is half the line, whatever its own rate.
    Render(44100 / 2);
    EXPECT_EQ(FSOUND_Stream_GetTime(speech), 500);
    EXPECT_EQ(static_cast<int>(FSOUND_Stream_GetTime(speech) * 0.03), 15) << "the lip-sync key";
    EXPECT_TRUE(FSOUND_IsPlaying(channel));
    Render(44100 / 2 + 10);
    EXPECT_FALSE(FSOUND_IsPlaying(channel)) << "the line is done";
    FSOUND_StopSound(channel);
    FSOUND_Stream_Stop(speech);
    EXPECT_TRUE(FSOUND_Stream_Close(speech));
}

TEST_F(FmodTest, EngineEffectsStartPausedWithTheirVolumePanAndPlace)
{
    const auto mono = vls::tools::WriteWav(Clip({8000, 8000, 8000, 8000}));
    const auto stereo = vls::tools::WriteWav(Clip({8000, 4000, 8000, 4000}, 44100, 2));
    FSOUND_SAMPLE* flat = LoadEngineSample(mono, kEffect2D);
    FSOUND_SAMPLE* wide = LoadEngineSample(stereo, kEffect2D);
    FSOUND_SAMPLE* placed = LoadEngineSample(stereo, kEffect3D);
    ASSERT_NE(flat, nullptr);
    ASSERT_NE(placed, nullptr);
    // The engine tells its 2D kinds apart by the stereo bit.
    EXPECT_FALSE(FSOUND_Sample_GetMode(flat) & FSOUND_STEREO);
    EXPECT_TRUE(FSOUND_Sample_GetMode(wide) & FSOUND_STEREO);
    EXPECT_FALSE(FSOUND_Sample_GetMode(placed) & FSOUND_STEREO) << "3D effects are forced to mono";

    const int left = FSOUND_PlaySoundEx(FSOUND_FREE, flat, nullptr, 1);
    FSOUND_SetVolume(left, static_cast<int>(255 * 0.5));
    FSOUND_SetPan(left, 127 - static_cast<int>(-1.0f * -127.0f)); // engine pan -1: hard left
    const int both = FSOUND_PlaySoundEx(FSOUND_FREE, wide, nullptr, 1);
    FSOUND_SetVolume(both, 255);
    FSOUND_SetPan(both, -1);
    const int there = FSOUND_PlaySoundEx(FSOUND_FREE, placed, nullptr, 1);
    FSOUND_SetVolume(there, 255);
    const float position[3] = {0, 0, -4}; // the engine's z = 4, behind a listener facing +z
    FSOUND_3D_SetAttributes(there, position, nullptr);
    EXPECT_EQ(Render(1)[0], 0) << "nothing sounds before the next update unpauses";

    for (const int channel : {left, both, there})
        FSOUND_SetPaused(channel, 0);
    const auto out = Render(1);
    // 8000 x 127/255 (left only) + 8000 | 4000 stereo + 6000 (mono fold) / 4 from 3D.
    EXPECT_EQ(out[0], 3984 + 8000 + 1500);
    EXPECT_EQ(out[1], 4000 + 1500);
    EXPECT_EQ(FSOUND_GetCurrentSample(there), placed);
    float read[3];
    FSOUND_3D_GetAttributes(there, read, nullptr);
    EXPECT_EQ(read[2], -4);
}
