#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/audio/sound_host.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

// The engine's answers to the sound object: its settings, the scene's view,
// the sprite camera, the gameplay's screen fade and the frame clock.
class EngineSoundHost : public cKestruneSoundHost {
public:
    explicit EngineSoundHost(cKestruneEngine& engine) : engine_(engine) {}

    SoundSettings Settings() const override
    {
        SoundSettings settings;
        settings.Speakermode = engine_.Speakermode;
        settings.SoundBuffer = engine_.SoundBuffer;
        settings.SoundChannelsHW = engine_.SoundChannelsHW;
        settings.MusicVolume = engine_.MusicVolume;
        settings.DialogueVolume = engine_.DialogueVolume;
        settings.SFXVolume = engine_.SFXVolume;
        return settings;
    }

    const cKestruneView* CurrentView() const override { return engine_.scene ? engine_.scene->currentView : nullptr; }
    bool VideoCurrent() const override { return engine_.video != nullptr; }

    bool CameraToWorld(float matrix[16]) const override
    {
        if (!engine_.sprites)
            return false;
        std::memcpy(matrix, engine_.sprites->camera.InverseView4x4, 16 * sizeof(float));
        return true;
    }

    // A speaker stands where its model stands; one without a model is heard
    // at full volume.
    bool CharacterPosition(const cKestruneCharacter* character, float position[3]) const override
    {
        if (!character || !character->model)
            return false;
        character->model->GetPosition(&position[0], &position[1], &position[2]);
        return true;
    }

    SoundScreenFade ScreenFade() const override
    {
        SoundScreenFade fade;
        const cKestruneGameplay* const gameplay = engine_.gameplay;
        if (!gameplay || !engine_.timer)
            return fade;
        fade.mode = gameplay->fadeActive;
        fade.sound = gameplay->fadeSound != 0;
        fade.progress = static_cast<float>(engine_.timer->GetSecondsSince(gameplay->fadeStart, gameplay->fadeRate));
        return fade;
    }

    float FrameDeltaSeconds() const override { return engine_.timer ? engine_.timer->frameDeltaSeconds : 0.0f; }

    uint32_t ScriptIdentity(const cKestruneScript* script) const override
    {
        return engine_.Members().ScriptIdentity(script);
    }
    cKestruneScript* FindScriptById(uint32_t id) const override { return id ? engine_.FindScriptById(id) : nullptr; }

private:
    cKestruneEngine& engine_;
};

// Lives as long as the sound object that asks it.
std::unique_ptr<EngineSoundHost> g_soundHost;

} // namespace

bool cKestruneDefaultMembers::CreateSound(cKestruneEngine& engine)
{
    g_soundHost = std::make_unique<EngineSoundHost>(engine);
    SetSoundHost(g_soundHost.get());
    engine.sound = new (std::nothrow) cKestruneSound();
    return engine.sound && engine.sound->ready;
}

void cKestruneDefaultMembers::DestroySound(cKestruneEngine& engine)
{
    DeleteMember(engine.sound);
    SetSoundHost(nullptr);
    g_soundHost.reset();
}

void cKestruneDefaultMembers::UpdateSound(cKestruneEngine& engine)
{
    if (engine.sound)
        engine.sound->Update();
}

int32_t cKestruneEngineGraphicsHost::SFXVolume() { return engine_.SFXVolume; }
