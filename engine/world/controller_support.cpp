#include "engine/world/controller_support.h"

#include "engine/base/engine_link.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_block_io.h"
#include "engine/world/world_host.h"

cKestruneMeshAnimation* LoadLoopingCycle(cKestruneMeshSprite* model, const cString& name)
{
    if (name.GetLength() == 0 || !AnimationResourceExists(name))
        return nullptr;
    auto* cycle = new cKestruneMeshAnimation(model, cKestruneMeshAnimation::kEaseIn | cKestruneMeshAnimation::kEaseOut);
    cycle->Load(name);
    cycle->loop = 1;
    return cycle;
}

bool CyclePlaying(const cKestruneMeshAnimation* cycle) { return cycle && cycle->playing; }

void StopCycleIfPlaying(cKestruneMeshAnimation* cycle)
{
    if (CyclePlaying(cycle))
        cycle->Stop(0.3f);
}

float CycleDuration(const cKestruneMeshAnimation* cycle)
{
    return cycle && cycle->grannyAnimation ? cycle->grannyAnimation->Duration : 0.0f;
}

const char* CycleName(const cKestruneMeshAnimation* cycle) { return cycle ? cycle->name.GetText() : ""; }

void SubmitOwnerModel(const cKestruneCharacter* owner, DynArray<RenderQueueEntry>& queue)
{
    if (!owner || !owner->visible)
        return;
    owner->model->Submit(queue);
    if (owner->linkedObject)
        owner->linkedObject->Submit(queue);
}

std::int32_t SceneHotspotIndex(const cKestruneHotspot* hotspot)
{
    const cKestruneScene* const scene = WorldHost().CurrentScene();
    if (!scene || !hotspot)
        return -1;
    for (std::int32_t i = 0; i < scene->hotspots.count; ++i) {
        if (scene->hotspots.data[i] == hotspot)
            return i;
    }
    return -1;
}

cKestruneHotspot* SceneHotspotAt(std::int32_t index)
{
    cKestruneScene* const scene = WorldHost().CurrentScene();
    if (!scene || index < 0 || index >= scene->hotspots.count)
        return nullptr;
    return scene->hotspots.data[index];
}

void RunArrivalEvent(cScriptRef& script, cString& name, cKestruneHotspot*& hotspot)
{
    cKestruneScript* const target = script.Get();
    cKestruneHotspot* const on = hotspot;
    const cString function = name;
    script = nullptr;
    hotspot = nullptr;
    name = "";
    // The hotspot belonged to the scene of the click; after a scene change
    // it is gone and is not handed on.
    if (on && SceneHotspotIndex(on) >= 0)
        WorldHost().CurrentScene()->hoverHotspot = on;
    if (target)
        target->Run(function.GetText());
}

bool ReadControllerPayload(int file, SavegameBlockHeader& header, const char* blockName, std::uint32_t minimum,
                           std::uint32_t limit, std::vector<std::uint8_t>& payload)
{
    if (!CheckSavegameBlockTag(header, "PCR")) {
        header = SavegameBlockHeader();
        return false;
    }
    if (header.length < minimum || !ReadWorldBlockPayload(file, header, limit, payload)) {
        ReportError("PCR", blockName, 1, "Savegame block type or version mismatch.");
        header = SavegameBlockHeader();
        return false;
    }
    return true;
}
