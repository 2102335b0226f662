// Videos: subtitles and motion tracks from their side files, the engine's
// video queue, and what a video draws.

#include "render_fixture.h"

#include "engine/render/kestrune_video.h"
#include "engine/render/video_tracks.h"
#include "tools/video_tracks_writer.h"
#include "tools/video_writer.h"

namespace vls::test {
namespace {

class FakeVideoHost : public cKestruneNullVideoHost {
public:
    int32_t Subtitle() override { return subtitle; }
    cKestruneVideo*& CurrentVideo() override { return current; }
    cKestruneVideo*& QueuedVideo() override { return queued; }
    bool PlayerPosition(float position[3]) override
    {
        std::memcpy(position, player, sizeof player);
        return true;
    }
    void SetPlayerHeight(float y) override { heights.push_back(y); }
    void SetCameraFromMotion(const float* record) override { cameras.push_back(record[0]); }

    int32_t subtitle = 1;
    cKestruneVideo* current = nullptr;
    cKestruneVideo* queued = nullptr;
    float player[3] = {5, 2, 7};
    std::vector<float> heights;
    std::vector<float> cameras;
};

std::vector<uint8_t> U8(const std::string& text) { return {text.begin(), text.end()}; }

TEST(VideoTracks, SubtitleLinesAreReadAsTheTextLineReaderSeesThem)
{
    struct Case {
        std::string text;
        std::vector<SubtitleLine> lines;
    };
    const std::string longText(1030, 'x');
    const Case cases[] = {
        {"12-40,Hello there\r\n41-60,Second, with comma\n", {{12, 40, "Hello there"}, {41, 60, "Second, with comma"}}},
        {"5-9,last line without end", {{5, 9, "last line without end"}}},
        {"0-10,never\n5-9,after", {}},                                  // a leading '0' ends reading
        {"5-9,a\n07-9,b\n10-12,c", {{5, 9, "a"}}},
        {"no dash here\n5,9-x\n7-8 no comma\n1-2,ok", {{1, 2, "ok"}}}, // ',' must follow '-'
        {"1-2,", {{1, 2, ""}}},
        {"1-2," + longText + "\n", {{1, 2, longText.substr(0, 1019)}}}, // the rest has no '-'
        {"", {}},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = U8(c.text);
        const std::vector<SubtitleLine> lines = ReadSubtitles(bytes.data(), bytes.size());
        ASSERT_EQ(lines.size(), c.lines.size()) << c.text.substr(0, 40);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].start, c.lines[i].start);
            EXPECT_EQ(lines[i].end, c.lines[i].end);
            EXPECT_EQ(lines[i].text, c.lines[i].text);
        }
    }
    const std::string written = tools::WriteSubtitles({{3, 4, "a"}, {5, 6, "b"}});
    const std::vector<uint8_t> bytes = U8(written + "7-8,hidden\n");
    EXPECT_EQ(ReadSubtitles(bytes.data(), bytes.size()).size(), 2u);
}

TEST(VideoTracks, MotionTracksKeepWholeRecordsOnly)
{
    std::vector<uint8_t> camera = tools::WriteCameraTrack({{1, 2, 3}, {4}});
    camera.resize(camera.size() + 20);
    const std::vector<float> track = ReadMotionTrack(camera.data(), camera.size(), kCameraRecordSize);
    ASSERT_EQ(track.size(), 2 * kCameraRecordValues);
    EXPECT_FLOAT_EQ(track[2], 3.0f);
    EXPECT_FLOAT_EQ(track[14], 4.0f);
    const std::vector<uint8_t> height = tools::WriteHeightTrack({{1, 2, 3}});
    ASSERT_EQ(height.size(), kHeightRecordSize);
    const std::vector<float> values = ReadMotionTrack(height.data(), height.size(), kHeightRecordSize);
    EXPECT_FLOAT_EQ(values[10], 2.0f);
    EXPECT_TRUE(ReadMotionTrack(height.data(), 47, kHeightRecordSize).empty());
}

class Videos : public RenderWorld {
protected:
    Videos() { SetVideoHost(&videoHost); }
    ~Videos() override
    {
        while (videoHost.current || videoHost.queued)
            EndCurrentVideo();
        SetVideoHost(nullptr);
    }

    void AddClip(const std::string& name, int width, int height, int frames = 4)
    {
        tools::VideoClipOptions options;
        options.width = width;
        options.height = height;
        options.frames = frames;
        options.rate = 50;
        options.paint = tools::PatternPixel;
        std::string error;
        const std::vector<uint8_t> clip = tools::WriteVideoClip(options, error);
        ASSERT_FALSE(clip.empty()) << error;
        KestruneImageHeader header;
        header.width = uint32_t(width);
        header.height = uint32_t(height);
        header.x = 30;
        header.y = 40;
        header.frameRate = 50;
        header.pixelType = kImagePixelsBink;
        std::vector<uint8_t> bytes(kImageHeaderSize);
        WriteImageHeader(header, bytes.data());
        data.Add(name + ".image", Bytes(bytes) + Bytes(clip));
    }

    // The corners of the video's quad, as drawn.
    static std::pair<float, float> TopLeft(cKestruneVideo& video)
    {
        KestruneImageVertex* v = nullptr;
        video.image->vertexBuffer->Lock(0, 0, reinterpret_cast<BYTE**>(&v), D3DLOCK_READONLY);
        float x = v[0].x, y = v[0].y;
        for (int i = 1; i < 4; ++i) {
            x = std::min(x, v[i].x);
            y = std::min(y, v[i].y);
        }
        video.image->vertexBuffer->Unlock();
        return {x, y};
    }

    FakeVideoHost videoHost;
};

TEST_F(Videos, BandVideosFillTheBandAndQueuedVideosWaitInOrder)
{
    const std::string longName = "a_video_image_whose_name_runs_past_forty_bytes";
    AddClip("band", 800, 400);
    AddClip(longName, 64, 32);
    data.Add("broken.image", std::string("short"));
    Start();
    auto* band = new cKestruneVideo;
    ASSERT_EQ(band->Open("band", 0), 0);
    EXPECT_EQ(TopLeft(*band), (std::pair<float, float>{0.0f, 128.0f}));
    EXPECT_EQ(band->image->linearFiltering, 1);
    EXPECT_EQ(band->image->playMode, kImagePlayOnce);
    auto* small = new cKestruneVideo;
    ASSERT_EQ(small->Open(longName.c_str(), 1), 0);
    ASSERT_NE(small->image->bink, nullptr);
    EXPECT_EQ(small->image->linearFiltering, 0);
    EXPECT_EQ(videoHost.queued, band);
    EXPECT_EQ(band->next, small);

    cKestruneVideo missing, broken;
    EXPECT_EQ(missing.Open("nothing", 0), 0);
    EXPECT_EQ(missing.image, nullptr);
    EXPECT_EQ(broken.Open("broken", 0), -1);
    EXPECT_EQ(small->next, nullptr); // neither was queued

    EndCurrentVideo(); // nothing current yet: the first queued one starts
    EXPECT_EQ(videoHost.current, band);
    EXPECT_EQ(videoHost.queued, small);
    band->image->ended = 1;
    band->Draw(1); // a full-screen video that ended gives way
    EXPECT_EQ(videoHost.current, small);
    EXPECT_EQ(videoHost.queued, nullptr);
    small->image->ended = 1;
    small->Draw(1); // a realtime one ends in the overlay pass only
    EXPECT_EQ(videoHost.current, small);
    small->Draw(0);
    EXPECT_EQ(videoHost.current, nullptr);
}

TEST_F(Videos, SubtitlesShowFromTheFrameAfterTheirStartToTheFrameAfterTheirEnd)
{
    AddClip("talk", 64, 32, 60);
    data.Add("talk.subtitle", tools::WriteSubtitles({{12, 40, "first"}, {41, 50, "second"}}));
    Start();
    auto* video = new cKestruneVideo;
    ASSERT_EQ(video->Open("talk", 0), 0);
    EndCurrentVideo();
    ASSERT_EQ(video->subtitles.count, 2);
    video->image->playMode = kImageStopped;
    struct Step {
        int frame;
        int subtitlesLeft;
        bool shown;
    };
    for (const Step& step : {Step{12, 2, false}, Step{13, 2, true}, Step{40, 2, true}, Step{41, 1, false},
                             Step{42, 1, true}, Step{51, 0, false}}) {
        video->image->playedFrame = step.frame;
        video->Draw(0);
        EXPECT_EQ(video->subtitles.count, step.subtitlesLeft) << step.frame;
        EXPECT_EQ(LiveText(video->subtitleText) != nullptr, step.shown) << step.frame;
    }
    // With the setting off no ".subtitle" is read.
    videoHost.subtitle = 0;
    cKestruneVideo quiet;
    ASSERT_EQ(quiet.Open("talk", 0), 0);
    EXPECT_EQ(quiet.subtitles.count, 0);
    videoHost.queued = nullptr;
}

TEST_F(Videos, RealtimeVideoMovesTheCameraAndThePlayersHeightByFrame)
{
    AddClip("ride", 64, 32);
    data.Add("ride.cmotion", Bytes(tools::WriteCameraTrack({{100}, {101}, {102}, {103}})));
    data.Add("ride.motion", Bytes(tools::WriteHeightTrack({{0, 1, 0}, {0, 3, 0}, {0, 6, 0}})));
    data.Add("short.motion", std::string(40, '\0'));
    Start();
    cKestruneVideo video;
    ASSERT_EQ(video.Open("ride", 1), 0);
    videoHost.queued = nullptr;
    video.LoadMotion("ride", "ride");
    EXPECT_EQ(video.cameraCount, 4);
    EXPECT_EQ(video.heightCount, 3);
    EXPECT_FLOAT_EQ(video.origin[1], 1.0f); // player y 2 minus the first record's 1
    video.image->playMode = kImageStopped;
    for (int frame : {0, 0, 1, 2, 3}) {
        video.image->playedFrame = frame;
        video.Update();
    }
    EXPECT_EQ(videoHost.cameras, (std::vector<float>{101, 102, 103}));
    EXPECT_EQ(videoHost.heights, (std::vector<float>{4, 7}));

    // A track without a whole record leaves the origin alone; no second name, no height track.
    cKestruneVideo other;
    ASSERT_EQ(other.Open("ride", 1), 0);
    videoHost.queued = nullptr;
    other.LoadMotion("ride", "short");
    EXPECT_EQ(other.heightCount, 0);
    EXPECT_FLOAT_EQ(other.origin[1], 0.0f);
    other.LoadMotion("nothing", "");
    EXPECT_EQ(other.cameraCount, 0);
    EXPECT_EQ(other.lastMotionFrame, -1);
}

} // namespace
} // namespace vls::test
