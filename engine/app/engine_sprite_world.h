#pragma once

#include "engine/render/sprite_world.h"

class cKestruneEngine;

// The engine's answers to the sprite system, mesh sprites and animations:
// the frame clock, the player's and the scene's characters, the current
// view's depth map and the speech line.
class cKestruneEngineSpriteWorld : public cKestruneSpriteWorld {
public:
    explicit cKestruneEngineSpriteWorld(cKestruneEngine& engine) : engine_(engine) {}

    bool PlayerReportsHeight(float x, float z) override;
    bool PlayerHeight(float x, float z, float& y) override;
    void SubmitCharacters(DynArray<RenderQueueEntry>& queue) override;
    bool SampleViewDepth(int32_t x, int32_t y, float& distance) override;
    bool SpeechBelongsTo(const cKestruneMeshSprite* sprite) override;
    int32_t SpeechTime() override;
    float FrameSeconds() override;
    float FrameDeltaSeconds() override;

private:
    cKestruneEngine& engine_;
};
