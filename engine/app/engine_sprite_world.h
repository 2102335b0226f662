#pragma once

#include "engine/render/sprite_world.h"

class cKestruneEngine;

// The engine's answers to the sprite system, mesh sprites and animations:
// the frame clock, and the player's and the scene's characters; the depth map
// and the speech line keep the base answers until those members exist.
class cKestruneEngineSpriteWorld : public cKestruneSpriteWorld {
public:
    explicit cKestruneEngineSpriteWorld(cKestruneEngine& engine) : engine_(engine) {}

    bool PlayerReportsHeight(float x, float z) override;
    bool PlayerHeight(float x, float z, float& y) override;
    void SubmitCharacters(DynArray<RenderQueueEntry>& queue) override;
    float FrameSeconds() override;
    float FrameDeltaSeconds() override;
    double SystemSeconds() override;

private:
    cKestruneEngine& engine_;
};
