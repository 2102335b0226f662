// The demo's in-game menu drawn by the OpenGL device over a darkened scene:
// the main screen with the hovered item lit, and the options screen.

#include "tests/engine/render/render_fixture.h"
#include "tests/platform/d3d8/gl_test_window.h"

#include "engine/ui/kestrune_menu.h"
#include "engine/ui/menu_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "tools/demo/demo_menu.h"
#include "tools/font_writer.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace vls::test {
namespace {

class MenuHostForFrame : public FakeHost {
public:
    bool MenuOpen() override { return menu && menu->open; }
    void MenuRender() override { menu->Render(); }
    cKestruneMenu* menu = nullptr;
};

class MenuGl : public RenderWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok()) << SDL_GetError();
        SetGraphicsHost(&frameHost);
        for (const auto& [name, bytes] : tools::MakeMenuResources())
            data.Add(name, Bytes(bytes));
        // The scene under the menu: a bright band, so the darkening shows.
        data.Add("scene.image", ImageBytes(Solid(1024, 512, 0xFF80C0F0), 0, 0));
        data.Add("blackscreen.image", ImageBytes(Solid(8, 8, 0xFF000000)));
        std::string error;
        tools::BitmapFontOptions font;
        font.pixelSize = 18;
        data.Add("font1", Bytes(tools::WriteBitmapFont(font, error)));
        data.Add("font2", Bytes(tools::WriteBitmapFont(font, error)));
        Start();
        ASSERT_TRUE(D3D8IsOpenGLDevice(graphics->device));
        graphics->LoadUIImages(0, 0);
        fonts->Load();
        std::istringstream lines(tools::MenuUiInfoLines());
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            gameplay.uiInfo.Add(cString(line.c_str()));
        }
        gameplay.gameState = 0x207;
        scene = LoadImage("scene.image");
        ASSERT_NE(scene, nullptr);
        frameHost.scene = true;
        frameHost.sceneImages = {scene.get()};
        frameHost.menu = &menu;
    }
    void TearDown() override { menu.Close(); }

    std::vector<DWORD> Frame()
    {
        graphics->RenderFrame();
        return FrontBufferPixels(graphics->device);
    }
    static DWORD At(const std::vector<DWORD>& pixels, int x, int y) { return pixels[size_t(y) * 1024 + x] & 0xFFFFFF; }
    void Shot(const char* name)
    {
        const char* folder = std::getenv("VEILSTRAND_TEST_DATA");
        EXPECT_EQ(graphics->SaveScreenshot((std::string(folder ? folder : ".") + "/" + name).c_str()), 0);
    }

    GlTestWindow window;
    MenuHostForFrame frameHost;
    cKestruneGameplay gameplay;
    cKestruneMenu menu;
    std::unique_ptr<cKestruneImage> scene;
};

TEST_F(MenuGl, MainScreenOverTheDarkenedSceneWithTheHoveredItemLit)
{
    const std::vector<DWORD> before = Frame();
    const DWORD bright = At(before, 100, 400);
    ASSERT_GT(bright & 0xFF, 0x80u) << "the scene is drawn";
    menu.Open();
    ASSERT_EQ(menu.open, 1);
    // The save item: its area (96, 192, 416, 240) on the picture at (256, 128).
    frameHost.mouseX = gameplay.mouseX = 500;
    frameHost.mouseY = gameplay.mouseY = 344;
    menu.HandleInput();
    EXPECT_EQ(menu.hovered, 3);
    const std::vector<DWORD> pixels = Frame();
    Shot("menu_main.bmp");

    const DWORD dark = At(pixels, 100, 400);
    EXPECT_LT(dark & 0xFF, (bright & 0xFF) * 3 / 4) << "the scene beside the menu is darkened";
    EXPECT_GT(dark & 0xFF, (bright & 0xFF) / 4) << "but still seen";
    // Sampled beside the items' centred names.
    EXPECT_EQ(At(pixels, 365, 344), 0xE8C060u) << "the hovered item is drawn lit";
    EXPECT_EQ(At(pixels, 365, 280), 0x3C6E8Cu) << "the others keep their normal look";
    // The back button is drawn where the engine takes its clicks, (736, 304)
    // to (791, 412), half on the main picture and half on the side one.
    EXPECT_EQ(At(pixels, 740, 308), 0x3C6E8Cu);
    EXPECT_EQ(At(pixels, 787, 408), 0x3C6E8Cu);
    EXPECT_NE(At(pixels, 900, 160), 0x3C6E8Cu) << "and nowhere the engine does not look";
}

TEST_F(MenuGl, OptionsScreenShowsTheKnobsAndTheTick)
{
    menu.Open();
    menu.OpenOptions();
    MenuHost().Setting(MenuSetting::MusicVolume) = 255;
    MenuHost().Setting(MenuSetting::Subtitle) = 1;
    const std::vector<DWORD> pixels = Frame();
    Shot("menu_options.bmp");
    // Music knob: area left 200 + 255 / 2 + 261, top 80 + 133.
    EXPECT_EQ(At(pixels, 200 + 127 + 261 + 8, 80 + 133 + 8), 0xE8C060u);
    // The tick over the subtitle switch: (200, 336) + (256, 128).
    EXPECT_EQ(At(pixels, 456 + 16, 464 + 16), 0xE8C060u);
}

TEST_F(MenuGl, SaveScreenShowsTheNewEntryAndTheTypedName)
{
    ASSERT_TRUE(gameplay.SaveGame("lastgame"));
    std::filesystem::create_directories("savegames");
    std::filesystem::copy_file("lastgame", "savegames/quay at dusk.savegame");
    menu.Open();
    menu.OpenLoadSave(cKestruneMenu::kSave);
    ASSERT_EQ(menu.savegames.count, 2);
    for (char c : std::string("pier"))
        menu.TypeChar(static_cast<uint32_t>(c));
    // The right arrow: its area (368, 400, 400, 432) on the picture at (256, 128).
    frameHost.mouseX = gameplay.mouseX = 640;
    frameHost.mouseY = gameplay.mouseY = 544;
    menu.HandleInput();
    EXPECT_EQ(menu.hovered, 3);
    const std::vector<DWORD> pixels = Frame();
    Shot("menu_save.bmp");
    EXPECT_EQ(At(pixels, 640, 544), 0xE8C060u) << "the hovered arrow is drawn in its lit half";
    EXPECT_NE(At(pixels, 384, 544), 0x3C6E8Cu) << "no left arrow on the first entry";
    // The new entry's caption above the panel, (128, 100) + (261, 122); the
    // typed name in the field, (128, 250) + (261, 144). Texts stand on their
    // point's line, so the windows reach a line's height above it.
    const auto lit = [&](int left, int top) {
        int count = 0;
        for (int y = top; y < top + 22; ++y)
            for (int x = left; x < left + 100; ++x)
                count += (At(pixels, x, y) & 0xFF) > 0xA0;
        return count;
    };
    EXPECT_GT(lit(389, 204), 40) << "the caption of the new entry";
    EXPECT_GT(lit(389, 376), 40) << "the typed name";
}

} // namespace
} // namespace vls::test
