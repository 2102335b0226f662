#include "engine/render/kestrune_particle_system.h"
#include "tests/engine/render/render_fixture.h"
#include "tools/font_writer.h"

#include <fstream>

namespace vls::test {
namespace {

using Graphics = RenderWorld;

TEST_F(Graphics, DeviceStartChoosesDepthAndMultisampling)
{
    const struct {
        int32_t simpleShadows, antialiasing;
        bool depth24, ms2, ms4;
        D3DFORMAT depth;
        int32_t stencil, samples;
        const char* log;
    } cases[] = {
        {0, 4, true, true, true, D3DFMT_D24S8, 8, 4, "Depth/Stencil Buffer is D24S8.\nAntiAliasing is 4.\n"},
        // A rejected 4 does not fall back to 2.
        {0, 4, true, true, false, D3DFMT_D24S8, 8, 0, "Depth/Stencil Buffer is D24S8.\nAntiAliasing is 0.\n"},
        {0, 2, true, true, true, D3DFMT_D24S8, 8, 2, "Depth/Stencil Buffer is D24S8.\nAntiAliasing is 2.\n"},
        {0, 3, true, true, true, D3DFMT_D24S8, 8, 0, "Depth/Stencil Buffer is D24S8.\nAntiAliasing is 0.\n"},
        // Simple shadows take D16 even when D24S8 matches.
        {1, 0, true, true, true, D3DFMT_D16, 0, 0, "Depth/Stencil Buffer is D16.\nAntiAliasing is 0.\n"},
        {0, 0, false, true, true, D3DFMT_D16, 0, 0, "Depth/Stencil Buffer is D16.\nAntiAliasing is 0.\n"},
    };
    ASSERT_TRUE(data.Write(work_.path()));
    for (const auto& c : cases) {
        D3D8ResetTestOptions();
        D3D8TestOptions().depth24s8 = c.depth24;
        D3D8TestOptions().multisample2 = c.ms2;
        D3D8TestOptions().multisample4 = c.ms4;
        host.simpleShadows = c.simpleShadows;
        host.antialiasing = c.antialiasing;
        testing::internal::CaptureStdout();
        cKestruneGraphics g;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.log);
        ASSERT_EQ(g.ok, 1u);
        EXPECT_EQ(g.presentParams.AutoDepthStencilFormat, c.depth);
        EXPECT_EQ(g.stencilBits, c.stencil);
        EXPECT_EQ(g.multisampleType, c.samples);
        EXPECT_EQ(g.presentParams.SwapEffect, c.samples == 0 ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(g.presentParams.FullScreen_PresentationInterval, 0x80000000u);
        EXPECT_EQ(g.presentParams.BackBufferWidth, 1024u);
        EXPECT_EQ(g.band.top, 128);
        EXPECT_EQ(g.band.bottom, 640);
    }
}

TEST_F(Graphics, DeviceStartFailuresAreFatalReports)
{
    ASSERT_TRUE(data.Write(work_.path()));
    const struct {
        std::function<void(D3D8Options&)> set;
        const char* message;
    } cases[] = {
        {[](D3D8Options& o) { o.depth24s8 = o.depth16 = false; },
         "Direct3D init failed. No appropriate Depth/Stencil-Buffer-Format found."},
        {[](D3D8Options& o) { o.createDeviceResult = D3DERR_OUTOFVIDEOMEMORY; },
         "Direct3D init failed. Code: (8876017c)\nDirect3D does not have enough display memory to perform the operation."},
        {[](D3D8Options& o) { o.createDeviceResult = D3DERR_NOTAVAILABLE; },
         "Direct3D init failed. Code: (8876086a)\nThis device does not support the queried technique."},
        {[](D3D8Options& o) { o.createDeviceResult = E_FAIL; }, "Direct3D init failed. Code: (80004005)"},
        {[](D3D8Options& o) { o.displayModeResult = D3DERR_INVALIDCALL; }, "Direct3D init failed. Code: (8876086c)"},
        {[](D3D8Options& o) { o.createFails = true; },
         "Direct3D init failed. Code: (8876086a)\nThis device does not support the queried technique."},
    };
    for (const auto& c : cases) {
        D3D8ResetTestOptions();
        c.set(D3D8TestOptions());
        reports.reports.clear();
        testing::internal::CaptureStdout();
        cKestruneGraphics g;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(g.ok, 0u);
        ASSERT_EQ(reports.reports.size(), 1u) << c.message;
        EXPECT_EQ(reports.reports[0].text, c.message);
        EXPECT_EQ(reports.reports[0].module, "graphics");
        EXPECT_EQ(reports.reports[0].where, "init");
        EXPECT_EQ(reports.reports[0].fatal, 1);
    }
}

TEST_F(Graphics, FixedStatesAndStoredGammaAtStart)
{
    host.gamma = 127;
    Start();
    ASSERT_EQ(graphics->ok, 1u);
    DWORD v = 0;
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } states[] = {{D3DRS_LIGHTING, FALSE},     {D3DRS_COLORVERTEX, FALSE},        {D3DRS_ZFUNC, D3DCMP_LESS},
                  {D3DRS_ALPHATESTENABLE, TRUE}, {D3DRS_ALPHAFUNC, D3DCMP_GREATER}, {D3DRS_ALPHAREF, 8},
                  {D3DRS_AMBIENT, 0xFFFFFFFF}};
    for (const auto& s : states) {
        graphics->device->GetRenderState(s.state, &v);
        EXPECT_EQ(v, s.value) << s.state;
    }
    graphics->device->GetTextureStageState(0, D3DTSS_COLORARG2, &v);
    EXPECT_EQ(v, D3DTA_DIFFUSE);
    EXPECT_EQ(graphics->backBufferDesc.Width, 1024u);

    // The stored gamma is on the device before any options screen ran.
    const D3DGAMMARAMP& ramp = Device().GammaRamp();
    EXPECT_EQ(ramp.red[255], 254 * 256);
    EXPECT_EQ(ramp.green[100], 99 * 256);
    host.gamma = 255;
    graphics->ApplyGamma();
    EXPECT_EQ(Device().GammaRamp().blue[100], 150 * 256);
    EXPECT_EQ(Device().GammaRamp().blue[200], 255 * 256);
    host.gamma = 0;
    graphics->ApplyGamma();
    EXPECT_EQ(Device().GammaRamp().red[255], 127 * 256);
}

TEST(RenderQueue, SortIsFarFirstAndNotStable)
{
    const struct {
        std::vector<float> depths;
        std::vector<int> order;  // submission indexes in drawing order
    } cases[] = {
        {{1, 1, 2}, {2, 1, 0}},
        {{3, 1, 2}, {0, 2, 1}},
        {{1, 2, 3, 4}, {3, 2, 1, 0}},
        {{5, 5, 5}, {0, 1, 2}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        DynArray<RenderQueueEntry> list;
        std::vector<int> ids(c.depths.size());
        for (size_t i = 0; i < c.depths.size(); ++i) {
            ids[i] = static_cast<int>(i);
            list.Add(RenderQueueEntry{c.depths[i], &ids[i], 1});
        }
        SortRenderQueue(list);
        std::vector<int> order;
        for (int32_t i = 0; i < list.count; ++i) order.push_back(*static_cast<int*>(list.data[i].object));
        EXPECT_EQ(order, c.order);
    }
}

class FakeParticles : public cKestruneParticleSystem {
public:
    explicit FakeParticles(std::vector<std::string>& log) : log_(log) { bufferLength = 8; }
    int32_t Render() override
    {
        log_.push_back("Particles");
        return 0;
    }
    int32_t Submit(DynArray<RenderQueueEntry>&) override { return 0; }
    int32_t WriteBlock(int32_t) override { return 0; }
    void Destroy() override
    {
        if (vertexBuffer) vertexBuffer->Release();
        delete this;
    }

private:
    std::vector<std::string>& log_;
};

// The frame clock's seconds: the single-precision 0.001 widened to double,
// as the timer computes them, so fades and animations step with the timer.
TEST_F(Graphics, SecondsSinceUseTheTimersMillisecondFactor)
{
    host.now = 1000 + 333;
    EXPECT_EQ(GraphicsSecondsSince(1000, 3.0f), 333 * static_cast<double>(0.001f) * 3.0);
    EXPECT_NE(GraphicsSecondsSince(1000, 3.0f), 333 * 0.001 * 3.0);
    EXPECT_EQ(GraphicsSecondsSince(2000, 1.0f), 0.0);
}

TEST_F(Graphics, FrameDrawsInItsFixedOrder)
{
    data.Add("blackscreen.image", ImageBytes(Solid(4, 4, 0xFF000000)));
    Start();
    graphics->LoadUIImages(0, 0);
    host.scene = true;
    host.gameState = 0x3;
    host.meshSprites = {reinterpret_cast<void*>(7)};
    host.inactiveTurns = 2;
    host.highlight = true;
    graphics->objects.Add(new FakeParticles(host.log));
    Device().ClearRecord();
    ASSERT_EQ(graphics->RenderFrame(), 0);
    const std::vector<std::string> expected = {
        "GameplayUpdate",     "GetCamera",        "CollectMeshSprites", "SceneSubmit",
        "RenderMeshSprite 7 1 identity",          "Particles",          "MessengerRender",
        "HintsRender",        "InventoryBarRender", "DialogueHighlight", "Sleep 1000",
        "PumpMessages",       "Sleep 1000",       "PumpMessages",
    };
    EXPECT_EQ(host.log, expected);
    ASSERT_EQ(Device().Frames().size(), 1u);
    const auto& frame = Device().Frames()[0];
    EXPECT_EQ(frame.front().name, "Clear");
    EXPECT_EQ(frame.front().args[1], DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL));
    EXPECT_EQ(frame.back().name, "Present");
    // The letterbox: two black quads across the top and bottom strips.
    int bars = 0;
    for (const auto& call : frame) {
        if (call.name != "DrawPrimitive") continue;
        const auto* v = reinterpret_cast<const KestruneImageVertex*>(call.vertices.data());
        if (v[2].x == -2 && v[2].y == -2 && v[1].x == 1026 && v[1].y == 128) ++bars;
        if (v[2].x == -2 && v[2].y == 640 && v[1].x == 1026 && v[1].y == 772) ++bars;
    }
    EXPECT_EQ(bars, 2);

    // Menu open, screen control: the caption is skipped, the menu drawn.
    host.log.clear();
    host.menuOpen = true;
    host.screenControl = true;
    host.gameState = 0x1;
    graphics->RenderFrame();
    EXPECT_EQ(host.log, (std::vector<std::string>{"GameplayUpdate", "GetCamera", "SceneSubmit", "Particles",
                                                  "MessengerRender", "HintsRender", "InventoryBarRender",
                                                  "ScreenControlRender", "MenuRender"}));
}

TEST_F(Graphics, FullScreenVideoFrameSkipsEverythingElse)
{
    Start();
    host.video = true;
    host.inactiveTurns = 3;
    Device().ClearRecord();
    graphics->RenderFrame();
    EXPECT_EQ(host.log, (std::vector<std::string>{"VideoUpdate", "VideoDraw 1"}));
    std::vector<std::string> calls;
    for (const auto& call : Device().Frames().at(0)) calls.push_back(call.name);
    EXPECT_EQ(calls, (std::vector<std::string>{"Clear", "BeginScene", "Clear", "EndScene", "Present"}));

    // A realtime video draws behind the scene and its alpha pass last.
    host.log.clear();
    host.realtime = true;
    host.inactiveTurns = 0;
    host.scene = true;
    graphics->RenderFrame();
    EXPECT_EQ(host.log, (std::vector<std::string>{"VideoUpdate", "GameplayUpdate", "GetCamera", "VideoDraw 1",
                                                  "CollectMeshSprites", "HintsRender", "VideoDraw 0"}));
}

TEST_F(Graphics, NoStencilClearWithSimpleShadows)
{
    host.simpleShadows = 1;
    Start();
    Device().ClearRecord();
    graphics->RenderFrame();
    for (const auto& call : LastFrame("Clear")) EXPECT_EQ(call.args[1] & D3DCLEAR_STENCIL, 0u);
}

TEST_F(Graphics, LostDeviceIsResetAndBuffersComeBack)
{
    Start();
    auto* particles = new FakeParticles(host.log);
    ASSERT_EQ(graphics->device->CreateVertexBuffer(128, D3DUSAGE_DYNAMIC, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_DEFAULT,
                                                   &particles->vertexBuffer),
              D3D_OK);
    graphics->objects.Add(particles);
    Device().InjectDeviceLoss(false);
    graphics->RenderFrame();
    EXPECT_TRUE(Device().IsLost());  // not yet resettable: nothing released

    Device().SetResettable(true);
    Device().FailResets(1);
    host.log.clear();
    graphics->RenderFrame();
    EXPECT_TRUE(Device().IsLost());  // a failed reset is retried next frame
    EXPECT_EQ(particles->vertexBuffer, nullptr);

    graphics->RenderFrame();
    EXPECT_FALSE(Device().IsLost());
    ASSERT_NE(particles->vertexBuffer, nullptr);
    D3DVERTEXBUFFER_DESC desc{};
    particles->vertexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 8u * 16);
    EXPECT_EQ(desc.Usage, D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS | D3DUSAGE_DYNAMIC);
    EXPECT_NE(graphics->backBuffer, nullptr);
    DWORD lighting = TRUE;
    graphics->device->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, FALSE);  // fixed states set again after the reset
    int recreated = 0;
    for (const auto& line : host.log) recreated += line == "RecreateSkinBuffers";
    EXPECT_EQ(recreated, 1);
}

TEST_F(Graphics, MissingScreenImagesAreReportedAndLeftOut)
{
    data.Add("whitescreen.image", ImageBytes(Solid(4, 4, 0xFFFFFFFF)));
    Start();
    graphics->LoadUIImages(0, 0);
    EXPECT_EQ(graphics->blackScreen, nullptr);
    EXPECT_NE(graphics->whiteScreen, nullptr);
    std::vector<std::string> missing;
    for (const auto& report : reports.reports) {
        EXPECT_EQ(report.text, "File not found.");
        EXPECT_EQ(report.fatal, 0);
        missing.push_back(report.where);
    }
    EXPECT_EQ(missing, (std::vector<std::string>{"blackscreen.image", "cd.image", "inv_bg.image"}));
}

TEST_F(Graphics, CursorRules)
{
    // Cursors with hotspots (3, 4), (1, 1) and the inventory background.
    data.Add("project", ImageBytes(Solid(8, 8, 0xFF0000FF), 3, 4) + ImageBytes(Solid(8, 8, 0xFF00FF00), 1, 1));
    data.Add("inv_bg.image", ImageBytes(Solid(16, 16, 0xFF808080)));
    Start();
    const int32_t slot = files->Open("project");
    graphics->LoadUIImages(slot, 2);
    files->Close(slot);
    ASSERT_EQ(graphics->cursors.count, 3);
    EXPECT_EQ(graphics->cursors.data[2], graphics->cursors.data[1]);
    cKestruneImage icon(0);
    const int32_t iconSlot = files->Open("inv_bg.image");
    icon.Load(iconSlot);
    files->Close(iconSlot);
    host.handIcon = &icon;
    host.handCursor = 0;

    auto drawnTextures = [&] {
        std::vector<const void*> out;
        bool inCursorPart = false;
        for (const auto& call : LastFrame()) {
            if (call.name == "SetTexture") inCursorPart = true;
            if (inCursorPart && call.name == "SetTexture") out.push_back(call.object);
        }
        return out;
    };
    const void* cursor0 = graphics->cursors.data[0]->FirstTexture();
    const void* cursor1 = graphics->cursors.data[1]->FirstTexture();
    const void* background = graphics->inventoryBackground->FirstTexture();
    const void* iconTexture = icon.FirstTexture();
    const struct {
        int32_t index;
        uint32_t state;
        bool menu;
        std::vector<const void*> textures;
    } cases[] = {
        {0, 0x1, false, {cursor0}},
        {1, 0x1, false, {cursor1}},
        {-1, 0x1, false, {}},
        {0, 0x801, false, {}},         // busy: no cursor
        {0, 0x0, false, {}},           // cursor state bit clear
        {0, 0x0, true, {cursor0}},     // the menu always shows it
        {-1, 0x0, true, {}},           // ... but index -1 is no cursor there either
        {3, 0x1, false, {background, iconTexture, cursor0}},         // C: item in hand
        {4, 0x1, false, {background, iconTexture, cursor1}},         // C + 1: and cursor 10 (the last)
        {5, 0x1, false, {}},           // beyond C + 1: nothing
        {-2, 0x1, false, {}},
    };
    for (const auto& c : cases) {
        graphics->cursorIndex = c.index;
        host.gameState = c.state;
        host.menuOpen = c.menu;
        graphics->RenderFrame();
        EXPECT_EQ(drawnTextures(), c.textures) << "cursor index " << c.index << " state " << c.state;
    }
    // Positions keep the image size, offset by the hotspot.
    graphics->cursorIndex = 0;
    host.gameState = 0x1;
    host.menuOpen = false;
    graphics->RenderFrame();
    const auto draws = LastFrame("DrawPrimitive");
    const auto* v = reinterpret_cast<const KestruneImageVertex*>(draws.back().vertices.data());
    EXPECT_EQ(v[2].x, 497);
    EXPECT_EQ(v[2].y, 296);
    EXPECT_EQ(v[1].x, 505);
    EXPECT_EQ(v[1].y, 304);
}

TEST_F(Graphics, FadeAlphaFollowsTheClock)
{
    data.Add("blackscreen.image", ImageBytes(Solid(4, 4, 0xFF000000)));
    Start();
    graphics->LoadUIImages(0, 0);
    const struct {
        int32_t active;
        uint32_t now;
        DWORD alpha;
    } cases[] = {
        {1, 1500, 127}, {1, 1000, 0}, {1, 4000, 255}, {2, 1500, 127}, {2, 1000, 255}, {2, 3000, 0},
    };
    for (const auto& c : cases) {
        host.fadeActive = c.active;
        host.fadeStart = 1000;
        host.fadeRate = 1.0f;
        host.now = c.now;
        graphics->RenderFrame();
        const auto draws = LastFrame("DrawPrimitive");
        ASSERT_FALSE(draws.empty());
        const auto* v = reinterpret_cast<const KestruneImageVertex*>(draws.back().vertices.data());
        EXPECT_EQ(v[0].colour >> 24, c.alpha) << "fade " << c.active << " at " << c.now;
        EXPECT_EQ(v[1].x, 1024);
        EXPECT_EQ(v[1].y, 768);
        EXPECT_EQ(graphics->blackScreen->vertexAlpha, 0);
    }
}

TEST_F(Graphics, LoadingIndicatorDuringAFadeNeedsNoBlackScreen)
{
    data.Add("cd.image", ImageBytes(Solid(8, 8, 0xFF00FF00)));
    Start();
    graphics->LoadUIImages(0, 0);
    ASSERT_EQ(graphics->blackScreen, nullptr);
    ASSERT_NE(graphics->loadingImage, nullptr);
    host.fadeActive = 1;
    host.fadeStart = 1000;
    host.fadeRate = 1.0f;
    host.now = 1500;
    host.scenePending = true;
    graphics->RenderFrame();
    const auto textures = LastFrame("SetTexture");
    ASSERT_FALSE(textures.empty());
    EXPECT_EQ(textures.back().object, graphics->loadingImage->FirstTexture());
}

TEST_F(Graphics, ScreenshotIsABmpOfTheFrontBuffer)
{
    Start();
    graphics->RenderFrame();
    EXPECT_EQ(graphics->SaveScreenshot("screenshot 0.bmp"), 0);
    std::ifstream in(work_.path() / "screenshot 0.bmp", std::ios::binary);
    ASSERT_TRUE(in.good());
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(magic[0], 'B');
    EXPECT_EQ(magic[1], 'M');
    in.seekg(0, std::ios::end);
    EXPECT_EQ(static_cast<long>(in.tellg()), 54L + 1024 * 768 * 3);
}

}  // namespace
}  // namespace vls::test

namespace vls::test {
namespace {

// The caption's font loaded and the mouse at (400, 300) over a hotspot named "Door".
class Caption : public Graphics {
protected:
    void StartOverTheDoor()
    {
        tools::BitmapFontOptions options;
        std::string error;
        data.Add("font2", Bytes(tools::WriteBitmapFont(options, error)));
        data.Add("whitescreen.image", ImageBytes(Solid(8, 8, 0xFFFFFFFF)));
        Start();
        graphics->LoadUIImages(0, 0);
        fonts->Load();
        host.hotspot = &door_;
        host.hotspotName = "Door";
        host.gameState = 0x1;
        host.mouseX = 400;
        host.mouseY = 300;
    }

private:
    int door_ = 0;
};

TEST_F(Caption, BalloonFollowsTheMouse)
{
    StartOverTheDoor();
    const int32_t lineHeight = fonts->fonts[1].lineHeight;
    graphics->RenderFrame();
    const cKestruneText* const caption = LiveText(graphics->captionText);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->font, 1);
    EXPECT_EQ(caption->x, 413);
    EXPECT_EQ(caption->y, 300 - lineHeight - 7);
    const float w = static_cast<float>(caption->width);
    const auto fans = LastFrame("DrawPrimitiveUP");
    ASSERT_FALSE(fans.empty());
    const auto& fan = fans.front();
    EXPECT_EQ(fan.args[0], DWORD(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(fan.args[1], 4u);
    const auto* v = reinterpret_cast<const KestruneScreenVertex*>(fan.vertices.data());
    const struct {
        float x, y;
        DWORD colour;
    } expected[6] = {{410, 275, 0x30C0D0FF}, {400, 300, 0x00C0D0FF}, {415, 280, 0x30E0F0FF},
                     {400 + w + 16, 280, 0x68E8F0FF}, {400 + w + 16, 280.0f - lineHeight, 0xA0F0FFFF},
                     {410, 280.0f - lineHeight, 0x68E8F0FF}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].x, expected[i].x) << i;
        EXPECT_EQ(v[i].y, expected[i].y) << i;
        EXPECT_EQ(v[i].colour, expected[i].colour) << i;
        EXPECT_FLOAT_EQ(v[i].z, 0.1f);
        EXPECT_FLOAT_EQ(v[i].rhw, 10.0f);
    }

    // Same hotspot: the text is kept; an open menu releases it.
    const ObjectHandle first = graphics->captionText;
    graphics->RenderFrame();
    EXPECT_EQ(graphics->captionText, first);
    host.menuOpen = true;
    graphics->RenderFrame();
    EXPECT_EQ(graphics->captionText, kNoObject);
    EXPECT_EQ(fonts->texts.count, 0);
    // Game state 0x400 suppresses the caption without releasing anything.
    host.menuOpen = false;
    host.gameState = 0x401;
    graphics->RenderFrame();
    EXPECT_EQ(graphics->captionText, kNoObject);
    host.gameState = 0x1;
    host.hotspotName = "";
    graphics->RenderFrame();
    EXPECT_EQ(graphics->captionText, kNoObject);
}

// Leaving a scene releases every text, the caption's with them; a text made
// next (a subtitle) may take the caption's freed block and must neither move
// nor be released by the caption.
TEST_F(Caption, ReleasedWithAllTextsItIsMadeAgainNotFollowed)
{
    StartOverTheDoor();
    graphics->RenderFrame();
    const ObjectHandle before = graphics->captionText;
    ASSERT_NE(LiveText(before), nullptr);

    fonts->ReleaseAllTexts();
    EXPECT_EQ(LiveText(before), nullptr);
    cKestruneText* const subtitle = fonts->CreateText(1, "Hello", 100, 700, 0xFFFFFFFF, 0);
    ASSERT_NE(subtitle, nullptr);
    host.mouseX = 600;
    graphics->RenderFrame();
    EXPECT_EQ(subtitle->x, 100);
    EXPECT_EQ(subtitle->y, 700);
    const cKestruneText* const caption = LiveText(graphics->captionText);
    ASSERT_NE(caption, nullptr);
    EXPECT_NE(graphics->captionText, before);
    EXPECT_EQ(caption->x, 613);
    ASSERT_EQ(fonts->texts.count, 2);

    // The caption going away leaves the subtitle alone.
    host.hotspot = nullptr;
    graphics->RenderFrame();
    ASSERT_EQ(fonts->texts.count, 1);
    EXPECT_EQ(fonts->texts.data[0], subtitle);
}

}  // namespace
}  // namespace vls::test

namespace vls::test {
namespace {

TEST_F(Graphics, MirrorPassesDrawReflectionsBeforeTheList)
{
    data.Add("background.image", ImageBytes(Solid(8, 8, 0xFF000000), 0, 0, 90.0f));
    data.Add("mirror.image", ImageBytes(Solid(8, 8, 0xFF000000), 0, 0, 80.0f));
    data.Add("front.image", ImageBytes(Solid(8, 8, 0xFF000000), 0, 0, 2.0f));
    Start();
    auto background = LoadImage("background.image");
    auto mirrorLayer = LoadImage("mirror.image");
    auto front = LoadImage("front.image");
    host.scene = true;
    host.gameState = 0x2;
    host.sceneImages = {front.get(), background.get()};
    host.meshSprites = {reinterpret_cast<void*>(1), reinterpret_cast<void*>(2)};
    host.mirror.background = background.get();
    host.mirror.mirrorLayer = mirrorLayer.get();
    host.mirror.floorMirror = true;
    host.mirror.mirrors = {D3DXPLANE(1, 0, 0, -3)};
    Device().ClearRecord();
    graphics->RenderFrame();
    std::vector<std::string> sprites;
    for (const auto& line : host.log)
        if (line.rfind("RenderMeshSprite", 0) == 0) sprites.push_back(line);
    // Sorted far to near, the two equally deep sprites come out swapped.
    EXPECT_EQ(sprites, (std::vector<std::string>{
                           "RenderMeshSprite 2 0 mirrored", "RenderMeshSprite 1 0 mirrored",  // floor
                           "RenderMeshSprite 2 0 mirrored", "RenderMeshSprite 1 0 mirrored",  // the plane
                           "RenderMeshSprite 2 1 identity", "RenderMeshSprite 1 1 identity",  // main pass
                       }));
    // The background is drawn once, first, with depth testing off; the
    // mirror layer after the reflections; the front image in the main pass.
    std::vector<const void*> textures;
    for (const auto& call : LastFrame("SetTexture")) textures.push_back(call.object);
    ASSERT_GE(textures.size(), 3u);
    EXPECT_EQ(textures[0], background->FirstTexture());
    EXPECT_EQ(textures[1], mirrorLayer->FirstTexture());
    EXPECT_EQ(textures[2], front->FirstTexture());
    EXPECT_EQ(std::count(textures.begin(), textures.end(), background->FirstTexture()), 1);
}

}  // namespace
}  // namespace vls::test
