#pragma once

#include "engine/audio/kestrune_sound.h"
#include "engine/audio/sound_host.h"
#include "engine/base/kestrune_file_system.h"
#include "platform/fmod/null_output.h"
#include "tests/engine/script/script_test_support.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"
#include "tools/sound_writer.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vls::test {

// The layers above the sound object, as plain fields a test sets.
class FakeSoundHost : public cKestruneNullSoundHost {
public:
    SoundSettings Settings() const override { return settings; }
    const cKestruneView* CurrentView() const override { return view; }
    bool VideoCurrent() const override { return video; }
    bool CameraToWorld(float matrix[16]) const override
    {
        std::memcpy(matrix, camera, sizeof camera);
        return hasCamera;
    }
    SoundScreenFade ScreenFade() const override { return fade; }
    float FrameDeltaSeconds() const override { return delta; }
    bool CharacterPosition(const cKestruneCharacter*, float position[3]) const override
    {
        std::memcpy(position, speaker, sizeof speaker);
        return true;
    }

    SoundSettings settings;
    const cKestruneView* view = nullptr;
    bool video = false;
    bool hasCamera = true;
    // Identity: at the origin, looking along +z, y up.
    float camera[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    SoundScreenFade fade;
    float delta = 0.0f;
    float speaker[3] = {};
};

inline std::uint32_t StoppedClock() { return 0; }

// A data folder with sound files, a file system over it and a sound object on
// the null output whose time passes only when a test says so.
class SoundTest : public ScriptTest {
protected:
    SoundTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(work_.path());
        SetSoundHost(&host);
        fmod::SetNullOutputClock(StoppedClock);
    }
    ~SoundTest() override
    {
        sound.reset();
        files.reset();
        SetSoundHost(nullptr);
        fmod::SetNullOutputClock(nullptr);
        std::filesystem::current_path(previous_);
    }

    // Writes the data folder and starts the file system and the sound object.
    void Start()
    {
        ASSERT_TRUE(data.Write(work_.path()));
        files = std::make_unique<cKestruneFileSystem>();
        sound = std::make_unique<cKestruneSound>();
        ASSERT_EQ(sound->ready, 1u);
    }

    static std::vector<std::uint8_t> Wav(double seconds, int channels = 1)
    {
        return tools::WriteWav(tools::MakeSine(44100, channels, 441, seconds, 8000));
    }
    static std::vector<std::uint8_t> Ogg(double seconds)
    {
        return tools::EncodeOggVorbis(tools::MakeSine(44100, 2, 441, seconds, 8000));
    }

    // Lets the given time of sound play.
    static void Play(double seconds) { fmod::NullOutputAdvance(static_cast<int>(seconds * 44100)); }

    // Loudness of each side of the next frames of the mix.
    static std::pair<double, double> SideLevels(int frames = 4410)
    {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
        EXPECT_TRUE(fmod::NullOutputRender(out.data(), frames));
        double left = 0, right = 0;
        for (int i = 0; i < frames; ++i) {
            left += std::abs(out[2 * i]);
            right += std::abs(out[2 * i + 1]);
        }
        return {left / frames, right / frames};
    }

    SoundChannel& Channel(int index) { return sound->channels.data[index]; }

    ScopedConfig config_;
    TempDir work_;
    std::filesystem::path previous_;
    FakeSoundHost host;
    tools::ArchiveBuilder data;
    std::unique_ptr<cKestruneFileSystem> files;
    std::unique_ptr<cKestruneSound> sound;
};

} // namespace vls::test
