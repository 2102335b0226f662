// Rain falling over a realtime video frame with its subtitle, drawn by the
// OpenGL device: the picture a scene with weather and a talking video shows.

#include "tests/engine/render/render_fixture.h"
#include "tests/platform/d3d8/gl_test_window.h"

#include "engine/render/kestrune_particles.h"
#include "engine/render/kestrune_video.h"
#include "platform/crt/rand.h"
#include "tools/font_writer.h"
#include "tools/video_tracks_writer.h"
#include "tools/video_writer.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vls::test {
namespace {

// The frame's view of a realtime video that is current, and a camera that
// looks along +z at the rain.
class WeatherVideoHost : public FakeHost {
public:
    bool HasVideo() override { return VideoHost().CurrentVideo() != nullptr; }
    bool VideoRealtime() override { return true; }
    void VideoUpdate() override { VideoHost().CurrentVideo()->Update(); }
    void VideoDraw(int32_t withSubtitles) override
    {
        VideoHost().CurrentVideo()->Draw(static_cast<uint8_t>(withSubtitles));
    }
    float FrameDeltaSeconds() override { return 0.05f; }
    void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) override
    {
        const D3DXVECTOR3 eye(0, 5, -20), at(0, 5, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 2.0f, 1.0f, 100.0f);
    }
};

class VideoSubtitleHost : public cKestruneNullVideoHost {
public:
    int32_t Subtitle() override { return 1; }
};

class WeatherVideoGl : public RenderWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok()) << SDL_GetError();
        SetGraphicsHost(&weatherHost);
        SetVideoHost(&videoHost);
        srand(7);
        // A dusk-blue gradient video over the band, speaking from frame 0 on.
        tools::VideoClipOptions options;
        options.width = 800;
        options.height = 400;
        options.frames = 75;
        options.rate = 25;
        // Opaque, as backgrounds are: a stream with alpha is drawn again over the scene.
        options.pixels = tools::VideoClipOptions::Pixels::Bgr;
        options.paint = [](int, int x, int y) {
            return 0xFF000000u | uint32_t(20 + y / 8) << 16 | uint32_t(30 + y / 6) << 8 | uint32_t(80 + x / 8);
        };
        std::string error;
        const std::vector<uint8_t> clip = tools::WriteVideoClip(options, error);
        ASSERT_FALSE(clip.empty()) << error;
        KestruneImageHeader header;
        header.width = 800;
        header.height = 400;
        header.frameRate = 25;
        header.pixelType = kImagePixelsBink;
        std::vector<uint8_t> bytes(kImageHeaderSize);
        WriteImageHeader(header, bytes.data());
        data.Add("harbour.image", Bytes(bytes) + Bytes(clip));
        data.Add("harbour.subtitle", tools::WriteSubtitles({{1, 100, "The rain came in from the sea."}}));
        data.Add("particle_raindrop.image", ImageBytes(Solid(8, 8, 0xFFFFFFFF)));
        data.Add("blackscreen.image", ImageBytes(Solid(8, 8, 0xFF000000)));
        tools::BitmapFontOptions font;
        font.pixelSize = 24;
        data.Add("font1", Bytes(tools::WriteBitmapFont(font, error)));
        data.Add("font2", Bytes(tools::WriteBitmapFont(font, error)));
        Start();
        ASSERT_TRUE(D3D8IsOpenGLDevice(graphics->device));
        graphics->LoadUIImages(0, 0);
        fonts->Load();
        weatherHost.gameState = 0;
    }
    void TearDown() override
    {
        if (videoHost.CurrentVideo())
            EndCurrentVideo();
        SetVideoHost(nullptr);
    }

    std::vector<DWORD> Frame()
    {
        graphics->RenderFrame();
        return FrontBufferPixels(graphics->device);
    }

    GlTestWindow window;
    WeatherVideoHost weatherHost;
    VideoSubtitleHost videoHost;
};

TEST_F(WeatherVideoGl, RainAndASubtitleOverAVideoFrame)
{
    auto* video = new cKestruneVideo;
    ASSERT_EQ(video->Open("harbour", 1), 0);
    EndCurrentVideo(); // the queued video becomes current
    ASSERT_EQ(videoHost.CurrentVideo(), video);
    graphics->objects.Add(new cKestruneWeatherRain(WeatherParams{0, 0, 12, 12, 0, 6, 3000, 0.5f, 0}));

    // Frames until the video has played past the subtitle's start, then a few
    // more for the rain to fall.
    std::vector<DWORD> px;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (videoHost.CurrentVideo() && video->image->playedFrame < 2 && std::chrono::steady_clock::now() < until) {
        px = Frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (int i = 0; i < 10; ++i)
        px = Frame();
    ASSERT_EQ(videoHost.CurrentVideo(), video) << "the three-second video ended early";
    auto at = [&](int x, int y) { return px[size_t(y) * 1024 + x] & 0xFFFFFF; };
    // The band shows the video (blue over red and green), the bars stay black.
    EXPECT_EQ(at(500, 20), 0u);
    const DWORD band = at(40, 600);
    EXPECT_GT(band & 0xFF, (band >> 16) & 0xFF);
    // Drops brighten pixels of the band; the subtitle is drawn in its yellow near the top.
    int bright = 0, yellow = 0;
    for (int y = 140; y < 630; ++y)
        for (int x = 0; x < 1024; ++x) {
            const DWORD c = at(x, y);
            bright += ((c >> 16) & 0xFF) > 120 && (c & 0xFF) > 120;
        }
    for (int y = 0; y < 80; ++y)
        for (int x = 300; x < 724; ++x) {
            const DWORD c = at(x, y);
            yellow += ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) < 150;
        }
    EXPECT_GT(bright, 200);
    EXPECT_GT(yellow, 100);

    const char* folder = std::getenv("VEILSTRAND_TEST_DATA");
    const std::string shot = std::string(folder ? folder : ".") + "/rain_over_video.bmp";
    EXPECT_EQ(graphics->SaveScreenshot(shot.c_str()), 0);
}

} // namespace
} // namespace vls::test
