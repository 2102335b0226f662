#include "tools/demo/demo_inventory_pictures.h"

#include "engine/render/image_format.h"
#include "tools/image_writer.h"

#include <algorithm>
#include <cmath>

namespace vls::tools {
namespace {

// The bar is as tall as the inventory's slide and its icons (28 rows down,
// 64 tall) need; the arrows fill it at both ends.
constexpr std::uint32_t kBarWidth = 1024;
constexpr std::uint32_t kBarHeight = 128;
constexpr std::uint32_t kSlotWidth = 104;
constexpr std::uint32_t kFirstSlotX = 56;
constexpr std::uint32_t kIconTop = 28;
constexpr std::uint32_t kIconSide = 64;
constexpr std::uint32_t kArrowWidth = 60;
constexpr std::uint32_t kGlowSide = 32;

std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

std::vector<std::uint8_t> Translucent(const Picture& picture)
{
    KestruneImageHeader header;
    header.alpha = 1;
    return WriteImage(header, {picture});
}

// Dark planks with a lit top edge and a sunk frame for each of the nine slots.
Picture Bar()
{
    Picture bar(kBarWidth, kBarHeight);
    for (std::uint32_t y = 0; y < kBarHeight; ++y)
        for (std::uint32_t x = 0; x < kBarWidth; ++x) {
            const std::uint32_t grain = (x * 7 + y * 3 + (x / 97) * 13) % 11;
            const std::uint32_t plank = (y / 32) % 2 ? 8 : 0;
            const std::uint32_t edge = y < 4 ? 60 : 0;
            bar.At(x, y) = Argb(0xE0, 70 + grain + plank + edge, 48 + grain + plank + edge, 30 + plank + edge);
        }
    for (std::uint32_t slot = 0; slot < 9; ++slot) {
        const std::uint32_t left = kFirstSlotX + slot * kSlotWidth - 4;
        for (std::uint32_t y = kIconTop - 4; y < kIconTop + kIconSide + 4; ++y)
            for (std::uint32_t x = left; x < left + kIconSide + 8 && x < kBarWidth; ++x)
                bar.At(x, y) = Argb(0xF0, 40, 28, 18);
    }
    return bar;
}

// A triangle pointing left or right in the arrow's 60 x 128 cell.
void Arrow(Picture& picture, std::uint32_t cellLeft, bool right, bool lit)
{
    const std::uint32_t colour = lit ? Argb(0xFF, 255, 220, 120) : Argb(0xFF, 170, 140, 90);
    for (std::uint32_t y = 34; y < 94; ++y) {
        const std::uint32_t half = 30 - (y < 64 ? 64 - y : y - 63);
        for (std::uint32_t i = 0; i < half; ++i) {
            const std::uint32_t x = right ? 14 + i : kArrowWidth - 14 - i;
            picture.At(cellLeft + x, y) = colour;
        }
    }
}

// Left and right arrows plain at x 0 and 68, lit at 128 and 196.
Picture Arrows()
{
    Picture arrows(256, kBarHeight, 0x00000000);
    Arrow(arrows, 0, false, false);
    Arrow(arrows, 68, true, false);
    Arrow(arrows, 128, false, true);
    Arrow(arrows, 196, true, true);
    return arrows;
}

// A soft round glow the held item sits on.
Picture Glow()
{
    Picture glow(kGlowSide, kGlowSide, 0x00000000);
    const float centre = kGlowSide / 2.0f;
    for (std::uint32_t y = 0; y < kGlowSide; ++y)
        for (std::uint32_t x = 0; x < kGlowSide; ++x) {
            const float r = std::hypot(x + 0.5f - centre, y + 0.5f - centre) / centre;
            const auto alpha = static_cast<std::uint32_t>(std::max(0.0f, 1.0f - r) * 160.0f);
            glow.At(x, y) = Argb(alpha, 255, 240, 200);
        }
    return glow;
}

} // namespace

std::vector<DemoResource> MakeInventoryPictures()
{
    return {
        {"ui_inventory_1.image", Translucent(Bar())},
        {"ui_inventory_2.image", Translucent(Arrows())},
        {"inv_bg.image", Translucent(Glow())},
    };
}

} // namespace vls::tools
