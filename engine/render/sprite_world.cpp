#include "engine/render/sprite_world.h"

namespace {
cKestruneSpriteWorld gDefaultWorld;
cKestruneSpriteWorld* gWorld = nullptr;
} // namespace

void SetSpriteWorld(cKestruneSpriteWorld* world) { gWorld = world; }
cKestruneSpriteWorld& SpriteWorld() { return gWorld ? *gWorld : gDefaultWorld; }

bool cKestruneSpriteWorld::PlayerReportsHeight(float, float) { return false; }
bool cKestruneSpriteWorld::PlayerHeight(float, float, float&) { return false; }
void cKestruneSpriteWorld::SubmitCharacters(DynArray<RenderQueueEntry>&) {}
bool cKestruneSpriteWorld::SampleViewDepth(int32_t, int32_t, float&) { return false; }
bool cKestruneSpriteWorld::SpeechBelongsTo(const cKestruneMeshSprite*) { return false; }
int32_t cKestruneSpriteWorld::SpeechTime() { return -1; }
float cKestruneSpriteWorld::FrameSeconds() { return 0.0f; }
float cKestruneSpriteWorld::FrameDeltaSeconds() { return 0.0f; }
