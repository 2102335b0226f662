#include <gtest/gtest.h>

#include "launcher/components/kit_application.h"
#include "platform/uxtheme/uxtheme.h"
#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/user/winuser.h"
#include "tests/support/temp_dir.h"

using namespace kit;

namespace {

// Counts what the hook sees before passing it on.
class TCountingHook : public TKitWndProcComponent {
public:
    explicit TCountingHook(vcl::TComponent* owner) : TKitWndProcComponent(owner) {}
    int seen = 0;

protected:
    void WndProc(vcl::TMessage& message) override
    {
        if (message.Msg == WM_USER + 7)
            ++seen;
        TKitWndProcComponent::WndProc(message);
    }
};

class KitWndProcTest : public ::testing::Test {
protected:
    void SetUp() override { vls::headless::UseManualClock(); }
    void TearDown() override { vcl::Application->ProcessMessages(); }
    vls::test::ScopedConfig config;
};

TEST_F(KitWndProcTest, HookSeesOwnerMessagesAndGivesTheProcedureBack)
{
    auto* form = new vcl::TForm(nullptr);
    const HWND hwnd = form->Handle();
    const LONG original = GetWindowLongA(hwnd, GWL_WNDPROC);
    {
        TCountingHook hook(form);
        ASSERT_TRUE(hook.Hooked());
        EXPECT_NE(GetWindowLongA(hwnd, GWL_WNDPROC), original);
        form->SetCaption("through the hook");
        SendMessageA(hwnd, WM_USER + 7, 0, 0);
        EXPECT_EQ(hook.seen, 1);
        char text[64] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        EXPECT_STREQ(text, "through the hook");
    }
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_WNDPROC), original);
    delete form;
}

TEST_F(KitWndProcTest, ThemeBindingTakesEveryFunctionWhenTheLibraryIsThere)
{
    vls::uxtheme::InstallTestTheme(true);
    InitializeKitUnits();
    EXPECT_TRUE(KitThemes.available);
    EXPECT_NE(KitThemes.IsThemeActive, nullptr);
    KitApplication->RefreshThemed();
    EXPECT_TRUE(KitApplication->Themed());

    // A theme manager on a form follows WM_THEMECHANGED.
    auto* form = new vcl::TForm(nullptr);
    auto* manager = new TKitXPThemeManager(form);  // the form frees it
    vls::uxtheme::InstallTestTheme(false);
    SendMessageA(form->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_FALSE(KitApplication->Themed());
    vls::uxtheme::InstallTestTheme(true);
    SendMessageA(form->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(KitApplication->Themed());
    EXPECT_TRUE(manager->Hooked());
    delete form;
    FinalizeKitUnits();
    EXPECT_FALSE(KitThemes.available);
}

}  // namespace
