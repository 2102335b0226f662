// The fast pixel loops against the plain ones, on random pixels and odd sizes.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "platform/vcl/graphics.h"
#include "skin/graphics/sk_bitmap.h"
#include "skin/graphics/sk_pixel_rows.h"

using namespace skin;

namespace {

// Alpha drawn mostly from 0, 255 and the values next to them, where the
// blend's special cases and rounding sit, and otherwise anything.
TPixel RandomPixel(std::mt19937& random)
{
    static const std::uint32_t kAlphas[] = {0, 1, 127, 128, 254, 255};
    const std::uint32_t pick = random() % 12;
    const std::uint32_t alpha = pick < 6 ? kAlphas[pick] : random() & 0xFF;
    return (alpha << 24) | (random() & 0x00FFFFFF);
}

std::vector<TPixel> RandomRow(std::mt19937& random, int count)
{
    std::vector<TPixel> row(static_cast<std::size_t>(count));
    for (TPixel& p : row)
        p = RandomPixel(random);
    return row;
}

std::unique_ptr<TSkBitmap> RandomBitmap(std::mt19937& random, int w, int h)
{
    auto b = std::make_unique<TSkBitmap>();
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *b->PixelPtr(x, y) = RandomPixel(random);
    b->SetAlphaBlend(true);
    return b;
}

std::vector<TPixel> PixelsOf(const TSkBitmap& b)
{
    return std::vector<TPixel>(b.Bits(), b.Bits() + static_cast<std::ptrdiff_t>(b.Width()) * b.Height());
}

// The stretch as a per-pixel nearest-neighbour loop with a bounds test on
// every pixel: the reference the column-map stretch must match.
void ReferenceStretch(const TSkBitmap& from, TSkBitmap& to, const RECT& source, const RECT& dest)
{
    const int sw = source.right - source.left, sh = source.bottom - source.top;
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const RECT visible{std::max<LONG>(dest.left, 0), std::max<LONG>(dest.top, 0), std::min<LONG>(dest.right, to.Width()),
        std::min<LONG>(dest.bottom, to.Height())};
    if (visible.right <= visible.left || visible.bottom <= visible.top)
        return;
    const std::int64_t stepX = static_cast<std::int64_t>(sw) * 65536 / dw;
    const std::int64_t stepY = static_cast<std::int64_t>(sh) * 65536 / dh;
    std::int64_t ay = vcl::MulDiv(sh * (visible.top - dest.top), 65535, dh);
    for (int ty = visible.top; ty < visible.bottom; ++ty, ay += stepY) {
        const int sy = source.top + static_cast<int>(ay >> 16);
        std::int64_t ax = vcl::MulDiv(sw * (visible.left - dest.left), 65535, dw);
        for (int tx = visible.left; tx < visible.right; ++tx, ax += stepX) {
            const int sx = source.left + static_cast<int>(ax >> 16);
            if (sx < 0 || sy < 0 || sx >= from.Width() || sy >= from.Height())
                continue;
            TPixel* const d = to.PixelPtr(tx, ty);
            *d = BlendPixel(*from.PixelPtr(sx, sy), *d);
        }
    }
}

}  // namespace

TEST(SkPixelRows, EveryLevelMatchesThePlainLoop)
{
    std::mt19937 random(24);
    const std::vector<TBlendRowLevel> levels = BlendRowLevels();
    ASSERT_FALSE(levels.empty());
    for (const TBlendRowLevel& level : levels) {
        for (int count : {0, 1, 3, 7, 9, 15, 17, 31, 33, 621}) {
            const std::vector<TPixel> source = RandomRow(random, count);
            const std::vector<TPixel> dest = RandomRow(random, count);
            std::vector<TPixel> expected = dest;
            BlendRowPlain(source.data(), expected.data(), count);
            std::vector<TPixel> got = dest;
            level.blend(source.data(), got.data(), count);
            EXPECT_EQ(got, expected) << level.name << " over " << count << " pixels";
        }
    }
}

// Every alpha with every pair of source and destination bytes, in every
// channel, at every level: the vector loops, and the stretch's two halves of
// the blend, round as the plain loop does.
TEST(SkPixelRows, EveryLevelMatchesThePlainLoopOnEveryByte)
{
    constexpr int kPairs = 256 * 256;
    std::vector<TPixel> source(kPairs), dest(kPairs), expected, got, shares(kPairs);
    std::vector<std::uint32_t> weights(kPairs);
    std::vector<int> identity(kPairs);
    for (int i = 0; i < kPairs; ++i)
        identity[static_cast<std::size_t>(i)] = i;
    for (const TBlendRowLevel& level : BlendRowLevels()) {
        int mismatches = 0, preparedMismatches = 0;
        for (std::uint32_t alpha = 0; alpha < 256; ++alpha) {
            for (std::uint32_t i = 0; i < kPairs; ++i) {
                const std::uint32_t s = i & 0xFF, d = i >> 8;
                // Each channel gets its own pair, turned so no two agree.
                source[i] = (alpha << 24) | (s << 16) | (((s + 85) & 0xFF) << 8) | ((s + 170) & 0xFF);
                dest[i] = (d << 24) | (((d + 170) & 0xFF) << 16) | (d << 8) | ((d + 85) & 0xFF);
            }
            expected = dest;
            BlendRowPlain(source.data(), expected.data(), kPairs);
            got = dest;
            level.blend(source.data(), got.data(), kPairs);
            mismatches += got != expected;
            // The stretch's split of the same blend: the source half first.
            level.prepare(source.data(), kPairs, identity.data(), shares.data(), weights.data(), kPairs);
            got = dest;
            level.blendPrepared(shares.data(), weights.data(), got.data(), kPairs);
            preparedMismatches += got != expected;
        }
        EXPECT_EQ(mismatches, 0) << level.name;
        EXPECT_EQ(preparedMismatches, 0) << level.name;
    }
}

// One pixel of alpha 0 or 255 among half-transparent ones, at each place of
// a vector group, with its colour bytes at the ends of their range: the
// vector loops must see it and give it whole, or leave the destination.
TEST(SkPixelRows, LoneOpaqueOrClearPixelAtEveryLevel)
{
    for (const TBlendRowLevel& level : BlendRowLevels()) {
        for (TPixel lone : {0xFF000000u, 0xFFFFFFFFu, 0xFF00FF00u, 0x00000000u, 0x00FFFFFFu}) {
            for (int at = 0; at < 16; ++at) {
                std::vector<TPixel> source(21, 0x80C0C0C0u);
                source[static_cast<std::size_t>(at)] = lone;
                const std::vector<TPixel> dest(21, 0xFF8090A0u);
                std::vector<TPixel> expected = dest, got = dest;
                BlendRowPlain(source.data(), expected.data(), 21);
                level.blend(source.data(), got.data(), 21);
                EXPECT_EQ(got, expected) << level.name << ": " << std::hex << lone << " at " << std::dec << at;
            }
        }
    }
}

// The stretch's sampling, straight and made ready: columns that repeat, step
// by one, jump further than a vector's window, and end on the line's last
// pixel, where a window read must not run past it.
TEST(SkPixelRows, SampledColumnsBlendAsBlendPixelAtEveryLevel)
{
    std::mt19937 random(29);
    for (const TBlendRowLevel& level : BlendRowLevels()) {
        for (int count : {0, 1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 621}) {
            for (int maxStep : {1, 2, 5}) {
                std::vector<int> columns(static_cast<std::size_t>(count));
                int column = 0;
                for (int& c : columns) {
                    c = column;
                    column += static_cast<int>(random() % static_cast<std::uint32_t>(maxStep + 1));
                }
                const int width = count == 0 ? 1 : columns.back() + 1;
                const std::vector<TPixel> line = RandomRow(random, width);
                const std::vector<TPixel> start = RandomRow(random, count);
                std::vector<TPixel> expected = start;
                for (int k = 0; k < count; ++k)
                    expected[static_cast<std::size_t>(k)] =
                        BlendPixel(line[static_cast<std::size_t>(columns[static_cast<std::size_t>(k)])],
                                   expected[static_cast<std::size_t>(k)]);
                std::vector<TPixel> shares(static_cast<std::size_t>(count)), got = start;
                std::vector<std::uint32_t> weights(static_cast<std::size_t>(count));
                level.prepare(line.data(), width, columns.data(), shares.data(), weights.data(), count);
                level.blendPrepared(shares.data(), weights.data(), got.data(), count);
                EXPECT_EQ(got, expected) << level.name << ", " << count << " columns, steps up to " << maxStep;
                got = start;
                level.blendColumns(line.data(), width, columns.data(), got.data(), count);
                EXPECT_EQ(got, expected) << level.name << " straight, " << count << " columns, steps up to "
                                         << maxStep;
            }
        }
    }
}

TEST(SkPixelRows, OverlappingRowsBlendInPixelOrder)
{
    std::mt19937 random(7);
    for (const TBlendRowLevel& level : BlendRowLevels()) {
        for (int shift : {-5, -1, 0, 1, 3, 8}) {
            // Room for 37 pixels from 20 + 8 on either side.
            const std::vector<TPixel> start = RandomRow(random, 72);
            std::vector<TPixel> expected = start;
            BlendRowPlain(expected.data() + 20, expected.data() + 20 + shift, 37);
            std::vector<TPixel> got = start;
            level.blend(got.data() + 20, got.data() + 20 + shift, 37);
            EXPECT_EQ(got, expected) << level.name << " shifted by " << shift;
        }
    }
}

TEST(SkPixelRows, AlphaDrawToMatchesThePlainBlend)
{
    std::mt19937 random(3);
    for (int w : {1, 5, 13, 37}) {
        const int h = w / 2 + 3;
        const auto source = RandomBitmap(random, w, h);
        const auto target = RandomBitmap(random, w + 4, h + 2);
        std::vector<TPixel> expected = PixelsOf(*target);
        for (int y = 0; y < h; ++y)
            BlendRowPlain(source->PixelPtr(0, y), expected.data() + 2 + (y + 1) * target->Width(), w);
        source->DrawTo(target.get(), 2, RECT{0, 0, w, h}, 1);
        EXPECT_EQ(PixelsOf(*target), expected) << w << " wide";
    }
}

TEST(SkPixelRows, AlphaStretchMatchesPerPixelSampling)
{
    struct Case {
        int sourceWidth, sourceHeight;
        RECT source, dest;
        int targetWidth, targetHeight;
    };
    const Case cases[] = {
        {31, 17, {0, 0, 31, 17}, {0, 0, 47, 29}, 47, 29},      // enlarge
        {33, 21, {0, 0, 33, 21}, {0, 0, 13, 9}, 13, 9},        // shrink
        {15, 15, {-4, -3, 19, 17}, {0, 0, 41, 37}, 41, 37},    // source reaches past the bitmap
        {17, 11, {2, 1, 15, 10}, {-7, -5, 33, 25}, 23, 19},    // dest clipped at both ends
        {9, 7, {0, 0, 9, 7}, {3, 2, 25, 20}, 27, 21},          // dest inside the target
        {5, 3, {0, 0, 5, 3}, {0, 0, 1, 1}, 3, 3},              // one pixel
        {7, 5, {0, 0, 7, 5}, {0, 0, 10, 11}, 10, 11},          // odd factors, up
        {10, 9, {0, 0, 10, 9}, {0, 0, 7, 4}, 7, 4},            // odd factors, down
        {61, 9, {0, 0, 61, 9}, {0, 0, 37, 23}, 37, 23},        // narrower and taller
        {29, 13, {0, 0, 29, 13}, {0, 0, 103, 13}, 103, 13},    // wider only, past several vector windows
        {1, 4, {0, 0, 1, 4}, {0, 0, 19, 9}, 19, 9},            // one column spread over many
    };
    std::mt19937 random(11);
    for (const TBlendRowLevel& level : BlendRowLevels()) {
        UseBlendRowLevel(&level);
        for (const Case& c : cases) {
            const auto source = RandomBitmap(random, c.sourceWidth, c.sourceHeight);
            const auto target = RandomBitmap(random, c.targetWidth, c.targetHeight);
            const auto expected = RandomBitmap(random, c.targetWidth, c.targetHeight);
            std::copy(target->Bits(), target->Bits() + c.targetWidth * c.targetHeight, expected->Bits());
            ReferenceStretch(*source, *expected, c.source, c.dest);
            source->StretchTo(target.get(), c.source, c.dest);
            EXPECT_EQ(PixelsOf(*target), PixelsOf(*expected))
                << level.name << ": " << c.sourceWidth << "x" << c.sourceHeight << " to " << c.dest.right - c.dest.left
                << "x" << c.dest.bottom - c.dest.top;
        }
    }
    UseBlendRowLevel(nullptr);
}

// The whole draws give the same bitmap whichever level blends their rows.
TEST(SkPixelRows, DrawAndStretchAgreeAtEveryLevel)
{
    std::mt19937 random(19);
    const auto source = RandomBitmap(random, 61, 23);
    const auto start = RandomBitmap(random, 97, 41);
    std::vector<TPixel> plainDraw, plainStretch;
    for (const TBlendRowLevel& level : BlendRowLevels()) {
        UseBlendRowLevel(&level);
        TSkBitmap drawn, stretched;
        for (TSkBitmap* target : {&drawn, &stretched}) {
            target->SetSize(97, 41);
            std::copy(start->Bits(), start->Bits() + 97 * 41, target->Bits());
        }
        source->DrawTo(&drawn, 3, RECT{0, 0, 61, 23}, 5);
        source->StretchTo(&stretched, RECT{0, 0, 61, 23}, RECT{-2, 1, 95, 40});
        if (plainDraw.empty()) {
            plainDraw = PixelsOf(drawn);
            plainStretch = PixelsOf(stretched);
            continue;
        }
        EXPECT_EQ(PixelsOf(drawn), plainDraw) << level.name;
        EXPECT_EQ(PixelsOf(stretched), plainStretch) << level.name;
    }
    UseBlendRowLevel(nullptr);
}

TEST(SkPixelRows, StretchOntoItselfReadsPixelsItWrote)
{
    std::mt19937 random(5);
    const auto bitmap = RandomBitmap(random, 19, 13);
    const auto expected = RandomBitmap(random, 19, 13);
    std::copy(bitmap->Bits(), bitmap->Bits() + 19 * 13, expected->Bits());
    ReferenceStretch(*expected, *expected, RECT{0, 0, 9, 7}, RECT{1, 1, 19, 13});
    bitmap->StretchTo(bitmap.get(), RECT{0, 0, 9, 7}, RECT{1, 1, 19, 13});
    EXPECT_EQ(PixelsOf(*bitmap), PixelsOf(*expected));
}
