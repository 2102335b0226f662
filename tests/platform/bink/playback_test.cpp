#include "tests/platform/bink/clip_fixture.h"

#include "platform/win32/kernel/clock.h"

namespace vls::test {
namespace {

// The shared clock, stood still and moved by hand.
class BinkPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::win32::SetClockSource([this] { return nowMs * 1000; });
        tools::VideoClipOptions options;
        options.width = 32;
        options.height = 16;
        options.frames = 12;
        options.keyInterval = 5;
        clip = MakeClip(options);
    }
    void TearDown() override { vls::win32::SetClockSource({}); }

    std::uint64_t nowMs = 5000;
    std::vector<std::uint8_t> clip;
};

TEST_F(BinkPlayback, WaitPacesFramesByTheFrameRate)
{
    BinkSetFrameRate(10, 1);
    HBINK bink = OpenClip(clip, BINKFRAMERATE);
    ASSERT_NE(bink, nullptr);
    EXPECT_EQ(BinkWait(bink), 0) << "the first frame is due at once";
    for (U32 frame = 1; frame <= 3; ++frame) {
        BinkDoFrame(bink);
        BinkNextFrame(bink);
        nowMs += 99;
        EXPECT_EQ(BinkWait(bink), 1) << frame;
        nowMs += 1;
        EXPECT_EQ(BinkWait(bink), 0) << frame;
    }
    BinkClose(bink);

    // The stream's own 25 frames a second: 40 ms a frame.
    bink = OpenClip(clip, 0);
    BinkDoFrame(bink);
    BinkNextFrame(bink);
    nowMs += 39;
    EXPECT_EQ(BinkWait(bink), 1);
    nowMs += 1;
    EXPECT_EQ(BinkWait(bink), 0);
    BinkClose(bink);
}

TEST_F(BinkPlayback, WaitSurvivesTheClockWrapping)
{
    nowMs = 0xFFFFFFFFull - 20; // timeGetTime wraps 20 ms from now
    HBINK bink = OpenClip(clip, 0);
    BinkDoFrame(bink);
    BinkNextFrame(bink);
    nowMs += 30;
    EXPECT_EQ(BinkWait(bink), 1);
    nowMs += 10;
    EXPECT_EQ(BinkWait(bink), 0);
    BinkClose(bink);
}

TEST_F(BinkPlayback, PauseHoldsTheFrameAndResumesInStep)
{
    HBINK bink = OpenClip(clip, 0);
    BinkDoFrame(bink);
    BinkNextFrame(bink);
    EXPECT_EQ(BinkPause(bink, 1), 1);
    EXPECT_EQ(bink->Paused, 1u);
    nowMs += 10000;
    EXPECT_EQ(BinkWait(bink), 1) << "nothing is due while paused";
    EXPECT_EQ(BinkPause(bink, 0), 0);
    // Resuming does not make up for the paused time with a burst of frames.
    EXPECT_EQ(BinkWait(bink), 0);
    BinkDoFrame(bink);
    BinkNextFrame(bink);
    EXPECT_EQ(BinkWait(bink), 1);
    nowMs += 40;
    EXPECT_EQ(BinkWait(bink), 0);
    EXPECT_EQ(bink->LastFrameNum, 2u);
    BinkClose(bink);
}

TEST_F(BinkPlayback, GotoDecodesTheFrameAskedFor)
{
    HBINK bink = OpenClip(clip);
    ASSERT_NE(bink, nullptr);
    struct Case {
        U32 asked;
        U32 reached;
    };
    // Forward past key frames, back before the current one, and out of range.
    for (const Case c : {Case{8, 8}, Case{9, 9}, Case{3, 3}, Case{11, 11}, Case{0, 1}, Case{40, 12}, Case{6, 6}}) {
        BinkGoto(bink, c.asked, BINKGOTOQUICK);
        EXPECT_EQ(bink->FrameNum, c.reached);
        BinkDoFrame(bink);
        EXPECT_EQ(bink->LastFrameNum, c.reached);
        EXPECT_EQ(CopyFrame(bink)[3 * 32 + 7], tools::PatternPixel(int(c.reached) - 1, 7, 3)) << c.asked;
    }
    BinkClose(bink);
}

TEST_F(BinkPlayback, RunsToTheEndAndStartsAgain)
{
    HBINK bink = OpenClip(clip);
    for (U32 frame = 1; frame <= bink->Frames; ++frame) {
        EXPECT_EQ(bink->FrameNum, frame);
        BinkDoFrame(bink);
        EXPECT_EQ(CopyFrame(bink)[0], tools::PatternPixel(int(frame) - 1, 0, 0));
        BinkNextFrame(bink);
    }
    EXPECT_EQ(bink->FrameNum, 1u);
    BinkDoFrame(bink);
    EXPECT_EQ(CopyFrame(bink)[0], tools::PatternPixel(0, 0, 0));
    EXPECT_STREQ(BinkGetError(), "");
    BinkClose(bink);
}

// What the engine's image update does each frame: play once, stop at the
// stream's end.
TEST_F(BinkPlayback, EngineUpdateLoopReachesTheEnd)
{
    BinkSetFrameRate(25, 1);
    HBINK bink = OpenClip(clip, BINKFRAMERATE | BINKALPHA);
    int shown = 0;
    for (int tick = 0; tick < 1000; ++tick, nowMs += 20) {
        if (BinkWait(bink)) {
            BinkService(bink);
            continue;
        }
        BinkDoFrame(bink);
        ++shown;
        EXPECT_EQ(CopyFrame(bink)[0], tools::PatternPixel(int(bink->LastFrameNum) - 1, 0, 0));
        if (bink->FrameNum == bink->Frames - 1) {
            BinkPause(bink, 1);
            break;
        }
        BinkNextFrame(bink);
        BinkService(bink);
    }
    EXPECT_EQ(shown, 11);
    EXPECT_EQ(bink->Paused, 1u);
    BinkClose(bink);
}

TEST_F(BinkPlayback, CopyStaysInsideTheDestination)
{
    HBINK bink = OpenClip(clip);
    std::vector<std::uint32_t> before(10 * 6, 0x11111111);
    EXPECT_EQ(BinkCopyToBuffer(bink, before.data(), 40, 6, 0, 0, BINKSURFACE32), 1) << "nothing decoded yet";
    EXPECT_EQ(before[0], 0x11111111u);
    BinkDoFrame(bink);
    EXPECT_EQ(BinkCopyToBuffer(bink, before.data(), 40, 6, 0, 0, 3), 1) << "only 32-bit surfaces";

    // A destination of 12-pixel rows and 6 rows, with a guard row before and
    // after: the 32 x 16 frame placed at (4, 2) is cut to 8 x 4 pixels.
    constexpr int kPitchPixels = 12;
    std::vector<std::uint32_t> dest(kPitchPixels * 8, 0x22222222);
    EXPECT_EQ(BinkCopyToBuffer(bink, dest.data() + kPitchPixels, kPitchPixels * 4, 6, 4, 2, BINKSURFACE32), 0);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < kPitchPixels; ++x) {
            const int row = y - 1 - 2;
            const int column = x - 4;
            const bool inside = row >= 0 && row < 4 && column >= 0 && column < 8;
            const std::uint32_t got = dest[std::size_t(y) * kPitchPixels + x];
            if (inside)
                EXPECT_EQ(got, tools::PatternPixel(0, column, row)) << x << "," << y;
            else
                EXPECT_EQ(got, 0x22222222u) << x << "," << y;
        }
    }
    BinkClose(bink);
}

} // namespace
} // namespace vls::test
