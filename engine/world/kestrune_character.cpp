#include "engine/world/kestrune_character.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/sprite_world.h"
#include "engine/script/kestrune_script.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/player_control_default.h"
#include "engine/world/retired_objects.h"
#include "engine/world/world_host.h"
#include "platform/granny/granny.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>

bool AnimationResourceExists(const cString& name)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    return files && files->Exists((name + ".gr2").GetText());
}

void LogHandledException(const char* where)
{
    std::printf("Handled exception in %s.\n", where);
    std::fflush(stdout);
}

cKestruneCharacter::cKestruneCharacter() : entry_(this, ObjectKind::Character)
{
    model = new cKestruneMeshSprite();
    model->state = 1;
    controller = new cKestrunePlayerControlDefault(this);
}

cKestruneCharacter::~cKestruneCharacter()
{
    ForgetHotspots();
    delete slot2;
    delete slot1;
    delete controller;
    // The figure goes at a safe point (or with its scene): its own object
    // can go with it.
    if (linkedObject && !linkedObject->cached)
        delete linkedObject;
    delete model;
}

void cKestruneCharacter::ForgetHotspots()
{
    // A hotspot of the current scene must not keep pointing at a character
    // that is gone (a replaced player character, a deleted figure).
    if (cKestruneScene* const scene = WorldHost().CurrentScene()) {
        for (std::int32_t i = 0; i < scene->hotspots.count; ++i) {
            if (scene->hotspots.data[i]->character == this)
                scene->hotspots.data[i]->character = nullptr;
        }
    }
}

void cKestruneCharacter::Retire(cKestruneCharacter* character)
{
    if (!character)
        return;
    character->visible = 0;
    character->enabled = 0;
    character->ForgetHotspots();
    // The destructor's release of the same handle is then a stale one, ignored.
    ReleaseObject(character->Handle());
    RetireForDeletion(character);
}

void cKestruneCharacter::StartIdleTimer()
{
    idleTimerStart = WorldHost().FrameTime();
    const float r = static_cast<float>(rand()) / 32767.0f;
    const float length = idleMin + r * (idleMax - idleMin);
    idleRate = length > 0.0f ? 1.0f / length : 1000.0f;
}

void cKestruneCharacter::RunEvent(cString& name, cScriptRef& script)
{
    if (!script)
        return;
    cKestruneScript* const target = script.Get();
    script = nullptr;
    const cString function = name;
    name = "";
    if (target)
        target->Run(function.GetText());
}

void cKestruneCharacter::EndEasedOutSlot1()
{
    // Deleting the animation leaves its file with the model while the fade
    // still plays it. An idle animation keeps the interval it was chosen
    // with; after a one-shot the idle timer starts again, as on completion.
    const bool oneShot = oneShotPlaying != 0;
    delete slot1;
    slot1 = nullptr;
    oneShotPlaying = 0;
    if (oneShot)
        StartIdleTimer();
}

void cKestruneCharacter::DropSlot1()
{
    if (slot1) {
        slot1->Free();
        delete slot1;
        slot1 = nullptr;
    }
    oneShotPlaying = 0;
}

void cKestruneCharacter::ReplaceController(cKestrunePlayerControl* replacement)
{
    delete controller;
    controller = replacement ? replacement : new cKestrunePlayerControlDefault(this);
}

void cKestruneCharacter::EnsureHotspot()
{
    cKestruneScene* const scene = WorldHost().CurrentScene();
    if (hotspotIndex != -1 || !scene)
        return;
    auto* const hotspot = new cKestruneHotspot();
    hotspot->character = this;
    hotspotIndex = scene->hotspots.Add(hotspot);
}

void cKestruneCharacter::PickIdleAnimation(float& interval)
{
    std::int32_t total = 0;
    for (std::int32_t i = 0; i < idleAnimations.count; ++i)
        total += idleAnimations.data[i].weight;
    const float r = static_cast<float>(rand()) / 32767.0f;
    const std::int32_t x = static_cast<std::int32_t>(r * static_cast<float>(total));
    std::int32_t picked = idleAnimations.count - 1;
    std::int32_t before = 0;
    for (std::int32_t i = 0; i < idleAnimations.count; ++i) {
        if (before <= x && x < before + idleAnimations.data[i].weight) {
            picked = i;
            break;
        }
        before += idleAnimations.data[i].weight;
    }
    const cString& name = idleAnimations.data[picked].name;
    if (!AnimationResourceExists(name))
        return;
    DropSlot1();
    slot1 = new cKestruneMeshAnimation(model, cKestruneMeshAnimation::kEaseIn | cKestruneMeshAnimation::kEaseOut);
    slot1->Load(name);
    slot1->Play(0.6f);
    if (slot1->grannyAnimation)
        interval += slot1->grannyAnimation->Duration;
}

void cKestruneCharacter::UpdateAnimation()
{
    try {
        if (!visible)
            return;
        controller->Update();
        if (!controller->idle)
            return;
        cKestruneSpriteWorld& clock = SpriteWorld();
        if (slot1 && slot1->endTime > 0.0f && slot1->endTime < clock.FrameSeconds()) {
            slot1->Stop(0.3f);
            // The eased stop hands the body's control to the fade, so the
            // completion below never sees it: the one-shot ends here, before
            // the event, which may start the next one.
            if (!model->mainControl)
                EndEasedOutSlot1();
            RunEvent(slot1EventName, slot1EventScript);
        }
        if (model->mainControl && GrannyControlIsComplete(model->mainControl)) {
            if (slot1) {
                slot1->Free();
                delete slot1;
                slot1 = nullptr;
                oneShotPlaying = 0;
                StartIdleTimer();
                RunEvent(slot1EventName, slot1EventScript);
            } else {
                GrannyFreeControl(model->mainControl);
                model->mainControl = nullptr;
                if (model->baseControl)
                    GrannySetControlWeight(model->baseControl, 1.0f);
            }
        }
        if (model->secondControl && GrannyControlIsComplete(model->secondControl)) {
            GrannyFreeControl(model->secondControl);
            model->secondControl = nullptr;
            delete slot2;
            slot2 = nullptr;
            RunEvent(slot2EventName, slot2EventScript);
        }
        const float elapsed = static_cast<float>(WorldHost().FrameTime() - idleTimerStart) * 0.001f;
        if (!oneShotPlaying && !model->animation && elapsed * idleRate > 1.0f) {
            idleTimerStart = WorldHost().FrameTime();
            const float r = static_cast<float>(rand()) / 32767.0f;
            float interval = idleMin + r * (idleMax - idleMin);
            if (controller->idle && idleAnimations.count > 0)
                PickIdleAnimation(interval);
            idleRate = interval > 0.0f ? 1.0f / interval : 1000.0f;
        }
        model->Update(clock.FrameDeltaSeconds(), 0);
        if (linkedObject)
            linkedObject->Update(clock.FrameDeltaSeconds(), 0);
    } catch (const std::exception&) {
        LogHandledException("cKestruneCharacter::UpdateAnimation");
    }
}

void cKestruneCharacter::PlaySlot1(const cString& name, std::uint32_t flags)
{
    if (!AnimationResourceExists(name))
        return;
    controller->StopCycles();
    DropSlot1();
    slot1 = new cKestruneMeshAnimation(model, flags);
    slot1->Load(name);
    slot1->Play(0.5f);
    oneShotPlaying = 1;
}

void cKestruneCharacter::PlaySlot2(const cString& name, std::uint32_t flags)
{
    if (!AnimationResourceExists(name))
        return;
    controller->StopCycles();
    if (slot2) {
        slot2->Free();
        delete slot2;
    }
    slot2 = new cKestruneMeshAnimation(model, flags);
    slot2->Load(name);
    slot2->Play(0.5f);
}

void cKestruneCharacter::ReleaseLinkedObject()
{
    // A native lets go of the object while the frame's draw list may still
    // hold it (an overlay's callback runs while the list is drawn).
    if (linkedObject && !linkedObject->cached)
        RetireForDeletion(linkedObject);
    linkedObject = nullptr;
}

void cKestruneCharacter::LinkObject(const cString& name, const cString& bone, float x, float y, float z, float rx,
                                    float ry, float rz)
{
    try {
        ReleaseLinkedObject();
        cKestruneSprites* const sprites = cKestruneSprites::Current();
        cKestruneMeshSprite* linked = sprites ? sprites->FindCachedMeshSprite(name) : nullptr;
        if (!linked) {
            linked = new cKestruneMeshSprite();
            linked->Load(name);
            if (!linked->file) {
                delete linked;
                return;
            }
        }
        linkedObject = linked;
        linked->parent = model;
        linked->SetPosition(x, y, z);
        linked->SetRotation(rx, ry, rz);
        linked->linkLocal = linked->world;
        // A bone the skeleton lacks hangs the object on the root bone rather
        // than on no bone at all, which the pose has no matrix for.
        granny_int32 boneIndex = 0;
        if (!model->mainModel.instance
            || !GrannyFindBoneByNameLowercase(GrannyGetSourceSkeleton(model->mainModel.instance), bone.GetText(),
                                              &boneIndex))
            boneIndex = 0;
        linked->parentBone = boneIndex;
    } catch (const std::exception&) {
        LogHandledException("cKestruneCharacter::LinkObject");
    }
}

void cKestruneCharacter::UnlinkObject()
{
    try {
        ReleaseLinkedObject();
    } catch (const std::exception&) {
        LogHandledException("cKestruneCharacter::UnlinkObject");
    }
}

void cKestruneCharacter::SetPathfinderDest(float x, float z, float angle)
{
    destX = x;
    destZ = z;
    destDirX = std::cos(angle);
    destDirZ = -std::sin(angle);
}
