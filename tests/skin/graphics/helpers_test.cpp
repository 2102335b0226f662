#include <gtest/gtest.h>

#include <string>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/user/winuser.h"
#include "skin/graphics/sk_bitmap.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_strings.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"
#include "tests/support/temp_dir.h"

using namespace skin;
using namespace std::string_literals;

TEST(SkHelpers, EllipsisTextKeepsWhatFitsAndCutsTheRest)
{
    TSkBitmap surface;
    surface.SetSize(10, 10);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    canvas.RequiredState({vcl::csHandleValid, vcl::csFontValid});
    HDC dc = canvas.Handle();
    vcl::WideString out;
    EllipsisText(dc, u"Play", 1000, out);
    EXPECT_EQ(out, u"Play");
    EllipsisText(dc, u"Play", 0, out);
    EXPECT_EQ(out, u"...");
    SIZE full{}, dots{};
    GetTextExtentPoint32W(dc, u"Install data files", 18, &full);
    EllipsisText(dc, u"Install data files", full.cx - 1, out);
    ASSERT_GT(out.size(), 3u);
    EXPECT_EQ(out.substr(out.size() - 3), u"...");
    EXPECT_EQ(u"Install data files"s.compare(0, out.size() - 3, out.substr(0, out.size() - 3)), 0);
    GetTextExtentPoint32W(dc, out.c_str(), static_cast<int>(out.size()), &dots);
    EXPECT_LE(dots.cx, full.cx - 1);
    canvas.SetHandle(nullptr);
}

TEST(SkHelpers, GradientBandsAndClipping)
{
    TSkBitmap surface;
    surface.SetSize(12, 4);
    surface.Fill(0xFF123456);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    // Ten pixels wide, horizontal: one band a pixel, the eleventh clipped away.
    FillGradient(&canvas, RECT{1, 0, 11, 4}, vcl::clBlack, false, static_cast<vcl::TColor>(RGB(200, 100, 0)));
    canvas.SetHandle(nullptr);
    EXPECT_EQ(surface.GetPixel(0, 0) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(surface.GetPixel(1, 0) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(surface.GetPixel(2, 0) & 0xFFFFFF, 0x140A00u);   // 20, 10, 0
    EXPECT_EQ(surface.GetPixel(10, 3) & 0xFFFFFF, 0xB45A00u);  // 180, 90, 0
    EXPECT_EQ(surface.GetPixel(11, 0) & 0xFFFFFF, 0x123456u);
}

TEST(SkHelpers, RectanglesCentre)
{
    const RECT r = CenterRect(RECT{0, 0, 16, 16}, RECT{10, 10, 41, 21});
    EXPECT_EQ(r.left, 10 + 7);
    EXPECT_EQ(r.top, 10 - 2);  // a larger rectangle centres upwards, rounded towards zero
    const RECT v = CenterRectVert(RECT{5, 5, 9, 9}, RECT{20, 0, 100, 10});
    EXPECT_EQ(v.left, 20);
    EXPECT_EQ(v.top, 3);
    EXPECT_TRUE(RectIsEmpty(RECT{0, 0, 0, 5}));
    EXPECT_TRUE(RectEquals(InflatedRect(RECT{2, 2, 4, 4}, 1), RECT{1, 1, 5, 5}));
}

TEST(SkHelpers, UiStringsTable)
{
    EXPECT_EQ(SkLoadString(sksMaximize), "Ma&ximize");
    EXPECT_EQ(SkLoadString(sksToolbarItemInserted), "Toolbar item already inserted");
    EXPECT_EQ(SkLoadString(sksMsgConfirm), "Confirm");
    EXPECT_EQ(SkLoadString(sksMsgButtonYes + 8), "N&o to All");
    EXPECT_EQ(SkLoadString(sksEditSelectAll), "Select All");
    EXPECT_EQ(SkLoadString(48), "");
    EXPECT_EQ(SkLoadString(49), "");
}

TEST(SkHelpers, ThemesAreAbsentUntilTheLibraryIsThere)
{
    EXPECT_FALSE(ThemeApiAcquire());
    EXPECT_FALSE(ThemesActive());
    ThemeApiRelease();
    vls::uxtheme::InstallTestTheme(true);
    EXPECT_TRUE(ThemeApiAcquire());
    EXPECT_TRUE(ThemesActive());
    vls::uxtheme::InstallTestTheme(false);
    EXPECT_FALSE(ThemesActive());
    ThemeApiRelease();
    ThemeApiRelease();  // never below zero
    EXPECT_FALSE(ThemesActive());
}

TEST(SkHelpers, KeyRepeatFromTheKeyboardSettings)
{
    UINT delay = 0, speed = 0;
    SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    EXPECT_EQ(KeyRepeatDelay(), static_cast<int>((delay + 1) * 200));
    EXPECT_EQ(KeyRepeatInterval(), static_cast<int>(vcl::Round(1000.0 / ((speed + 1) * 2.3))));
}

TEST(SkHelpers, NestedCaptureLeavesAnotherWindowsCapture)
{
    vls::headless::UseManualClock();
    vls::test::ScopedConfig config;
    auto* a = new vcl::TForm(vcl::Application);
    auto* b = new vcl::TForm(vcl::Application);
    HWND ha = a->Handle(), hb = b->Handle();
    CaptureMouse(ha);
    CaptureMouse(hb);  // only counts
    EXPECT_EQ(GetCapture(), ha);
    ReleaseMouse();
    EXPECT_EQ(GetCapture(), ha);
    ReleaseMouse();
    EXPECT_EQ(GetCapture(), nullptr);

    CaptureMouse(ha);
    SetCapture(hb);
    ReleaseMouse();
    EXPECT_EQ(GetCapture(), hb);
    ReleaseCapture();
    delete a;
    delete b;
}

TEST(SkHelpers, ControlUnitResources)
{
    InitGraphicsUnit();
    const TSkSystemResources& r = SystemResources();
    ASSERT_TRUE(r.CaptionFont);
    EXPECT_EQ(r.CaptionHeight, GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(r.BtnFacePixel, ColorToPixel(vcl::clBtnFace));
    EXPECT_TRUE(r.ListGlyph->AlphaBlend());
    FinalizeGraphicsUnit();
    EXPECT_EQ(SystemResources().CaptionFont, nullptr);
}

TEST(SkHelpers, RotatedTextIsTheTextTurnedAQuarter)
{
    constexpr int kW = 16, kH = 40;
    // The text as drawn unturned into an H x W picture.
    TSkBitmap flat;
    flat.SetSize(kH, kW);
    flat.Fill(KeyColor);
    vcl::TCanvas flatCanvas;
    flatCanvas.SetHandle(flat.DC());
    flatCanvas.Font()->SetColor(vcl::clWhite);
    RECT r{0, 0, kH, kW};
    SkDrawText(&flatCanvas, u"Ab", r, DT_LEFT | DT_TOP | DT_SINGLELINE);
    flatCanvas.SetHandle(nullptr);

    for (bool clockwise : {true, false}) {
        TSkBitmap surface;
        surface.SetSize(kW, kH);
        surface.Fill(KeyColor);
        vcl::TCanvas canvas;
        canvas.SetHandle(surface.DC());
        canvas.Font()->SetColor(vcl::clWhite);
        DrawRotatedText(&canvas, u"Ab", RECT{0, 0, kW, kH}, clockwise, DT_LEFT | DT_TOP | DT_SINGLELINE);
        canvas.SetHandle(nullptr);
        int inked = 0;
        for (int y = 0; y < kW; ++y)
            for (int x = 0; x < kH; ++x) {
                const TPixel p = flat.GetPixel(x, y);
                const TPixel q = clockwise ? surface.GetPixel(kW - 1 - y, x) : surface.GetPixel(y, kH - 1 - x);
                ASSERT_EQ(p & 0xFFFFFF, q & 0xFFFFFF) << x << "," << y << (clockwise ? " cw" : " ccw");
                inked += p != KeyColor;
            }
        EXPECT_GT(inked, 0);
    }
}
