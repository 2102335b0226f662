#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "platform/granny/animation_state.h"
#include "platform/granny/granny.h"
#include "platform/granny/names.h"

namespace vls::granny {
namespace {

// Never destroyed, so controls freed during program exit still find it.
std::unordered_set<granny_control const*>& LiveControls() {
    static auto* live = new std::unordered_set<granny_control const*>;
    return *live;
}

void BindTracks(ControlTarget* target) {
    const granny_skeleton* skeleton = target->instance->model->Skeleton;
    const granny_int32 bones = skeleton != nullptr ? skeleton->BoneCount : 0;
    target->trackOfBone.assign(bones, -1);
    for (granny_int32 b = 0; b < bones; ++b) {
        for (granny_int32 t = 0; t < target->group->TransformTrackCount; ++t) {
            if (SameNameIgnoringCase(target->group->TransformTracks[t].Name, skeleton->Bones[b].Name)) {
                target->trackOfBone[b] = t;
                break;
            }
        }
    }
}

ControlTarget* TargetFor(granny_controlled_animation_builder* builder, granny_int32 group) {
    if (builder == nullptr || builder->animation == nullptr || group < 0 ||
        group >= builder->animation->TrackGroupCount)
        return nullptr;
    for (ControlTarget& target : builder->targets)
        if (target.group == builder->animation->TrackGroups[group]) return &target;
    builder->targets.push_back(ControlTarget{});
    builder->targets.back().group = builder->animation->TrackGroups[group];
    return &builder->targets.back();
}

granny_control* Live(granny_control const* control) {
    return IsLiveControl(control) ? const_cast<granny_control*>(control) : nullptr;
}

}  // namespace

bool IsLiveControl(granny_control const* control) {
    return control != nullptr && LiveControls().count(control) != 0;
}

void DestroyControl(granny_control* control) {
    for (ControlTarget& target : control->targets) {
        auto& list = target.instance->controls;
        list.erase(std::remove(list.begin(), list.end(), control), list.end());
    }
    LiveControls().erase(control);
    delete control;
}

granny_real32 EaseFactor(const granny_control& control) {
    // End first: an ease of no length is over at once.
    if (control.clock >= control.easeEnd) return control.easeTo;
    if (control.clock <= control.easeStart) return control.easeFrom;
    const float t = (control.clock - control.easeStart) / (control.easeEnd - control.easeStart);
    const float smooth = t * t * (3.0f - 2.0f * t);
    return control.easeFrom + (control.easeTo - control.easeFrom) * smooth;
}

LocalTime ResolveLocalClock(const granny_control& control, granny_real32 localClock) {
    const float duration = control.animation != nullptr ? control.animation->Duration : 0.0f;
    if (!(duration > 0.0f) || !std::isfinite(localClock)) return {};
    if (control.loopCount > 0) {
        const float end = duration * static_cast<float>(control.loopCount);
        if (localClock <= 0.0f) return {0.0f, 0};
        if (localClock >= end) return {duration, control.loopCount - 1};
    }
    const float loops = std::floor(localClock / duration);
    const float seconds = std::clamp(localClock - loops * duration, 0.0f, duration);
    const float clampedLoops = std::clamp(loops, -2.0e9f, 2.0e9f);
    return {seconds, static_cast<granny_int32>(clampedLoops)};
}

}  // namespace vls::granny

using vls::granny::Live;

granny_controlled_animation_builder* GrannyBeginControlledAnimation(granny_real32 StartTime,
                                                                    granny_animation const* Animation) {
    if (Animation == nullptr) return nullptr;
    auto* builder = new granny_controlled_animation_builder;
    builder->startTime = StartTime;
    builder->animation = Animation;
    return builder;
}

granny_bool32 GrannyFindTrackGroupForModel(granny_animation const* Animation, char const* ModelName,
                                           granny_int32* TrackGroupIndex) {
    if (Animation == nullptr || ModelName == nullptr) return false;
    for (granny_int32 g = 0; g < Animation->TrackGroupCount; ++g) {
        if (vls::granny::SameNameIgnoringCase(Animation->TrackGroups[g]->Name, ModelName)) {
            if (TrackGroupIndex != nullptr) *TrackGroupIndex = g;
            return true;
        }
    }
    return false;
}

void GrannySetTrackGroupTarget(granny_controlled_animation_builder* Builder, granny_int32 TrackGroupIndex,
                               granny_model_instance* ModelInstance) {
    ControlTarget* target = vls::granny::TargetFor(Builder, TrackGroupIndex);
    if (target != nullptr) target->instance = ModelInstance;
}

void GrannySetTrackGroupModelMask(granny_controlled_animation_builder* Builder, granny_int32 TrackGroupIndex,
                                  granny_track_mask const* ModelMask) {
    ControlTarget* target = vls::granny::TargetFor(Builder, TrackGroupIndex);
    if (target == nullptr) return;
    target->hasMask = ModelMask != nullptr;
    if (ModelMask != nullptr) target->mask = *ModelMask;
}

granny_control* GrannyEndControlledAnimation(granny_controlled_animation_builder* Builder) {
    if (Builder == nullptr) return nullptr;
    auto* control = new granny_control;
    control->animation = Builder->animation;
    control->keepAlive = vls::granny::OwnerOf(Builder->animation);
    control->clock = Builder->startTime;
    control->easeStart = control->easeEnd = Builder->startTime;
    for (ControlTarget& target : Builder->targets) {
        if (target.instance == nullptr || target.instance->model == nullptr) continue;
        vls::granny::BindTracks(&target);
        control->targets.push_back(std::move(target));
        auto& list = control->targets.back().instance->controls;
        if (std::find(list.begin(), list.end(), control) == list.end()) list.push_back(control);
    }
    vls::granny::LiveControls().insert(control);
    delete Builder;
    return control;
}

void GrannyFreeControl(granny_control* Control) {
    if (granny_control* control = Live(Control)) vls::granny::DestroyControl(control);
}

granny_real32 GrannyGetControlClock(granny_control const* Control) {
    const granny_control* control = Live(Control);
    return control != nullptr ? control->clock : 0.0f;
}

void GrannySetControlClock(granny_control* Control, granny_real32 NewClock) {
    granny_control* control = Live(Control);
    if (control == nullptr || !std::isfinite(NewClock)) return;
    control->localClock += (NewClock - control->clock) * control->speed;
    control->clock = NewClock;
}

void GrannySetControlRawLocalClock(granny_control* Control, granny_real32 LocalClock) {
    if (granny_control* control = Live(Control); control != nullptr && std::isfinite(LocalClock))
        control->localClock = LocalClock;
}

granny_real32 GrannyGetControlLocalDuration(granny_control const* Control) {
    const granny_control* control = Live(Control);
    return control != nullptr ? control->animation->Duration : 0.0f;
}

void GrannySetControlSpeed(granny_control* Control, granny_real32 Speed) {
    if (granny_control* control = Live(Control); control != nullptr && std::isfinite(Speed)) control->speed = Speed;
}

granny_real32 GrannyGetControlWeight(granny_control const* Control) {
    const granny_control* control = Live(Control);
    return control != nullptr ? control->weight : 0.0f;
}

void GrannySetControlWeight(granny_control* Control, granny_real32 Weight) {
    if (granny_control* control = Live(Control); control != nullptr && std::isfinite(Weight)) control->weight = Weight;
}

granny_int32 GrannyGetControlLoopCount(granny_control const* Control) {
    const granny_control* control = Live(Control);
    return control != nullptr ? control->loopCount : 0;
}

void GrannySetControlLoopCount(granny_control* Control, granny_int32 LoopCount) {
    if (granny_control* control = Live(Control)) control->loopCount = std::max(LoopCount, 0);
}

granny_bool32 GrannyControlIsActive(granny_control const* Control) {
    const granny_control* control = Live(Control);
    return control != nullptr && control->active;
}

void GrannySetControlActive(granny_control* Control, granny_bool32 Active) {
    if (granny_control* control = Live(Control)) control->active = Active != 0;
}

granny_bool32 GrannyControlIsComplete(granny_control const* Control) {
    const granny_control* control = Live(Control);
    return control != nullptr && control->checkCompletion && control->hasCompletionTime &&
           control->clock >= control->completionTime;
}

void GrannyCompleteControlAt(granny_control* Control, granny_real32 AtSeconds) {
    granny_control* control = Live(Control);
    if (control == nullptr) return;
    control->hasCompletionTime = true;
    control->completionTime = AtSeconds;
}

void GrannySetControlCompletionCheckFlag(granny_control* Control, granny_bool32 CheckComplete) {
    if (granny_control* control = Live(Control)) control->checkCompletion = CheckComplete != 0;
}

void GrannyEaseControlIn(granny_control* Control, granny_real32 Duration, granny_bool32 FromCurrent) {
    granny_control* control = Live(Control);
    if (control == nullptr) return;
    control->easeFrom = FromCurrent ? vls::granny::EaseFactor(*control) : 0.0f;
    control->easeTo = 1.0f;
    control->easeStart = control->clock;
    control->easeEnd = control->clock + std::max(Duration, 0.0f);
}

granny_real32 GrannyEaseControlOut(granny_control* Control, granny_real32 Duration) {
    granny_control* control = Live(Control);
    if (control == nullptr) return 0.0f;
    control->easeFrom = vls::granny::EaseFactor(*control);
    control->easeTo = 0.0f;
    control->easeStart = control->clock;
    control->easeEnd = control->clock + std::max(Duration, 0.0f);
    return control->easeEnd;
}

void GrannySetMaximumAnimationBindingCount(granny_int32) {}

void GrannyFlushAllUnusedAnimationBindings() {}

granny_model_instance* GrannyInstantiateModel(granny_model const* Model) {
    if (Model == nullptr) return nullptr;
    auto* instance = new granny_model_instance;
    instance->model = Model;
    instance->keepAlive = vls::granny::OwnerOf(Model);
    return instance;
}

void GrannyFreeModelInstance(granny_model_instance* ModelInstance) {
    if (ModelInstance == nullptr) return;
    const std::vector<granny_control*> controls = ModelInstance->controls;
    for (granny_control* control : controls) {
        auto& targets = control->targets;
        targets.erase(std::remove_if(targets.begin(), targets.end(),
                                     [&](const ControlTarget& t) { return t.instance == ModelInstance; }),
                      targets.end());
        if (targets.empty()) vls::granny::DestroyControl(control);
    }
    delete ModelInstance;
}

granny_skeleton* GrannyGetSourceSkeleton(granny_model_instance const* ModelInstance) {
    return ModelInstance != nullptr && ModelInstance->model != nullptr ? ModelInstance->model->Skeleton : nullptr;
}
