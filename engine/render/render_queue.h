#pragma once

#include "engine/base/dynarray.h"

#include <cstdint>

// One entry of the per-frame draw list.
struct RenderQueueEntry {
    float depth = 0.0f;      // larger = farther; drawn far to near
    void* object = nullptr;  // what to draw, by kind
    int32_t kind = 0;
};

constexpr int32_t kRenderKindImage = 1;
constexpr int32_t kRenderKindMeshSprite = 2;
constexpr int32_t kRenderKindObject = 3;

// Far first. Each position takes, by swapping, any later entry that is
// strictly farther than what it holds, so equal depths are not kept in
// submission order (A, B, C at 1, 1, 2 come out C, B, A).
void SortRenderQueue(DynArray<RenderQueueEntry>& list);
