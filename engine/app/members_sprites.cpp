#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateSprites(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroySprites(cKestruneEngine& engine) { engine.sprites = nullptr; }


float cKestruneEngineGraphicsHost::CameraNear() { return cKestruneGraphicsHost::CameraNear(); }
float cKestruneEngineGraphicsHost::CameraFar() { return cKestruneGraphicsHost::CameraFar(); }
void cKestruneEngineGraphicsHost::GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) { cKestruneGraphicsHost::GetCamera(view, projection); }
void cKestruneEngineGraphicsHost::CollectMeshSprites(DynArray<RenderQueueEntry>& list) { cKestruneGraphicsHost::CollectMeshSprites(list); }
void cKestruneEngineGraphicsHost::RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow) { cKestruneGraphicsHost::RenderMeshSprite(sprite, world, withShadow); }
void cKestruneEngineGraphicsHost::MeshSpriteFrame(void* sprite, D3DXVECTOR3& position, D3DXVECTOR3& up) { cKestruneGraphicsHost::MeshSpriteFrame(sprite, position, up); }
void cKestruneEngineGraphicsHost::ReleaseSkinBuffers() { cKestruneGraphicsHost::ReleaseSkinBuffers(); }
void cKestruneEngineGraphicsHost::RecreateSkinBuffers() { cKestruneGraphicsHost::RecreateSkinBuffers(); }
