// Lip sync played from outside: while the keeper speaks on the messenger's
// screen his jaw (and the beard that hangs on it) follows the ".sync" keys
// of his line. The same call with the line's keys taken away (an
// "updates\" file of no keys) shows the same pictures except for his jaw.
#include "tests/e2e/demo_run.h"
#include "tests/e2e/screenshot_view.h"
#include "tests/support/file_bytes.h"
#include "tools/demo/demo_messenger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using vls::e2e::DrivenProgram;
using vls::e2e::ReadScreenshot;
using vls::e2e::Screenshot;

namespace m = vls::tools::messenger;

// Screen points of the device's controls: the band starts at row 128.
std::string Click(int bandX, int bandY)
{
    const std::string at = std::to_string(bandX) + " " + std::to_string(bandY + 128);
    return "move " + at + "\nstep 50\nclick " + at + "\n";
}

// The device opened, paged to the keeper and the call made; pictures while
// he says his first line and after it.
std::string CallScript()
{
    return "step 500\nkey M\nstep 1500\n" + Click(m::kDeviceX + 105, m::kDeviceY + 190) + "step 300\n"
        + Click(m::kConnectX + 16, m::kButtonY + 16)
        + "step 1500\nscreenshot talk1.bmp\nstep 100\nscreenshot talk2.bmp\nstep 100\nscreenshot talk3.bmp\n"
          "step 3000\nscreenshot after.bmp\nkey ESCAPE\nstep 100\nclose\nstep 1000\n";
}

struct Difference {
    int pixels = 0;
    int left = 1024, top = 768, right = 0, bottom = 0;
};

Difference Compare(const Screenshot& a, const Screenshot& b)
{
    Difference d;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.At(x, y) != b.At(x, y)) {
                ++d.pixels;
                d.left = std::min(d.left, x);
                d.top = std::min(d.top, y);
                d.right = std::max(d.right, x + 1);
                d.bottom = std::max(d.bottom, y + 1);
            }
    return d;
}

TEST(VlsLipSync, TheKeepersJawFollowsTheKeysOfHisLine)
{
    DrivenProgram synced(VLS_PROGRAM_PATH);
    ASSERT_EQ(vls::e2e::PlayDemo(synced, CallScript()).status, 0);
    DrivenProgram still(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(still.work / "updates" / "say_keeper_hello.sync", {'0', '\r', '\n'});
    ASSERT_EQ(vls::e2e::PlayDemo(still, CallScript()).status, 0);

    // The head's screen on the device, in screen pixels.
    const int screenLeft = m::kScreenX - 8, screenTop = m::kScreenY + 128 - 8;
    int moving = 0;
    for (const char* name : {"talk1.bmp", "talk2.bmp", "talk3.bmp"}) {
        const Screenshot withKeys = ReadScreenshot(synced.work / name);
        const Screenshot withoutKeys = ReadScreenshot(still.work / name);
        ASSERT_EQ(withKeys.error, "") << name;
        ASSERT_EQ(withoutKeys.error, "") << name;
        const Difference d = Compare(withKeys, withoutKeys);
        if (d.pixels == 0)
            continue;
        ++moving;
        EXPECT_GE(d.left, screenLeft) << name;
        EXPECT_GE(d.top, screenTop) << name;
        EXPECT_LE(d.right, screenLeft + 140) << name;
        EXPECT_LE(d.bottom, screenTop + 140) << name;
    }
    EXPECT_GE(moving, 2) << "the jaw moves with the syllables";
    EXPECT_EQ(Compare(ReadScreenshot(synced.work / "after.bmp"), ReadScreenshot(still.work / "after.bmp")).pixels, 0)
        << "and rests when the line is over";
}

} // namespace
