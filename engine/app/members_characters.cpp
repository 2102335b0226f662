#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/script_format.h"
#include "engine/script/script_value.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/scene_characters.h"

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
    if (!player) {
        x = y = z = 0.0f;
        return false;
    }
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

// The player outlives scenes and its walk map holds the layers of the scene
// it was bound to: once a scene is deleted it binds again to what is current
// (nothing during a scene change, until the next scene's entry binds its own),
// so a scene that fails to load leaves it no freed layers to walk on.
void cKestruneEngineWorldHost::RebindPlayerWalkMap()
{
    if (cKestruneCharacter* const player = Player(engine_))
        player->controller->BindWalkMap();
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

bool cKestruneEngineWorldHost::WalkToScreenPoint(int32_t x, int32_t y, bool run)
{
    cKestruneCharacter* const player = Player(engine_);
    D3DXVECTOR3 floor;
    if (!player || !engine_.sprites || engine_.sprites->ScreenToWorld(x, y, &floor) != 0)
        return false;
    player->controller->WalkTo(floor.x, floor.y, floor.z, 0.0f, 0.0f);
    if (run)
        player->controller->SetRun(1);
    return true;
}

void cKestruneEngineWorldHost::DeleteSceneCharacters(cKestruneScene& scene) { ::DeleteSceneCharacters(scene); }

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
    // The player is saved once, as "$pc$", and made again by his setup on
    // load; a scene variable that holds him must not bring back a second one.
    if (!found || found == Player(engine_))
        return false;
    found->SaveBlock(file, name);
    return true;
}

void cKestruneEngineWorldHost::LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                                                  SavegameBlockHeader& header)
{
    LoadSceneCharacterBlock(scene, variable, file, header);
}

bool cKestruneEngineWorldHost::UpdateHoverHotspot(cKestruneScene& scene, int32_t x, int32_t y)
{
    scene.hoverHotspot = nullptr;
    for (std::int32_t i = 0; i < scene.hotspots.count; ++i) {
        cKestruneHotspot* const hotspot = scene.hotspots.data[i];
        if (!hotspot->HitTest(x, y))
            continue;
        scene.hoverHotspot = hotspot;
        if (hotspot->object || hotspot->character)
            return true;
    }
    if (scene.hoverHotspot)
        return true;
    // A scene without a current view is not in a detail view.
    cKestruneHotspot* const exit = engine_.gameplay ? engine_.gameplay->exitHotspot : nullptr;
    if (exit && scene.currentView && scene.currentView->IsDetailView() && exit->HitTest(x, y)) {
        scene.hoverHotspot = exit;
        return true;
    }
    return false;
}

bool cKestruneEngineWorldHost::HasHoverHotspot(cKestruneScene& scene) { return scene.hoverHotspot != nullptr; }

int32_t cKestruneEngineWorldHost::HoverHotspotCursor(cKestruneScene& scene)
{
    return scene.hoverHotspot ? scene.hoverHotspot->GetCursor() : 0;
}

void cKestruneEngineWorldHost::HotspotUse(cKestruneScene& scene, bool run)
{
    if (cKestruneHotspot* const hotspot = scene.hoverHotspot)
        run ? hotspot->UseRun() : hotspot->Use();
}

void cKestruneEngineWorldHost::HotspotLook(cKestruneScene& scene, bool run)
{
    if (cKestruneHotspot* const hotspot = scene.hoverHotspot)
        run ? hotspot->LookRun() : hotspot->Look();
}

void cKestruneEngineWorldHost::BindExitHotspot(int32_t viewIndex)
{
    cKestruneHotspot* const exit = engine_.gameplay ? engine_.gameplay->exitHotspot : nullptr;
    if (exit && !exit->data.areas.empty() && viewIndex >= 0)
        exit->data.areas[0].viewIndex = static_cast<std::uint32_t>(viewIndex);
}
