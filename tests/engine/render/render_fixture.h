#pragma once

// A data folder, the datafile file system, the graphics object on the
// recording device and the fonts, with a host whose members are fakes that
// log what the frame asks of them.

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "platform/d3d8/d3d8_recording.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"
#include "tools/image_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vls::test {

class ReportLog : public cKestruneEngineLink {
public:
    struct Report {
        std::string module;
        std::string where;
        std::string text;
        int fatal;
    };
    ReportLog() { SetEngineLink(this); }
    ~ReportLog() override { SetEngineLink(nullptr); }
    char* GetErrorText() override { return text_; }
    int Error(const char* module, const char* where, int fatal) override
    {
        reports.push_back({module, where, text_, fatal});
        return 0;
    }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts_; }
    bool Has(const std::string& text) const
    {
        for (const auto& r : reports)
            if (r.text.find(text) != std::string::npos) return true;
        return false;
    }

    std::vector<Report> reports;

private:
    char text_[kErrorTextSize] = {};
    DynArray<cKestruneScript*> scripts_;
};

class FakeHost : public cKestruneNullGraphicsHost {
public:
    int32_t SimpleShadows() override { return simpleShadows; }
    int32_t Antialiasing() override { return antialiasing; }
    int32_t Gamma() override { return gamma; }
    uint32_t FrameTime() override { return now; }
    float CameraNear() override { return nearPlane; }
    float CameraFar() override { return farPlane; }
    void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) override
    {
        log.push_back("GetCamera");
        cKestruneNullGraphicsHost::GetCamera(view, projection);
    }
    void CollectMeshSprites(DynArray<RenderQueueEntry>& list) override
    {
        log.push_back("CollectMeshSprites");
        for (void* sprite : meshSprites) list.Add(RenderQueueEntry{5.0f, sprite, kRenderKindMeshSprite});
    }
    void RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow) override
    {
        log.push_back("RenderMeshSprite " + std::to_string(reinterpret_cast<uintptr_t>(sprite)) + " " +
                      std::to_string(withShadow) + (D3DXMatrixIsIdentity(&world) ? " identity" : " mirrored"));
    }
    void ReleaseSkinBuffers() override { log.push_back("ReleaseSkinBuffers"); }
    void RecreateSkinBuffers() override { log.push_back("RecreateSkinBuffers"); }
    bool HasVideo() override { return video; }
    void VideoUpdate() override { log.push_back("VideoUpdate"); }
    bool VideoRealtime() override { return realtime; }
    void VideoDraw(int32_t withSubtitles) override { log.push_back("VideoDraw " + std::to_string(withSubtitles)); }
    void GameplayUpdate() override { log.push_back("GameplayUpdate"); }
    uint32_t GameState() override { return gameState; }
    bool HasScene() override { return scene; }
    void SceneSubmit(DynArray<RenderQueueEntry>& list) override
    {
        log.push_back("SceneSubmit");
        for (cKestruneImage* image : sceneImages) image->Submit(list);
    }
    bool GetMirrorView(KestruneMirrorView& view) override
    {
        if (!mirror.mirrorLayer) return false;
        view = mirror;
        return true;
    }
    int32_t MouseX() override { return mouseX; }
    int32_t MouseY() override { return mouseY; }
    int32_t FadeActive() override { return fadeActive; }
    uint32_t FadeStart() override { return fadeStart; }
    float FadeRate() override { return fadeRate; }
    bool ScenePending() override { return scenePending; }
    bool LoadRequested() override { return loadRequested; }
    bool Inactive() override { return inactiveTurns > 0; }
    void PumpMessages() override
    {
        log.push_back("PumpMessages");
        --inactiveTurns;
    }
    void Sleep(uint32_t ms) override { log.push_back("Sleep " + std::to_string(ms)); }
    void* HoveredHotspot(const char** name) override
    {
        *name = hotspotName.c_str();
        return hotspot;
    }
    void MessengerRender() override { log.push_back("MessengerRender"); }
    void HintsRender() override { log.push_back("HintsRender"); }
    void InventoryBarRender() override { log.push_back("InventoryBarRender"); }
    bool HasScreenControl() override { return screenControl; }
    void ScreenControlRender() override { log.push_back("ScreenControlRender"); }
    bool MenuOpen() override { return menuOpen; }
    void MenuRender() override { log.push_back("MenuRender"); }
    int32_t DialogueState() override { return dialogueState; }
    const void* TakeDialogueHighlight() override
    {
        if (!highlight) return nullptr;
        highlight = false;
        log.push_back("DialogueHighlight");
        return highlightVertices;
    }
    cKestruneImage* HandItemIcon() override { return handIcon; }
    int32_t HandItemCursor() override { return handCursor; }
    // Callers pass a gone script as null; it is skipped, as the engine does.
    void RunScript(cKestruneScript* script, const char* function) override
    {
        if (!script) return;
        log.push_back(std::string("RunScript ") + function);
        runs.push_back({script, function});
    }

    int32_t simpleShadows = 0, antialiasing = 0, gamma = 127;
    uint32_t now = 0;
    float nearPlane = 1.0f, farPlane = 100.0f;
    std::vector<void*> meshSprites;
    bool video = false, realtime = false, scene = false;
    uint32_t gameState = 0x3;
    std::vector<cKestruneImage*> sceneImages;
    KestruneMirrorView mirror;
    int32_t mouseX = 500, mouseY = 300;
    int32_t fadeActive = 0;
    uint32_t fadeStart = 0;
    float fadeRate = 1.0f;
    bool scenePending = false, loadRequested = false;
    int inactiveTurns = 0;
    void* hotspot = nullptr;
    std::string hotspotName;
    bool screenControl = false, menuOpen = false;
    int32_t dialogueState = 0;
    bool highlight = false;
    KestruneScreenVertex highlightVertices[4] = {};
    cKestruneImage* handIcon = nullptr;
    int32_t handCursor = -1;
    std::vector<std::string> log;
    std::vector<std::pair<cKestruneScript*, std::string>> runs;
};

// A picture of one colour, or a few bands of colours.
inline tools::Picture Solid(uint32_t w, uint32_t h, uint32_t argb) { return tools::Picture(w, h, argb); }

// What the device last presented, 1024 x 768 pixels of 0xAARRGGBB.
inline std::vector<DWORD> FrontBufferPixels(IDirect3DDevice8* device)
{
    IDirect3DSurface8* surface = nullptr;
    device->CreateImageSurface(1024, 768, D3DFMT_A8R8G8B8, &surface);
    device->GetFrontBuffer(surface);
    D3DLOCKED_RECT locked{};
    surface->LockRect(&locked, nullptr, 0);
    std::vector<DWORD> pixels(static_cast<const DWORD*>(locked.pBits), static_cast<const DWORD*>(locked.pBits) + 1024 * 768);
    surface->UnlockRect();
    surface->Release();
    return pixels;
}

inline std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

inline std::string ImageBytes(const tools::Picture& picture, int32_t x = 0, int32_t y = 0, float depth = 10.0f,
                              uint8_t alpha = 0, uint32_t pixelType = kImagePixelsRaw)
{
    KestruneImageHeader header;
    header.x = x;
    header.y = y;
    header.depth = depth;
    header.alpha = alpha;
    header.pixelType = pixelType;
    return Bytes(tools::WriteImage(header, {picture}));
}

class RenderWorld : public ::testing::Test {
protected:
    RenderWorld() : previous_(std::filesystem::current_path())
    {
        D3D8ResetTestOptions();
        std::filesystem::current_path(work_.path());
        SetGraphicsHost(&host);
    }
    ~RenderWorld() override
    {
        fonts.reset();
        graphics.reset();
        files.reset();
        SetGraphicsHost(nullptr);
        D3D8ResetTestOptions();
        std::filesystem::current_path(previous_);
    }

    // Writes the data folder and starts the file system and the device.
    void Start()
    {
        ASSERT_TRUE(data.Write(work_.path()));
        files = std::make_unique<cKestruneFileSystem>();
        graphics = std::make_unique<cKestruneGraphics>();
        fonts = std::make_unique<cKestruneFonts>();
    }

    vls::d3d8::D3D8Device& Device() { return *D3D8DeviceOf(graphics->device); }

    // A loaded image from a data file, or null.
    std::unique_ptr<cKestruneImage> LoadImage(const char* name)
    {
        const int32_t slot = files->Open(name);
        if (slot < 0) return nullptr;
        auto image = std::make_unique<cKestruneImage>(0);
        const int32_t result = image->Load(slot);
        files->Close(slot);
        return result == 0 ? std::move(image) : nullptr;
    }

    // The calls of the last presented frame with the given name.
    std::vector<vls::d3d8::D3D8Call> LastFrame(const std::string& name = {})
    {
        std::vector<vls::d3d8::D3D8Call> out;
        if (Device().Frames().empty()) return out;
        for (const auto& call : Device().Frames().back())
            if (name.empty() || call.name == name) out.push_back(call);
        return out;
    }

    ScopedConfig config_;
    TempDir work_;
    std::filesystem::path previous_;
    ReportLog reports;
    FakeHost host;
    tools::ArchiveBuilder data;
    std::unique_ptr<cKestruneFileSystem> files;
    std::unique_ptr<cKestruneGraphics> graphics;
    std::unique_ptr<cKestruneFonts> fonts;
};

} // namespace vls::test
