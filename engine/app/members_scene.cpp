#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateScene(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyScene(cKestruneEngine& engine) { engine.scene = nullptr; }

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreatePendingScene(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyPendingScene(cKestruneEngine& engine) { engine.pendingScene = nullptr; }

void cKestruneDefaultMembers::LeaveScene(cKestruneScene* scene, int32_t flag) { cKestruneMembers::LeaveScene(scene, flag); }
void cKestruneDefaultMembers::DeleteScene(cKestruneScene* scene) { cKestruneMembers::DeleteScene(scene); }
int32_t cKestruneDefaultMembers::LoadScene(cKestruneScene* scene) { return cKestruneMembers::LoadScene(scene); }
void cKestruneDefaultMembers::CloseSceneSlot(cKestruneScene* scene) { cKestruneMembers::CloseSceneSlot(scene); }
void cKestruneDefaultMembers::EnterScene(cKestruneScene* scene, int32_t flag) { cKestruneMembers::EnterScene(scene, flag); }

bool cKestruneEngineGraphicsHost::HasScene() { return cKestruneGraphicsHost::HasScene(); }
void cKestruneEngineGraphicsHost::SceneSubmit(DynArray<RenderQueueEntry>& list) { cKestruneGraphicsHost::SceneSubmit(list); }
bool cKestruneEngineGraphicsHost::GetMirrorView(KestruneMirrorView& view) { return cKestruneGraphicsHost::GetMirrorView(view); }
bool cKestruneEngineGraphicsHost::ScenePending() { return engine_.pendingScene != nullptr; }
void* cKestruneEngineGraphicsHost::HoveredHotspot(const char** name) { return cKestruneGraphicsHost::HoveredHotspot(name); }
std::vector<cKestruneImage*> cKestruneEngineGraphicsHost::SceneOverlaysNamed(const char* name) { return cKestruneGraphicsHost::SceneOverlaysNamed(name); }
