#include "engine/render/graphics_host.h"

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"

#include <unistd.h>

namespace {
cKestruneGraphicsHost gDefaultHost;
cKestruneGraphicsHost* gHost = nullptr;
}  // namespace

void SetGraphicsHost(cKestruneGraphicsHost* host) { gHost = host; }
cKestruneGraphicsHost& GraphicsHost() { return gHost ? *gHost : gDefaultHost; }

double GraphicsSecondsSince(uint32_t t, float factor)
{
    const uint32_t now = GraphicsHost().FrameTime();
    // The single-precision 0.001 widened to double, as the frame clock uses it.
    return t <= now ? (now - t) * static_cast<double>(0.001f) * factor : 0.0;
}

HWND cKestruneGraphicsHost::Window() { return nullptr; }
int32_t cKestruneGraphicsHost::SimpleShadows() { return 0; }
int32_t cKestruneGraphicsHost::Antialiasing() { return 0; }
int32_t cKestruneGraphicsHost::Gamma() { return 127; }
int32_t cKestruneGraphicsHost::SFXVolume() { return 255; }
uint32_t cKestruneGraphicsHost::FrameTime() { return 0; }
float cKestruneGraphicsHost::FrameSeconds() { return 0.0f; }
float cKestruneGraphicsHost::FrameDeltaSeconds() { return 0.0f; }
float cKestruneGraphicsHost::CameraNear() { return 1.0f; }
float cKestruneGraphicsHost::CameraFar() { return 1000.0f; }

void cKestruneGraphicsHost::GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection)
{
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&projection);
}

void cKestruneGraphicsHost::CollectMeshSprites(DynArray<RenderQueueEntry>&) {}
void cKestruneGraphicsHost::RenderMeshSprite(void*, const D3DXMATRIX&, int32_t) {}

void cKestruneGraphicsHost::MeshSpriteFrame(void*, D3DXVECTOR3& position, D3DXVECTOR3& up)
{
    position = D3DXVECTOR3(0, 0, 0);
    up = D3DXVECTOR3(0, 1, 0);
}

void cKestruneGraphicsHost::ReleaseSkinBuffers() {}
void cKestruneGraphicsHost::RecreateSkinBuffers() {}
bool cKestruneGraphicsHost::HasVideo() { return false; }
void cKestruneGraphicsHost::VideoUpdate() {}
bool cKestruneGraphicsHost::VideoRealtime() { return false; }
void cKestruneGraphicsHost::VideoDraw(int32_t) {}
void cKestruneGraphicsHost::GameplayUpdate() {}
uint32_t cKestruneGraphicsHost::GameState() { return 0; }
bool cKestruneGraphicsHost::HasScene() { return false; }
void cKestruneGraphicsHost::SceneSubmit(DynArray<RenderQueueEntry>&) {}
bool cKestruneGraphicsHost::GetMirrorView(KestruneMirrorView&) { return false; }
int32_t cKestruneGraphicsHost::MouseX() { return 0; }
int32_t cKestruneGraphicsHost::MouseY() { return 0; }
int32_t cKestruneGraphicsHost::FadeActive() { return 0; }
uint32_t cKestruneGraphicsHost::FadeStart() { return 0; }
float cKestruneGraphicsHost::FadeRate() { return 1.0f; }
bool cKestruneGraphicsHost::ScenePending() { return false; }
bool cKestruneGraphicsHost::LoadRequested() { return false; }
bool cKestruneGraphicsHost::Inactive() { return false; }
void cKestruneGraphicsHost::PumpMessages() {}
void cKestruneGraphicsHost::Sleep(uint32_t milliseconds) { usleep(milliseconds * 1000); }

void* cKestruneGraphicsHost::HoveredHotspot(const char** name)
{
    if (name) *name = nullptr;
    return nullptr;
}

void cKestruneGraphicsHost::MessengerRender() {}
void cKestruneGraphicsHost::HintsRender() {}
void cKestruneGraphicsHost::InventoryBarRender() {}
bool cKestruneGraphicsHost::HasScreenControl() { return false; }
void cKestruneGraphicsHost::ScreenControlRender() {}
bool cKestruneGraphicsHost::MenuOpen() { return false; }
void cKestruneGraphicsHost::MenuRender() {}
int32_t cKestruneGraphicsHost::DialogueState() { return 0; }
const void* cKestruneGraphicsHost::TakeDialogueHighlight() { return nullptr; }
cKestruneImage* cKestruneGraphicsHost::HandItemIcon() { return nullptr; }
int32_t cKestruneGraphicsHost::HandItemCursor() { return -1; }
std::vector<cKestruneImage*> cKestruneGraphicsHost::SceneOverlaysNamed(const char*) { return {}; }

void cKestruneGraphicsHost::RunScript(cKestruneScript* script, const char* function)
{
    if (script && IsLiveScript(script)) script->Run(function);
}
