#pragma once

// Internal: model instances, controls and track masks behind their handles.

#include <memory>
#include <vector>

#include "platform/granny/granny_types.h"
#include "platform/granny/storage.h"

struct granny_track_mask {
    granny_real32 defaultWeight = 1.0f;
    std::vector<granny_real32> weights;

    granny_real32 Weight(granny_int32 bone) const {
        return bone >= 0 && static_cast<std::size_t>(bone) < weights.size() ? weights[bone] : defaultWeight;
    }
};

// One track group of a control bound to one model instance.
struct ControlTarget {
    granny_model_instance* instance = nullptr;
    granny_track_group const* group = nullptr;
    std::vector<granny_int32> trackOfBone;  // -1 where no track moves the bone
    bool hasMask = false;
    granny_track_mask mask;
};

struct granny_control {
    granny_animation const* animation = nullptr;
    std::shared_ptr<vls::granny::FileStorage> keepAlive;
    std::vector<ControlTarget> targets;

    granny_real32 clock = 0.0f;
    granny_real32 localClock = 0.0f;  // unwrapped: loops count on from 0
    granny_real32 speed = 1.0f;
    granny_real32 weight = 1.0f;
    granny_int32 loopCount = 1;
    bool active = true;
    bool checkCompletion = true;
    bool hasCompletionTime = false;
    granny_real32 completionTime = 0.0f;

    // Ease of the weight's multiplier between two clocks.
    granny_real32 easeFrom = 1.0f;
    granny_real32 easeTo = 1.0f;
    granny_real32 easeStart = 0.0f;
    granny_real32 easeEnd = 0.0f;
};

struct granny_model_instance {
    granny_model const* model = nullptr;
    std::shared_ptr<vls::granny::FileStorage> keepAlive;
    std::vector<granny_control*> controls;
};

struct granny_controlled_animation_builder {
    granny_real32 startTime = 0.0f;
    granny_animation const* animation = nullptr;
    std::vector<ControlTarget> targets;
};

namespace vls::granny {

// A control that was freed (directly or with its last instance) is no longer
// live; calls on it do nothing.
bool IsLiveControl(granny_control const* control);
void DestroyControl(granny_control* control);

// The multiplier that easing puts on the weight at the control's clock.
granny_real32 EaseFactor(const granny_control& control);

// Time into the animation (0..duration) and whole loops behind it.
struct LocalTime {
    granny_real32 seconds = 0.0f;
    granny_int32 loop = 0;
};
LocalTime ResolveLocalClock(const granny_control& control, granny_real32 localClock);

}  // namespace vls::granny
