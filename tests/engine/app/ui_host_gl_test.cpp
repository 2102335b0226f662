// The talking heads on the OpenGL device: the messenger's contact and the
// chat control's close-up show the figure inside their own viewports, seen
// through their own cameras, and nothing of it outside.

#include "engine/app/default_members.h"
#include "engine/app/engine_ui_host.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/ui/kestrune_messenger.h"
#include "engine/ui/kestrune_screen_control.h"
#include "engine/world/kestrune_character.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "tests/engine/app/fake_members.h"
#include "tests/engine/ui/ui_fixture.h"
#include "tests/platform/d3d8/gl_test_window.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

constexpr D3DCOLOR kClear = 0xFF0000FF;

class EngineUiHostGl : public UiWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok()) << SDL_GetError();
        data.Add("figure.gr2", Bytes(tools::WriteGr2(tools::MakeFigureScene())));
        SetEngineLink(&reports);
        StartGame();
        ASSERT_TRUE(D3D8IsOpenGLDevice(graphics->device));
        for (KestruneMember member : {KestruneMember::Timer, KestruneMember::Sprites})
            ASSERT_TRUE(members.Create(engine, member));
        SetGraphicsHost(&host);
        engine.gameplay = gameplay.get();
        InstallEngineUiHost(engine);
    }
    void TearDown() override
    {
        RemoveEngineUiHost();
        engine.gameplay = nullptr;
        for (KestruneMember member : {KestruneMember::Sprites, KestruneMember::Timer})
            members.Destroy(engine, member);
    }

    // Draws one frame through draw on a blue target and returns what it showed.
    template <typename Draw>
    std::vector<DWORD> Frame(Draw draw)
    {
        IDirect3DDevice8* const device = graphics->device;
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->BeginScene();
        draw();
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        return FrontBufferPixels(device);
    }

    // Pixels that are not the clear colour, inside and outside a rectangle.
    static std::pair<int, int> Painted(const std::vector<DWORD>& px, int x, int y, int width, int height)
    {
        int inside = 0, outside = 0;
        for (int row = 0; row < 768; ++row)
            for (int column = 0; column < 1024; ++column) {
                if ((px[static_cast<size_t>(row) * 1024 + column] & 0xFFFFFF) == (kClear & 0xFFFFFF))
                    continue;
                const bool in = column >= x && column < x + width && row >= y && row < y + height;
                (in ? inside : outside) += 1;
            }
        return {inside, outside};
    }

    // Painted pixels in the top and the bottom tenth of a rectangle: a head
    // centred on its brows reaches both; a figure standing on the origin
    // leaves the bottom empty.
    static std::pair<int, int> Edges(const std::vector<DWORD>& px, int x, int y, int width, int height)
    {
        const int band = height / 10;
        return {Painted(px, x, y, width, band).first, Painted(px, x, y + height - band, width, band).first};
    }

    GlTestWindow window;
    FakeMembers fake;
    cKestruneEngine engine{nullptr, nullptr, "", &fake};
    cKestruneDefaultMembers members{engine};
};

TEST_F(EngineUiHostGl, TheMessengersHeadFillsPartOfItsSmallViewport)
{
    const ObjectHandle head = UiHost().CreateHead("figure", 0xFFFFFFFF);
    ASSERT_NE(head, kNoObject);
    const std::vector<DWORD> px = Frame([&] {
        IDirect3DDevice8* const device = graphics->device;
        D3DVIEWPORT8 saved{};
        device->GetViewport(&saved);
        const D3DVIEWPORT8 port{cKestruneMessenger::kHeadX, cKestruneMessenger::kHeadY, cKestruneMessenger::kHeadWidth,
                                cKestruneMessenger::kHeadHeight, 0.0f, 1.0f};
        device->SetViewport(&port);
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        granny_camera camera{};
        InitializeHeadCamera(camera, cKestruneMessenger::kHeadWidth, cKestruneMessenger::kHeadHeight);
        device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(camera.View4x4));
        device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(camera.Projection4x4));
        UiHost().RenderHead(head);
        device->SetViewport(&saved);
    });
    const auto [inside, outside] =
        Painted(px, cKestruneMessenger::kHeadX, cKestruneMessenger::kHeadY, cKestruneMessenger::kHeadWidth,
                cKestruneMessenger::kHeadHeight);
    const int area = cKestruneMessenger::kHeadWidth * cKestruneMessenger::kHeadHeight;
    EXPECT_GT(inside, area / 10) << "the head, close up, covers a good part of its window";
    EXPECT_LT(inside, area) << "and not all of it: it is seen whole, not from inside";
    EXPECT_EQ(outside, 0);
    const auto [top, bottom] = Edges(px, cKestruneMessenger::kHeadX, cKestruneMessenger::kHeadY,
                                     cKestruneMessenger::kHeadWidth, cKestruneMessenger::kHeadHeight);
    EXPECT_GT(top, 0);
    EXPECT_GT(bottom, 0);
}

TEST_F(EngineUiHostGl, TheChatCloseUpShowsTheSceneCharactersHeadInItsViewport)
{
    cKestruneCharacter figure;
    figure.model->Load("figure");
    figure.visible = 1;
    figure.model->fixedAmbient = 0xFFFFFFFF;
    cKestruneChatControl chat("no overlay", figure.Handle(), nullptr, "");
    const std::vector<DWORD> px = Frame([&] { chat.Render(); });
    const auto [inside, outside] = Painted(px, cKestruneChatControl::kViewX, cKestruneChatControl::kViewY,
                                           cKestruneChatControl::kViewWidth, cKestruneChatControl::kViewHeight);
    const int area = cKestruneChatControl::kViewWidth * cKestruneChatControl::kViewHeight;
    EXPECT_GT(inside, area / 10);
    EXPECT_LT(inside, area);
    EXPECT_EQ(outside, 0);
    const auto [top, bottom] = Edges(px, cKestruneChatControl::kViewX, cKestruneChatControl::kViewY,
                                     cKestruneChatControl::kViewWidth, cKestruneChatControl::kViewHeight);
    EXPECT_GT(top, 0);
    EXPECT_GT(bottom, 0);
}

} // namespace
} // namespace vls::test
