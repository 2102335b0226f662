// Effect definitions, their flags and 2D and 3D play on the null output.

#include "sound_fixture.h"
#include "tests/support/reused_script.h"
#include "tools/script_assembler.h"

#include <set>

namespace vls::test {
namespace {

TEST_F(SoundTest, DefinitionKindsFollowTheFlagsAndTheFile)
{
    data.Add("mono.wav", Wav(0.1));
    data.Add("stereo.wav", Wav(0.1, 2));
    data.Add("stereo.ogg", Ogg(0.1));
    data.Add("broken.wav", std::string("RIFF not a wave"));
    Start();
    struct Case {
        const char* name;
        uint32_t flags;
        uint32_t kind;
        bool hasSample;
    };
    const Case cases[] = {
        {"mono", 0, kSoundKindMono, true},
        {"stereo", 0, kSoundKindStereo, true},
        {"stereo", kSoundOgg, kSoundKindStereo, true},
        {"stereo", kSound3D, kSoundKind3D, true}, // forced mono, hardware 3D
        {"missing", 0, kSoundKindMono, false},    // counts as loaded, plays nothing
        {"broken", 0, 0, false},                  // stays unloaded
    };
    int id = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sound->SetupSound(id, c.name, c.flags);
        sound->LoadSound(id);
        const SoundDefinition& definition = sound->definitions.data[id - 1];
        EXPECT_EQ(definition.kind, c.kind);
        EXPECT_EQ(definition.sample != nullptr, c.hasSample);
        EXPECT_EQ(definition.sampleCount, 1);
        ++id;
    }
    EXPECT_TRUE(FSOUND_Sample_GetMode(sound->definitions.data[3].sample) & FSOUND_MONO);

    // Neither the missing nor the broken file starts a channel.
    sound->PlaySound(5, 1.0f, 0.0f, nullptr, "", 0);
    sound->PlaySound(6, 1.0f, 0.0f, nullptr, "", 0);
    sound->PlaySound(99, 1.0f, 0.0f, nullptr, "", 0);
    EXPECT_EQ(sound->channels.count, 0);
}

TEST_F(SoundTest, EffectsStartPausedAtTheirVolumeAndPanAndRunOnTheNextUpdate)
{
    data.Add("beep.wav", Wav(0.5));
    Start();
    sound->SetupSound(7, "beep", 0);
    host.settings.SFXVolume = 255;
    sound->PlaySound(7, 1.0f, 0.0f, nullptr, "", 0);
    ASSERT_EQ(sound->channels.count, 1);
    EXPECT_EQ(Channel(0).state, kChannelStartPaused);
    EXPECT_EQ(FSOUND_GetVolume(Channel(0).channel), 255);
    EXPECT_FALSE(FSOUND_IsPlaying(Channel(0).channel) && SideLevels(10).first > 0);
    sound->Update();
    EXPECT_EQ(Channel(0).state, kChannelPlaying);

    // Pan -1 is the left side only, +1 the right side only.
    for (float pan : {-1.0f, 1.0f}) {
        sound->StopSound(7);
        sound->Update();
        sound->Update();
        ASSERT_EQ(sound->channels.count, 0);
        sound->PlaySound(7, 0.5f, pan, nullptr, "", 0);
        EXPECT_EQ(FSOUND_GetVolume(Channel(0).channel), 127);
        sound->Update();
        const auto [left, right] = SideLevels();
        if (pan < 0) {
            EXPECT_GT(left, 1000);
            EXPECT_LT(right, 1);
        } else {
            // FMOD pan 254 of 255: the far side all but silent.
            EXPECT_GT(right, 1000);
            EXPECT_LT(left, right / 50);
        }
    }
}

TEST_F(SoundTest, RandomListsNeverRepeatAndListsOfOneOrNoneAreSafe)
{
    data.Add("a.wav", Wav(0.05));
    data.Add("b.wav", Wav(0.05));
    data.Add("c.wav", Wav(0.05));
    Start();
    sound->SetupSound(1, "a;b;c", kSoundRandomList);
    sound->SetupSound(2, "b", kSoundRandomList);
    sound->SetupSound(3, "", kSoundRandomList);
    sound->LoadSound(1);
    const SoundDefinition& list = sound->definitions.data[0];
    ASSERT_EQ(list.sampleCount, 3);
    std::set<int> played;
    int previous = list.lastPick;
    for (int i = 0; i < 30; ++i) {
        sound->PlaySound(1, 1.0f, 0.0f, nullptr, "", 0);
        EXPECT_NE(list.lastPick, previous);
        if (i == 0) {
            EXPECT_NE(list.lastPick, 0);
        }
        previous = list.lastPick;
        played.insert(list.lastPick);
        EXPECT_EQ(sound->channels.data[sound->channels.count - 1].sample, list.samples[list.lastPick]);
        sound->StopSounds();
        sound->PurgeStopped();
        sound->SetupSound(1, "a;b;c", kSoundRandomList);
        sound->LoadSound(1);
        sound->definitions.data[0].lastPick = previous;
    }
    EXPECT_EQ(played.size(), 3u);

    sound->SetupSound(2, "b", kSoundRandomList);
    sound->SetupSound(3, "", kSoundRandomList);
    sound->PlaySound(2, 1.0f, 0.0f, nullptr, "", 0);
    EXPECT_EQ(sound->channels.count, 1);
    sound->PlaySound(3, 1.0f, 0.0f, nullptr, "", 0);
    EXPECT_EQ(sound->channels.count, 1);
}

TEST_F(SoundTest, EmittedSoundsPanByTheListenerTakenFromTheCamera)
{
    data.Add("hum.wav", Wav(1.0));
    Start();
    sound->SetupSound(4, "hum", kSound3D);
    int view = 0;
    host.view = reinterpret_cast<const cKestruneView*>(&view);
    sound->Update();
    EXPECT_EQ(sound->listenerView, host.view);
    // Two units to the right of a camera at the origin that looks along +z.
    sound->PlayEmittedSound(4, 1.0f, 2.0f, 0.0f, 0.0f, nullptr, "", 77);
    sound->Update();
    EXPECT_EQ(sound->FindChannel(77), 0);
    EXPECT_EQ(sound->FindChannel(78), -1);
    const auto [left, right] = SideLevels();
    EXPECT_GT(right, left * 2);

    // Saved positions are in the sound library's coordinates (z mirrored).
    float at[3], velocity[3];
    ASSERT_TRUE(FSOUND_3D_GetAttributes(Channel(0).channel, at, velocity));
    EXPECT_FLOAT_EQ(at[0], 2.0f);
    sound->SetChannelPosition(0, 0.0f, 0.0f, 5.0f);
    ASSERT_TRUE(FSOUND_3D_GetAttributes(Channel(0).channel, at, velocity));
    EXPECT_FLOAT_EQ(at[2], -5.0f);
}

TEST_F(SoundTest, EndedEffectsRunTheirCallbackOnceThroughTheUpdate)
{
    data.Add("tick.wav", Wav(0.05));
    Start();
    const auto script = Load("var hits int\n ret\n func done\n inc ref hits\n ret\n");
    sound->SetupSound(1, "tick", 0);
    sound->PlaySound(1, 1.0f, 0.0f, script.get(), "done", 0);
    sound->PlaySound(1, 1.0f, 0.0f, script.get(), "", 0); // no callback name: no script kept
    EXPECT_EQ(Channel(1).callbackScript, nullptr);
    sound->Update();
    sound->Update();
    EXPECT_EQ(sound->channels.count, 2);
    Play(0.2);
    sound->Update();
    EXPECT_EQ(sound->channels.count, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    sound->Update();
    EXPECT_EQ(script->Variable(0)->intValue, 1);
}

// The script that played the sound may be gone by its end (a scene change),
// and the next scene's script is often made at its address.
TEST_F(SoundTest, AnEndedEffectDoesNotCallTheScriptMadeWhereItsOwnWasFreed)
{
    data.Add("tick.wav", Wav(0.05));
    Start();
    ReusedScriptStorage scripts(tools::AssembleScriptBytes("var hits int\n ret\n func done\n inc ref hits\n ret\n"));
    ASSERT_TRUE(scripts.loaded);
    sound->SetupSound(1, "tick", 0);
    sound->PlaySound(1, 1.0f, 0.0f, scripts.Current(), "done", 0);
    cKestruneScript* const next = scripts.Replace();
    sound->Update();
    Play(0.2);
    sound->Update();
    EXPECT_EQ(sound->channels.count, 0);
    EXPECT_EQ(next->Variable(0)->intValue, 0);
}

TEST_F(SoundTest, SceneChangeReleasesDefinitionsButKeepsTheMusic)
{
    data.Add("tick.wav", Wav(1.0));
    data.Add("theme.ogg", Ogg(2.0));
    Start();
    sound->footstepSound = 3;
    sound->SetupSound(1, "tick", 0);
    sound->PlaySound(1, 1.0f, 0.0f, nullptr, "", 0);
    sound->PlayMusic("theme", nullptr, "", 0, true);
    ASSERT_EQ(sound->channels.count, 2);
    // Effects stop by id; music, which carries id 0, is not an effect.
    sound->StopSound(0);
    EXPECT_EQ(Channel(1).state, kChannelPlaying);

    sound->StopSounds();
    EXPECT_EQ(sound->footstepSound, -1);
    EXPECT_EQ(sound->definitions.data[0].id, 0xF001);
    sound->PlaySound(1, 1.0f, 0.0f, nullptr, "", 0); // the old id answers no more
    EXPECT_EQ(sound->channels.count, 2);
    sound->Update();
    EXPECT_EQ(sound->definitions.count, 0);
    ASSERT_EQ(sound->channels.count, 1);
    EXPECT_EQ(Channel(0).kind, kSoundKindMusic);
    EXPECT_EQ(sound->purgePending, 0);
}

TEST_F(SoundTest, ScreenFadeTakesEffectsButNotMusicAndClampsItsFactor)
{
    data.Add("tick.wav", Wav(1.0));
    data.Add("theme.ogg", Ogg(1.0));
    Start();
    sound->SetupSound(1, "tick", 0);
    sound->PlaySound(1, 0.8f, 0.0f, nullptr, "", 0);
    sound->PlayMusic("theme", nullptr, "", 0, true);
    struct Case {
        int32_t mode;
        float progress;
        int effect;
    };
    for (const Case& c : {Case{1, 0.25f, 153}, Case{2, 0.25f, 51}, Case{1, 3.0f, 0}, Case{2, 3.0f, 204}}) {
        host.fade = {c.mode, true, c.progress};
        sound->Update();
        EXPECT_EQ(FSOUND_GetVolume(Channel(0).channel), c.effect) << c.mode << " " << c.progress;
        EXPECT_EQ(FSOUND_GetVolume(Channel(1).channel), 63);
    }
}

} // namespace
} // namespace vls::test
