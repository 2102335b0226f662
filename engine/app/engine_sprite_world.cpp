#include "engine/app/engine_sprite_world.h"

#include "engine/app/engine_ui_host.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "platform/fmod/fmod.h"

float cKestruneEngineSpriteWorld::FrameSeconds() { return engine_.timer ? engine_.timer->frameSeconds : 0.0f; }

float cKestruneEngineSpriteWorld::FrameDeltaSeconds()
{
    return engine_.timer ? engine_.timer->frameDeltaSeconds : 0.0f;
}


namespace {

cKestruneCharacter* Player(cKestruneEngine& engine)
{
    return engine.gameplay ? engine.gameplay->playerCharacter : nullptr;
}

} // namespace

bool cKestruneEngineSpriteWorld::PlayerReportsHeight(float x, float z)
{
    cKestruneCharacter* const player = Player(engine_);
    return player && player->controller->IsOnWalkMap(x, z);
}

bool cKestruneEngineSpriteWorld::PlayerHeight(float x, float z, float& y)
{
    cKestruneCharacter* const player = Player(engine_);
    if (!player)
        return false;
    y = player->controller->GetHeight(x, z);
    return true;
}

void cKestruneEngineSpriteWorld::SubmitCharacters(DynArray<RenderQueueEntry>& queue)
{
    if (cKestruneCharacter* const player = Player(engine_))
        player->controller->Submit(queue);
    if (const cKestruneScene* const scene = engine_.scene) {
        for (std::int32_t i = 0; i < scene->characters.count; ++i)
            scene->characters.data[i]->controller->Submit(queue);
    }
}

bool cKestruneEngineSpriteWorld::SampleViewDepth(int32_t x, int32_t y, float& distance)
{
    const cKestruneScene* const scene = engine_.scene;
    if (!scene || !scene->currentView)
        return false;
    const float sample = scene->currentView->SampleFloatMap(x, y);
    if (sample < 0.0f)
        return false;
    distance = sample;
    return true;
}

// The sound object keeps its speaker as a plain pointer; it is only compared
// here, with the speaker the ui host knows to be alive.
bool cKestruneEngineSpriteWorld::SpeechBelongsTo(const cKestruneMeshSprite* sprite)
{
    const cKestruneSound* const sound = engine_.sound;
    const cKestruneCharacter* const speaker = EngineSpeaker();
    return sound && speaker && sound->speechChannel != -1 && sound->speakingCharacter == speaker &&
        speaker->model == sprite;
}

int32_t cKestruneEngineSpriteWorld::SpeechTime()
{
    const cKestruneSound* const sound = engine_.sound;
    if (!sound || sound->speechChannel == -1 || !sound->speechStream)
        return -1;
    return FSOUND_Stream_GetTime(sound->speechStream);
}
