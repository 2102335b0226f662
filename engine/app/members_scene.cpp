#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"

#include <cstring>

// Scenes are made by cSystem__GoTo and the savegame reader, not at start.
bool cKestruneDefaultMembers::CreateScene(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyScene(cKestruneEngine& engine) { DeleteMember(engine.scene); }

bool cKestruneDefaultMembers::CreatePendingScene(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyPendingScene(cKestruneEngine& engine) { DeleteMember(engine.pendingScene); }

void cKestruneDefaultMembers::LeaveScene(cKestruneScene* scene, int32_t flag)
{
    scene->Leave(static_cast<uint8_t>(flag));
}
void cKestruneDefaultMembers::DeleteScene(cKestruneScene* scene)
{
    delete scene;
    worldHost_.RebindPlayerWalkMap();
}
int32_t cKestruneDefaultMembers::LoadScene(cKestruneScene* scene) { return scene->Load(scene->fileSlot); }

void cKestruneDefaultMembers::CloseSceneSlot(cKestruneScene* scene)
{
    if (cKestruneFileSystem* const files = cKestruneFileSystem::Current(); files && scene->fileSlot > 0)
        files->Close(scene->fileSlot);
    scene->fileSlot = 0;
}

void cKestruneDefaultMembers::EnterScene(cKestruneScene* scene, int32_t flag)
{
    scene->Enter(static_cast<uint8_t>(flag));
}

bool cKestruneEngineGraphicsHost::HasScene() { return engine_.scene != nullptr; }

void cKestruneEngineGraphicsHost::SceneSubmit(DynArray<RenderQueueEntry>& list)
{
    if (engine_.scene)
        engine_.scene->Submit(list);
}

bool cKestruneEngineGraphicsHost::GetMirrorView(KestruneMirrorView& mirror)
{
    const cKestruneView* const view = engine_.scene ? engine_.scene->currentView : nullptr;
    if (!view || !view->mirrorLayer)
        return false;
    mirror.background = view->images.count > 0 ? view->images.data[0] : nullptr;
    mirror.mirrorLayer = view->mirrorLayer;
    mirror.floorMirror = view->floorMirror != 0;
    mirror.mirrors.clear();
    for (int32_t i = 0; i < view->mirrors.count; ++i) {
        const float* const plane = view->mirrors.data[i].plane;
        mirror.mirrors.emplace_back(plane[0], plane[1], plane[2], plane[3]);
    }
    return true;
}
bool cKestruneEngineGraphicsHost::ScenePending() { return engine_.pendingScene != nullptr; }
// The scene's hovered hotspot, which an arrival event also leaves there, so
// the caption and cInput__GetObject name the thing the player acts on.
void* cKestruneEngineGraphicsHost::HoveredHotspot(const char** name)
{
    cKestruneHotspot* const hotspot = engine_.scene ? engine_.scene->hoverHotspot : nullptr;
    if (name) {
        *name = nullptr;
        if (hotspot && hotspot->object)
            *name = hotspot->object->name.GetText();
        else if (hotspot && hotspot->character)
            *name = hotspot->character->displayName.GetText();
    }
    return hotspot;
}
std::vector<cKestruneImage*> cKestruneEngineGraphicsHost::SceneOverlaysNamed(const char* name)
{
    std::vector<cKestruneImage*> named;
    const cKestruneScene* const scene = engine_.scene;
    for (int32_t v = 0; scene && v < scene->views.count; ++v) {
        const DynArray<cKestruneImage*>& overlays = scene->views.data[v]->overlays;
        for (int32_t i = 0; i < overlays.count; ++i) {
            if (std::strcmp(overlays.data[i]->name.GetText(), name) == 0)
                named.push_back(overlays.data[i]);
        }
    }
    return named;
}

cKestruneScene* cKestruneEngineWorldHost::CurrentScene() { return engine_.scene; }

void cKestruneEngineWorldHost::ClearSpecialBehavior()
{
    if (engine_.sprites)
        engine_.sprites->lunarBehaviour = 0;
}

// Effects and speech end with the room and its sound definitions are dropped
// (the next room's script defines its own); music plays on.
void cKestruneEngineWorldHost::StopSceneSounds()
{
    if (engine_.sound)
        engine_.sound->StopSounds();
}

void cKestruneEngineWorldHost::ClearLights()
{
    if (engine_.sprites)
        engine_.sprites->ClearLights();
}

void cKestruneEngineWorldHost::PurgeMeshSpriteCache()
{
    if (engine_.sprites)
        engine_.sprites->ClearMeshSpriteCache();
}

// The hotspot caption is one of the texts released, and its hotspot belongs
// to the room being left: the frame makes a new caption when one is hovered.
void cKestruneEngineWorldHost::ReleaseAllTexts()
{
    if (engine_.fonts)
        engine_.fonts->ReleaseAllTexts();
    if (engine_.graphics) {
        engine_.graphics->captionText = kNoObject;
        engine_.graphics->captionHotspot = nullptr;
    }
}

// The weather and fountains belong to the scene being left (a restored game
// brings its own from the savegame).
void cKestruneEngineWorldHost::ClearGraphicsObjects()
{
    if (!engine_.graphics)
        return;
    DynArray<cKestruneParticleSystem*>& objects = engine_.graphics->objects;
    for (int32_t i = 0; i < objects.count; ++i)
        objects.data[i]->Destroy();
    objects.count = 0;
}
void cKestruneEngineWorldHost::SetPendingScene(cKestruneScene* scene) { engine_.SetPendingScene(scene); }
void cKestruneEngineWorldHost::SetPreviousSceneName(const char* name) { engine_.previousSceneName = name; }
