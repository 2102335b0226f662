#include "engine/ui/ui_host.h"

#include "engine/render/graphics_host.h"
#include "engine/world/kestrune_gameplay.h"

namespace {
cKestruneNullUiHost g_baseHost;
cKestruneUiHost* g_host = nullptr;
} // namespace

uint32_t& UiGameState()
{
    static uint32_t scratch = 0;
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    return gameplay ? gameplay->gameState : scratch;
}

void SetUiHost(cKestruneUiHost* host) { g_host = host; }
cKestruneUiHost& UiHost() { return g_host ? *g_host : g_baseHost; }

uint32_t cKestruneUiHost::FrameTime() { return GraphicsHost().FrameTime(); }
float cKestruneUiHost::FrameSeconds() { return GraphicsHost().FrameSeconds(); }
float cKestruneUiHost::FrameDeltaSeconds() { return GraphicsHost().FrameDeltaSeconds(); }
void cKestruneNullUiHost::AddTimer(cKestruneScript*, const char*, float) {}
int32_t cKestruneNullUiHost::Subtitle() { return 0; }
ObjectHandle cKestruneNullUiHost::PlayerCharacter() { return kNoObject; }
ObjectHandle cKestruneNullUiHost::CharacterHandle(const cKestruneCharacter*) { return kNoObject; }
uint32_t cKestruneNullUiHost::TextColour(ObjectHandle) { return 0xFFFFFFFF; }
bool cKestruneNullUiHost::PlaySpeech(const char*, ObjectHandle) { return false; }
bool cKestruneNullUiHost::SpeechDone() { return true; }
void cKestruneNullUiHost::StopSpeech() {}
void cKestruneNullUiHost::StartLipSync(ObjectHandle, const char*) {}
void cKestruneNullUiHost::StopPlayerWalk() {}
ObjectHandle cKestruneNullUiHost::CreateHead(const char*, uint32_t) { return kNoObject; }
void cKestruneNullUiHost::DeleteHead(ObjectHandle) {}
void cKestruneNullUiHost::RenderHead(ObjectHandle) {}
void cKestruneNullUiHost::CentreOnBrows(ObjectHandle) {}
void cKestruneNullUiHost::RenderCloseUp(ObjectHandle) {}
void cKestruneNullUiHost::ShowHints(bool) {}
void cKestruneNullUiHost::CacheMeshSprite(const char*) {}
void cKestruneNullUiHost::RunProjectFunction(const char*) {}
