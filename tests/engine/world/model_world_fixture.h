#pragma once

// A scene with characters whose models, animations and sounds are real: the
// data folder holds the figure and its animations, the sprite system and
// the sound object run headless, and one millisecond clock drives the frame
// clock of every layer (world, sprites, graphics) and timeGetTime.

#include "engine/audio/kestrune_sound.h"
#include "engine/audio/sound_host.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "platform/granny/granny.h"
#include "tests/engine/render/sprite_fixture.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tools/gr2_figure.h"
#include "tools/script_assembler.h"
#include "tools/sound_writer.h"

#include <cmath>
#include <memory>
#include <string>

namespace vls::test {

class ClockedGraphicsHost : public FakeHost {
public:
    float FrameSeconds() override { return static_cast<float>(now) * 0.001f; }
    float FrameDeltaSeconds() override { return static_cast<float>(delta) * 0.001f; }
    uint32_t delta = 0;
};

class WorldClockHost : public WalkHost {
public:
    int32_t DialogueState() override { return dialogueState; }
    int32_t dialogueState = 0;
};

class SettingsSoundHost : public cKestruneNullSoundHost {
public:
    SoundSettings Settings() const override { return settings; }
    SoundSettings settings;
};

// An animation of the figure's skeleton that turns one bone a quarter turn
// over its length.
inline tools::Gr2Scene TurnBoneScene(const std::string& name, const std::string& bone, float seconds)
{
    tools::Gr2Scene scene;
    scene.models.push_back(tools::MakeFigureSkeleton());
    tools::Gr2Animation animation;
    animation.name = name;
    animation.duration = seconds;
    tools::Gr2Track track;
    track.bone = bone;
    track.rotationTimes = {0.0f, seconds};
    track.rotations = {{0, 0, 0, 1}, {0, 0, std::sin(0.785398163f), std::cos(0.785398163f)}};
    animation.tracks.push_back(track);
    scene.animations.push_back(animation);
    return scene;
}

class ModelWorldTest : public SpriteWorldTest {
protected:
    ModelWorldTest()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
        SetGraphicsHost(&graphicsClock);
        SetSoundHost(&soundHost);
        world.frameDelta = 0.0f;
        clock.scene = &scene;
        Frame(0);
    }
    ~ModelWorldTest() override
    {
        sound.reset();
        SetSoundHost(nullptr);
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    // The figure ("figure"), a one-second walk ("walk", and "walk2" for a
    // cycle of length 2), a two-second idle ("idle"), a prop ("lantern"), a
    // two-second arm raise ("wave"), a one-second nod ("nod") and a sound for
    // definitions 0 and 1; then the file system, sprites and sound start.
    void StartWorld()
    {
        AddModel("figure", tools::MakeFigureScene());
        AddModel("walk", tools::MakeWalkScene());
        AddModel("walk2", tools::MakeWalkScene());
        AddModel("idle", tools::MakeIdleScene());
        AddModel("lantern", tools::MakePropScene());
        AddModel("wave", TurnBoneScene("wave", "Bip01 L UpperArm", 2.0f));
        AddModel("nod", TurnBoneScene("nod", "Bip01 Head", 1.0f));
        data.Add("hum.wav", tools::WriteWav(tools::MakeSine(44100, 1, 441, 1.0, 8000)));
        StartSprites();
        sound = std::make_unique<cKestruneSound>();
        sound->SetupSound(0, "hum", kSound3D | kSoundLoop);
        sound->SetupSound(1, "hum", kSound3D | kSoundLoop);
    }

    // A character showing the figure, made as the scripts make one.
    std::unique_ptr<cKestruneCharacter> Figure()
    {
        auto character = std::make_unique<cKestruneCharacter>();
        character->model->Load("figure");
        character->visible = 1;
        character->StartIdleTimer();
        return character;
    }

    // Lets ms milliseconds pass on every clock.
    void Frame(std::uint32_t ms)
    {
        clock.now += ms;
        world.frameSeconds = static_cast<float>(clock.now) * 0.001f;
        world.frameDelta = static_cast<float>(ms) * 0.001f;
        graphicsClock.now = clock.now;
        graphicsClock.delta = ms;
    }
    // Frames of ms milliseconds, each followed by the character's update.
    void Run(cKestruneCharacter& character, int frames, std::uint32_t ms = 25)
    {
        for (int i = 0; i < frames; ++i) {
            Frame(ms);
            character.UpdateAnimation();
        }
    }

    std::unique_ptr<cKestruneScript> LoadScript(const std::string& source)
    {
        const std::vector<std::uint8_t> bytes = tools::AssembleScriptBytes(source);
        auto script = std::make_unique<cKestruneScript>();
        EXPECT_EQ(script->LoadFromMemory(bytes.data(), bytes.size()), 0);
        return script;
    }
    // A script whose function (by default "hit") counts its calls in
    // variable 0.
    std::unique_ptr<cKestruneScript> Counter(const std::string& function = "hit")
    {
        return LoadScript("var hits int\n func " + function + "\n inc ref hits\n ret\n");
    }

    SoundChannel* Channel(std::int32_t ownerTag)
    {
        const std::int32_t index = sound->FindChannel(ownerTag);
        return index < 0 ? nullptr : &sound->channels.data[index];
    }

    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    ClockedGraphicsHost graphicsClock;
    SettingsSoundHost soundHost;
    WorldClockHost clock;
    cKestruneScene scene;
    std::unique_ptr<cKestruneSound> sound;
};

} // namespace vls::test
