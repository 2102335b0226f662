#include "engine/render/render_queue.h"

#include <utility>

void SortRenderQueue(DynArray<RenderQueueEntry>& list)
{
    for (int32_t i = 0; i < list.count; ++i) {
        for (int32_t j = i + 1; j < list.count; ++j) {
            if (list.data[j].depth > list.data[i].depth) std::swap(list.data[i], list.data[j]);
        }
    }
}
