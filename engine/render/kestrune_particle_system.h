#pragma once

#include "engine/base/dynarray.h"
#include "engine/render/render_queue.h"
#include "platform/d3d8/d3d8.h"

#include <cstdint>

// The four-operation objects of the graphics object list (particle effects,
// weather): render, submit to the draw list, write a savegame block, destroy.
// The graphics object owns them; on a lost device it releases and re-creates
// their point vertex buffers.
class cKestruneParticleSystem {
public:
    virtual ~cKestruneParticleSystem() = default;
    virtual int32_t Render() = 0;
    virtual int32_t Submit(DynArray<RenderQueueEntry>& list) = 0;
    virtual int32_t WriteBlock(int32_t file) = 0;
    virtual void Destroy() = 0;

    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    // Points the buffer holds (16 bytes each).
    int32_t bufferLength = 0;
};
