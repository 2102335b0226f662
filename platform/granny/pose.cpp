#include <algorithm>
#include <cstring>

#include "platform/granny/granny.h"
#include "platform/granny/names.h"
#include "platform/granny/pose.h"
#include "platform/granny/transform_math.h"

using vls::granny::ComposeTransforms;
using vls::granny::IdentityTransform;
using vls::granny::LoadMatrix;
using vls::granny::StoreMatrix;
using vls::granny::TransformToMatrix;

using vls::granny::SameNameIgnoringCase;

namespace {

granny_real32 gIdentity4x4[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

granny_local_pose* GrannyNewLocalPose(granny_int32 BoneCount) {
    if (BoneCount < 0) return nullptr;
    auto* pose = new granny_local_pose;
    pose->transforms.assign(BoneCount, IdentityTransform());
    pose->spare = IdentityTransform();
    return pose;
}

void GrannyFreeLocalPose(granny_local_pose* LocalPose) { delete LocalPose; }

granny_world_pose* GrannyNewWorldPose(granny_int32 BoneCount) {
    if (BoneCount < 0) return nullptr;
    auto* pose = new granny_world_pose;
    for (granny_int32 b = 0; b < BoneCount; ++b) {
        pose->world.insert(pose->world.end(), gIdentity4x4, gIdentity4x4 + 16);
        pose->composite.insert(pose->composite.end(), gIdentity4x4, gIdentity4x4 + 16);
    }
    return pose;
}

void GrannyFreeWorldPose(granny_world_pose* WorldPose) { delete WorldPose; }

granny_transform* GrannyGetLocalPoseTransform(granny_local_pose const* LocalPose, granny_int32 BoneIndex) {
    auto* pose = const_cast<granny_local_pose*>(LocalPose);
    if (pose == nullptr) return nullptr;
    if (BoneIndex < 0 || static_cast<std::size_t>(BoneIndex) >= pose->transforms.size()) {
        pose->spare = IdentityTransform();
        return &pose->spare;
    }
    return &pose->transforms[BoneIndex];
}

granny_real32* GrannyGetWorldPose4x4(granny_world_pose const* WorldPose, granny_int32 BoneIndex) {
    if (WorldPose == nullptr || BoneIndex < 0 || static_cast<std::size_t>(BoneIndex) * 16 >= WorldPose->world.size()) {
        // Callers may write through it; restore it each time.
        static const granny_real32 identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        std::memcpy(gIdentity4x4, identity, sizeof(identity));
        return gIdentity4x4;
    }
    return const_cast<granny_real32*>(&WorldPose->world[static_cast<std::size_t>(BoneIndex) * 16]);
}

granny_real32* GrannyGetWorldPoseComposite4x4Array(granny_world_pose const* WorldPose) {
    if (WorldPose == nullptr || WorldPose->composite.empty()) return GrannyGetWorldPose4x4(nullptr, 0);
    return const_cast<granny_real32*>(WorldPose->composite.data());
}

void GrannyBuildWorldPose(granny_skeleton const* Skeleton, granny_int32 FirstBone, granny_int32 BoneCount,
                          granny_local_pose const* LocalPose, granny_real32 const* Offset4x4,
                          granny_world_pose* Result) {
    if (Skeleton == nullptr || LocalPose == nullptr || Result == nullptr || FirstBone < 0 || BoneCount <= 0) return;
    const D3DXMATRIX offset = Offset4x4 != nullptr ? LoadMatrix(Offset4x4) : vls::granny::IdentityMatrix();
    const std::size_t poseBones = Result->world.size() / 16;
    const std::size_t end = std::min({static_cast<std::size_t>(FirstBone) + BoneCount,
                                      static_cast<std::size_t>(Skeleton->BoneCount), poseBones,
                                      LocalPose->transforms.size()});
    for (std::size_t b = FirstBone; b < end; ++b) {
        const granny_bone& bone = Skeleton->Bones[b];
        D3DXMATRIX world = TransformToMatrix(LocalPose->transforms[b]);
        // A parent must come first; anything else is treated as a root.
        if (bone.ParentIndex >= 0 && static_cast<std::size_t>(bone.ParentIndex) < b)
            world = world * LoadMatrix(&Result->world[static_cast<std::size_t>(bone.ParentIndex) * 16]);
        else
            world = world * offset;
        StoreMatrix(world, &Result->world[b * 16]);
        StoreMatrix(LoadMatrix(bone.InverseWorld4x4) * world, &Result->composite[b * 16]);
    }
}

void GrannyMakeIdentity(granny_transform* Result) {
    if (Result != nullptr) *Result = IdentityTransform();
}

void GrannyPostMultiplyBy(granny_transform* Result, granny_transform const* Transform) {
    if (Result == nullptr || Transform == nullptr) return;
    *Result = ComposeTransforms(*Result, *Transform);
}

void GrannyBuildSkeletonRelativeTransform(granny_skeleton const* Skeleton, granny_int32 BoneIndex,
                                          granny_transform* Result) {
    if (Result == nullptr) return;
    *Result = IdentityTransform();
    if (Skeleton == nullptr || BoneIndex < 0 || BoneIndex >= Skeleton->BoneCount) return;
    // Parents precede their children, so the walk ends.
    for (granny_int32 b = BoneIndex; b >= 0;) {
        const granny_bone& bone = Skeleton->Bones[b];
        *Result = ComposeTransforms(bone.LocalTransform, *Result);
        b = bone.ParentIndex < b ? bone.ParentIndex : -1;
    }
}

granny_bool32 GrannyFindBoneByNameLowercase(granny_skeleton const* Skeleton, char const* BoneName,
                                            granny_int32* BoneIndex) {
    if (Skeleton == nullptr || BoneName == nullptr) return false;
    for (granny_int32 b = 0; b < Skeleton->BoneCount; ++b) {
        const char* name = Skeleton->Bones[b].Name;
        if (name != nullptr && SameNameIgnoringCase(name, BoneName)) {
            if (BoneIndex != nullptr) *BoneIndex = b;
            return true;
        }
    }
    return false;
}
