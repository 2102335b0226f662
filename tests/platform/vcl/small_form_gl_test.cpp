#include <gtest/gtest.h>

#include <chrono>

#include "platform/user/user_control.h"
#include "test_controls.h"
#include "tests/support/temp_dir.h"

using namespace vcl;
using namespace vcltest;

namespace {

// The small form in a real window: shown, painted, clicked through the
// window manager, and kept up for a moment so that the screen can be looked at.
TEST(SmallFormOnScreen, ShowsPaintsAndTakesInput)
{
    vls::test::ScopedConfig config;
    Application->SetTitle("Small form");
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    form->SetPosition(poScreenCenter);
    form->check->SetChecked(true);
    form->Show();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < until)
        Application->ProcessMessages();
    ASSERT_TRUE(IsWindowVisible(form->Handle()));

    // A posted click on the button reaches its handler.
    PostMessageA(form->button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(form->button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    Application->ProcessMessages();
    EXPECT_EQ(form->clicks, 1);

    POINT origin{};
    vls::gdi::SurfacePtr surface = vls::user::WindowSurface(form->Handle(), &origin);
    ASSERT_NE(surface, nullptr);
    // The button's face is in the button face colour, the form around it too.
    const COLORREF face = vls::gdi::SysColor(COLOR_BTNFACE);
    EXPECT_EQ(vls::gdi::PixelToColorRef(surface->At(origin.x + 16 + 5, origin.y + 70 + 20)), face);
    delete form;
}

}  // namespace
