// Error codes and texts, refused calls, and damaged or unknown files.

#include "fmod_fixture.h"

#include "platform/fmod/fmod_errors.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using vls::test::FmodTest;

TEST(FmodErrors, TextsByCode)
{
    EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_NONE), "No errors");
    EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_BUSY), "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");
    EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_FILE_FORMAT), "Unknown file format");
    EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_MEMORY), "Not enough memory ");
    EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_MEDIAPLAYER), "Required Mediaplayer codec is not installed");
    EXPECT_STREQ(FMOD_ErrorString(19), "Unknown error");
    EXPECT_STREQ(FMOD_ErrorString(-1), "Unknown error");
}

TEST(FmodLifecycle, CallsBeforeInitAreRefusedAndSetUpAfterInitIsBusy)
{
    const char data[] = "RIFF";
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, data, FSOUND_LOADMEMORY, 0, 4), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(FSOUND_Stream_Open(data, FSOUND_LOADMEMORY, 0, 4), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_FALSE(FSOUND_SetVolume(0, 1));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(FSOUND_GetOutputHandle(), nullptr);

    // What the engine sets before initialising.
    EXPECT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    EXPECT_TRUE(FSOUND_SetSpeakerMode(FSOUND_SPEAKERMODE_STEREO));
    EXPECT_TRUE(FSOUND_SetBufferSize(50));
    EXPECT_TRUE(FSOUND_SetMaxHardwareChannels(16));
    EXPECT_TRUE(FSOUND_SetMinHardwareChannels(32));
    EXPECT_FALSE(FSOUND_SetBufferSize(0));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_SetOutput(77));
    EXPECT_FALSE(FSOUND_SetSpeakerMode(9));
    EXPECT_FALSE(FSOUND_Init(100, 16, 2));
    EXPECT_FALSE(FSOUND_Init(44100, -1, 2));

    // Headless runs (as all tests do) take the null output whatever was asked.
    ASSERT_TRUE(FSOUND_Init(44100, 16, FSOUND_INIT_GLOBALFOCUS));
    EXPECT_TRUE(vls::fmod::NullOutputActive());
    EXPECT_NE(FSOUND_GetOutputHandle(), nullptr);
    EXPECT_FALSE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    EXPECT_FALSE(FSOUND_SetBufferSize(100));
    EXPECT_FALSE(FSOUND_Init(44100, 16, 2));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    FSOUND_Close();
    EXPECT_EQ(FSOUND_GetOutputHandle(), nullptr);
    FSOUND_Close(); // twice is harmless
}

// The engine closes its sound from an exit routine registered before its first
// FSOUND call; the system must still be there (the sanitizer build sees a
// closed-over freed channel table otherwise).
TEST(FmodLifecycle, AnExitRoutineRegisteredBeforeTheFirstCallClosesALiveSystem)
{
    const pid_t child = fork();
    if (child == 0) {
        std::atexit([] {
            const bool stillOpen = !FSOUND_Init(44100, 16, 0) && FSOUND_GetError() == FMOD_ERR_BUSY;
            FSOUND_Close();
            const bool reopens = FSOUND_Init(44100, 16, 0) != 0;
            FSOUND_Close();
            _exit(stillOpen && reopens ? 0 : 3);
        });
        setenv("VEILSTRAND_BACKEND", "headless", 1);
        if (!FSOUND_Init(44100, 16, 0))
            _exit(2);
        std::exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FmodTest, DamagedAndUnknownFilesAreRefusedWithTheirCodes)
{
    const auto wav = vls::tools::WriteWav(Ramp(1000));
    const auto ogg = vls::tools::EncodeOggVorbis(vls::tools::MakeSine(44100, 1, 441, 0.3, 8000));
    const auto cut = [](std::vector<std::uint8_t> bytes, std::size_t size) {
        bytes.resize(size);
        return bytes;
    };
    auto flipped = ogg;
    flipped[flipped.size() * 2 / 3] ^= 0xFF;
    auto float32 = wav;
    float32[20] = 3;
    const std::string text = "just some text, no sound";
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int error;
    } cases[] = {
        {"WAV cut in its data", cut(wav, wav.size() - 7), FMOD_ERR_FILE_BAD},
        {"WAV cut in its header", cut(wav, 30), FMOD_ERR_FILE_BAD},
        {"WAV of float samples", float32, FMOD_ERR_FILE_FORMAT},
        {"Ogg cut", cut(ogg, ogg.size() - 100), FMOD_ERR_FILE_BAD},
        {"Ogg cut in its headers", cut(ogg, 40), FMOD_ERR_FILE_BAD},
        {"Ogg with a corrupted page", flipped, FMOD_ERR_FILE_BAD},
        {"text", std::vector<std::uint8_t>(text.begin(), text.end()), FMOD_ERR_FILE_FORMAT},
        {"one byte", {0x49}, FMOD_ERR_FILE_FORMAT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadSample(c.bytes), nullptr) << c.name;
        EXPECT_EQ(FSOUND_GetError(), c.error) << c.name;
        EXPECT_EQ(OpenStream(c.bytes), nullptr) << c.name;
        EXPECT_EQ(FSOUND_GetError(), c.error) << c.name;
    }
    const char* data = reinterpret_cast<const char*>(wav.data());
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_UNMANAGED, data, FSOUND_LOADMEMORY, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_UNMANAGED, nullptr, FSOUND_LOADMEMORY, 0, 10), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(-3, data, FSOUND_LOADMEMORY, 0, static_cast<int>(wav.size())), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
}

TEST_F(FmodTest, FilesLoadByNameWithOffsetAndLength)
{
    vls::test::TempDir dir;
    const auto wav = vls::tools::WriteWav(Ramp(100, 100));
    std::string padded = "JUNKJUNK";
    padded.append(wav.begin(), wav.end());
    padded += "TRAILING";
    const std::string path = dir.write("sounds/padded.snd", padded).string();

    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, path.c_str(), FSOUND_2D, 8, static_cast<int>(wav.size()));
    ASSERT_NE(sample, nullptr) << FSOUND_GetError();
    FSOUND_PlaySound(FSOUND_FREE, sample);
    EXPECT_EQ(Render(2)[2], 100);

    std::string backslashed = path;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    EXPECT_NE(FSOUND_Stream_Open(backslashed.c_str(), FSOUND_2D, 8, static_cast<int>(wav.size())), nullptr);

    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "missing.wav").string().c_str(), FSOUND_2D, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
    FSOUND_STREAM* missing = FSOUND_Stream_Open((dir / "missing.ogg").string().c_str(), FSOUND_NONBLOCKING, 0, 0);
    ASSERT_NE(missing, nullptr);
    while (FSOUND_Stream_GetOpenState(missing) == -2) {
    }
    EXPECT_EQ(FSOUND_Stream_GetOpenState(missing), -3);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, path.c_str(), FSOUND_2D, 1 << 30, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_BAD);
}
