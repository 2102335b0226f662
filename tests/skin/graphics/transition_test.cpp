#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/win32/kernel/clock.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_timer.h"
#include "skin/graphics/sk_transition.h"

using namespace skin;

namespace {

int Count(const TSkMask& m, std::uint8_t v) { return static_cast<int>(std::count(m.begin(), m.end(), v)); }

}  // namespace

TEST(SkTransitionMask, ProgressZeroIsEmptyForEveryEffect)
{
    for (int e = keFade; e <= keSmoothRectOut; ++e) {
        for (auto [w, h] : {std::pair{9, 7}, std::pair{7, 9}, std::pair{1, 1}}) {
            TSkMask m;
            GenerateMask(static_cast<TkeEffect>(e), m, w, h, 0);
            EXPECT_EQ(Count(m, 0), w * h) << kEffectInfo.names[static_cast<size_t>(e)] << " " << w << "x" << h;
        }
    }
}

TEST(SkTransitionMask, FullProgressCoversTheMask)
{
    for (TkeEffect e : {keFade, keDown, keIn, keOut, kePixel, keDiagonal}) {
        TSkMask m;
        GenerateMask(e, m, 8, 6, 100);
        EXPECT_EQ(Count(m, 255), 48) << kEffectInfo.names[e];
    }
}

TEST(SkTransitionMask, FixedProgressValues)
{
    TSkMask m;
    GenerateMask(keFade, m, 3, 3, 50);
    EXPECT_EQ(Count(m, 128), 9);  // Round(127.5), halves to even

    GenerateMask(keDown, m, 4, 11, 50);  // rows 0 .. MulDiv(50, 10, 100) = 5, in MulDiv(50, 255, 100) = 128
    EXPECT_EQ(Count(m, 128), 24);
    EXPECT_EQ(m[5 * 4], 128);
    EXPECT_EQ(m[6 * 4], 0);

    GenerateMask(keIn, m, 2, 10, 40);  // k = 2: rows 0..2 and 7..9
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(m[static_cast<size_t>(y) * 2], (y <= 2 || y >= 7) ? 102 : 0) << y;

    GenerateMask(keOut, m, 1, 10, 40);  // rows 5 +- 2
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(m[static_cast<size_t>(y)], (y >= 3 && y <= 7) ? 102 : 0) << y;

    // Pixels: the same cells stay set from frame to frame.
    TSkMask early, late;
    GenerateMask(kePixel, early, 10, 10, 30);
    GenerateMask(kePixel, late, 10, 10, 60);
    EXPECT_EQ(Count(early, 255), 30);
    EXPECT_EQ(Count(late, 255), 60);
    for (size_t i = 0; i < early.size(); ++i)
        if (early[i]) {
            EXPECT_EQ(late[i], 255);
        }

    // Soft diamonds are most opaque in the middle.
    GenerateMask(keDiamondOut, m, 11, 11, 50);
    EXPECT_GT(m[5 * 11 + 5], 0);
    EXPECT_GE(m[5 * 11 + 5], m[5 * 11 + 7]);
}

TEST(SkTransitionMask, LinesAreClippedToTheMask)
{
    TSkMask m(16, 0);
    DrawMaskLine(m, 4, 4, 9, -2, -2, 5, 5);
    EXPECT_EQ(m[0], 9);
    EXPECT_EQ(m[5], 9);
    EXPECT_EQ(m[15], 9);
    EXPECT_EQ(Count(m, 9), 4);
}

TEST(SkTransitionMask, RandomPickNeverRepeatsRandomSelect)
{
    TransitionRandomize(1234);
    for (int i = 0; i < 500; ++i) {
        const int e = TransitionRandom(14) + 1;
        ASSERT_GE(e, keFade);
        ASSERT_LE(e, keSmoothRectOut);
    }
}

TEST(SkTransition, FramesMixThroughTheMaskAndKeepKeyPixelsOld)
{
    TSkBitmap oldPicture, newPicture, frame;
    oldPicture.SetSize(4, 4);
    oldPicture.Fill(0xFF0000FF);
    newPicture.SetSize(4, 4);
    newPicture.Fill(0xFFFF0000);
    *newPicture.PixelPtr(1, 1) = KeyColor;
    frame.SetSize(4, 4);
    TSkTransition t;
    t.Effect = keFade;
    BuildTransitionFrame(t, keFade, 50, &newPicture, &oldPicture, &frame);
    EXPECT_EQ(frame.GetPixel(0, 0), BlendPixel(0x80FF0000, 0xFF0000FF));
    EXPECT_EQ(frame.GetPixel(1, 1), 0xFF0000FFu);
    BuildTransitionFrame(t, keFade, 100, &newPicture, &oldPicture, &frame);
    EXPECT_EQ(frame.GetPixel(3, 3) & 0xFFFFFF, 0xFF0000u);
}

TEST(SkTransition, PlayEndsOnTheNewPictureAndRefusesSmallerOnes)
{
    // A clock that stands still: every frame still counts, so play ends.
    vls::win32::SetClockSource([] { return std::uint64_t{5000}; });
    TSkBitmap screen, oldPicture, newPicture, small;
    screen.SetSize(4, 4);
    screen.Fill(0xFF00FF00);
    oldPicture.SetSize(4, 4);
    oldPicture.Fill(0xFF0000FF);
    newPicture.SetSize(4, 4);
    newPicture.Fill(0xFFFF0000);
    *newPicture.PixelPtr(2, 2) = KeyColor;
    small.SetSize(3, 4);
    small.Fill(0xFFFFFFFF);
    vcl::TCanvas canvas;
    canvas.SetHandle(screen.DC());

    TSkTransition t;
    t.Time = 30;
    t.Effect = keRandomSelect;
    PlayTransition(&canvas, 0, 0, t, &small, &oldPicture);
    EXPECT_EQ(screen.GetPixel(0, 0), 0xFF00FF00u);

    PlayTransition(&canvas, 0, 0, t, &newPicture, &oldPicture);
    EXPECT_EQ(screen.GetPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    // Under the new picture's key pixel the last frame's old picture stays.
    EXPECT_EQ(screen.GetPixel(2, 2) & 0xFFFFFF, 0x0000FFu);

    t.Time = 0;
    screen.Fill(0xFF00FF00);
    PlayTransition(&canvas, 0, 0, t, &newPicture, &oldPicture);
    EXPECT_EQ(screen.GetPixel(2, 2), 0xFF00FF00u);
    canvas.SetHandle(nullptr);
    vls::win32::SetClockSource(nullptr);
}

TEST(SkTimer, MeasuresThePerformanceCounter)
{
    std::uint64_t now = 1000;
    vls::win32::SetClockSource([&] { return now; });
    TSkTimer* timer = nullptr;
    EXPECT_EQ(StopTimer(timer), 0.0f);
    StartTimer(timer);
    now += 250000;
    EXPECT_NEAR(StopTimer(timer), 0.25f, 1e-6);
    delete timer;
    vls::win32::SetClockSource(nullptr);
}

TEST(SkTransition, FastFramesCountTheirRealTime)
{
    // Every reading of the counter moves it 50 microseconds: a frame takes
    // 0.05 ms, so a 10 ms transition shows some two hundred frames.
    std::uint64_t now = 0;
    int readings = 0;
    vls::win32::SetClockSource([&] {
        ++readings;
        return now += 50;
    });
    TSkBitmap screen, oldPicture, newPicture;
    screen.SetSize(2, 2);
    oldPicture.SetSize(2, 2);
    newPicture.SetSize(2, 2);
    vcl::TCanvas canvas;
    canvas.SetHandle(screen.DC());
    TSkTransition t;
    t.Time = 10;
    t.Effect = keFade;
    PlayTransition(&canvas, 0, 0, t, &newPicture, &oldPicture);
    canvas.SetHandle(nullptr);
    vls::win32::SetClockSource(nullptr);
    EXPECT_GT(readings, 300);
}

TEST(SkTransition, RandomEffectsDifferFromRunToRun)
{
    // Each start of the drawing unit seeds from the wall clock.
    auto picks = [] {
        FinalizeGraphicsUnit();
        InitGraphicsUnit();
        std::vector<int> out;
        for (int i = 0; i < 12; ++i)
            out.push_back(TransitionRandom(14) + 1);
        return out;
    };
    const std::vector<int> first = picks();
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    const std::vector<int> second = picks();
    FinalizeGraphicsUnit();
    EXPECT_NE(first, second);
}

TEST(SkTransition, APixelTransitionLeavesTheRandomPicksToTheirSeed)
{
    // The pixel effect seeds itself every frame; the picks that follow it
    // must still come from the clock's seed, not from the picture's size.
    auto picksAfterPixels = [](std::uint32_t seed) {
        TransitionRandomize(seed);
        TSkMask mask(16 * 8, 0);
        GenerateMask(kePixel, mask, 16, 8, 50);
        std::vector<int> out;
        for (int i = 0; i < 12; ++i)
            out.push_back(TransitionRandom(14) + 1);
        return out;
    };
    EXPECT_NE(picksAfterPixels(1), picksAfterPixels(2));
    // And the pixel effect itself still grows frame by frame from one seed.
    TSkMask half(16 * 8, 0), more(16 * 8, 0);
    TransitionRandomize(7);
    GenerateMask(kePixel, half, 16, 8, 40);
    TransitionRandomize(99);
    GenerateMask(kePixel, more, 16, 8, 60);
    for (size_t i = 0; i < half.size(); ++i) {
        if (half[i]) {
            EXPECT_EQ(more[i], 255) << "cell " << i;
        }
    }
}
