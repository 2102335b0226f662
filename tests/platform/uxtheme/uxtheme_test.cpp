#include <gtest/gtest.h>

#include "platform/uxtheme/uxtheme.h"
#include "platform/win32/kernel/module.h"

namespace {

using IsThemeActiveFn = BOOL (*)();

TEST(VisualStyles, AbsentUntilTheTestDoubleIsInstalled)
{
    // Fresh process: no library, so run-time binding finds nothing.
    EXPECT_EQ(LoadLibraryA("uxtheme.dll"), nullptr);
    EXPECT_FALSE(IsThemeActive());
    EXPECT_EQ(OpenThemeData(nullptr, u"BUTTON"), nullptr);

    vls::uxtheme::InstallTestTheme();
    HMODULE lib = LoadLibraryA("uxtheme.dll");
    ASSERT_NE(lib, nullptr);
    auto active = reinterpret_cast<IsThemeActiveFn>(reinterpret_cast<void*>(GetProcAddress(lib, "IsThemeActive")));
    ASSERT_NE(active, nullptr);
    EXPECT_TRUE(active());
    EXPECT_NE(GetProcAddress(lib, "DrawThemeBackground"), nullptr);

    HTHEME theme = OpenThemeData(nullptr, u"BUTTON");
    ASSERT_NE(theme, nullptr);
    RECT r{0, 0, 4, 4};
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(DrawThemeBackground(theme, dc, 1, 2, &r, nullptr), S_OK);
    ASSERT_EQ(vls::uxtheme::TestThemeCalls().size(), 1u);
    EXPECT_EQ(vls::uxtheme::TestThemeCalls()[0].classList, u"BUTTON");
    EXPECT_EQ(vls::uxtheme::TestThemeCalls()[0].state, 2);
    EXPECT_EQ(CloseThemeData(theme), S_OK);
    EXPECT_EQ(DrawThemeBackground(theme, dc, 1, 2, &r, nullptr), E_INVALIDARG);
    DeleteDC(dc);

    vls::uxtheme::InstallTestTheme(false);
    EXPECT_FALSE(active());
}

}  // namespace
