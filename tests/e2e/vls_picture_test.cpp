// What a scripted run of the engine shows: the scripted channel draws the
// real picture offscreen, so a screenshot holds what the player would see,
// and the same script gives the same bytes every time.
#include "tests/e2e/demo_run.h"
#include "tests/e2e/screenshot_view.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::PlayDemo;
using vls::e2e::ReadScreenshot;
using vls::e2e::Screenshot;

constexpr const char* kHarbourThenMenu = "step 500\n"
                                         "screenshot harbour.bmp\n"
                                         "key ESCAPE\n"
                                         "step 500\n"
                                         "screenshot menu.bmp\n"
                                         "key ESCAPE\n"
                                         "step 100\n"
                                         "close\n"
                                         "step 1000\n";

// The menu's main picture, 512 x 512, sits in the middle of the screen; its
// first item is a box in the demo's button colour.
constexpr int kMenuLeft = 256;
constexpr int kMenuTop = 128;
constexpr std::uint32_t kMenuButton = 0x3C6E8C;

TEST(VlsPicture, TheScriptShowsTheHarbourAndTheMenuTheSameWayEveryTime)
{
    DrivenProgram first(VLS_PROGRAM_PATH);
    const DemoRun run = PlayDemo(first, kHarbourThenMenu);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    const Screenshot harbour = ReadScreenshot(first.work / "harbour.bmp");
    const Screenshot menu = ReadScreenshot(first.work / "menu.bmp");
    ASSERT_EQ(harbour.error, "");
    ASSERT_EQ(menu.error, "");
    ASSERT_EQ(harbour.width, 1024);
    ASSERT_EQ(harbour.height, 768);
    // The harbour's painted view, its figures and the cursor: many colours,
    // and black only in the letterbox bars above and below the band.
    EXPECT_GT(harbour.Colours(), 200u);
    EXPECT_EQ(harbour.CountNear(0, 0, 800, 100, 0x000000, 0), 800 * 100) << "the upper bar, left of a new item's icon";
    EXPECT_LT(harbour.CountNear(0, 140, 1024, 620, 0x000000, 4), 1024 * 10) << "the band is painted";
    // The menu's first item, left of its label.
    const int left = kMenuLeft + 100, top = kMenuTop + 68;
    EXPECT_EQ(menu.CountNear(left, top, left + 20, top + 8, kMenuButton, 6), 20 * 8);
    EXPECT_EQ(harbour.CountNear(left, top, left + 20, top + 8, kMenuButton, 6), 0);

    DrivenProgram second(VLS_PROGRAM_PATH);
    ASSERT_EQ(PlayDemo(second, kHarbourThenMenu).status, 0);
    EXPECT_EQ(vls::test::ReadFileBytes(second.work / "harbour.bmp"), vls::test::ReadFileBytes(first.work / "harbour.bmp"));
    EXPECT_EQ(vls::test::ReadFileBytes(second.work / "menu.bmp"), vls::test::ReadFileBytes(first.work / "menu.bmp"));
}

}  // namespace
