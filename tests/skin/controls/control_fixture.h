#pragma once

// A headless desktop with one form for the control tests, and the form's
// face painted into a 32-bit bitmap for pixel checks.

#include <gtest/gtest.h>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/controls/sk_controls_unit.h"
#include "skin/graphics/sk_bitmap.h"
#include "skin/graphics/sk_system.h"
#include "tests/support/temp_dir.h"

namespace sktest {

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        skin::InitGraphicsUnit();
        skin::InitControlsUnit();
        form = new vcl::TForm(vcl::Application);
        form->SetBorderStyle(vcl::bsNone);
        form->SetBounds(0, 0, 320, 240);
        form->SetColor(static_cast<vcl::TColor>(RGB(0, 0, 255)));
        form->Show();
        vcl::Application->ProcessMessages();
    }
    void TearDown() override
    {
        delete form;
        vcl::Application->ProcessMessages();
    }
    // The whole form painted now, through the class library's own painting.
    skin::TSkBitmap& Snapshot()
    {
        shot.SetSize(form->Width(), form->Height());
        shot.Fill(0xFF000000);
        form->PaintTo(shot.DC(), 0, 0);
        return shot;
    }
    std::uint32_t Rgb(int x, int y) { return shot.GetPixel(x, y) & 0xFFFFFF; }
    // A pixel as the DIB holds it: 0xRRGGBB.
    static std::uint32_t Px(vcl::TColor c)
    {
        const COLORREF rgb = vcl::ColorToRGB(c);
        return (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
    }
    static void ClickAt(vcl::TControl* c, int x, int y)
    {
        const POINT p = c->ClientToScreen(POINT{x, y});
        vls::headless::Click(p.x, p.y);
        vcl::Application->ProcessMessages();
    }
    // Left button down at one point of `c`, up at another.
    static void PressAndRelease(vcl::TControl* c, POINT from, POINT to)
    {
        const POINT down = c->ClientToScreen(from);
        const POINT up = c->ClientToScreen(to);
        vls::headless::MouseMove(down.x, down.y);
        vls::headless::MouseButton(vls::backend::MouseButton::Left, true);
        vcl::Application->ProcessMessages();
        vls::headless::MouseMove(up.x, up.y);
        vls::headless::MouseButton(vls::backend::MouseButton::Left, false);
        vcl::Application->ProcessMessages();
    }
    // The mouse over a point of `c`, and the left button held or let go.
    static void Move(vcl::TControl* c, int x, int y)
    {
        const POINT p = c->ClientToScreen(POINT{x, y});
        vls::headless::MouseMove(p.x, p.y);
        vcl::Application->ProcessMessages();
    }
    static void Button(bool down)
    {
        vls::headless::MouseButton(vls::backend::MouseButton::Left, down);
        vcl::Application->ProcessMessages();
    }
    static void Tap(int vk)
    {
        vls::headless::KeyTap(vk);
        vcl::Application->ProcessMessages();
    }

    vls::test::ScopedConfig config;
    vcl::TForm* form = nullptr;
    skin::TSkBitmap shot;
};

}  // namespace sktest
