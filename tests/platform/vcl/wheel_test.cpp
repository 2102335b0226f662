#include <gtest/gtest.h>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

TEST(MouseWheel, FocusedControlFirstThenItsParent)
{
    vls::test::ScopedConfig config;
    vls::headless::UseManualClock();
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 200, 150);
    auto* child = new TWinControl(form);
    child->SetParent(form);
    child->SetBounds(10, 10, 50, 20);
    child->SetTabStop(true);
    form->Show();
    Application->ProcessMessages();
    child->SetFocus();
    Application->ProcessMessages();

    int downs = 0, ups = 0, formDelta = 0;
    child->OnMouseWheelDown = [&](TObject*, TShiftState, POINT, bool&) { ++downs; };
    child->OnMouseWheelUp = [&](TObject*, TShiftState, POINT, bool&) { ++ups; };
    form->OnMouseWheel = [&](TObject*, TShiftState, int delta, POINT, bool& handled) {
        formDelta += delta;
        handled = true;
    };
    vls::headless::MouseWheel(-240);
    Application->ProcessMessages();
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(formDelta, -240);
    // Part of a notch waits for the rest.
    vls::headless::MouseWheel(60);
    Application->ProcessMessages();
    EXPECT_EQ(ups, 0);
    vls::headless::MouseWheel(60);
    Application->ProcessMessages();
    EXPECT_EQ(ups, 1);
    // Handled by the child: the form hears nothing more.
    formDelta = 0;
    child->OnMouseWheel = [](TObject*, TShiftState, int, POINT, bool& handled) { handled = true; };
    vls::headless::MouseWheel(120);
    Application->ProcessMessages();
    EXPECT_EQ(formDelta, 0);
    delete form;
    Application->ProcessMessages();
}
