#pragma once

#include "platform/fmod/fmod.h"
#include "platform/fmod/null_output.h"
#include "tools/sound_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vls::test {

// FSOUND running on the null output with a few channels; every test starts
// from a fresh system.
class FmodTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
        ASSERT_TRUE(FSOUND_Init(44100, channels(), 0));
        ASSERT_TRUE(vls::fmod::NullOutputActive());
    }

    void TearDown() override
    {
        FSOUND_Close();
        FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
        FSOUND_SetSpeakerMode(FSOUND_SPEAKERMODE_STEREO);
    }

    virtual int channels() const { return 8; }

    static FSOUND_SAMPLE* LoadSample(const std::vector<std::uint8_t>& file, unsigned int mode = FSOUND_2D)
    {
        return FSOUND_Sample_Load(FSOUND_UNMANAGED, reinterpret_cast<const char*>(file.data()),
                                  mode | FSOUND_LOADMEMORY, 0, static_cast<int>(file.size()));
    }

    static FSOUND_STREAM* OpenStream(const std::vector<std::uint8_t>& file, unsigned int mode = FSOUND_2D)
    {
        return FSOUND_Stream_Open(reinterpret_cast<const char*>(file.data()), mode | FSOUND_LOADMEMORY, 0,
                                  static_cast<int>(file.size()));
    }

    // Interleaved stereo output of the next `frames` frames.
    static std::vector<std::int16_t> Render(int frames)
    {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
        EXPECT_TRUE(vls::fmod::NullOutputRender(out.data(), frames));
        return out;
    }

    // A mono clip whose samples are the given values.
    static tools::PcmClip Clip(std::vector<std::int16_t> samples, int rate = 44100, int channelCount = 1)
    {
        tools::PcmClip clip;
        clip.channels = channelCount;
        clip.rate = rate;
        clip.samples = std::move(samples);
        return clip;
    }

    // A mono ramp 0, step, 2 step, ... of `frames` frames.
    static tools::PcmClip Ramp(int frames, int step = 10, int rate = 44100)
    {
        std::vector<std::int16_t> samples;
        for (int i = 0; i < frames; ++i)
            samples.push_back(static_cast<std::int16_t>(i * step));
        return Clip(std::move(samples), rate);
    }
};

} // namespace vls::test
