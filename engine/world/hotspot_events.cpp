#include "engine/base/kestrune_string.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/kestrune_script.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/world_host.h"
#include "platform/granny/granny.h"

namespace {

constexpr std::int32_t kExitCursor = 13;
constexpr float kPickDistance = 50.0f;
constexpr float kScreenWidth = 1024.0f;
constexpr float kScreenHeight = 768.0f;

// The even-odd rule on integer points, in 64 bits so that file coordinates
// of any size neither overflow nor divide by zero.
bool PolygonHolds(const HotspotPoint* points, std::uint32_t count, std::int32_t x, std::int32_t y)
{
    bool inside = false;
    for (std::uint32_t i = 0, j = count - 1; i < count; j = i++) {
        const std::int64_t xa = points[j].x, ya = points[j].y;
        const std::int64_t xb = points[i].x, yb = points[i].y;
        if ((yb <= y && y < ya) || (ya <= y && y < yb)) {
            if (x < (xa - xb) * (y - yb) / (ya - yb) + xb)
                inside = !inside;
        }
    }
    return inside;
}

cKestruneGameplay* Gameplay() { return cKestruneGameplay::Current(); }

std::uint32_t GameState()
{
    const cKestruneGameplay* const gameplay = Gameplay();
    return gameplay ? gameplay->gameState : 0;
}

cKestrunePlayerControl* PlayerControl()
{
    const cKestruneGameplay* const gameplay = Gameplay();
    return gameplay && gameplay->playerCharacter ? gameplay->playerCharacter->controller : nullptr;
}

void RunSceneFunction(const char* function)
{
    cKestruneScene* const scene = WorldHost().CurrentScene();
    if (scene && scene->script)
        scene->script->Run(function);
}

bool IsExit(const cKestruneHotspot* hotspot)
{
    const cKestruneGameplay* const gameplay = Gameplay();
    return gameplay && gameplay->exitHotspot == hotspot;
}

} // namespace

bool cKestruneHotspot::HitTest(std::int32_t x, std::int32_t y)
{
    if (character)
        return IsHotspotCovered3D(x, y);
    if (object && !object->enabled)
        return false;
    const cKestruneScene* const scene = WorldHost().CurrentScene();
    if (!scene)
        return false;
    bool hit = false;
    for (const HotspotArea& area : data.areas) {
        if (static_cast<std::int32_t>(area.viewIndex) != scene->currentViewIndex)
            continue;
        cursor = area.cursor;
        for (std::uint32_t p = 0; p < area.polygonCount; ++p) {
            const HotspotPolygon& polygon = data.polygons[area.firstPolygon + p];
            if (polygon.pointCount > 0 && PolygonHolds(data.points.data() + polygon.firstPoint, polygon.pointCount, x, y))
                hit = !polygon.IsHole();
        }
    }
    return hit;
}

std::int32_t cKestruneHotspot::GetCursor() const
{
    if (IsExit(this))
        return kExitCursor;
    if (cursor > 0)
        return cursor - 1;
    if (object)
        return object->cursor;
    if (character)
        return character->hotspotCursor;
    return 0;
}

cString cKestruneHotspot::GetName() const
{
    if (object)
        return object->name;
    if (character)
        return character->displayName;
    return cString("");
}

void cKestruneHotspot::FireEvent(const char* event)
{
    cKestrunePlayerControl* const control = PlayerControl();
    if (!(GameState() & cKestruneGameplay::kNoWalking) && control) {
        if (object && (object->destX != 0.0f || object->destY != 0.0f))
            control->WalkTo(object->destX, control->GetHeight(object->destX, object->destY), object->destY,
                            object->dirX, object->dirZ);
        if (character && (character->destX != 0.0f || character->destZ != 0.0f))
            control->WalkTo(character->destX, control->GetHeight(character->destX, character->destZ),
                            character->destZ, character->destDirX, character->destDirZ);
        cKestruneScene* const scene = WorldHost().CurrentScene();
        if (control->walking && scene) {
            control->SetArrivalEvent(scene->script, cString(event), this);
            return;
        }
    }
    RunSceneFunction(event);
}

void cKestruneHotspot::Use()
{
    if (IsExit(this)) {
        RunSceneFunction("on_leavedetail");
        return;
    }
    const bool held = (GameState() & cKestruneGameplay::kItemHeld) != 0;
    if (object)
        FireEvent(held ? "on_useinv" : "on_use");
    if (character)
        FireEvent(held ? "on_talkinv" : "on_talk");
}

void cKestruneHotspot::Look()
{
    if (IsExit(this)) {
        RunSceneFunction("on_leavedetail");
        return;
    }
    if (object)
        FireEvent("on_look");
    if (character)
        FireEvent("on_look");
}

void cKestruneHotspot::UseRun()
{
    cKestrunePlayerControl* const control = PlayerControl();
    if (!control || !control->walking)
        Use();
    if (control)
        control->SetRun(1);
}

void cKestruneHotspot::LookRun()
{
    cKestrunePlayerControl* const control = PlayerControl();
    if (!control || !control->walking)
        Look();
    if (control)
        control->SetRun(1);
}

bool cKestruneHotspot::IsHotspotCovered3D(std::int32_t x, std::int32_t y)
{
    if (!character || !character->enabled || !character->visible || !(GameState() & cKestruneGameplay::kFloorWalks))
        return false;
    const cKestruneSprites* const sprites = cKestruneSprites::Current();
    const cKestruneMeshSprite* const model = character->model;
    if (!sprites || !model)
        return false;
    const granny_camera& camera = sprites->camera;
    // The distance along the view direction: what the projected depth
    // gives back once unprojected.
    const float* const v = camera.View4x4;
    const float distance = model->position[0] * v[2] + model->position[1] * v[6] + model->position[2] * v[10] + v[14];
    if (distance > kPickDistance)
        return false;
    float origin[3], normal[3];
    GrannyGetPickingRay(&camera, kScreenWidth, kScreenHeight, static_cast<float>(x),
                        static_cast<float>(WorldHost().BandBottom() - y - 1), origin, normal);
    for (std::int32_t m = 0; m < model->meshes.count; ++m) {
        const MeshRecord& record = model->meshes.data[m];
        if (!record.mesh || !record.binding)
            continue;
        const ModelRecord& owner = record.model >= 0 && record.model < model->models.count
                                       ? model->models.data[record.model]
                                       : model->mainModel;
        if (!owner.worldPose)
            continue;
        const granny_int32* const bones = GrannyGetMeshBindingToBoneIndices(record.binding);
        for (granny_int32 b = 0; bones && b < record.mesh->BoneBindingCount; ++b) {
            const granny_bone_binding& binding = record.mesh->BoneBindings[b];
            const float* const matrix = GrannyGetWorldPose4x4(owner.worldPose, bones[b]);
            if (matrix && GrannyRayIntersectsBox(matrix, origin, normal, binding.OBBMin, binding.OBBMax))
                return true;
        }
    }
    return false;
}
