#pragma once

// What the sprite system, mesh sprites and mesh animations need from the
// folders above them: the player character's controller and the scene's
// characters, the current view's depth map, the speech line that is playing
// and the frame clock. The engine installs its own; none of
// these has a base answer.

#include "engine/base/dynarray.h"
#include "engine/render/render_queue.h"

#include <cstdint>

class cKestruneMeshSprite;

class cKestruneSpriteWorld {
public:
    virtual ~cKestruneSpriteWorld() = default;

    // The player character's controller: whether it knows the floor height at
    // (x, z) (operation 6), and that height (operation 5). Both are false
    // without a player character.
    virtual bool PlayerReportsHeight(float x, float z) = 0;
    virtual bool PlayerHeight(float x, float z, float& y) = 0;

    // Asks the player character's controller, then the controller of every
    // character of the current scene in list order, to submit its sprites.
    virtual void SubmitCharacters(DynArray<RenderQueueEntry>& queue) = 0;

    // The depth sample (view distance) of the current view at a screen pixel;
    // false when there is no scene, no view or no depth data there.
    virtual bool SampleViewDepth(int32_t x, int32_t y, float& distance) = 0;

    // The speech line: whether the line being spoken belongs to this sprite,
    // and the speech stream's time in milliseconds (-1: no speech channel).
    virtual bool SpeechBelongsTo(const cKestruneMeshSprite* sprite) = 0;
    virtual int32_t SpeechTime() = 0;

    // The frame clock: seconds of the current frame and since the last one.
    // Animation end times and the character's checks of them both read it.
    virtual float FrameSeconds() = 0;
    virtual float FrameDeltaSeconds() = 0;
};

// The answers of an engine with no player, no scene, no speech and a clock
// standing at 0: what the sprite system sees before the engine installs its
// own, and the base of test fakes.
class cKestruneNullSpriteWorld : public cKestruneSpriteWorld {
public:
    bool PlayerReportsHeight(float x, float z) override;
    bool PlayerHeight(float x, float z, float& y) override;
    void SubmitCharacters(DynArray<RenderQueueEntry>& queue) override;
    bool SampleViewDepth(int32_t x, int32_t y, float& distance) override;
    bool SpeechBelongsTo(const cKestruneMeshSprite* sprite) override;
    int32_t SpeechTime() override;
    float FrameSeconds() override;
    float FrameDeltaSeconds() override;
};

// Null restores the null host (the answers of an engine without members).
void SetSpriteWorld(cKestruneSpriteWorld* world);
cKestruneSpriteWorld& SpriteWorld();
