#pragma once

#include "engine/render/sprite_world.h"

class cKestruneEngine;

// The engine's answers to the sprite system, mesh sprites and animations:
// the frame clock today; the player, the scene's characters and depth map
// and the speech line keep the base answers until those members exist.
class cKestruneEngineSpriteWorld : public cKestruneSpriteWorld {
public:
    explicit cKestruneEngineSpriteWorld(cKestruneEngine& engine) : engine_(engine) {}

    float FrameSeconds() override;
    float FrameDeltaSeconds() override;
    double SystemSeconds() override;

private:
    cKestruneEngine& engine_;
};
