#include <gtest/gtest.h>

#include "platform/win32/backend/headless/headless_backend.h"
#include "test_controls.h"
#include "tests/support/temp_dir.h"

using namespace vcl;
using namespace vcltest;

namespace {

class FormServicesTest : public ::testing::Test {
protected:
    void SetUp() override { vls::headless::UseManualClock(); }
    void TearDown() override { Application->ProcessMessages(); }
    vls::test::ScopedConfig config;
};

TEST_F(FormServicesTest, ShortCutsReachTheFormBeforeTheFocusedControl)
{
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    form->Show();
    Application->ProcessMessages();
    form->button->SetFocus();
    int keyDowns = 0;
    form->button->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++keyDowns; };
    std::vector<WPARAM> offered;
    form->OnShortCut = [&](TMessage& m, bool& handled) {
        offered.push_back(m.WParam);
        handled = m.WParam == VK_F5;
    };
    vls::headless::KeyTap(VK_F5);
    Application->ProcessMessages();
    EXPECT_EQ(keyDowns, 0);
    vls::headless::KeyTap(VK_F6);
    Application->ProcessMessages();
    EXPECT_EQ(keyDowns, 1);
    EXPECT_EQ(offered, (std::vector<WPARAM>{VK_F5, VK_F6}));
    delete form;
}

TEST_F(FormServicesTest, CaptionIsReadFromTheWindowOnceItExists)
{
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    EXPECT_EQ(form->Caption(), "Small form");
    SetWindowTextA(form->Handle(), "Changed behind its back");
    EXPECT_EQ(form->Caption(), "Changed behind its back");
    form->SetCaption("Set again");
    char text[32] = {};
    GetWindowTextA(form->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Set again");
    delete form;
}

TEST_F(FormServicesTest, FormPropertiesOfTheFrame)
{
    TForm form(nullptr);
    EXPECT_TRUE(form.AutoScroll());
    EXPECT_EQ(form.DefaultMonitor(), dmActiveForm);
    form.Constraints()->SetMinWidth(200);
    TSizeConstraints copy;
    copy.Assign(form.Constraints());
    EXPECT_EQ(copy.MinWidth(), 200);
    EXPECT_EQ(copy.MaxHeight(), 0);
    const RECT monitor = form.Monitor()->BoundsRect();
    EXPECT_EQ(monitor.right - monitor.left, Screen->Width());
    EXPECT_NE(Application->Icon(), nullptr);
    EXPECT_FALSE(Application->HelpContext(12));
}

}  // namespace
