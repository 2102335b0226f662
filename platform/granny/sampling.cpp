#include <algorithm>
#include <cstring>

#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/animation_state.h"
#include "platform/granny/granny.h"
#include "platform/granny/pose.h"
#include "platform/granny/transform_math.h"

namespace {

using vls::granny::EaseFactor;
using vls::granny::ResolveLocalClock;

// Index of the key at or before t (the later of equal times), or -1 before the
// first key, and the fraction towards the next key.
bool FindKeys(granny_int32 count, const granny_real32* times, granny_real32 t, granny_int32* key, float* alpha) {
    if (count <= 0) return false;
    const granny_real32* upper = std::upper_bound(times, times + count, t);
    const granny_int32 k = static_cast<granny_int32>(upper - times) - 1;
    if (k < 0) {
        *key = 0;
        *alpha = 0.0f;
    } else if (k >= count - 1) {
        *key = count - 1;
        *alpha = 0.0f;
    } else {
        *key = k;
        *alpha = (t - times[k]) / (times[k + 1] - times[k]);
    }
    return true;
}

void SampleVector(granny_int32 count, const granny_real32* times, const granny_real32* values, granny_real32 t,
                  granny_real32* out) {
    granny_int32 k = 0;
    float alpha = 0.0f;
    if (!FindKeys(count, times, t, &k, &alpha)) return;
    for (int c = 0; c < 3; ++c) {
        const float a = values[k * 3 + c];
        out[c] = alpha == 0.0f ? a : a + (values[(k + 1) * 3 + c] - a) * alpha;
    }
}

granny_transform SampleTrack(const granny_transform_track& track, const granny_transform& rest, granny_real32 t,
                             bool extractRoot) {
    granny_transform result = rest;
    SampleVector(track.PositionKeyCount, track.PositionTimes, track.Positions, extractRoot ? 0.0f : t,
                 result.Position);
    granny_int32 k = 0;
    float alpha = 0.0f;
    if (FindKeys(track.OrientationKeyCount, track.OrientationTimes, t, &k, &alpha)) {
        const granny_real32* q = track.Orientations + k * 4;
        D3DXQUATERNION value(q[0], q[1], q[2], q[3]);
        if (alpha != 0.0f) {
            const D3DXQUATERNION next(q[4], q[5], q[6], q[7]);
            D3DXQuaternionSlerp(&value, &value, &next, alpha);
        }
        result.Orientation[0] = value.x;
        result.Orientation[1] = value.y;
        result.Orientation[2] = value.z;
        result.Orientation[3] = value.w;
    }
    granny_real32 scale[3] = {rest.ScaleShear[0][0], rest.ScaleShear[1][1], rest.ScaleShear[2][2]};
    if (track.ScaleKeyCount > 0) {
        SampleVector(track.ScaleKeyCount, track.ScaleTimes, track.Scales, t, scale);
        std::memset(result.ScaleShear, 0, sizeof(result.ScaleShear));
        for (int c = 0; c < 3; ++c) result.ScaleShear[c][c] = scale[c];
    }
    result.Flags = GrannyHasPosition | GrannyHasOrientation | GrannyHasScaleShear;
    return result;
}

// Weighted sum of transforms; orientations are kept in one hemisphere.
struct Blend {
    float weight = 0.0f;
    float position[3] = {};
    float orientation[4] = {};
    float scaleShear[3][3] = {};

    void Add(const granny_transform& t, float w) {
        float sign = 1.0f;
        if (weight > 0.0f) {
            const float dot = orientation[0] * t.Orientation[0] + orientation[1] * t.Orientation[1] +
                              orientation[2] * t.Orientation[2] + orientation[3] * t.Orientation[3];
            if (dot < 0.0f) sign = -1.0f;
        }
        weight += w;
        for (int c = 0; c < 3; ++c) position[c] += t.Position[c] * w;
        for (int c = 0; c < 4; ++c) orientation[c] += t.Orientation[c] * w * sign;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) scaleShear[r][c] += t.ScaleShear[r][c] * w;
    }

    granny_transform Result() const {
        granny_transform t = vls::granny::IdentityTransform();
        t.Flags = GrannyHasPosition | GrannyHasOrientation | GrannyHasScaleShear;
        for (int c = 0; c < 3; ++c) t.Position[c] = position[c] / weight;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) t.ScaleShear[r][c] = scaleShear[r][c] / weight;
        D3DXQUATERNION q(orientation[0], orientation[1], orientation[2], orientation[3]);
        if (D3DXQuaternionLength(&q) > 1e-6f) {
            D3DXQuaternionNormalize(&q, &q);
            t.Orientation[0] = q.x;
            t.Orientation[1] = q.y;
            t.Orientation[2] = q.z;
            t.Orientation[3] = q.w;
        }
        return t;
    }
};

float TargetWeight(const granny_control& control, const ControlTarget& target, granny_int32 bone) {
    if (!control.active) return 0.0f;
    float weight = control.weight * EaseFactor(control);
    if (target.hasMask) weight *= target.mask.Weight(bone);
    return weight > 0.0f ? weight : 0.0f;
}

bool ExtractsRoot(const ControlTarget& target, const granny_skeleton& skeleton, granny_int32 bone) {
    return (target.group->Flags & GrannyAccumulationExtracted) != 0 && skeleton.Bones[bone].ParentIndex < 0;
}

// Root translation covered from the start of the animation up to a local clock,
// counting whole loops.
D3DXVECTOR3 RootTravel(const granny_control& control, const granny_transform_track& track, granny_real32 localClock) {
    const vls::granny::LocalTime time = ResolveLocalClock(control, localClock);
    granny_real32 start[3] = {};
    granny_real32 end[3] = {};
    granny_real32 now[3] = {};
    SampleVector(track.PositionKeyCount, track.PositionTimes, track.Positions, 0.0f, start);
    SampleVector(track.PositionKeyCount, track.PositionTimes, track.Positions, control.animation->Duration, end);
    SampleVector(track.PositionKeyCount, track.PositionTimes, track.Positions, time.seconds, now);
    const float loops = static_cast<float>(time.loop);
    return D3DXVECTOR3(loops * (end[0] - start[0]) + now[0] - start[0], loops * (end[1] - start[1]) + now[1] - start[1],
                       loops * (end[2] - start[2]) + now[2] - start[2]);
}

}  // namespace

void GrannySampleModelAnimations(granny_model_instance const* ModelInstance, granny_int32 FirstBone,
                                 granny_int32 BoneCount, granny_local_pose* Result) {
    if (ModelInstance == nullptr || Result == nullptr || ModelInstance->model->Skeleton == nullptr || FirstBone < 0 ||
        BoneCount <= 0)
        return;
    const granny_skeleton& skeleton = *ModelInstance->model->Skeleton;
    const std::size_t end = std::min({static_cast<std::size_t>(FirstBone) + BoneCount,
                                      static_cast<std::size_t>(skeleton.BoneCount), Result->transforms.size()});
    std::vector<vls::granny::LocalTime> times;
    for (const granny_control* control : ModelInstance->controls)
        times.push_back(ResolveLocalClock(*control, control->localClock));

    for (std::size_t b = FirstBone; b < end; ++b) {
        const granny_int32 bone = static_cast<granny_int32>(b);
        const granny_transform& rest = skeleton.Bones[b].LocalTransform;
        Blend blend;
        for (std::size_t c = 0; c < ModelInstance->controls.size(); ++c) {
            const granny_control& control = *ModelInstance->controls[c];
            for (const ControlTarget& target : control.targets) {
                if (target.instance != ModelInstance || target.trackOfBone[b] < 0) continue;
                const float weight = TargetWeight(control, target, bone);
                if (weight <= 0.0f) continue;
                const granny_transform_track& track = target.group->TransformTracks[target.trackOfBone[b]];
                blend.Add(SampleTrack(track, rest, times[c].seconds, ExtractsRoot(target, skeleton, bone)), weight);
            }
        }
        if (blend.weight < 1.0f) blend.Add(rest, 1.0f - blend.weight);
        Result->transforms[b] = blend.Result();
    }
}

void GrannyUpdateModelMatrix(granny_model_instance const* ModelInstance, granny_real32 SecondsElapsed,
                             granny_real32 const* ModelMatrix4x4, granny_real32* DestMatrix4x4) {
    if (ModelMatrix4x4 == nullptr || DestMatrix4x4 == nullptr) return;
    D3DXVECTOR3 travel(0, 0, 0);
    if (ModelInstance != nullptr && ModelInstance->model->Skeleton != nullptr &&
        ModelInstance->model->Skeleton->BoneCount > 0) {
        const granny_skeleton& skeleton = *ModelInstance->model->Skeleton;
        for (const granny_control* control : ModelInstance->controls) {
            for (const ControlTarget& target : control->targets) {
                if (target.instance != ModelInstance || target.trackOfBone[0] < 0 || !ExtractsRoot(target, skeleton, 0))
                    continue;
                const float weight = TargetWeight(*control, target, 0);
                if (weight <= 0.0f) continue;
                const granny_transform_track& track = target.group->TransformTracks[target.trackOfBone[0]];
                const float before = control->localClock - SecondsElapsed * control->speed;
                travel += (RootTravel(*control, track, control->localClock) - RootTravel(*control, track, before)) *
                          weight;
            }
        }
    }
    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, travel.x, travel.y, travel.z);
    vls::granny::StoreMatrix(move * vls::granny::LoadMatrix(ModelMatrix4x4), DestMatrix4x4);
}
