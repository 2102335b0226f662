// Streams: playing, positions and time, end callbacks through FSOUND_Update,
// non-blocking opens, closing, and the PCM feed.

#include "fmod_fixture.h"

#include "platform/fmod/pcm_feed.h"

using vls::test::FmodTest;

namespace {

struct EndLog {
    int calls = 0;
    FSOUND_STREAM* stream = nullptr;
    void* userdata = nullptr;
};

signed char RecordEnd(FSOUND_STREAM* stream, void* buff, int len, void* userdata)
{
    auto* log = static_cast<EndLog*>(userdata);
    ++log->calls;
    log->stream = stream;
    log->userdata = userdata;
    EXPECT_EQ(buff, nullptr);
    EXPECT_EQ(len, 0);
    return 1;
}

int Left(const std::vector<std::int16_t>& out, int frame) { return out[2 * frame]; }

} // namespace

TEST_F(FmodTest, WavStreamPlaysAndReportsPositionAndTime)
{
    FSOUND_STREAM* stream = OpenStream(vls::tools::WriteWav(Ramp(44100, 0)));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(FSOUND_Stream_GetOpenState(stream), 0);
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    ASSERT_GE(channel, 0);
    Render(22050);
    EXPECT_EQ(FSOUND_Stream_GetPosition(stream), 22050u);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 500);
    EXPECT_EQ(FSOUND_GetCurrentSample(channel), nullptr);

    ASSERT_TRUE(FSOUND_Stream_SetPosition(stream, 4410));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 100);
    Render(441);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 110);

    ASSERT_TRUE(FSOUND_Stream_Stop(stream));
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
    EXPECT_EQ(FSOUND_Stream_GetPosition(stream), 0u) << "stopping rewinds";
}

TEST_F(FmodTest, StreamDecodesOggAcrossManyMixBlocksAndSkipsBySetPosition)
{
    const auto sine = vls::tools::MakeSine(22050, 2, 220.5, 1.0, 10000);
    FSOUND_STREAM* stream = OpenStream(vls::tools::EncodeOggVorbis(sine));
    ASSERT_NE(stream, nullptr) << FSOUND_GetError();
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    FSOUND_SetPan(channel, FSOUND_STEREOPAN);
    // 22050 Hz played at 44100: every source frame spans two output frames.
    const auto out = Render(20000);
    double error = 0;
    for (int i = 0; i < 20000; i += 2)
        error += std::abs(Left(out, i) - sine.samples[static_cast<std::size_t>(i)]);
    EXPECT_LT(error / 10000, 10000 * 0.02);
    EXPECT_EQ(FSOUND_Stream_GetPosition(stream), 10000u);

    ASSERT_TRUE(FSOUND_Stream_SetPosition(stream, 15000));
    const auto later = Render(2);
    EXPECT_NEAR(Left(later, 0), sine.samples[30000], 10000 * 0.05);
    EXPECT_FALSE(FSOUND_Stream_SetPosition(stream, 1000000));
}

TEST_F(FmodTest, EndCallbackWaitsForUpdateAndComesOnce)
{
    FSOUND_STREAM* stream = OpenStream(vls::tools::WriteWav(Ramp(1000)));
    EndLog log;
    ASSERT_TRUE(FSOUND_Stream_SetEndCallback(stream, RecordEnd, &log));
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    FSOUND_Update();
    Render(999);
    FSOUND_Update();
    EXPECT_EQ(log.calls, 0) << "not yet at the end";
    Render(10);
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
    EXPECT_EQ(log.calls, 0) << "the mixer only queues the callback";
    FSOUND_Update();
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.stream, stream);
    EXPECT_EQ(log.userdata, &log);
    Render(100);
    FSOUND_Update();
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 1000 * 1000 / 44100);
}

TEST_F(FmodTest, LoopingStreamPlaysOnWithoutEndCallback)
{
    FSOUND_STREAM* stream = OpenStream(vls::tools::WriteWav(Ramp(300, 10)), FSOUND_2D | FSOUND_LOOP_NORMAL);
    EndLog log;
    FSOUND_Stream_SetEndCallback(stream, RecordEnd, &log);
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    const auto out = Render(1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Left(out, i), (i % 300) * 10) << i;
    FSOUND_Update();
    EXPECT_EQ(log.calls, 0);
    EXPECT_TRUE(FSOUND_IsPlaying(channel));
    EXPECT_EQ(FSOUND_Stream_GetPosition(stream), 100u);
}

TEST_F(FmodTest, ClosingAStreamStopsItAndDropsItsPendingCallback)
{
    FSOUND_STREAM* playing = OpenStream(vls::tools::WriteWav(Ramp(5000)));
    FSOUND_STREAM* ended = OpenStream(vls::tools::WriteWav(Ramp(10)));
    EndLog playingLog, endedLog;
    FSOUND_Stream_SetEndCallback(playing, RecordEnd, &playingLog);
    FSOUND_Stream_SetEndCallback(ended, RecordEnd, &endedLog);
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, playing);
    FSOUND_Stream_Play(FSOUND_FREE, ended);
    Render(100);
    ASSERT_TRUE(FSOUND_Stream_Close(playing));
    ASSERT_TRUE(FSOUND_Stream_Close(ended));
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
    EXPECT_EQ(Left(Render(10), 5), 0);
    FSOUND_Update();
    EXPECT_EQ(playingLog.calls, 0);
    EXPECT_EQ(endedLog.calls, 0);
    EXPECT_FALSE(FSOUND_Stream_Close(playing)) << "a closed stream is no longer known";
    EXPECT_EQ(FSOUND_Stream_GetOpenState(playing), -1);
}

// On the null output nothing is heard, so a non-blocking open is finished at
// the call: what a program sees does not hang on a worker's timing.
TEST_F(FmodTest, NonBlockingOpenOnTheNullOutputIsReadyOrFailedAtTheCall)
{
    const auto ogg = vls::tools::EncodeOggVorbis(vls::tools::MakeSine(44100, 1, 441, 0.2, 8000));
    FSOUND_STREAM* stream = OpenStream(ogg, FSOUND_2D | FSOUND_NONBLOCKING);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(FSOUND_Stream_GetOpenState(stream), 0);
    EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);

    auto damaged = ogg;
    damaged.resize(damaged.size() / 2);
    FSOUND_STREAM* bad = OpenStream(damaged, FSOUND_2D | FSOUND_NONBLOCKING);
    ASSERT_NE(bad, nullptr) << "the failure shows in the open state";
    EXPECT_EQ(FSOUND_Stream_GetOpenState(bad), -3);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, bad), -1);
    EXPECT_TRUE(FSOUND_Stream_Close(bad));

    // Closing while the worker may still run waits for it.
    FSOUND_STREAM* racing = OpenStream(ogg, FSOUND_2D | FSOUND_NONBLOCKING);
    EXPECT_TRUE(FSOUND_Stream_Close(racing));
}

TEST_F(FmodTest, StreamPlayExStartsPausedAndNullStreamIsRefused)
{
    FSOUND_STREAM* stream = OpenStream(vls::tools::WriteWav(Clip({5000, 5000, 5000})));
    const int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, 1);
    ASSERT_GE(channel, 0);
    EXPECT_EQ(Left(Render(1), 0), 0);
    FSOUND_SetPaused(channel, 0);
    EXPECT_EQ(Left(Render(1), 0), 5000);

    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
    EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
}

TEST_F(FmodTest, PcmFeedPlaysQueuedFramesAndWaitsWhenDry)
{
    FSOUND_STREAM* feed = vls::fmod::OpenPcmFeed(22050, 1);
    ASSERT_NE(feed, nullptr);
    const std::int16_t first[] = {1000, 2000};
    EXPECT_EQ(vls::fmod::FeedPcm(feed, first, 2), 2);
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, feed);
    FSOUND_SetVolume(channel, 51);
    auto out = Render(6);
    const int expected[] = {200, 300, 400, 400, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Left(out, i), expected[i]) << i;
    EXPECT_TRUE(FSOUND_IsPlaying(channel)) << "a dry feed waits";

    const std::int16_t more[] = {3000, 3000};
    vls::fmod::FeedPcm(feed, more, 2);
    out = Render(2);
    EXPECT_EQ(Left(out, 1), 600);

    std::vector<std::int16_t> flood(22050 * 5, 1);
    EXPECT_EQ(vls::fmod::FeedPcm(feed, flood.data(), static_cast<int>(flood.size())), 22050 * 4);
    EXPECT_EQ(vls::fmod::FeedPcm(nullptr, first, 1), -1);
    FSOUND_STREAM* file = OpenStream(vls::tools::WriteWav(Ramp(10)));
    EXPECT_EQ(vls::fmod::FeedPcm(file, first, 1), -1);
    EXPECT_EQ(vls::fmod::OpenPcmFeed(22050, 3), nullptr);
    EXPECT_TRUE(FSOUND_Stream_Close(feed));
}

namespace {

std::uint32_t fakeNow = 0;
std::uint32_t FakeClock() { return fakeNow; }

} // namespace

TEST_F(FmodTest, UpdateFollowsTheNullOutputClock)
{
    fakeNow = 1000;
    vls::fmod::SetNullOutputClock(FakeClock);
    FSOUND_STREAM* stream = OpenStream(vls::tools::WriteWav(Ramp(44100, 0)));
    EndLog log;
    FSOUND_Stream_SetEndCallback(stream, RecordEnd, &log);
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    fakeNow += 250;
    FSOUND_Update();
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 250);
    EXPECT_EQ(log.calls, 0);
    fakeNow += 1000;
    FSOUND_Update();
    EXPECT_EQ(log.calls, 1) << "the update that mixes the end reports it";
    vls::fmod::SetNullOutputClock(nullptr);
}
