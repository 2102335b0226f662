#include "engine/ui/kestrune_screen_control.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/script/kestrune_script.h"

#include <cstring>

using namespace screen_control;

namespace {

constexpr int32_t kBackgroundAlpha = 240;
constexpr float kBandBottom = 640.0f;
constexpr float kMaskOffsetX = 138.0f;
constexpr float kMaskOffsetY = 92.0f;
constexpr int32_t kFlameOffsetX = 128;
constexpr int32_t kFlameOffsetY = 116;

// The mask quad has two coordinate sets: x, y, z, rhw, colour, u, v, u2, v2.
struct TwoSetVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v, u2, v2;
};

cKestruneImage* LoadMask(const std::string& name)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    if (!files || !files->Exists(name.c_str()))
        return nullptr;
    const int32_t slot = files->Open(name.c_str());
    if (slot <= 0)
        return nullptr;
    auto* image = new cKestruneImage(1);
    if (image->Load(slot) != 0) {
        delete image;
        image = nullptr;
    }
    files->Close(slot);
    return image;
}

} // namespace

cKestruneLighterControl::cKestruneLighterControl(const char* backgroundName, const char* maskName,
                                                 const char* glowName, const char* flameName,
                                                 cKestruneScript* caller, const char* resumePoint)
    : script(caller), resume(resumePoint)
{
    background = LoadLooping(std::string(backgroundName) + ".image");
    if (background)
        background->SetAlpha(kBackgroundAlpha);
    mask = LoadMask(std::string(maskName) + ".image");
    glow = LoadLooping(std::string(glowName) + ".image");
    flame = LoadLooping(std::string(flameName) + ".image");
    exitHotspot.MakeScreenFrameHotspot(kExitBorder, 0);
}

cKestruneLighterControl::~cKestruneLighterControl()
{
    delete background;
    delete mask;
    delete glow;
    delete flame;
}

void cKestruneLighterControl::Input()
{
    const int32_t x = MouseX(), y = MouseY();
    overExit = ScreenHotspotContains(exitHotspot, x, y);
    if (TakeClick(true) && overExit) {
        // The script was not suspended for the control: it ran on past the
        // call, so the resume gives the code after the call its result again.
        cKestruneScript* const target = script.Get();
        script = nullptr;
        if (target && resume.GetLength() > 0)
            target->RunAfterCall(resume.GetText(), callResult);
        done = 1;
    }
    SetCursor(overExit ? kCursorExit : kCursorNone);
    MoveMask(x, y);
    if (flame)
        flame->SetPosition(x - kFlameOffsetX, y - kFlameOffsetY, -1, -1);
}

void cKestruneLighterControl::MoveMask(int32_t mouseX, int32_t mouseY)
{
    if (!mask || !mask->vertexBuffer || mask->header.width == 0 || mask->header.height == 0)
        return;
    const float w = static_cast<float>(mask->header.width), h = static_cast<float>(mask->header.height);
    const float cu = 2.0f * (1024.0f - mask->header.x - mouseX - kMaskOffsetX) / w;
    const float cv = 2.0f * (kBandBottom - mask->header.y - mouseY - kMaskOffsetY) / h;
    const float coordinates[4][2] = {{cu - 1, cv + 1}, {cu + 1, cv + 1}, {cu - 1, cv - 1}, {cu + 1, cv - 1}};
    BYTE* bits = nullptr;
    if (FAILED(mask->vertexBuffer->Lock(0, 0, &bits, 0)) || !bits)
        return;
    for (int i = 0; i < 4; ++i) {
        TwoSetVertex vertex;
        std::memcpy(&vertex, bits + i * sizeof vertex, sizeof vertex);
        vertex.u2 = coordinates[i][0];
        vertex.v2 = coordinates[i][1];
        std::memcpy(bits + i * sizeof vertex, &vertex, sizeof vertex);
    }
    mask->vertexBuffer->Unlock();
}

void cKestruneLighterControl::Render()
{
    DrawBackdrop();
    if (background) {
        background->vertexAlpha = 0;
        background->Render(1);
    }
    if (!overExit) {
        if (flame)
            flame->Render(1);
        if (background) {
            background->vertexAlpha = 1;
            background->Render(0);
            background->vertexAlpha = 0;
        }
    }
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    IDirect3DDevice8* const device = graphics ? graphics->device : nullptr;
    if (!mask || !glow || !device || !mask->vertexBuffer)
        return;
    mask->Update();
    glow->Update();
    device->SetTexture(0, mask->frames.count > 0 ? mask->frames.At(mask->currentFrame) : nullptr);
    device->SetTexture(1, glow->frames.count > 0 ? glow->frames.At(glow->currentFrame) : nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    for (DWORD stage = 0; stage < 2; ++stage) {
        device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetVertexShader(kImageFvfTwoSets);
    device->SetStreamSource(0, mask->vertexBuffer, sizeof(TwoSetVertex));
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}
