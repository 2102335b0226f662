#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_inventory.h"
#include "engine/ui/kestrune_messenger.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"

uint32_t cKestruneDefaultMembers::ScriptIdentity(const cKestruneScript* script) { return script->SaveIdentity(); }

int32_t cKestruneDefaultMembers::LoadSavegame(cKestruneEngine& engine, const char* name)
{
    engine.loadRequest = 0;
    return engine.gameplay ? engine.gameplay->LoadGame(name) : -1;
}

namespace {

cKestruneDialogue* Dialogue(cKestruneEngine& engine) { return engine.gameplay ? engine.gameplay->dialogue : nullptr; }
cKestruneCharacter* Player(cKestruneEngine& engine)
{
    return engine.gameplay ? engine.gameplay->playerCharacter : nullptr;
}

} // namespace

// A member that is absent writes nothing and its block is passed over (the
// base answers); the player read back is the one its setup function made.
void cKestruneEngineSavegameHost::SaveBlock(SavegameOwner owner, int file)
{
    switch (owner) {
    case SavegameOwner::Player:
        if (const cKestruneCharacter* const player = Player(engine_))
            player->SaveBlock(file, "$pc$");
        break;
    case SavegameOwner::Dialogue:
        if (const cKestruneDialogue* const dialogue = Dialogue(engine_))
            dialogue->SaveBlock(file);
        break;
    case SavegameOwner::Messenger:
        if (engine_.messenger)
            engine_.messenger->SaveBlock(file);
        break;
    case SavegameOwner::Inventory:
        if (engine_.inventory)
            engine_.inventory->SaveBlock(file);
        break;
    case SavegameOwner::Sound:
        if (engine_.sound)
            engine_.sound->SaveBlock(file);
        break;
    case SavegameOwner::Sprites:
        if (engine_.sprites)
            engine_.sprites->SaveBlock(file);
        break;
    case SavegameOwner::Timers:
        if (engine_.timer)
            engine_.timer->SaveBlock(file);
        break;
    case SavegameOwner::Scene:
        if (engine_.scene)
            engine_.scene->SaveBlock(file);
        break;
    default: break;
    }
}

void cKestruneEngineSavegameHost::LoadBlock(SavegameOwner owner, int file, SavegameBlockHeader& header)
{
    cKestruneDialogue* const dialogue = Dialogue(engine_);
    cKestruneCharacter* const player = Player(engine_);
    if (owner == SavegameOwner::Player && player)
        player->LoadBlock(file, header);
    else if (owner == SavegameOwner::Dialogue && dialogue)
        dialogue->LoadBlock(header, file);
    else if (owner == SavegameOwner::Messenger && engine_.messenger)
        engine_.messenger->LoadBlock(header, file);
    else if (owner == SavegameOwner::Inventory && engine_.inventory)
        engine_.inventory->LoadBlock(header, file);
    else if (owner == SavegameOwner::Sound && engine_.sound)
        engine_.sound->LoadBlock(file, header);
    else if (owner == SavegameOwner::Sprites && engine_.sprites)
        engine_.sprites->LoadBlock(header, file);
    else if (owner == SavegameOwner::Timers && engine_.timer)
        engine_.timer->LoadBlock(header, file);
    else if (owner == SavegameOwner::Scene && engine_.scene)
        engine_.scene->LoadBlock(file, header);
    else
        SkipSavegameBlock(file, header);
}

uint32_t cKestruneEngineSavegameHost::EffectCount()
{
    return engine_.graphics ? static_cast<uint32_t>(engine_.graphics->objects.count) : 0;
}

void cKestruneEngineSavegameHost::SaveEffects(int file)
{
    if (!engine_.graphics)
        return;
    DynArray<cKestruneParticleSystem*>& objects = engine_.graphics->objects;
    for (int32_t i = 0; i < objects.count; ++i)
        objects.data[i]->WriteBlock(file);
}

void cKestruneEngineSavegameHost::LoadEffect(int file, SavegameBlockHeader& header)
{
    if (!engine_.graphics) {
        SkipSavegameBlock(file, header);
        return;
    }
    if (cKestruneParticleSystem* const effect = LoadParticleBlock(file, header))
        engine_.graphics->objects.Add(effect);
}

void cKestruneEngineSavegameHost::EnterRestoredScene(cKestruneScene* scene)
{
    cKestruneMembers& members = engine_.Members();
    if (engine_.scene) {
        members.LeaveScene(engine_.scene, 1);
        cKestruneScene* const old = engine_.scene;
        engine_.scene = nullptr;
        members.DeleteScene(old);
    }
    engine_.SetPendingScene(nullptr);
    engine_.scene = scene;
    members.EnterScene(scene, 1);
    if (engine_.timer)
        engine_.timer->Tick();
}

const char* cKestruneEngineSavegameHost::PreviousSceneName() { return engine_.previousSceneName.GetText(); }
void cKestruneEngineSavegameHost::SetPreviousSceneName(const char* name) { engine_.previousSceneName = name; }
