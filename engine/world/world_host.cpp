#include "engine/world/world_host.h"

#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_scene.h"
#include "platform/crt/crt_io.h"

namespace {
cKestruneNullWorldHost g_baseHost;
cKestruneWorldHost* g_host = nullptr;
} // namespace

void SetWorldHost(cKestruneWorldHost* host) { g_host = host; }
cKestruneWorldHost& WorldHost() { return g_host ? *g_host : g_baseHost; }

bool cKestruneNullWorldHost::HasPlayer() { return false; }
bool cKestruneNullWorldHost::PlayerPosition(float& x, float& y, float& z)
{
    x = y = z = 0.0f;
    return false;
}
void cKestruneNullWorldHost::SetPlayerPosition(float, float, float) {}
float cKestruneNullWorldHost::PlayerFloorHeight(float, float) { return 0.0f; }
void cKestruneNullWorldHost::BindWalkMaps(cKestruneScene&) {}
void cKestruneNullWorldHost::UpdatePlayer() {}
void cKestruneNullWorldHost::UpdateSceneCharacters(cKestruneScene&) {}
void cKestruneNullWorldHost::ReleasePlayerSceneLinks() {}
bool cKestruneNullWorldHost::PlayerWalking() { return false; }
bool cKestruneNullWorldHost::WalkToScreenPoint(int32_t, int32_t, bool) { return false; }
void cKestruneNullWorldHost::DeleteSceneCharacters(cKestruneScene&) {}
void cKestruneNullWorldHost::SetCamera(const granny_camera&) {}
void cKestruneNullWorldHost::ClearSpecialBehavior() {}
void cKestruneNullWorldHost::ClearLights() {}
void cKestruneNullWorldHost::PurgeMeshSpriteCache() {}
void cKestruneNullWorldHost::StopSceneSounds() {}
void cKestruneNullWorldHost::ReleaseAllTexts() {}
void cKestruneNullWorldHost::ClearGraphicsObjects() {}
int32_t cKestruneNullWorldHost::InventoryBarState() { return 0; }
void cKestruneNullWorldHost::SetInventoryBarState(int32_t) {}
void cKestruneNullWorldHost::CloseInventoryBar() {}
bool cKestruneNullWorldHost::InventoryMouseOverItem() { return false; }
int32_t cKestruneNullWorldHost::HeldItemCursor() { return 0; }
void cKestruneNullWorldHost::InventoryClick(bool) {}
int32_t cKestruneNullWorldHost::DialogueState() { return 0; }
void cKestruneNullWorldHost::ResetDialogue() {}
void cKestruneNullWorldHost::UpdateDialogue() {}
bool cKestruneNullWorldHost::MenuOpen() { return false; }
void cKestruneNullWorldHost::MenuInput() {}
void cKestruneNullWorldHost::MessengerClick() {}
bool cKestruneNullWorldHost::MessengerOverPad() { return false; }
bool cKestruneNullWorldHost::HasScreenControl() { return false; }
bool cKestruneNullWorldHost::ScreenControlDone() { return true; }
void cKestruneNullWorldHost::ScreenControlInput() {}
void cKestruneNullWorldHost::DeleteScreenControl() {}
bool cKestruneWorldHost::HasVideo() { return GraphicsHost().HasVideo(); }
bool cKestruneNullWorldHost::UpdateHoverHotspot(cKestruneScene&, int32_t, int32_t) { return false; }
bool cKestruneNullWorldHost::HasHoverHotspot(cKestruneScene&) { return false; }
int32_t cKestruneNullWorldHost::HoverHotspotCursor(cKestruneScene&) { return 0; }
void cKestruneNullWorldHost::HotspotUse(cKestruneScene&, bool) {}
void cKestruneNullWorldHost::HotspotLook(cKestruneScene&, bool) {}
void cKestruneNullWorldHost::BindExitHotspot(int32_t) {}
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
void cKestruneNullWorldHost::TickClock() {}
void cKestruneNullWorldHost::DropTimers() {}
bool cKestruneWorldHost::ScenePending() { return GraphicsHost().ScenePending(); }
void cKestruneNullWorldHost::SetPreviousSceneName(const char*) {}
cKestruneScene* cKestruneNullWorldHost::CurrentScene() { return nullptr; }
bool cKestruneNullWorldHost::SaveCharacterBlock(uint32_t, const char*, int) { return false; }

void cKestruneNullWorldHost::LoadCharacterBlock(cKestruneScene&, ScriptValue*, int file, SavegameBlockHeader& header)
{
    _lseek(file, static_cast<long>(header.length), SEEK_CUR);
    ReadSavegameBlockHeader(file, header);
}
void cKestruneNullWorldHost::TakeProjectItems(const ProjectHeader&) {}
void cKestruneNullWorldHost::CreateDialogue() {}
void cKestruneNullWorldHost::DeleteDialogue() {}
void cKestruneNullWorldHost::DeletePlayer() {}
void cKestruneNullWorldHost::SetPendingScene(cKestruneScene* scene) { delete scene; }
