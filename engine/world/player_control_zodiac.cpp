#include "engine/world/player_control_zodiac.h"

#include "engine/audio/kestrune_sound.h"
#include "engine/audio/sound_host.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/sprite_world.h"
#include "engine/world/controller_support.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"
#include "platform/granny/granny.h"

#include <algorithm>
#include <cmath>

namespace {

// Sound definitions the boat's set-up starts.
constexpr std::int32_t kIdleEngineSound = 0;
constexpr std::int32_t kRunningEngineSound = 1;
// Full speed is 1.0, which moves the boat this many units a second.
constexpr float kTopSpeedUnits = 3.0f;
constexpr float kAcceleration = 0.5f;
constexpr float kStopSpeed = 0.01f;
// Squared distances: the boat speeds up while farther than sqrt(8) from its
// target and runs its event once within sqrt(2).
constexpr float kCoastDistance2 = 8.0f;
constexpr float kEventDistance2 = 2.0f;
// Turn rates (radians a second) above this play the turn animation alone.
constexpr float kFullTurnRate = 0.5f;

} // namespace

cKestrunePlayerControlZodiac::cKestrunePlayerControlZodiac(cKestruneCharacter* character)
    : cKestrunePlayerControl(character, kZodiac), wake(new cKestruneParticlesZodiac(kWakeParticles))
{
}

cKestrunePlayerControlZodiac::~cKestrunePlayerControlZodiac()
{
    ReleaseTurns();
    wake->Destroy();
}

void cKestrunePlayerControlZodiac::ReleaseTurns()
{
    GrannyFreeControl(controlA);
    GrannyFreeControl(controlB);
    controlA = controlB = nullptr;
    delete turnA;
    delete turnB;
    turnA = turnB = nullptr;
}

void cKestrunePlayerControlZodiac::LoadTurns(const cString& a, const cString& b)
{
    ReleaseTurns();
    cKestruneMeshSprite* const model = owner ? owner->model : nullptr;
    if (!model)
        return;
    const auto load = [model](const cString& name, cKestruneMeshAnimation*& turn, granny_control*& control) {
        if (name.GetLength() == 0 || !AnimationResourceExists(name))
            return;
        turn = new cKestruneMeshAnimation(model, cKestruneMeshAnimation::kEaseIn | cKestruneMeshAnimation::kEaseOut);
        turn->Load(name);
        // Each turn runs for good on its own control; Update only weighs it.
        control = turn->grannyAnimation ? model->PlayTrackGroup(turn->grannyAnimation, model->bodyMask) : nullptr;
        GrannySetControlLoopCount(control, 0);
        GrannySetControlWeight(control, 0.0f);
    };
    load(a, turnA, controlA);
    load(b, turnB, controlB);
}

void cKestrunePlayerControlZodiac::Setup(const cString* names)
{
    LoadTurns(names[0], names[1]);
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (cKestruneCharacter* const player = gameplay ? gameplay->playerCharacter : nullptr;
        player && player->hotspotIndex == -1) {
        player->EnsureHotspot();
        player->hotspotCursor = kPlayerHotspotCursor;
        player->enabled = 1;
        player->displayName = names[2];
    }
    if (owner)
        wake->SetMatrix(owner->model->world, false);
    BindWalkMap();
    float position[3];
    GetPosition(position);
    engineSounds.Play(kIdleEngineSound, 1.0f, position, kIdleEngineTag);
    engineSounds.Play(kRunningEngineSound, 0.0f, position, kRunningEngineTag);
}

void cKestrunePlayerControlZodiac::BindWalkMap()
{
    walkLayers.count = 0;
    if (const cKestruneScene* const scene = WorldHost().CurrentScene())
        scene->CollectAreasByPrefix("walkmap", walkLayers);
}

bool cKestrunePlayerControlZodiac::OnWater(float x, float z)
{
    if (walkLayers.count == 0)
        BindWalkMap();
    std::uint8_t water = 0;
    for (std::int32_t i = 0; i < walkLayers.count; ++i)
        walkLayers.data[i]->ContainsPointOut(x, z, water);
    return water != 0;
}

float cKestrunePlayerControlZodiac::GetHeight(float x, float z)
{
    float y = 0.0f;
    if (walkLayers.count > 0)
        walkLayers.data[0]->HeightAt(x, z, y);
    return y;
}

void cKestrunePlayerControlZodiac::WalkTo(float x, float y, float z, float, float)
{
    if (!OnWater(x, z))
        return;
    eventScript = nullptr;
    walking = 1;
    boatEvent = 0;
    target[0] = x;
    target[1] = y;
    target[2] = z;
    float position[3], up[3], facing[3];
    GetPosition(position);
    GetAxes(up, facing);
    // The y part of facing x (target - position): below 0 on one side, which
    // turn animation B plays; A plays for the other.
    const float cross = facing[2] * (x - position[0]) - facing[0] * (z - position[2]);
    turnSide = cross < 0.0f ? 1 : 0;
}

void cKestrunePlayerControlZodiac::SetArrivalEvent(cKestruneScript* script, const cString& name,
                                                   cKestruneHotspot* hotspot)
{
    eventScript = script;
    eventName = name;
    eventHotspot = hotspot;
    const char* const text = name.GetText();
    boatEvent = text[0] == 'b' && text[1] == 'o' && text[2] == 'o' && text[3] == 't' ? 1 : 0;
}

void cKestrunePlayerControlZodiac::DropArrivalEvent()
{
    eventScript = nullptr;
    eventName = "";
    eventHotspot = nullptr;
}

void cKestrunePlayerControlZodiac::SetRotation(float a, float b, float c)
{
    cKestrunePlayerControl::SetRotation(a, b, c);
    if (owner)
        wake->SetMatrix(owner->model->world, true);
}

void cKestrunePlayerControlZodiac::Approach(float seconds)
{
    float position[3];
    GetPosition(position);
    const float dx = target[0] - position[0];
    const float dz = target[2] - position[2];
    const float distance2 = dx * dx + dz * dz;
    if (speed < 1.0f && distance2 > kCoastDistance2) {
        speed += seconds * kAcceleration;
        return;
    }
    if (eventScript && distance2 < kEventDistance2)
        RunArrivalEvent(eventScript, eventName, eventHotspot);
    // A "boot..." event keeps the engine running (the boat leaves the scene).
    if (boatEvent)
        return;
    if (speed <= kStopSpeed) {
        speed = 0.0f;
        walking = 0;
    } else {
        speed -= seconds * speed;
    }
}

void cKestrunePlayerControlZodiac::Steer(float seconds)
{
    float position[3], up[3], facing[3];
    GetPosition(position);
    GetAxes(up, facing);
    float ux = target[0] - position[0];
    float uz = target[2] - position[2];
    const float length = std::sqrt(ux * ux + uz * uz);
    if (length > 0.0f) {
        ux /= length;
        uz /= length;
    } else {
        ux = uz = 0.0f;
    }
    const float k = seconds * speed;
    const float headingX = facing[0] + (ux - facing[0]) * k;
    const float headingZ = facing[2] + (uz - facing[2]) * k;
    SetOrientation(up[0], up[1], up[2], headingX, 0.0f, headingZ);
    float turned[3];
    GetAxes(up, turned);

    // How fast the facing turns, in radians a second.
    const float angle = std::fabs(std::atan2(facing[0] * turned[2] - facing[2] * turned[0],
                                             facing[0] * turned[0] + facing[2] * turned[2]));
    const float rate = seconds > 0.0f ? angle / seconds : 0.0f;
    granny_control* const active = turnSide ? controlB : controlA;
    GrannySetControlWeight(turnSide ? controlA : controlB, 0.0f);
    granny_control* const base = owner->model->baseControl;
    if (rate > kFullTurnRate) {
        GrannySetControlWeight(active, 1.0f);
        GrannySetControlWeight(base, 0.0f);
    } else {
        GrannySetControlWeight(active, rate);
        GrannySetControlWeight(base, 0.5f - rate);
    }

    const float step = seconds * speed * kTopSpeedUnits;
    SetPosition(position[0] + turned[0] * step, position[1], position[2] + turned[2] * step);
}

void cKestrunePlayerControlZodiac::UpdateEngineSounds()
{
    cKestruneSound* const sound = cKestruneSound::Current();
    if (!sound)
        return;
    const float sfx = static_cast<float>(SoundHost().Settings().SFXVolume) / 255.0f;
    float position[3];
    GetPosition(position);
    const std::int32_t idleEngine = sound->FindChannel(kIdleEngineTag);
    sound->SetChannelVolume(idleEngine, sfx * std::max(0.0f, 1.0f - speed));
    sound->SetChannelPosition(idleEngine, position[0], position[1], position[2]);
    const std::int32_t runningEngine = sound->FindChannel(kRunningEngineTag);
    sound->SetChannelVolume(runningEngine, sfx * std::min(speed, 1.0f));
    sound->SetChannelPosition(runningEngine, position[0], position[1], position[2]);
}

void cKestrunePlayerControlZodiac::Update()
{
    if (!owner)
        return;
    const float seconds = SpriteWorld().FrameDeltaSeconds();
    if (walking) {
        Approach(seconds);
        Steer(seconds);
    } else {
        GrannySetControlWeight(controlA, 0.0f);
        GrannySetControlWeight(controlB, 0.0f);
        GrannySetControlWeight(owner->model->baseControl, 1.0f);
    }
    wake->SetMatrix(owner->model->world, false);
    UpdateEngineSounds();
    // The character's own update then advances the model and the linked
    // object, once each.
    idle = 1;
}

void cKestrunePlayerControlZodiac::Submit(DynArray<RenderQueueEntry>& queue)
{
    if (!owner || !owner->visible)
        return;
    owner->model->Submit(queue);
    const std::int32_t before = queue.count;
    wake->Submit(queue);
    // The wake sorts just behind the boat it trails.
    if (before > 0 && queue.count > before)
        queue.data[before].depth = queue.data[before - 1].depth + 0.0001f;
    if (owner->linkedObject)
        owner->linkedObject->Submit(queue);
}
