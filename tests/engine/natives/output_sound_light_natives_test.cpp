// cOutput natives for printed lines, lights, hints, sounds, effects, overlays
// and videos, each called through a frame against the real objects they drive.

#include "tests/engine/natives/natives_fixture.h"

#include "engine/audio/kestrune_sound.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/image_format.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_hints.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/kestrune_sprites.h"
#include "platform/fmod/null_output.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"
#include "tools/image_writer.h"
#include "tools/sound_writer.h"
#include "tools/video_writer.h"

#include <filesystem>

namespace vls::test {
namespace {

std::uint32_t StoppedClock() { return 0; }

// The natives' scene in a work folder whose data archive the test fills.
class OutputNativesTest : public SystemOutputNativesTest {
protected:
    OutputNativesTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(work_.path());
    }
    ~OutputNativesTest() override
    {
        sound.reset();
        files.reset();
        fmod::SetNullOutputClock(nullptr);
        std::filesystem::current_path(previous_);
    }

    void StartFiles()
    {
        ASSERT_TRUE(data.Write(work_.path()));
        files = std::make_unique<cKestruneFileSystem>();
    }
    // The sound object on the null output, whose time stands still.
    void StartSound()
    {
        fmod::SetNullOutputClock(StoppedClock);
        sound = std::make_unique<cKestruneSound>();
        ASSERT_EQ(sound->ready, 1u);
    }

    static std::vector<std::uint8_t> Wav(double seconds)
    {
        return tools::WriteWav(tools::MakeSine(44100, 1, 441, seconds, 8000));
    }

    ScopedConfig config_;
    TempDir work_;
    std::filesystem::path previous_;
    tools::ArchiveBuilder data;
    std::unique_ptr<cKestruneFileSystem> files;
    std::unique_ptr<cKestruneSound> sound;
};

TEST_F(OutputNativesTest, PrintedLinesGoToTheDialogueWithTheCallingScript)
{
    Call("cOutput__Print", {Text("Ahoy"), Text("there")});
    ASSERT_EQ(host.printed.size(), 1u);
    EXPECT_EQ(host.printed[0].first, "Ahoy");
    EXPECT_EQ(host.printed[0].second, "there");
    EXPECT_EQ(host.printed[0].script, scene.script);
}

TEST_F(OutputNativesTest, LightsAmbientAndShadowReachTheSpriteSystem)
{
    cKestruneSprites sprites;
    Call("cOutput__SetAmbientLight", {Float(0.1f), Float(0.2f), Float(0.3f)});
    EXPECT_EQ(sprites.ambient[0], 0.1f);
    EXPECT_EQ(sprites.ambient[2], 0.3f);
    Call("cOutput__SetShadowVector", {Float(1.0f), Float(-2.0f), Float(0.5f)});
    EXPECT_EQ(sprites.shadowVector[1], -2.0f);
    EXPECT_EQ(sprites.shadowVector[2], 0.5f);

    // x, z, inner radius, falloff, red, green, blue.
    Call("cOutput__AddLight", {Float(4), Float(-6), Float(2), Float(3), Float(0.5f), Float(0.25f), Float(1)});
    ASSERT_EQ(sprites.lights.count, 1);
    const LightRecord& light = sprites.lights.data[0];
    EXPECT_EQ(light.x, 4.0f);
    EXPECT_EQ(light.z, -6.0f);
    EXPECT_EQ(light.innerRadius, 2.0f);
    EXPECT_EQ(light.falloffWidth, 3.0f);
    EXPECT_EQ(light.outerRadiusSquared, 25.0f);
    EXPECT_EQ(light.green, 0.25f);
    EXPECT_EQ(light.enabled, 1);

    Call("cOutput__SetLightEnable", {Int(0), ScriptValue::Boolean(false)});
    EXPECT_EQ(sprites.lights.data[0].enabled, 0);
    for (std::int32_t index : {1, -1}) {
        Call("cOutput__SetLightEnable", {Int(index), ScriptValue::Boolean(true)});
        EXPECT_EQ(sprites.lights.data[0].enabled, 0) << "light " << index << " is not there";
        EXPECT_EQ(sprites.lights.count, 1);
    }
}

TEST_F(OutputNativesTest, HintsAreAddedWithTheirKindAndHiddenByFades)
{
    cKestruneHints hints;
    host.hints = &hints;
    Call("cOutput__AddHint", {Int(3), Int(500), Int(200), Int(2), Int(7)});
    ASSERT_EQ(hints.records.count, 1);
    const HintRecord& mark = hints.records.data[0];
    EXPECT_EQ(mark.view, 3);
    EXPECT_EQ(mark.x, 500);
    EXPECT_EQ(mark.y, 200);
    EXPECT_EQ(mark.kind, 1) << "the script passes the kind plus one";
    EXPECT_EQ(mark.arrow, 7);

    for (const char* native : {"cOutput__Fade", "cOutput__SetVideoCallback", "cOutput__PlayRealtimeVideo"}) {
        hints.state = cKestruneHints::kAllShown;
        Call(native, {Float(1.0f), Int(0), ScriptValue::Boolean(false), Text("")});
        EXPECT_EQ(hints.state, cKestruneHints::kSecondFadeOut) << native;
    }
    host.hints = nullptr;
}

TEST_F(OutputNativesTest, SoundNativesDriveTheSoundObjectWithTheCallingScript)
{
    data.Add("hum.wav", Wav(2.0));
    data.Add("theme.ogg", tools::EncodeOggVorbis(tools::MakeSine(44100, 2, 441, 2.0, 8000)));
    StartFiles();
    StartSound();

    Call("cOutput__SetupSound", {Int(3), Text("hum"), Int(0)});
    Call("cOutput__SetupSound", {Int(4), Text("hum"), Int(kSound3D)});
    ASSERT_EQ(sound->definitions.count, 2);
    EXPECT_EQ(sound->definitions.data[0].id, 3);
    EXPECT_STREQ(sound->definitions.data[0].name.GetText(), "hum");
    EXPECT_EQ(sound->definitions.data[1].flags, kSound3D);
    EXPECT_EQ(sound->definitions.data[0].sampleCount, 0) << "defined, not loaded";
    Call("cOutput__LoadSound", {Int(3)});
    EXPECT_EQ(sound->definitions.data[0].sampleCount, 1);
    EXPECT_EQ(sound->definitions.data[0].kind, kSoundKindMono);

    // id, volume, pan, callback, flags.
    Call("cOutput__PlaySound", {Int(3), Float(0.5f), Float(-1.0f), Text("done"), Int(0)});
    ASSERT_EQ(sound->channels.count, 1);
    const SoundChannel& effect = sound->channels.data[0];
    EXPECT_EQ(effect.id, 3);
    EXPECT_FLOAT_EQ(effect.volume, 0.5f);
    EXPECT_FLOAT_EQ(effect.pan, -1.0f);
    EXPECT_EQ(effect.callbackScript, scene.script);
    EXPECT_STREQ(effect.callbackName.GetText(), "done");

    // id, volume, x, y, z, callback, owner tag.
    Call("cOutput__PlayEmittedSound", {Int(4), Float(1.0f), Float(4), Float(1), Float(6), Text(""), Int(12)});
    ASSERT_EQ(sound->channels.count, 2);
    EXPECT_EQ(sound->channels.data[1].kind, kSoundKind3D);
    EXPECT_EQ(sound->channels.data[1].callbackScript, nullptr) << "no callback name, no script";
    EXPECT_EQ(sound->FindChannel(12), 1);
    float at[3], velocity[3];
    FSOUND_3D_GetAttributes(sound->channels.data[1].channel, at, velocity);
    EXPECT_FLOAT_EQ(at[0], 4.0f);
    EXPECT_FLOAT_EQ(at[2], -6.0f) << "the library's z points the other way";

    Call("cOutput__StopSound", {Int(3)});
    EXPECT_EQ(sound->channels.data[0].state, kChannelStopRequested);
    EXPECT_EQ(sound->channels.data[1].state, kChannelStartPaused) << "other ids play on";

    Call("cOutput__SetFootstepSound", {Int(9)});
    EXPECT_EQ(sound->footstepSound, 9);

    // name, callback, flags: opened without blocking, started by the update.
    Call("cOutput__PlayMusic", {Text("theme"), Text("over"), Int(kSoundLoop)});
    ASSERT_EQ(sound->channels.count, 3);
    const SoundChannel& music = sound->channels.data[2];
    EXPECT_EQ(music.kind, kSoundKindMusic);
    EXPECT_EQ(music.state, kChannelOpening);
    EXPECT_EQ(music.flags, kSoundLoop);
    EXPECT_EQ(music.callbackScript, scene.script);
    EXPECT_STREQ(music.callbackName.GetText(), "over");
    EXPECT_STREQ(sound->musicName.GetText(), "theme");

    // seconds, flags: 256 volume units over two seconds.
    Call("cOutput__StopMusic", {Float(2.0f), Int(0)});
    EXPECT_EQ(sound->channels.data[2].state, kChannelFadeRequested);
    EXPECT_FLOAT_EQ(sound->channels.data[2].fadeSpeed, 128.0f);
    EXPECT_EQ(sound->channels.data[2].callbackScript, nullptr);
    EXPECT_STREQ(sound->musicName.GetText(), "");
    EXPECT_TRUE(link.reports.empty());
}

TEST_F(OutputNativesTest, SoundNativesWithoutASoundObjectDoNothing)
{
    for (const char* native : {"cOutput__PlayMusic", "cOutput__StopMusic", "cOutput__SetupSound", "cOutput__LoadSound",
                               "cOutput__PlaySound", "cOutput__StopSound", "cOutput__PlayEmittedSound",
                               "cOutput__SetFootstepSound"})
        EXPECT_EQ(Call(native, {Int(1), Text("x"), Int(0)}), 0) << native;
}

// The same with the graphics device, for what is drawn: effects, overlays and
// videos.
class FakeVideoHost : public cKestruneNullVideoHost {
public:
    FakeVideoHost() { SetVideoHost(this); }
    ~FakeVideoHost() override { SetVideoHost(nullptr); }
    cKestruneVideo*& CurrentVideo() override { return current; }
    cKestruneVideo*& QueuedVideo() override { return queued; }
    cKestruneVideo* current = nullptr;
    cKestruneVideo* queued = nullptr;
};

class DrawnOutputNativesTest : public OutputNativesTest {
protected:
    ~DrawnOutputNativesTest() override
    {
        // Videos and effects hold device objects: they go before the device.
        host.videos.clear();
        videoHost.queued = nullptr;
        graphics.reset();
    }

    void StartGraphics()
    {
        StartFiles();
        graphics = std::make_unique<cKestruneGraphics>();
    }

    // A three-frame picture as an overlay of a view.
    void AddOverlay(const std::string& view, const std::string& name)
    {
        KestruneImageHeader header;
        const tools::Picture frame(8, 8, 0xFF336699);
        data.Add(view + "_" + name + ".image", tools::WriteImage(header, {frame, frame, frame}));
    }

    void AddVideo(const std::string& name)
    {
        tools::VideoClipOptions options;
        options.frames = 4;
        options.paint = tools::PatternPixel;
        std::string error;
        const std::vector<std::uint8_t> clip = tools::WriteVideoClip(options, error);
        ASSERT_FALSE(clip.empty()) << error;
        KestruneImageHeader header;
        header.width = static_cast<std::uint32_t>(options.width);
        header.height = static_cast<std::uint32_t>(options.height);
        header.frameRate = 25;
        header.pixelType = kImagePixelsBink;
        std::vector<std::uint8_t> bytes(kImageHeaderSize);
        WriteImageHeader(header, bytes.data());
        bytes.insert(bytes.end(), clip.begin(), clip.end());
        data.Add(name + ".image", bytes);
    }

    FakeVideoHost videoHost;
    std::unique_ptr<cKestruneGraphics> graphics;
};

TEST_F(DrawnOutputNativesTest, WeatherAndFountainsJoinTheGraphicsObjects)
{
    StartGraphics();
    // type, centre x, centre z, half width, top, bottom, speed, count, two extras.
    Call("cOutput__CreateWeather", {Int(2), Float(1), Float(2), Float(3), Float(4), Float(5), Float(6), Int(40),
                                    Float(7), Float(8)});
    Call("cOutput__CreateWeather", {Int(0), Float(-1), Float(-2), Float(9), Float(10), Float(0), Float(3), Int(20),
                                    Float(0.5f), Float(0.25f)});
    EXPECT_EQ(Call("cOutput__CreateWeather", {Int(1)}), -1);
    // x, y, z, spread, ground, speed, count.
    Call("cOutput__CreateParticleFountain", {Float(1), Float(2), Float(3), Float(0.5f), Float(-1), Float(4), Int(30)});
    ASSERT_EQ(graphics->objects.count, 3) << "the unknown weather type makes nothing";

    auto* const snow = dynamic_cast<cKestruneWeatherSnow*>(graphics->objects.data[0]);
    ASSERT_NE(snow, nullptr);
    EXPECT_EQ(snow->params.centreX, 1.0f);
    EXPECT_EQ(snow->params.speed, 6.0f);
    EXPECT_EQ(snow->params.count, 40);
    EXPECT_EQ(snow->params.extra2, 8.0f);
    auto* const rain = dynamic_cast<cKestruneWeatherRain*>(graphics->objects.data[1]);
    ASSERT_NE(rain, nullptr);
    EXPECT_EQ(rain->params.halfWidth, 9.0f);
    EXPECT_EQ(rain->params.count, 20);
    EXPECT_EQ(rain->params.extra1, 0.5f);
    auto* const fountain = dynamic_cast<cKestruneFountain*>(graphics->objects.data[2]);
    ASSERT_NE(fountain, nullptr);
    EXPECT_EQ(fountain->params.z, 3.0f);
    EXPECT_EQ(fountain->params.spread, 1.0f) << "held doubled";
    EXPECT_EQ(fountain->params.ground, -1.0f);
    EXPECT_EQ(fountain->params.count, 30);
}

TEST_F(DrawnOutputNativesTest, OverlaysLoadOncePerViewAndStepToAFrame)
{
    AddOverlay("close", "gull");
    AddOverlay("wide", "gull");
    StartGraphics();
    Call("cOutput__LoadOverlayIntoView", {Int(1), Text("gull")});
    Call("cOutput__LoadOverlayIntoView", {Int(1), Text("gull")});
    Call("cOutput__LoadOverlayIntoView", {Int(7), Text("crab")}); // past the end: the last view; no such file
    Call("cOutput__LoadOverlayIntoView", {Int(0), Text("gull")});
    const DynArray<cKestruneImage*>& close = scene.views.data[1]->overlays;
    ASSERT_EQ(close.count, 1) << "a name already loaded is not loaded again";
    EXPECT_STREQ(close.data[0]->name.GetText(), "gull");
    EXPECT_EQ(close.data[0]->playMode, 0) << "hidden until a mode is set";
    EXPECT_EQ(close.data[0]->sharedCallbacks, 1);
    ASSERT_EQ(scene.views.data[0]->overlays.count, 1);
    EXPECT_TRUE(link.reports.empty());

    Call("cOutput__SetOverlayFrame", {Text("gull"), Int(2)});
    EXPECT_EQ(close.data[0]->currentFrame, 2);
    EXPECT_EQ(scene.views.data[0]->overlays.data[0]->currentFrame, 2) << "every view's overlay of that name";
}

TEST_F(DrawnOutputNativesTest, AVideoHoldsItsScriptUntilItEnds)
{
    AddVideo("talk");
    StartGraphics();
    cKestruneScript& script = *scene.script;
    Call("cOutput__PlayVideo", {Text("talk")});
    ASSERT_EQ(host.videos.size(), 1u);
    cKestruneVideo& video = *host.videos[0];
    ASSERT_NE(video.image, nullptr);
    EXPECT_EQ(video.realtime, 0);
    EXPECT_EQ(video.image->endCallbackScript, &script);
    EXPECT_EQ(video.image->endCallbackName.GetText()[0], '#') << "the resume point of the calling script";
    EXPECT_EQ(script.suspendCount, 1);

    // The callback natives reach the current video.
    Call("cOutput__SetVideoCallback", {Int(0), Int(3), Text("halfway")});
    EXPECT_EQ(video.image->frameCallbackFrame, 3);
    EXPECT_STREQ(video.image->frameCallbackName.GetText(), "halfway");
    Call("cOutput__SetVideoCallback", {Int(0), Int(0), Text("over")});
    EXPECT_STREQ(video.image->endCallbackName.GetText(), "over");

    Call("cOutput__PlayRealtimeVideo", {Text("talk"), Text("cam"), Text("height")});
    ASSERT_EQ(host.videos.size(), 2u);
    EXPECT_EQ(host.videos[1]->realtime, 1);
    EXPECT_EQ(script.suspendCount, 2);
}

// Nothing would ever end a video without a picture: neither kind is queued,
// and the calling script goes on.
TEST_F(DrawnOutputNativesTest, AVideoWhosePictureIsMissingIsNotQueued)
{
    StartGraphics();
    cKestruneScript& script = *scene.script;
    Call("cOutput__PlayVideo", {Text("lost")});
    Call("cOutput__PlayRealtimeVideo", {Text("lost"), Text("cam"), Text("height")});
    EXPECT_TRUE(host.videos.empty());
    EXPECT_EQ(videoHost.queued, nullptr);
    EXPECT_EQ(script.suspendCount, 0);
}

} // namespace
} // namespace vls::test
