// The demo's harbour loaded, entered and drawn by the OpenGL device: its first
// view (the quay) fills the scene band between the black letterbox strips.

#include "tests/engine/render/render_fixture.h"
#include "tests/platform/d3d8/gl_test_window.h"

#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "tools/demo/demo_harbour.h"

#include <cstdlib>

namespace vls::test {
namespace {

class SceneHostForFrame : public FakeHost {
public:
    void SceneSubmit(DynArray<RenderQueueEntry>& list) override { shown->Submit(list); }
    cKestruneScene* shown = nullptr;
};

class HarbourGl : public RenderWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok()) << SDL_GetError();
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
        SetGraphicsHost(&frameHost);
        for (const auto& [name, bytes] : tools::MakeHarbourResources())
            data.Add(name, Bytes(bytes));
        Start();
        ASSERT_TRUE(D3D8IsOpenGLDevice(graphics->device));
        const int32_t slot = files->Open("harbour.scene");
        ASSERT_GT(slot, 0);
        ASSERT_EQ(harbour.Load(slot), 0);
        files->Close(slot);
        harbour.Enter(0);
        frameHost.shown = &harbour;
        frameHost.scene = true;
    }
    void TearDown() override
    {
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    static DWORD At(const std::vector<DWORD>& pixels, int x, int y) { return pixels[size_t(y) * 1024 + x] & 0xFFFFFF; }

    GlTestWindow window;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    SceneHostForFrame frameHost;
    cKestruneScene harbour;
};

TEST_F(HarbourGl, TheQuayFillsTheBandBetweenTheLetterbox)
{
    ASSERT_EQ(harbour.views.count, 3) << "the quay, the pier and the spyglass close-up";
    EXPECT_STREQ(harbour.currentView->Name(), "harbour_quay");
    graphics->RenderFrame();
    const std::vector<DWORD> pixels = FrontBufferPixels(graphics->device);
    const char* folder = std::getenv("VEILSTRAND_TEST_DATA");
    EXPECT_EQ(graphics->SaveScreenshot((std::string(folder ? folder : ".") + "/harbour_quay.bmp").c_str()), 0);

    EXPECT_EQ(At(pixels, 512, 60), 0x000000u) << "the letterbox above";
    EXPECT_EQ(At(pixels, 512, 700), 0x000000u) << "the letterbox below";
    const DWORD sky = At(pixels, 100, 130);
    EXPECT_GT(sky & 0xFF, (sky >> 16) & 0xFF) << "a blue evening sky at the top of the band";
    const DWORD stone = At(pixels, 100, 128 + 400);
    EXPECT_GT((stone >> 16) & 0xFF, 0x60u) << "the grey quay at the lower left";
    EXPECT_NEAR(static_cast<int>((stone >> 16) & 0xFF), static_cast<int>(stone & 0xFF), 0x30);
    const DWORD lamp = At(pixels, 880, 128 + 90);
    EXPECT_GT((lamp >> 16) & 0xFF, 0xE0u) << "the lighthouse's lamp";
    EXPECT_GT((lamp >> 8) & 0xFF, 0xC0u);
}

}  // namespace
}  // namespace vls::test
