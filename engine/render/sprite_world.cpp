#include "engine/render/sprite_world.h"

namespace {
cKestruneNullSpriteWorld gDefaultWorld;
cKestruneSpriteWorld* gWorld = nullptr;
} // namespace

void SetSpriteWorld(cKestruneSpriteWorld* world) { gWorld = world; }
cKestruneSpriteWorld& SpriteWorld() { return gWorld ? *gWorld : gDefaultWorld; }

bool cKestruneNullSpriteWorld::PlayerReportsHeight(float, float) { return false; }
bool cKestruneNullSpriteWorld::PlayerHeight(float, float, float&) { return false; }
void cKestruneNullSpriteWorld::SubmitCharacters(DynArray<RenderQueueEntry>&) {}
bool cKestruneNullSpriteWorld::SampleViewDepth(int32_t, int32_t, float&) { return false; }
bool cKestruneNullSpriteWorld::SpeechBelongsTo(const cKestruneMeshSprite*) { return false; }
int32_t cKestruneNullSpriteWorld::SpeechTime() { return -1; }
float cKestruneNullSpriteWorld::FrameSeconds() { return 0.0f; }
float cKestruneNullSpriteWorld::FrameDeltaSeconds() { return 0.0f; }
