#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/script_format.h"
#include "engine/script/script_value.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"

namespace {

cKestruneCharacter* Player(cKestruneEngine& engine)
{
    return engine.gameplay ? engine.gameplay->playerCharacter : nullptr;
}

} // namespace

bool cKestruneEngineWorldHost::HasPlayer() { return Player(engine_) != nullptr; }

bool cKestruneEngineWorldHost::PlayerPosition(float& x, float& y, float& z)
{
    cKestruneCharacter* const player = Player(engine_);
    if (!player)
        return cKestruneWorldHost::PlayerPosition(x, y, z);
    player->model->GetPosition(&x, &y, &z);
    return true;
}

void cKestruneEngineWorldHost::SetPlayerPosition(float x, float y, float z)
{
    if (cKestruneCharacter* const player = Player(engine_))
        player->controller->SetPosition(x, y, z);
}

float cKestruneEngineWorldHost::PlayerFloorHeight(float x, float z)
{
    cKestruneCharacter* const player = Player(engine_);
    return player ? player->controller->GetHeight(x, z) : 0.0f;
}

void cKestruneEngineWorldHost::BindWalkMaps(cKestruneScene& scene)
{
    if (cKestruneCharacter* const player = Player(engine_))
        player->controller->BindWalkMap();
    for (std::int32_t i = 0; i < scene.characters.count; ++i)
        scene.characters.data[i]->controller->BindWalkMap();
}

void cKestruneEngineWorldHost::UpdatePlayer()
{
    if (cKestruneCharacter* const player = Player(engine_))
        player->UpdateAnimation();
}

void cKestruneEngineWorldHost::UpdateSceneCharacters(cKestruneScene& scene)
{
    for (std::int32_t i = 0; i < scene.characters.count; ++i)
        scene.characters.data[i]->UpdateAnimation();
}

void cKestruneEngineWorldHost::ReleasePlayerSceneLinks()
{
    cKestruneCharacter* const player = Player(engine_);
    if (!player)
        return;
    player->DropSlot1();
    player->hotspotIndex = -1;
    player->UnlinkObject();
}

bool cKestruneEngineWorldHost::PlayerWalking()
{
    const cKestruneCharacter* const player = Player(engine_);
    return player && player->controller->walking;
}

void cKestruneEngineWorldHost::DeleteSceneCharacters(cKestruneScene& scene)
{
    for (std::int32_t i = 0; i < scene.characters.count; ++i)
        delete scene.characters.data[i];
    scene.characters.count = 0;
}

void cKestruneEngineWorldHost::DeletePlayer()
{
    if (engine_.gameplay) {
        delete engine_.gameplay->playerCharacter;
        engine_.gameplay->playerCharacter = nullptr;
    }
}

bool cKestruneEngineWorldHost::SaveCharacterBlock(uint32_t character, const char* name, int file)
{
    const auto* const found = ResolveObjectAs<cKestruneCharacter>(character, ObjectKind::Character);
    if (!found)
        return false;
    found->SaveBlock(file, name);
    return true;
}

void cKestruneEngineWorldHost::LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                                                  SavegameBlockHeader& header)
{
    auto* const character = new cKestruneCharacter();
    const bool loaded = character->LoadBlock(file, header, variable != nullptr);
    if (!loaded || !variable) {
        delete character;
        return;
    }
    variable->object = character->Handle();
    scene.characters.Add(character);
}
