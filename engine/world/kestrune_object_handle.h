#pragma once

#include "engine/base/kestrune_string.h"
#include "engine/base/object_handles.h"

#include <cstdint>

class cKestruneScene;
struct SavegameBlockHeader;

// What a script variable of class cObject holds: a clickable object of its
// scene (a hotspot, by index), an enabled flag and a pathfinder destination
// with a facing direction. Scripts reach it through its handle.
class cKestruneObjectHandle {
public:
    static constexpr std::uint32_t kPayloadSize = 92;

    // The scene whose hotspots the handle binds to (none: binding does nothing).
    explicit cKestruneObjectHandle(cKestruneScene* scene = nullptr);
    ~cKestruneObjectHandle();
    cKestruneObjectHandle(const cKestruneObjectHandle&) = delete;
    cKestruneObjectHandle& operator=(const cKestruneObjectHandle&) = delete;

    void Bind(std::int32_t index);
    // The "OBJ" block has no field of its own for the cursor: it is kept as
    // the kind, which the block stores and restores, so a loaded object
    // shows the cursor it was made with.
    void SetCursor(std::int32_t shape)
    {
        cursor = shape;
        kind = shape;
    }
    // Angle in radians.
    void SetDestination(float x, float y, float angle);
    void SaveBlock(int file, const char* name) const;
    // Reads the payload and then the next block header over header; false
    // when the tag is wrong (reported) or the file is short.
    bool LoadBlock(int file, SavegameBlockHeader& header);

    ObjectHandle Handle() const { return entry_.Handle(); }

    // Fields, in the engine's order.
    std::int32_t objectIndex = -1;
    cString name;
    std::int32_t kind = 8;
    std::int32_t enabled = 0;
    float destX = 0.0f;
    float destY = 0.0f;
    float dirX = 0.0f;
    float dirZ = 0.0f;
    // The cursor cSystem__CreateObject gives it (see SetCursor).
    std::int32_t cursor = 0;

private:
    cKestruneScene* scene_;
    cObjectHandleEntry entry_;
};
