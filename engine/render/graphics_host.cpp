#include "engine/render/graphics_host.h"

#include "engine/script/kestrune_script.h"

#include <unistd.h>

namespace {
cKestruneNullGraphicsHost gDefaultHost;
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

HWND cKestruneNullGraphicsHost::Window() { return nullptr; }
int32_t cKestruneNullGraphicsHost::SimpleShadows() { return 0; }
int32_t cKestruneNullGraphicsHost::Antialiasing() { return 0; }
int32_t cKestruneNullGraphicsHost::Gamma() { return 127; }
int32_t cKestruneNullGraphicsHost::SFXVolume() { return 255; }
uint32_t cKestruneNullGraphicsHost::FrameTime() { return 0; }
float cKestruneNullGraphicsHost::FrameSeconds() { return 0.0f; }
float cKestruneNullGraphicsHost::FrameDeltaSeconds() { return 0.0f; }
float cKestruneNullGraphicsHost::CameraNear() { return 1.0f; }
float cKestruneNullGraphicsHost::CameraFar() { return 1000.0f; }

void cKestruneNullGraphicsHost::GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection)
{
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&projection);
}

void cKestruneNullGraphicsHost::CollectMeshSprites(DynArray<RenderQueueEntry>&) {}
void cKestruneNullGraphicsHost::RenderMeshSprite(void*, const D3DXMATRIX&, int32_t) {}

void cKestruneNullGraphicsHost::MeshSpriteFrame(void*, D3DXVECTOR3& position, D3DXVECTOR3& up)
{
    position = D3DXVECTOR3(0, 0, 0);
    up = D3DXVECTOR3(0, 1, 0);
}

void cKestruneNullGraphicsHost::ReleaseSkinBuffers() {}
void cKestruneNullGraphicsHost::RecreateSkinBuffers() {}
bool cKestruneNullGraphicsHost::HasVideo() { return false; }
void cKestruneNullGraphicsHost::VideoUpdate() {}
bool cKestruneNullGraphicsHost::VideoRealtime() { return false; }
void cKestruneNullGraphicsHost::VideoDraw(int32_t) {}
void cKestruneNullGraphicsHost::GameplayUpdate() {}
uint32_t cKestruneNullGraphicsHost::GameState() { return 0; }
bool cKestruneNullGraphicsHost::HasScene() { return false; }
void cKestruneNullGraphicsHost::SceneSubmit(DynArray<RenderQueueEntry>&) {}
bool cKestruneNullGraphicsHost::GetMirrorView(KestruneMirrorView&) { return false; }
int32_t cKestruneNullGraphicsHost::MouseX() { return 0; }
int32_t cKestruneNullGraphicsHost::MouseY() { return 0; }
int32_t cKestruneNullGraphicsHost::FadeActive() { return 0; }
uint32_t cKestruneNullGraphicsHost::FadeStart() { return 0; }
float cKestruneNullGraphicsHost::FadeRate() { return 1.0f; }
bool cKestruneNullGraphicsHost::ScenePending() { return false; }
bool cKestruneNullGraphicsHost::LoadRequested() { return false; }
bool cKestruneNullGraphicsHost::Inactive() { return false; }
void cKestruneNullGraphicsHost::PumpMessages() {}
void cKestruneNullGraphicsHost::Sleep(uint32_t milliseconds) { usleep(milliseconds * 1000); }

void* cKestruneNullGraphicsHost::HoveredHotspot(const char** name)
{
    if (name) *name = nullptr;
    return nullptr;
}

void cKestruneNullGraphicsHost::MessengerRender() {}
void cKestruneNullGraphicsHost::HintsRender() {}
void cKestruneNullGraphicsHost::InventoryBarRender() {}
bool cKestruneNullGraphicsHost::HasScreenControl() { return false; }
void cKestruneNullGraphicsHost::ScreenControlRender() {}
bool cKestruneNullGraphicsHost::MenuOpen() { return false; }
void cKestruneNullGraphicsHost::MenuRender() {}
int32_t cKestruneNullGraphicsHost::DialogueState() { return 0; }
const void* cKestruneNullGraphicsHost::TakeDialogueHighlight() { return nullptr; }
cKestruneImage* cKestruneNullGraphicsHost::HandItemIcon() { return nullptr; }
int32_t cKestruneNullGraphicsHost::HandItemCursor() { return -1; }
std::vector<cKestruneImage*> cKestruneNullGraphicsHost::SceneOverlaysNamed(const char*) { return {}; }

void cKestruneGraphicsHost::RunScript(cKestruneScript* script, const char* function)
{
    if (script) script->Run(function);
}
