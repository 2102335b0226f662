// A child window of the control gallery dragged by its caption with
// full-window dragging off: an inverted outline follows the mouse over the
// parent's client window, and the window moves only when the button comes up.
#include "tests/e2e/driven_program.h"
#include "tests/e2e/screenshot_view.h"

#include <gtest/gtest.h>

namespace {

using vls::e2e::ReadScreenshot;

// The "Notes 1" window's caption (window coordinates of the gallery), and
// how far the drag takes it.
constexpr int kCaptionX = 200, kCaptionY = 90;
constexpr int kDx = 100, kDy = 100;
// Its frame's left edge, 280 x 220 from (68, 77), below the caption.
constexpr int kLeft = 68, kTop = 77, kHeight = 220;

TEST(GalleryDrag, ABorderDragShowsItsOutlineAndMovesTheWindowOnRelease)
{
    vls::e2e::DrivenProgram program(GALLERY_PROGRAM_PATH);
    program.environment.emplace_back("VEILSTRAND_BACKEND", "headless");
    const std::string at = std::to_string(kCaptionX) + " " + std::to_string(kCaptionY);
    const std::string to = std::to_string(kCaptionX + kDx) + " " + std::to_string(kCaptionY + kDy);
    const auto script = program.config.write(
        "drag.txt", "step 500\nscreenshot before.bmp\nmousedown " + at + "\nstep 50\nmove " + to +
                        "\nstep 50\nscreenshot during.bmp\nmouseup " + to + "\nstep 200\nscreenshot after.bmp\n" +
                        "close\nstep 100\n");
    program.Start(script.string(), "");
    ASSERT_EQ(program.Wait(), 0) << program.Errors();
    const auto before = ReadScreenshot(program.work / "before.bmp");
    const auto during = ReadScreenshot(program.work / "during.bmp");
    const auto after = ReadScreenshot(program.work / "after.bmp");
    ASSERT_EQ(before.error + during.error + after.error, "");

    // The outline's left edge, two pixels wide, inverts what lies under it
    // (the other child and the client window alike); the window itself has
    // not moved yet.
    for (const int y : {kTop + kDy + 20, kTop + kDy + kHeight / 2, kTop + kDy + kHeight - 20})
        for (const int x : {kLeft + kDx, kLeft + kDx + 1}) {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            EXPECT_EQ(during.At(x, y), before.At(x, y) ^ 0xFFFFFFu);
        }
    EXPECT_EQ(during.At(kCaptionX, kCaptionY), before.At(kCaptionX, kCaptionY));
    EXPECT_EQ(during.At(kLeft + kDx + 4, kTop + kDy + kHeight / 2), before.At(kLeft + kDx + 4, kTop + kDy + kHeight / 2));

    // Released, the window stands where the outline was, and no outline is
    // left. The caption of the window it lay over is whole again: a row it
    // covered looks like one it never did.
    EXPECT_EQ(after.At(kCaptionX + kDx, kCaptionY + kDy), before.At(kCaptionX, kCaptionY));
    EXPECT_EQ(after.At(kLeft + kDx, kTop + kDy + kHeight / 2), before.At(kLeft, kTop + kHeight / 2));
    EXPECT_EQ(after.At(250, kTop + 3), after.At(250, kTop - 5));
}

}  // namespace
