#pragma once

// What the sprite system, mesh sprites and mesh animations need from the
// folders above them: the player character's controller and the scene's
// characters, the current view's depth map, the speech line that is playing
// and the frame clock. The engine installs its own; until then (and in
// tests of this folder) the base class answers as if there were no player,
// no scene, no speech and a clock standing at 0, and tests install fakes.

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
    virtual bool PlayerReportsHeight(float x, float z);
    virtual bool PlayerHeight(float x, float z, float& y);

    // Asks the player character's controller, then the controller of every
    // character of the current scene in list order, to submit its sprites.
    virtual void SubmitCharacters(DynArray<RenderQueueEntry>& queue);

    // The depth sample (view distance) of the current view at a screen pixel;
    // false when there is no scene, no view or no depth data there.
    virtual bool SampleViewDepth(int32_t x, int32_t y, float& distance);

    // The speech line: whether the line being spoken belongs to this sprite,
    // and the speech stream's time in milliseconds (-1: no speech channel).
    virtual bool SpeechBelongsTo(const cKestruneMeshSprite* sprite);
    virtual int32_t SpeechTime();

    // The frame clock: seconds of the current frame and since the last one.
    // Animation end times and the character's checks of them both read it.
    virtual float FrameSeconds();
    virtual float FrameDeltaSeconds();
};

// Null restores the default answers.
void SetSpriteWorld(cKestruneSpriteWorld* world);
cKestruneSpriteWorld& SpriteWorld();
