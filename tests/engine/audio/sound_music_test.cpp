// Music streams, speech and the "SND" savegame block.

#include "sound_fixture.h"

#include "engine/audio/sound_block.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"
#include "tests/support/file_bytes.h"

#include <chrono>
#include <fcntl.h>
#include <thread>

namespace vls::test {
namespace {

// Runs updates until the music record at index leaves state 1.
void UpdateUntilOpen(cKestruneSound& sound, int index)
{
    for (int i = 0; i < 5000 && sound.channels.data[index].state == kChannelOpening; ++i) {
        sound.Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST_F(SoundTest, MusicCrossFadesAtItsSpeedAndTheSameMusicKeepsPlaying)
{
    data.Add("one.ogg", Ogg(3.0));
    data.Add("two.ogg", Ogg(3.0));
    Start();
    sound->PlayMusic("one", nullptr, "", kSoundLoop, false);
    ASSERT_EQ(sound->channels.count, 1);
    EXPECT_EQ(Channel(0).state, kChannelOpening);
    UpdateUntilOpen(*sound, 0);
    ASSERT_EQ(Channel(0).state, kChannelPlaying);
    // The default music volume 127 plays at 63.
    EXPECT_EQ(FSOUND_GetVolume(Channel(0).channel), 63);

    sound->PlayMusic("one", nullptr, "", 0, true);
    EXPECT_EQ(sound->channels.count, 1);

    sound->PlayMusic("two", nullptr, "", 0, true);
    ASSERT_EQ(sound->channels.count, 2);
    EXPECT_EQ(Channel(0).state, kChannelFadeRequested);
    EXPECT_EQ(Channel(1).state, kChannelPlaying);
    EXPECT_STREQ(sound->musicName.GetText(), "two");
    host.delta = 0.25f;
    sound->Update(); // 7 -> 3
    EXPECT_EQ(Channel(0).state, kChannelFading);
    sound->Update(); // 63 - 32
    EXPECT_EQ(FSOUND_GetVolume(Channel(0).channel), 31);
    sound->Update(); // 31 - 32: ended
    EXPECT_EQ(Channel(0).state, kChannelEnded);
    sound->Update();
    ASSERT_EQ(sound->channels.count, 1);
    EXPECT_STREQ(sound->musicName.GetText(), "two");
    EXPECT_EQ(FSOUND_GetVolume(Channel(0).channel), 63);
}

TEST_F(SoundTest, StoppingMusicOverNoTimeEndsItAtTheFirstFadeStep)
{
    data.Add("one.ogg", Ogg(1.0));
    Start();
    for (float delta : {0.0f, 0.04f}) {
        sound->PlayMusic("one", nullptr, "", 0, true);
        sound->StopMusic(0.0f, 0);
        EXPECT_STREQ(sound->musicName.GetText(), "");
        host.delta = delta;
        sound->Update();
        sound->Update();
        EXPECT_EQ(Channel(0).state, kChannelEnded);
        EXPECT_EQ(FSOUND_GetVolume(Channel(0).channel), 0);
        sound->Update();
        EXPECT_EQ(sound->channels.count, 0);
    }
    // Bit 0x2 keeps the usual speed whatever the seconds.
    sound->PlayMusic("one", nullptr, "", 0, true);
    sound->StopMusic(0.001f, 0x2);
    EXPECT_FLOAT_EQ(Channel(0).fadeSpeed, 128.0f);
}

TEST_F(SoundTest, MusicThatEndsRunsItsCallbackAndABrokenStreamIsDropped)
{
    data.Add("short.ogg", Ogg(0.2));
    data.Add("broken.ogg", std::string("OggS but nothing after it"));
    Start();
    const auto script = Load("var hits int\n ret\n func over\n inc ref hits\n ret\n");
    sound->PlayMusic("short", script.get(), "over", 0, true);
    Play(0.5);
    sound->Update(); // the library reports the end here
    sound->Update();
    EXPECT_EQ(sound->channels.count, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);

    // Opened without blocking, the failure shows only later: never played,
    // never waited for.
    sound->PlayMusic("broken", script.get(), "over", 0, false);
    if (sound->channels.count == 1)
        UpdateUntilOpen(*sound, 0);
    EXPECT_EQ(sound->channels.count, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    sound->PlayMusic("nothing", nullptr, "", 0, true);
    EXPECT_EQ(sound->channels.count, 0);
    EXPECT_TRUE(link.reports.empty());
}

TEST_F(SoundTest, SpeechVolumeFallsWithTheSpeakersDistance)
{
    struct Case {
        float distance;
        float base;
    };
    for (const Case& c : {Case{0, 255}, Case{10, 255}, Case{10.9f, 255}, Case{11.9f, 253.75f}, Case{12, 252.5f}, Case{214, 0},
                          Case{233, -23.75f}, Case{500, -23.75f}})
        EXPECT_FLOAT_EQ(SpeechBaseVolume(c.distance), c.base) << c.distance;

    data.Add("line.ogg", Ogg(0.3));
    Start();
    host.settings.DialogueVolume = 200;
    int character = 0;
    auto* speaker = reinterpret_cast<cKestruneCharacter*>(&character);
    struct Speaker {
        float x, z;
        int volume;
    };
    // 3-4-5: the horizontal distance only; height does not count.
    for (const Speaker& p : {Speaker{3, 4, 200}, Speaker{30, 40, 160}, Speaker{300, 400, 0}}) {
        host.speaker[0] = p.x;
        host.speaker[1] = 50.0f;
        host.speaker[2] = p.z;
        ASSERT_TRUE(sound->PlaySpeech("line", speaker));
        EXPECT_EQ(sound->speakingCharacter, speaker);
        EXPECT_EQ(FSOUND_GetVolume(sound->speechChannel), p.volume);
    }
    EXPECT_FALSE(sound->IsSpeechDone());
    Play(0.5);
    EXPECT_TRUE(sound->IsSpeechDone());
    EXPECT_EQ(sound->speakingCharacter, nullptr);
    EXPECT_FALSE(sound->PlaySpeech("unknown", nullptr));
    EXPECT_EQ(sound->speechChannel, -1);
}

class SoundBlockTest : public SoundTest {
protected:
    // Saves into a file and reopens it for reading, positioned at its start.
    int SaveAndReopen()
    {
        const std::string path = (work_.path() / "save").string();
        const int out = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        EXPECT_EQ(sound->SaveBlock(out), 0);
        WriteSavegameBlockHeader(out, "END", "", 0);
        _close(out);
        return _open(path.c_str(), _O_RDONLY | _O_BINARY);
    }
};

TEST_F(SoundBlockTest, RoundTripRestoresDefinitionsMusicAndPlayingEffects)
{
    data.Add("hum.wav", Wav(2.0));
    data.Add("theme.ogg", Ogg(3.0));
    Start();
    const auto script = Load("var hits int\n ret\n func done\n inc ref hits\n ret\n");
    sound->footstepSound = 9;
    sound->SetupSound(1, "hum", 0);
    sound->SetupSound(2, "hum", kSound3D);
    sound->SetupSound(3, "never", 0);
    sound->PlaySound(1, 0.5f, -1.0f, script.get(), "done", 0);
    sound->PlayEmittedSound(2, 1.0f, 4.0f, 1.0f, 6.0f, nullptr, "", 12);
    sound->PlayMusic("theme", script.get(), "done", kSoundLoop, true);
    sound->Update();
    Play(0.5);

    const int file = SaveAndReopen();
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(file, header));
    EXPECT_STREQ(header.tag, "SND");
    EXPECT_EQ(header.length, 76u + 3 * 268 + 3 * 116);
    sound->footstepSound = -1;
    ASSERT_EQ(sound->LoadBlock(file, header), 0);
    _close(file);
    EXPECT_STREQ(header.tag, "END");

    EXPECT_EQ(sound->footstepSound, 9);
    ASSERT_EQ(sound->definitions.count, 3);
    EXPECT_EQ(sound->definitions.data[0].kind, kSoundKindMono);
    EXPECT_EQ(sound->definitions.data[1].kind, kSoundKind3D);
    EXPECT_EQ(sound->definitions.data[2].sampleCount, 0);
    EXPECT_STREQ(sound->musicName.GetText(), "theme");
    // The old music fades; the restored one plays from where it was.
    int restoredMusic = -1, effect = -1, emitted = -1;
    for (int i = 0; i < sound->channels.count; ++i) {
        const SoundChannel& record = Channel(i);
        if (record.kind == kSoundKindMusic && record.state == kChannelPlaying)
            restoredMusic = i;
        else if (record.kind == kSoundKindMono)
            effect = i;
        else if (record.kind == kSoundKind3D)
            emitted = i;
    }
    ASSERT_GE(restoredMusic, 0);
    EXPECT_EQ(Channel(restoredMusic).callbackScript, script.get());
    EXPECT_EQ(Channel(restoredMusic).flags, kSoundLoop);
    EXPECT_NEAR(FSOUND_Stream_GetPosition(Channel(restoredMusic).stream), 0.5 * 44100, 4096);
    ASSERT_GE(effect, 0);
    EXPECT_FLOAT_EQ(Channel(effect).volume, 0.5f);
    EXPECT_FLOAT_EQ(Channel(effect).pan, -1.0f);
    EXPECT_EQ(Channel(effect).callbackScript, script.get());
    EXPECT_NEAR(FSOUND_GetCurrentPosition(Channel(effect).channel), 0.5 * 44100, 4096);
    ASSERT_GE(emitted, 0);
    EXPECT_EQ(Channel(emitted).ownerTag, 12);
    float at[3], velocity[3];
    FSOUND_3D_GetAttributes(Channel(emitted).channel, at, velocity);
    EXPECT_FLOAT_EQ(at[0], 4.0f);
    EXPECT_FLOAT_EQ(at[2], -6.0f);
    EXPECT_TRUE(link.reports.empty());
}

// Music saved in each phase of its life comes back, and saving again at once
// writes the same bytes: started and saved before any update (still opening,
// no position yet), started and updated once (playing from its start), and
// saved after it has played a while. On the null output the open takes no
// time of its own, so each phase saves the same bytes every time.
TEST_F(SoundBlockTest, MusicJustStartedSavesTheSameBytesEachTimeAndAgainAfterALoad)
{
    data.Add("theme.ogg", Ogg(3.0));
    Start();
    struct Phase {
        const char* name;
        int updates;
        double played;
        uint32_t state;
        bool hasPosition;
    };
    const Phase phases[] = {
        {"saved while opening", 0, 0.0, kChannelOpening, false},
        {"saved after one update", 1, 0.0, kChannelPlaying, true},
        {"saved while playing", 1, 0.5, kChannelPlaying, true},
    };
    for (const Phase& phase : phases) {
        SCOPED_TRACE(phase.name);
        std::vector<std::uint8_t> first;
        for (int run = 0; run < 3; ++run) {
            sound.reset(); // one sound object at a time owns the output
            sound = std::make_unique<cKestruneSound>();
            sound->PlayMusic("theme", nullptr, "", kSoundLoop, false);
            for (int i = 0; i < phase.updates; ++i)
                sound->Update();
            ASSERT_EQ(Channel(0).state, phase.state);
            Play(phase.played);
            _close(SaveAndReopen());
            const std::vector<std::uint8_t> bytes = ReadFileBytes(work_.path() / "save");
            if (run == 0)
                first = bytes;
            EXPECT_EQ(bytes, first) << "run " << run;
        }
        SoundBlock saved;
        ASSERT_GE(first.size(), 2 * kSavegameBlockHeaderSize);
        ASSERT_TRUE(ReadSoundBlock(first.data() + kSavegameBlockHeaderSize,
                                   first.size() - 2 * kSavegameBlockHeaderSize, saved));
        ASSERT_EQ(saved.channels.size(), 1u);
        EXPECT_EQ(saved.channels[0].state, phase.state);
        EXPECT_EQ((saved.channels[0].flags & kSoundBlockNoPosition) == 0, phase.hasPosition);
        EXPECT_EQ(saved.channels[0].position, static_cast<uint32_t>(phase.played * 44100));

        // The next start: a fresh sound object loads the game and saves it again.
        sound.reset();
        sound = std::make_unique<cKestruneSound>();
        const int file = _open((work_.path() / "save").string().c_str(), _O_RDONLY | _O_BINARY);
        SavegameBlockHeader header;
        ASSERT_TRUE(ReadSavegameBlockHeader(file, header));
        ASSERT_EQ(sound->LoadBlock(file, header), 0);
        _close(file);
        ASSERT_EQ(sound->channels.count, 1);
        EXPECT_EQ(Channel(0).kind, kSoundKindMusic);
        EXPECT_EQ(Channel(0).state, phase.state);
        EXPECT_EQ(Channel(0).flags, kSoundLoop);
        EXPECT_STREQ(sound->musicName.GetText(), "theme");
        _close(SaveAndReopen());
        EXPECT_EQ(ReadFileBytes(work_.path() / "save"), first);

        // Music loaded while opening plays from its start at the next update.
        sound->Update();
        EXPECT_EQ(Channel(0).state, kChannelPlaying);
        EXPECT_TRUE(FSOUND_IsPlaying(Channel(0).channel));
        EXPECT_EQ(FSOUND_Stream_GetPosition(Channel(0).stream), static_cast<uint32_t>(phase.played * 44100));
    }
    EXPECT_TRUE(link.reports.empty());
}

TEST_F(SoundBlockTest, DamagedBlocksAreRefused)
{
    Start();
    SoundBlock block;
    block.musicName = "theme";
    block.definitions.push_back({5, kSoundOgg, "name", true});
    block.channels.push_back({});
    const std::vector<uint8_t> good = WriteSoundBlock(block);
    SoundBlock back;
    ASSERT_TRUE(ReadSoundBlock(good.data(), good.size(), back));
    EXPECT_EQ(back.definitions[0].name, "name");
    EXPECT_EQ(back.definitions[0].flags, kSoundOgg);

    auto withCount = [&](int offset, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        std::memcpy(bytes.data() + offset, &value, 4);
        return bytes;
    };
    const std::vector<std::vector<uint8_t>> damaged = {
        {good.begin(), good.begin() + 40},          // shorter than the state
        {good.begin(), good.end() - 1},             // last channel cut short
        withCount(4, 2),                            // more definitions than bytes
        withCount(8, 0x80000000u),                  // a negative count
        withCount(8, 0x01000000u),                  // a huge count
    };
    for (const auto& bytes : damaged)
        EXPECT_FALSE(ReadSoundBlock(bytes.data(), bytes.size(), back)) << bytes.size();

    // Through the savegame file: a wrong tag and a length that disagrees with the counts.
    const std::string path = (work_.path() / "bad").string();
    for (const char* tag : {"SNX", "SND"}) {
        const int out = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        WriteSavegameBlockHeader(out, tag, "", static_cast<uint32_t>(good.size() + 268));
        _write(out, good.data(), static_cast<unsigned>(good.size()));
        _close(out);
        const int in = _open(path.c_str(), _O_RDONLY | _O_BINARY);
        SavegameBlockHeader header;
        ReadSavegameBlockHeader(in, header);
        link.reports.clear();
        EXPECT_EQ(sound->LoadBlock(in, header), -1);
        _close(in);
        ASSERT_EQ(link.reports.size(), 1u);
        EXPECT_EQ(link.reports[0].text, "Savegame block type or version mismatch.");
        EXPECT_EQ(link.reports[0].fatal, 1);
        EXPECT_EQ(sound->definitions.count, 0);
    }
}

} // namespace
} // namespace vls::test
