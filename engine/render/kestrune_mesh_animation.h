#pragma once

#include "engine/base/kestrune_string.h"
#include "platform/granny/granny_types.h"

#include <cstdint>

class cKestruneMeshSprite;
struct SavegameBlockHeader;

// One animation from its own ".gr2" file, played on one mesh sprite: on the
// body (main control), or with flag 0x80 on the head (second control),
// easing against the sprite's base animation.
class cKestruneMeshAnimation {
public:
    static constexpr uint32_t kEaseIn = 0x01;
    static constexpr uint32_t kEaseOut = 0x02;
    static constexpr uint32_t kSnapOnPlay = 0x04;
    static constexpr uint32_t kSnapOnStop = 0x08;
    static constexpr uint32_t kBackwards = 0x10;
    static constexpr uint32_t kSecondSlot = 0x80;
    static constexpr uint32_t kBlockSize = 16;

    cKestruneMeshAnimation(cKestruneMeshSprite* owner, uint32_t flags);
    ~cKestruneMeshAnimation();
    cKestruneMeshAnimation(const cKestruneMeshAnimation&) = delete;
    cKestruneMeshAnimation& operator=(const cKestruneMeshAnimation&) = delete;

    int32_t Load(const cString& name);
    int32_t Read(int32_t slot);
    int32_t Play(float ease);
    int32_t Stop(float ease);
    int32_t Free();

    void SaveBlock(int file) const;
    void LoadBlock(SavegameBlockHeader& header, int file, uint8_t restart);

    // Fields, in the engine's order.
    cKestruneMeshSprite* owner = nullptr;
    granny_file* file = nullptr;
    granny_file_info* fileInfo = nullptr;
    granny_animation* grannyAnimation = nullptr;
    granny_control* control = nullptr;
    int32_t unused = 1;
    int32_t playing = 0;
    int32_t loop = 0;
    uint32_t flags = 0;
    float endTime = 0.0f;
    cString name;

private:
    void SnapToGround();
};
