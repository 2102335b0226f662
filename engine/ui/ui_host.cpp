#include "engine/ui/ui_host.h"

#include "engine/render/graphics_host.h"
#include "engine/world/kestrune_gameplay.h"

namespace {
cKestruneUiHost g_baseHost;
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
void cKestruneUiHost::AddTimer(cKestruneScript*, const char*, float) {}
int32_t cKestruneUiHost::Subtitle() { return 0; }
ObjectHandle cKestruneUiHost::PlayerCharacter() { return kNoObject; }
ObjectHandle cKestruneUiHost::CharacterHandle(const cKestruneCharacter*) { return kNoObject; }
uint32_t cKestruneUiHost::TextColour(ObjectHandle) { return 0xFFFFFFFF; }
bool cKestruneUiHost::PlaySpeech(const char*, ObjectHandle) { return false; }
bool cKestruneUiHost::SpeechDone() { return true; }
void cKestruneUiHost::StopSpeech() {}
void cKestruneUiHost::StartLipSync(ObjectHandle, const char*) {}
void cKestruneUiHost::StopPlayerWalk() {}
ObjectHandle cKestruneUiHost::CreateHead(const char*, uint32_t) { return kNoObject; }
void cKestruneUiHost::DeleteHead(ObjectHandle) {}
void cKestruneUiHost::RenderHead(ObjectHandle) {}
void cKestruneUiHost::CentreOnBrows(ObjectHandle) {}
void cKestruneUiHost::RenderCloseUp(ObjectHandle) {}
void cKestruneUiHost::ShowHints(bool) {}
void cKestruneUiHost::CacheMeshSprite(const char*) {}
void cKestruneUiHost::RunProjectFunction(const char*) {}
