#include "engine/world/world_host.h"

#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_scene.h"
#include "platform/crt/crt_io.h"

namespace {
cKestruneWorldHost g_baseHost;
cKestruneWorldHost* g_host = nullptr;
} // namespace

void SetWorldHost(cKestruneWorldHost* host) { g_host = host; }
cKestruneWorldHost& WorldHost() { return g_host ? *g_host : g_baseHost; }

bool cKestruneWorldHost::HasPlayer() { return false; }
bool cKestruneWorldHost::PlayerPosition(float& x, float& y, float& z)
{
    x = y = z = 0.0f;
    return false;
}
void cKestruneWorldHost::SetPlayerPosition(float, float, float) {}
float cKestruneWorldHost::PlayerFloorHeight(float, float) { return 0.0f; }
void cKestruneWorldHost::BindWalkMaps(cKestruneScene&) {}
void cKestruneWorldHost::UpdatePlayer() {}
void cKestruneWorldHost::UpdateSceneCharacters(cKestruneScene&) {}
void cKestruneWorldHost::ReleasePlayerSceneLinks() {}
bool cKestruneWorldHost::PlayerWalking() { return false; }
bool cKestruneWorldHost::WalkToScreenPoint(int32_t, int32_t, bool) { return false; }
void cKestruneWorldHost::DeleteSceneCharacters(cKestruneScene&) {}
void cKestruneWorldHost::SetCamera(const granny_camera&) {}
void cKestruneWorldHost::ClearSpecialBehavior() {}
void cKestruneWorldHost::ClearLights() {}
void cKestruneWorldHost::PurgeMeshSpriteCache() {}
void cKestruneWorldHost::StopSceneSounds() {}
void cKestruneWorldHost::ReleaseAllTexts() {}
void cKestruneWorldHost::ClearGraphicsObjects() {}
int32_t cKestruneWorldHost::InventoryBarState() { return 0; }
void cKestruneWorldHost::SetInventoryBarState(int32_t) {}
void cKestruneWorldHost::CloseInventoryBar() {}
bool cKestruneWorldHost::InventoryMouseOverItem() { return false; }
int32_t cKestruneWorldHost::HeldItemCursor() { return 0; }
void cKestruneWorldHost::InventoryClick(bool) {}
int32_t cKestruneWorldHost::DialogueState() { return 0; }
void cKestruneWorldHost::ResetDialogue() {}
void cKestruneWorldHost::UpdateDialogue() {}
bool cKestruneWorldHost::MenuOpen() { return false; }
void cKestruneWorldHost::MenuInput() {}
void cKestruneWorldHost::MessengerClick() {}
bool cKestruneWorldHost::MessengerOverPad() { return false; }
bool cKestruneWorldHost::HasScreenControl() { return false; }
bool cKestruneWorldHost::ScreenControlDone() { return true; }
void cKestruneWorldHost::ScreenControlInput() {}
void cKestruneWorldHost::DeleteScreenControl() {}
bool cKestruneWorldHost::HasVideo() { return GraphicsHost().HasVideo(); }
bool cKestruneWorldHost::UpdateHoverHotspot(cKestruneScene&, int32_t, int32_t) { return false; }
bool cKestruneWorldHost::HasHoverHotspot(cKestruneScene&) { return false; }
int32_t cKestruneWorldHost::HoverHotspotCursor(cKestruneScene&) { return 0; }
void cKestruneWorldHost::HotspotUse(cKestruneScene&, bool) {}
void cKestruneWorldHost::HotspotLook(cKestruneScene&, bool) {}
void cKestruneWorldHost::BindExitHotspot(int32_t) {}
void cKestruneWorldHost::SetCursor(int32_t cursor)
{
    if (cKestruneGraphics* const graphics = cKestruneGraphics::Current())
        graphics->cursorIndex = cursor;
}
int32_t cKestruneWorldHost::LetterboxTop() { return BandTop(); }
int32_t cKestruneWorldHost::LetterboxBottom() { return BandBottom(); }
int32_t cKestruneWorldHost::BandTop()
{
    const cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    return graphics ? graphics->band.top : cKestruneGraphics::kBandTop;
}
int32_t cKestruneWorldHost::BandBottom()
{
    const cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    return graphics ? graphics->band.bottom : cKestruneGraphics::kBandBottom;
}
uint32_t cKestruneWorldHost::FrameTime() { return GraphicsHost().FrameTime(); }
void cKestruneWorldHost::TickClock() {}
void cKestruneWorldHost::DropTimers() {}
bool cKestruneWorldHost::ScenePending() { return GraphicsHost().ScenePending(); }
void cKestruneWorldHost::SetPreviousSceneName(const char*) {}
cKestruneScene* cKestruneWorldHost::CurrentScene() { return nullptr; }
bool cKestruneWorldHost::SaveCharacterBlock(uint32_t, const char*, int) { return false; }

void cKestruneWorldHost::LoadCharacterBlock(cKestruneScene&, ScriptValue*, int file, SavegameBlockHeader& header)
{
    _lseek(file, static_cast<long>(header.length), SEEK_CUR);
    ReadSavegameBlockHeader(file, header);
}
void cKestruneWorldHost::TakeProjectItems(const ProjectHeader&) {}
void cKestruneWorldHost::CreateDialogue() {}
void cKestruneWorldHost::DeleteDialogue() {}
void cKestruneWorldHost::DeletePlayer() {}
void cKestruneWorldHost::SetPendingScene(cKestruneScene* scene) { delete scene; }
