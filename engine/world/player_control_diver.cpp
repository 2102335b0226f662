#include "engine/world/player_control_diver.h"

#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/sprite_world.h"
#include "engine/world/controller_support.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "platform/granny/granny.h"

namespace {

constexpr float kSwimBlend = 0.8f;
// Seconds of swim cycle per unit swum.
constexpr float kCyclePerUnit = 0.85f;

} // namespace

cKestrunePlayerControlDiver::cKestrunePlayerControlDiver(cKestruneCharacter* character)
    : cKestrunePlayerControl(character, kDiver), bubbles(new cKestruneParticlesDiver(kBubbleParticles))
{
}

cKestrunePlayerControlDiver::~cKestrunePlayerControlDiver()
{
    delete swimCycle;
    bubbles->Destroy();
}

void cKestrunePlayerControlDiver::LoadSwimCycle(const cString& name)
{
    delete swimCycle;
    swimCycle = LoadLoopingCycle(owner ? owner->model : nullptr, name);
}

void cKestrunePlayerControlDiver::Setup(const cString* names)
{
    LoadSwimCycle(names[0]);
    headBone = -1;
    const cKestruneMeshSprite* const model = owner ? owner->model : nullptr;
    granny_int32 bone = -1;
    if (model && model->mainModel.instance
        && GrannyFindBoneByNameLowercase(GrannyGetSourceSkeleton(model->mainModel.instance), "bip01 headnub", &bone))
        headBone = bone;
}

void cKestrunePlayerControlDiver::BindWalkMap() { walkMap.Bind(); }

void cKestrunePlayerControlDiver::WalkTo(float x, float y, float z, float dirX, float dirZ)
{
    if (walkMap.layers.count == 0)
        BindWalkMap();
    walkMap.finalDirX = dirX;
    walkMap.finalDirZ = dirZ;
    walkMap.eventScript = nullptr;
    walkMap.FindPath(x, y, z);
    walking = walkMap.RecordCount() > 1 ? 1 : 0;
}

void cKestrunePlayerControlDiver::SetArrivalEvent(cKestruneScript* script, const cString& name,
                                                  cKestruneHotspot* hotspot)
{
    walkMap.eventScript = script;
    walkMap.eventName = name;
    walkMap.eventHotspot = hotspot;
}

float cKestrunePlayerControlDiver::GetHeight(float x, float z)
{
    if (walkMap.layers.count == 0)
        BindWalkMap();
    float y = 0.0f;
    if (walkMap.layers.count > 0)
        walkMap.layers.data[0]->HeightAt(x, z, y);
    return y + kHover;
}

void cKestrunePlayerControlDiver::StopCycles() { StopCycleIfPlaying(swimCycle); }

void cKestrunePlayerControlDiver::ResetWalk() { walkMap.Clear(); }

void cKestrunePlayerControlDiver::Update()
{
    if (!owner)
        return;
    walkMap.Step(1.0f);
    walking = walkMap.RecordCount() > 1 ? 1 : 0;
    if (walkMap.mode == 0) {
        idle = 1;
        StopCycleIfPlaying(swimCycle);
    } else {
        idle = 0;
        if (swimCycle && !swimCycle->playing) {
            owner->DropSlot1();
            swimCycle->Play(kSwimBlend);
        }
        owner->model->Update(walkMap.stepDistance * kCyclePerUnit, 0);
        // The character's update is skipped while swimming; an object held
        // on a bone must still follow the diver.
        if (owner->linkedObject)
            owner->linkedObject->Update(SpriteWorld().FrameDeltaSeconds(), 0);
    }
    bubbles->Emit();
}

void cKestrunePlayerControlDiver::Submit(DynArray<RenderQueueEntry>& queue)
{
    if (!owner || !owner->visible)
        return;
    cKestruneMeshSprite& model = *owner->model;
    model.Submit(queue);
    // Without a head bone the bubbles rise from the model's origin.
    if (headBone >= 0 && model.mainModel.worldPose)
        bubbles->SetMatrix(D3DXMATRIX(GrannyGetWorldPose4x4(model.mainModel.worldPose, headBone)));
    else
        bubbles->SetMatrix(model.world);
    bubbles->Submit(queue);
    if (owner->linkedObject)
        owner->linkedObject->Submit(queue);
}
