#include "tests/engine/render/render_fixture.h"
#include "tests/platform/d3d8/gl_test_window.h"
#include "tools/font_writer.h"

#include <cstdlib>

namespace vls::test {
namespace {

class RenderGl : public RenderWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok()) << SDL_GetError();
        // A white picture over the whole screen (it reaches under the bars),
        // a red one in the band and a blue DXT one.
        data.Add("blackscreen.image", ImageBytes(Solid(8, 8, 0xFF000000)));
        data.Add("white.image", ImageBytes(Solid(1024, 768, 0xFFFFFFFF), 0, -128, 50.0f));
        data.Add("red.image", ImageBytes(Solid(200, 100, 0xFFFF0000), 50, 30, 10.0f));
        data.Add("blue.image", ImageBytes(Solid(64, 64, 0xFF0000FF), 300, 30, 10.0f, 0, kImagePixelsDxt1));
        tools::BitmapFontOptions options;
        std::string error;
        options.pixelSize = 18;
        data.Add("font1", Bytes(tools::WriteBitmapFont(options, error)));
        options.pixelSize = 28;
        data.Add("font2", Bytes(tools::WriteBitmapFont(options, error)));
        Start();
        ASSERT_TRUE(D3D8IsOpenGLDevice(graphics->device));
        graphics->LoadUIImages(0, 0);
        fonts->Load();
        for (const char* name : {"white.image", "red.image", "blue.image"}) images.push_back(LoadImage(name));
        for (auto& image : images) {
            ASSERT_NE(image, nullptr);
            host.sceneImages.push_back(image.get());
        }
        host.scene = true;
        host.gameState = 0;
    }

    std::vector<DWORD> Frame()
    {
        graphics->RenderFrame();
        return FrontBufferPixels(graphics->device);
    }

    static DWORD At(const std::vector<DWORD>& px, int x, int y) { return px[static_cast<size_t>(y) * 1024 + x] & 0xFFFFFF; }

    static bool Near(DWORD a, DWORD b)
    {
        for (int s = 0; s < 24; s += 8)
            if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > 3) return false;
        return true;
    }

    int CountColour(const std::vector<DWORD>& px, int x0, int y0, int x1, int y1, DWORD colour)
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += Near(At(px, x, y), colour);
        return n;
    }

    GlTestWindow window;
    std::vector<std::unique_ptr<cKestruneImage>> images;
};

TEST_F(RenderGl, ImagesLetterboxAndDxtInTheBand)
{
    const auto px = Frame();
    // Bars: black above 128 and from 640 on, although the white image is there.
    EXPECT_EQ(At(px, 500, 0), 0u);
    EXPECT_EQ(At(px, 500, 127), 0u);
    EXPECT_EQ(At(px, 500, 640), 0u);
    EXPECT_EQ(At(px, 500, 767), 0u);
    EXPECT_EQ(At(px, 500, 128), 0xFFFFFFu);
    EXPECT_EQ(At(px, 500, 639), 0xFFFFFFu);
    // The red image at (50, 30) in the band: screen (50, 158) to (250, 258).
    EXPECT_EQ(At(px, 50, 158), 0xFF0000u);
    EXPECT_EQ(At(px, 249, 257), 0xFF0000u);
    EXPECT_EQ(At(px, 49, 158), 0xFFFFFFu);
    EXPECT_EQ(At(px, 250, 200), 0xFFFFFFu);
    EXPECT_EQ(At(px, 100, 258), 0xFFFFFFu);
    // The DXT image.
    EXPECT_EQ(At(px, 300, 158), 0x0000FFu);
    EXPECT_EQ(At(px, 363, 221), 0x0000FFu);
    EXPECT_EQ(At(px, 364, 221), 0xFFFFFFu);
}

TEST_F(RenderGl, TextsInBothFontsAndTheScreenshot)
{
    fonts->CreateText(0, "Veilstrand font one", 420, 400, 0xFF008000, 0);
    fonts->CreateText(1, "Font two, centred", 512, 500, 0xFF000080, kTextCentre);
    const auto px = Frame();
    const int green = CountColour(px, 400, 370, 700, 410, 0x008F00) + CountColour(px, 400, 370, 700, 410, 0x008000);
    const int blue = CountColour(px, 300, 460, 720, 510, 0x00008F) + CountColour(px, 300, 460, 720, 510, 0x000080);
    EXPECT_GT(green, 100);
    EXPECT_GT(blue, 150);
    // Nothing of either text outside its line.
    EXPECT_EQ(CountColour(px, 0, 300, 1024, 360, 0x008000), 0);
    EXPECT_EQ(At(px, 380, 395), 0xFFFFFFu);

    const char* folder = std::getenv("VEILSTRAND_TEST_DATA");
    const std::string shot = std::string(folder ? folder : ".") + "/render_frame.bmp";
    EXPECT_EQ(graphics->SaveScreenshot(shot.c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(shot));
}

}  // namespace
}  // namespace vls::test
