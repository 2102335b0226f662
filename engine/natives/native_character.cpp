#include "engine/natives/engine_natives.h"

#include "engine/base/object_handles.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_format.h"
#include "engine/script/script_natives.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/player_control_default.h"
#include "platform/granny/granny.h"

#include <cmath>

namespace {

// pi / 180 in single precision, as scripts' degrees are converted.
constexpr float kDegreesToRadians = 0.017453292f;

cKestruneCharacter* CharacterOf(const ScriptCallFrame* frame)
{
    return ResolveObjectAs<cKestruneCharacter>(frame->object, ObjectKind::Character);
}

float FloatArgument(const ScriptCallFrame* frame, std::int32_t i) { return frame->Argument(i).floatValue; }
cString TextArgument(const ScriptCallFrame* frame, std::int32_t i) { return cString(frame->Argument(i).GetText()); }

void SetBool(ScriptCallFrame* frame, bool value)
{
    frame->result.type = kScriptBoolean;
    frame->result.boolValue = value ? 1 : 0;
}

// The walking controller of a character, or null for the other kinds.
cKestrunePlayerControlDefault* WalkingController(cKestruneCharacter& character)
{
    if (character.controller->typeId != cKestrunePlayerControl::kDefault)
        return nullptr;
    return static_cast<cKestrunePlayerControlDefault*>(character.controller);
}

// Every native acts on the frame's character; a call on a variable whose
// character is gone does nothing and leaves the result as the call site set it.
#define CHARACTER_NATIVE(name)                                                                                  \
    void name##Body(ScriptCallFrame* frame, cKestruneCharacter& character);                                  \
    std::int32_t name(ScriptCallFrame* frame)                                                                 \
    {                                                                                                          \
        if (cKestruneCharacter* const character = CharacterOf(frame))                                         \
            name##Body(frame, *character);                                                                    \
        return 0;                                                                                              \
    }                                                                                                          \
    void name##Body([[maybe_unused]] ScriptCallFrame* frame, [[maybe_unused]] cKestruneCharacter& character)

CHARACTER_NATIVE(cCharacter__GetEnabled) { SetBool(frame, character.enabled != 0); }

CHARACTER_NATIVE(cCharacter__PutEnabled)
{
    character.enabled = frame->Argument(0).boolValue;
    if (character.enabled)
        character.EnsureHotspot();
}

CHARACTER_NATIVE(cCharacter__GetVisible) { SetBool(frame, character.visible != 0); }
CHARACTER_NATIVE(cCharacter__PutVisible) { character.visible = frame->Argument(0).boolValue; }
CHARACTER_NATIVE(cCharacter__GetShadow) { SetBool(frame, character.model->noShadow == 0); }
CHARACTER_NATIVE(cCharacter__PutShadow) { character.model->noShadow = frame->Argument(0).boolValue ? 0 : 1; }

CHARACTER_NATIVE(cCharacter__GetRating)
{
    frame->result.type = kScriptInteger;
    frame->result.intValue = character.model->shadowMode;
}

CHARACTER_NATIVE(cCharacter__PutRating) { character.model->shadowMode = frame->Argument(0).intValue; }

CHARACTER_NATIVE(cCharacter__Place)
{
    const float x = FloatArgument(frame, 0), z = FloatArgument(frame, 1);
    cKestrunePlayerControl& control = *character.controller;
    control.ResetWalk();
    const float y = control.GetHeight(x, z);
    control.SetPosition(x, y, z);
    control.SetRotation(0.0f, FloatArgument(frame, 2) * kDegreesToRadians, 0.0f);
}

void WalkCharacter(ScriptCallFrame* frame, cKestruneCharacter& character, bool run)
{
    const float angle = FloatArgument(frame, 2) * kDegreesToRadians;
    character.controller->WalkTo(FloatArgument(frame, 0), 0.0f, FloatArgument(frame, 1), std::cos(angle),
                                 -std::sin(angle));
    if (run)
        character.controller->SetRun(1);
}

CHARACTER_NATIVE(cCharacter__MoveTo) { WalkCharacter(frame, character, false); }
CHARACTER_NATIVE(cCharacter__RunTo) { WalkCharacter(frame, character, true); }

CHARACTER_NATIVE(cCharacter__SetPathfinderCallback)
{
    character.controller->SetArrivalEvent(frame->script, TextArgument(frame, 0), nullptr);
}

CHARACTER_NATIVE(cCharacter__SetPathfinderDest)
{
    character.SetPathfinderDest(FloatArgument(frame, 0), FloatArgument(frame, 1),
                                FloatArgument(frame, 2) * kDegreesToRadians);
}

CHARACTER_NATIVE(cCharacter__SetPosition)
{
    character.controller->SetPosition(FloatArgument(frame, 0), FloatArgument(frame, 1), FloatArgument(frame, 2));
}

CHARACTER_NATIVE(cCharacter__SetRotation)
{
    character.controller->SetRotation(FloatArgument(frame, 0) * kDegreesToRadians,
                                      FloatArgument(frame, 1) * kDegreesToRadians,
                                      FloatArgument(frame, 2) * kDegreesToRadians);
}

CHARACTER_NATIVE(cCharacter__AddIdleAnimation)
{
    IdleAnimation entry;
    entry.name = TextArgument(frame, 0);
    entry.weight = frame->Argument(1).intValue;
    character.idleAnimations.Add(entry);
}

CHARACTER_NATIVE(cCharacter__SetWalkNRunCycle)
{
    if (cKestrunePlayerControlDefault* const control = WalkingController(character))
        control->SetWalkNRunCycle(TextArgument(frame, 0), TextArgument(frame, 1));
}

CHARACTER_NATIVE(cCharacter__SetWalkSpeedFactor)
{
    if (cKestrunePlayerControlDefault* const control = WalkingController(character))
        control->SetWalkSpeedFactor(FloatArgument(frame, 0));
}

CHARACTER_NATIVE(cCharacter__SetStairCycles)
{
    if (cKestrunePlayerControlDefault* const control = WalkingController(character)) {
        cString names[cKestrunePlayerControlDefault::kStairCycleCount];
        for (std::int32_t i = 0; i < cKestrunePlayerControlDefault::kStairCycleCount; ++i)
            names[i] = TextArgument(frame, i);
        control->SetStairCycles(names);
    }
}

CHARACTER_NATIVE(cCharacter__PlayAnimation)
{
    const std::uint32_t flags = static_cast<std::uint32_t>(frame->Argument(1).intValue) & 0xFF;
    const cString event = TextArgument(frame, 2);
    const bool second = (flags & cKestruneMeshAnimation::kSecondSlot) != 0;
    if (second)
        character.PlaySlot2(TextArgument(frame, 0), flags);
    else
        character.PlaySlot1(TextArgument(frame, 0), flags);
    if (event.GetLength() == 0)
        return;
    if (second) {
        character.slot2EventName = event;
        character.slot2EventScript = frame->script;
    } else {
        character.slot1EventName = event;
        character.slot1EventScript = frame->script;
    }
}

void InstallController(cKestruneCharacter& character, std::int32_t type, const cString names[3])
{
    cKestrunePlayerControl* const control = CreatePlayerControl(type, &character);
    control->Setup(names);
    character.ReplaceController(control);
}

CHARACTER_NATIVE(cCharacter__SetupZodiacControl)
{
    const cString names[3] = {TextArgument(frame, 0), TextArgument(frame, 1), TextArgument(frame, 2)};
    InstallController(character, cKestrunePlayerControl::kZodiac, names);
}

CHARACTER_NATIVE(cCharacter__SetupDiverControl)
{
    const cString names[3] = {TextArgument(frame, 0), "", ""};
    InstallController(character, cKestrunePlayerControl::kDiver, names);
}

CHARACTER_NATIVE(cCharacter__SetupInfoBotControl)
{
    const cString names[3];
    InstallController(character, cKestrunePlayerControl::kInfobot, names);
}

CHARACTER_NATIVE(cCharacter__LinkObject)
{
    character.LinkObject(TextArgument(frame, 0), TextArgument(frame, 1), FloatArgument(frame, 2),
                         FloatArgument(frame, 3), FloatArgument(frame, 4), FloatArgument(frame, 5) * kDegreesToRadians,
                         FloatArgument(frame, 6) * kDegreesToRadians, FloatArgument(frame, 7) * kDegreesToRadians);
}

CHARACTER_NATIVE(cCharacter__UnlinkObject) { character.UnlinkObject(); }

// Starts the model's default animation anew as its endless default control,
// keeping the old control's weight.
void RestartDefaultControl(cKestruneMeshSprite& model)
{
    const float weight = GrannyGetControlWeight(model.baseControl);
    GrannyFreeControl(model.baseControl);
    model.baseControl = model.PlayTrackGroup(model.baseAnimation, model.bodyMask);
    GrannySetControlLoopCount(model.baseControl, 0);
    GrannySetControlWeight(model.baseControl, weight);
}

CHARACTER_NATIVE(cCharacter__SetDefaultAnimation)
{
    cKestruneMeshSprite& model = *character.model;
    if (model.previousBaseAnimation) {
        delete model.animation;
        model.animation = nullptr;
    } else {
        model.previousBaseAnimation = model.baseAnimation;
    }
    const cString name = TextArgument(frame, 0);
    if (AnimationResourceExists(name)) {
        model.animation = new cKestruneMeshAnimation(&model, 0);
        model.animation->Load(name);
        if (model.animation->grannyAnimation)
            model.baseAnimation = model.animation->grannyAnimation;
    }
    if (model.baseControl && !model.mainControl)
        RestartDefaultControl(model);
}

CHARACTER_NATIVE(cCharacter__ResetDefaultAnimation)
{
    cKestruneMeshSprite& model = *character.model;
    if (!model.previousBaseAnimation)
        return;
    model.baseAnimation = model.previousBaseAnimation;
    model.previousBaseAnimation = nullptr;
    // The running default control may still play the replacement's data,
    // which goes with its object: restart it on the model's own default first.
    if (model.baseControl && model.animation)
        RestartDefaultControl(model);
    delete model.animation;
    model.animation = nullptr;
}

CHARACTER_NATIVE(cCharacter__SetSpeechColor)
{
    const auto component = [&](std::int32_t i) {
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(FloatArgument(frame, i) * 255.0f)) & 0xFF;
    };
    character.speechColor = 0xFF000000u + component(0) * 65536u + component(1) * 256u + component(2);
}

CHARACTER_NATIVE(cCharacter__Say)
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (gameplay && gameplay->dialogue)
        gameplay->dialogue->Say(frame->Argument(0).GetText(), frame->Argument(1).GetText(), frame->script,
                                character.Handle());
}

CHARACTER_NATIVE(cCharacter__SayFree)
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (gameplay && gameplay->dialogue)
        gameplay->dialogue->SayFree(frame->Argument(0).GetText(), frame->Argument(1).GetText(), character.Handle(),
                                    frame->script, frame->Argument(2).GetText());
}

#undef CHARACTER_NATIVE

} // namespace

void RegisterCharacterNatives()
{
    static const struct {
        const char* name;
        ScriptNative function;
    } kNatives[] = {
        {"cCharacter__GetEnabled", cCharacter__GetEnabled},
        {"cCharacter__PutEnabled", cCharacter__PutEnabled},
        {"cCharacter__GetVisible", cCharacter__GetVisible},
        {"cCharacter__PutVisible", cCharacter__PutVisible},
        {"cCharacter__GetShadow", cCharacter__GetShadow},
        {"cCharacter__PutShadow", cCharacter__PutShadow},
        {"cCharacter__GetRating", cCharacter__GetRating},
        {"cCharacter__PutRating", cCharacter__PutRating},
        {"cCharacter__Place", cCharacter__Place},
        {"cCharacter__MoveTo", cCharacter__MoveTo},
        {"cCharacter__RunTo", cCharacter__RunTo},
        {"cCharacter__SetPathfinderCallback", cCharacter__SetPathfinderCallback},
        {"cCharacter__SetPathfinderDest", cCharacter__SetPathfinderDest},
        {"cCharacter__SetPosition", cCharacter__SetPosition},
        {"cCharacter__SetRotation", cCharacter__SetRotation},
        {"cCharacter__AddIdleAnimation", cCharacter__AddIdleAnimation},
        {"cCharacter__SetWalkNRunCycle", cCharacter__SetWalkNRunCycle},
        {"cCharacter__SetWalkSpeedFactor", cCharacter__SetWalkSpeedFactor},
        {"cCharacter__SetStairCycles", cCharacter__SetStairCycles},
        {"cCharacter__PlayAnimation", cCharacter__PlayAnimation},
        {"cCharacter__SetupZodiacControl", cCharacter__SetupZodiacControl},
        {"cCharacter__SetupDiverControl", cCharacter__SetupDiverControl},
        {"cCharacter__SetupInfoBotControl", cCharacter__SetupInfoBotControl},
        {"cCharacter__LinkObject", cCharacter__LinkObject},
        {"cCharacter__UnlinkObject", cCharacter__UnlinkObject},
        {"cCharacter__SetDefaultAnimation", cCharacter__SetDefaultAnimation},
        {"cCharacter__ResetDefaultAnimation", cCharacter__ResetDefaultAnimation},
        {"cCharacter__SetSpeechColor", cCharacter__SetSpeechColor},
        {"cCharacter__Say", cCharacter__Say},
        {"cCharacter__SayFree", cCharacter__SayFree},
    };
    for (const auto& native : kNatives)
        RegisterScriptNative(native.name, native.function);
}
