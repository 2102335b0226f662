#include <vector>

#include "platform/granny/animation_state.h"
#include "platform/granny/granny.h"

granny_track_mask* GrannyNewTrackMask(granny_real32 DefaultWeight, granny_int32 BoneCount) {
    if (BoneCount < 0) return nullptr;
    auto* mask = new granny_track_mask;
    mask->defaultWeight = DefaultWeight;
    mask->weights.assign(BoneCount, DefaultWeight);
    return mask;
}

void GrannySetTrackMaskBoneWeight(granny_track_mask* Mask, granny_int32 BoneIndex, granny_real32 Weight) {
    if (Mask != nullptr && BoneIndex >= 0 && static_cast<std::size_t>(BoneIndex) < Mask->weights.size())
        Mask->weights[BoneIndex] = Weight;
}

void GrannySetSkeletonTrackMaskChainDownwards(granny_track_mask* Mask, granny_skeleton const* Skeleton,
                                              granny_int32 ChainOriginBoneIndex, granny_real32 Weight) {
    if (Mask == nullptr || Skeleton == nullptr || ChainOriginBoneIndex < 0 ||
        ChainOriginBoneIndex >= Skeleton->BoneCount)
        return;
    // Parents precede children: one pass down the bone list finds the chain.
    std::vector<bool> inChain(Skeleton->BoneCount, false);
    for (granny_int32 b = ChainOriginBoneIndex; b < Skeleton->BoneCount; ++b) {
        const granny_int32 parent = Skeleton->Bones[b].ParentIndex;
        inChain[b] = b == ChainOriginBoneIndex || (parent >= 0 && parent < b && inChain[parent]);
        if (inChain[b]) GrannySetTrackMaskBoneWeight(Mask, b, Weight);
    }
}

granny_track_mask* GrannyCopyTrackMask(granny_track_mask const* Mask) {
    return Mask != nullptr ? new granny_track_mask(*Mask) : nullptr;
}

void GrannyInvertTrackMask(granny_track_mask* Mask) {
    if (Mask == nullptr) return;
    Mask->defaultWeight = 1.0f - Mask->defaultWeight;
    for (granny_real32& weight : Mask->weights) weight = 1.0f - weight;
}

void GrannyFreeTrackMask(granny_track_mask* Mask) { delete Mask; }
