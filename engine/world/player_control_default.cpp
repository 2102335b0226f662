#include "engine/world/player_control_default.h"

#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/sprite_world.h"
#include "engine/world/controller_support.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"

#include <cmath>
#include <exception>

namespace {

constexpr float kCycleBlend = 0.32f;
constexpr float kCycleStop = 0.3f;

} // namespace

cKestrunePlayerControlDefault::cKestrunePlayerControlDefault(cKestruneCharacter* character)
    : cKestrunePlayerControl(character, kDefault)
{
}

cKestrunePlayerControlDefault::~cKestrunePlayerControlDefault()
{
    delete walkCycle;
    delete runCycle;
    for (cKestruneMeshAnimation* cycle : stairCycles)
        delete cycle;
}

void cKestrunePlayerControlDefault::BindIfNeeded()
{
    if (walkMap.layers.count == 0)
        BindWalkMap();
}

void cKestrunePlayerControlDefault::BindWalkMap()
{
    walkMap.Bind();
    stairLayers.count = 0;
    if (const cKestruneScene* const scene = WorldHost().CurrentScene()) {
        for (std::int32_t i = 0; i < scene->layers.count; ++i) {
            if (scene->layers.data[i]->stairActive)
                stairLayers.Add(scene->layers.data[i]);
        }
    }
}

void cKestrunePlayerControlDefault::Submit(DynArray<RenderQueueEntry>& queue) { SubmitOwnerModel(owner, queue); }

void cKestrunePlayerControlDefault::WalkTo(float x, float y, float z, float dirX, float dirZ)
{
    BindIfNeeded();
    walkMap.finalDirX = dirX;
    walkMap.finalDirZ = dirZ;
    walkMap.eventScript = nullptr;
    const std::int32_t before = walkMap.mode;
    walkMap.FindPath(x, y, z);
    walking = walkMap.RecordCount() > 1;
    if (walking && before == 2)
        SetRun(1);
}

void cKestrunePlayerControlDefault::SetArrivalEvent(cKestruneScript* script, const cString& name,
                                                    cKestruneHotspot* hotspot)
{
    walkMap.eventScript = script;
    walkMap.eventName = name;
    walkMap.eventHotspot = hotspot;
}

void cKestrunePlayerControlDefault::SetRun(std::uint8_t run)
{
    if (walkMap.mode != 0)
        walkMap.mode = run ? 2 : 1;
}

float cKestrunePlayerControlDefault::GetHeight(float x, float z)
{
    BindIfNeeded();
    float position[3];
    GetPosition(position);
    float y = position[1];
    for (std::int32_t i = 0; i < walkMap.layers.count; ++i) {
        if (walkMap.layers.data[i]->HeightAt(x, z, y))
            break;
    }
    return y;
}

std::uint8_t cKestrunePlayerControlDefault::IsOnWalkMap(float x, float z)
{
    BindIfNeeded();
    return walkMap.IsWalkable(x, z, 1) ? 1 : 0;
}

void cKestrunePlayerControlDefault::StopCycles()
{
    StopCycleIfPlaying(walkCycle);
    StopCycleIfPlaying(runCycle);
}

void cKestrunePlayerControlDefault::ResetWalk() { walkMap.Clear(); }

void cKestrunePlayerControlDefault::SetWalkNRunCycle(const cString& walk, const cString& run)
{
    const auto replace = [this](cKestruneMeshAnimation*& cycle, float& length, const cString& name) {
        cKestruneMeshAnimation* const loaded = LoadLoopingCycle(owner ? owner->model : nullptr, name);
        if (!loaded)
            return;
        delete cycle;
        cycle = loaded;
        length = name.CharAt(name.GetLength() - 1) == '2' ? 2.0f : 1.0f;
    };
    replace(walkCycle, walkCycleLength, walk);
    replace(runCycle, runCycleLength, run);
}

void cKestrunePlayerControlDefault::SetStairCycles(const cString names[kStairCycleCount])
{
    for (int i = 0; i < kStairCycleCount; ++i) {
        if (names[i].GetLength() == 0)
            continue;
        if (stairCycle == stairCycles[i])
            stairCycle = nullptr;
        delete stairCycles[i];
        stairCycles[i] = LoadLoopingCycle(owner ? owner->model : nullptr, names[i]);
    }
}

cKestruneEnvironmentLayer* cKestrunePlayerControlDefault::StairAt(float x, float z) const
{
    cKestruneEnvironmentLayer* found = nullptr;
    for (std::int32_t i = 0; i < stairLayers.count; ++i) {
        cKestruneEnvironmentLayer* const layer = stairLayers.data[i];
        const std::uint32_t polygons = static_cast<std::uint32_t>(layer->Data().polygons.size());
        for (std::uint32_t p = 0; p < polygons; ++p) {
            if (layer->PointInPolygon(x, z, p))
                found = layer;
        }
    }
    return found;
}

void cKestrunePlayerControlDefault::LeaveStairs()
{
    StopCycleIfPlaying(stairCycle);
    stairCycle = nullptr;
    onStairs = 0;
}

void cKestrunePlayerControlDefault::EnterStairs(const cKestruneEnvironmentLayer& stairs, float y, float y0)
{
    owner->DropSlot1();
    StopCycleIfPlaying(walkCycle);
    StopCycleIfPlaying(runCycle);
    stairsUp = y <= y0 ? 0 : 1;
    const int base = stairsUp ? kUpShallow : kDownShallow;
    cKestruneMeshAnimation* const shallow = stairCycles[base];
    cKestruneMeshAnimation* const medium = stairCycles[base + 1];
    cKestruneMeshAnimation* const steep = stairCycles[base + 2];
    const float rise = stairs.stairStepHeight;
    if (rise > 0.25f && steep)
        stairCycle = steep;
    else if (rise <= 0.15f)
        stairCycle = shallow;
    else
        stairCycle = medium ? medium : shallow;
    if (stairCycle)
        stairCycle->Play(kCycleBlend);
    stepTimer = 0.25f;
    onStairs = 1;
    // Stairs without a rise have no steps to divide by: they walk at the
    // plain stair pace.
    stairSpeedFactor = rise > 0.0f ? (stairs.stairStepLength / rise) * 0.2f + 0.6f : 0.8f;
}

float cKestrunePlayerControlDefault::PoseOnStairs(const cKestruneEnvironmentLayer& stairs, float y, float y0)
{
    const float rise = stairs.stairStepHeight;
    if (!(rise > 0.0f))
        return 0.0f;
    const auto cycles = [&](float height) {
        return stairsUp ? std::fabs(height - stairs.stairBottom) / (2.0f * rise)
                        : std::fabs(stairs.stairTop - height) / (2.0f * rise);
    };
    const float t = cycles(y);
    owner->model->Update(t * CycleDuration(stairCycle), 1);
    if (owner->linkedObject)
        owner->linkedObject->Update(SpriteWorld().FrameDeltaSeconds(), 0);
    return t - cycles(y0);
}

float cKestrunePlayerControlDefault::AdvanceCycles(float frameDelta)
{
    const std::int32_t mode = walkMap.mode;
    if (CyclePlaying(walkCycle) && mode != 1)
        walkCycle->Stop(kCycleStop);
    if (CyclePlaying(runCycle) && mode != 2)
        runCycle->Stop(kCycleStop);
    cKestruneMeshAnimation* const cycle = mode == 1 ? walkCycle : mode == 2 ? runCycle : nullptr;
    if (cycle && !cycle->playing) {
        owner->DropSlot1();
        cycle->Play(kCycleBlend);
        stepTimer = 0.25f;
    }
    if (mode == 0) {
        idle = 1;
        return 0.0f;
    }
    idle = 0;
    const float length = mode == 1 ? walkCycleLength * 1.2f : runCycleLength * 0.73f;
    const float factor = mode == 1 ? 0.85f : 0.42f;
    const float distance = walkMap.stepDistance * factor;
    const float duration = CycleDuration(cycle);
    // Without a cycle (or with one of no length) the model advances by the
    // distance alone and the steps make no progress.
    owner->model->Update(duration > 0.0f ? duration / length * distance : distance, 0);
    if (owner->linkedObject)
        owner->linkedObject->Update(frameDelta, 0);
    return duration > 0.0f ? distance / duration : 0.0f;
}

void cKestrunePlayerControlDefault::PlayFootstep()
{
    ++footsteps;
    cKestruneSound* const sound = cKestruneSound::Current();
    if (!sound || sound->footstepSound < 0)
        return;
    float position[3];
    GetPosition(position);
    sound->PlayEmittedSound(sound->footstepSound, 1.0f, position[0], position[1], position[2], nullptr, "", 0);
}

void cKestrunePlayerControlDefault::Update()
{
    try {
        if (!owner)
            return;
        float position[3];
        GetPosition(position);
        const float y0 = position[1];
        const bool wasWalking = walkMap.mode != 0;
        float factor = 1.0f;
        if (onStairs)
            factor = walkMap.mode == 2 ? stairSpeedFactor * 0.8333333f : stairSpeedFactor;
        walkMap.Step(factor * walkSpeedFactor);
        GetPosition(position);
        const float y = position[1];
        float progress = 0.0f;
        bool posed = false;
        if (onStairs) {
            const cKestruneEnvironmentLayer* const stairs = walkMap.mode != 0 ? StairAt(position[0], position[2]) : nullptr;
            if (walkMap.mode == 0 || !stairs || (stairsUp && y <= y0) || (!stairsUp && y > y0)) {
                LeaveStairs();
            } else {
                progress = PoseOnStairs(*stairs, y, y0);
                idle = 0;
                posed = true;
            }
        } else if (walkMap.mode != 0 && (stairCycles[kUpShallow] || stairCycles[kDownShallow])) {
            if (const cKestruneEnvironmentLayer* const stairs = StairAt(position[0], position[2])) {
                EnterStairs(*stairs, y, y0);
                idle = 0;
                posed = true;
            }
        }
        if (!posed)
            progress = AdvanceCycles(SpriteWorld().FrameDeltaSeconds());
        stepTimer -= progress;
        if (walkMap.mode != 0 && stepTimer <= 0.0f) {
            PlayFootstep();
            stepTimer += 0.5f;
        }
        if (walkMap.mode == 0 && wasWalking)
            PlayFootstep();
        walking = walkMap.RecordCount() > 1 ? 1 : 0;
    } catch (const std::exception&) {
        LogHandledException("cKestrunePlayerControlDefault::Update");
    }
}
