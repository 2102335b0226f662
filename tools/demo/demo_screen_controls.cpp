#include "tools/demo/demo_screen_controls.h"

#include "engine/render/image_format.h"
#include "tools/demo/demo_lettering.h"
#include "tools/image_writer.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace vls::tools {
namespace {

namespace sc = screen_controls;

constexpr int kBandTop = 128; // image places count from the band's top

std::vector<std::uint8_t> Image(const Picture& picture, int x, int y, bool alpha)
{
    KestruneImageHeader header;
    header.alpha = alpha ? 1 : 0;
    header.x = x;
    header.y = y;
    return WriteImage(header, {picture});
}

float Distance(std::uint32_t x, std::uint32_t y, float cx, float cy) { return std::hypot(x + 0.5f - cx, y + 0.5f - cy); }

// The lamp seen close: its lit glass inside the brass frame, on the night.
Picture LampPicture()
{
    Picture lamp(sc::kLampWidth, sc::kLampHeight, 0xFF101828);
    const float cx = sc::kLampWidth / 2.0f, cy = sc::kLampHeight / 2.0f;
    for (std::uint32_t y = 0; y < lamp.height; ++y)
        for (std::uint32_t x = 0; x < lamp.width; ++x) {
            const float r = Distance(x, y, cx, cy);
            if (r < 110)
                lamp.At(x, y) = sc::kLampGlass;
            else if (r < 130)
                lamp.At(x, y) = 0xFFA07830;
            else if (r < 200)
                lamp.At(x, y) = 0xFF101828 + (static_cast<std::uint32_t>((200 - r) * 0.6f) << 16);
        }
    return lamp;
}

// Two facing pages of the page's tint with its number on both.
Picture PagePicture(int page)
{
    Picture book(sc::kBookWidth, sc::kBookHeight, 0xFF4A2E1A);
    for (std::uint32_t y = 12; y + 12 < book.height; ++y)
        for (std::uint32_t x = 12; x + 12 < book.width; ++x)
            book.At(x, y) = x + 3 >= book.width / 2 && x < book.width / 2 + 3 ? 0xFF8A7A60 : sc::kPageTints[page - 1];
    const std::string title = "Day " + std::to_string(page);
    DrawCentredText(book, 40, 40, sc::kBookWidth / 2 - 20, 120, title, 40, 0xFF302010);
    DrawCentredText(book, sc::kBookWidth / 2 + 20, 40, sc::kBookWidth - 40, 120, "Light burning.", 28, 0xFF302010);
    return book;
}

// The stairwell: stone steps going up into the dark.
Picture StairPicture()
{
    Picture stair(1024, 512, 0xFF202430);
    for (std::uint32_t y = 0; y < stair.height; ++y)
        for (std::uint32_t x = 0; x < stair.width; ++x) {
            const std::uint32_t step = (y + x / 4) / 48;
            const bool edge = (y + x / 4) % 48 < 4;
            stair.At(x, y) = edge ? 0xFF9098B8 : (step % 2 ? sc::kStairStone : 0xFF58688C);
        }
    return stair;
}

// The darkness laid over the stair: black, opaque.
Picture MaskPicture() { return Picture(1024, 512, 0xFF000000); }

// The glow that cuts the light out of the darkness: clear in the middle,
// opaque towards the edges (and beyond them, where its coordinates clamp).
Picture GlowPicture()
{
    Picture glow(256, 256, 0);
    for (std::uint32_t y = 0; y < glow.height; ++y)
        for (std::uint32_t x = 0; x < glow.width; ++x) {
            const float r = Distance(x, y, 128.0f, 128.0f) / 128.0f;
            const auto alpha = static_cast<std::uint32_t>(255.0f * std::clamp((r - 0.3f) / 0.6f, 0.0f, 1.0f));
            glow.At(x, y) = alpha << 24;
        }
    return glow;
}

// The lighter's flame, its core at (128, 100) of the picture: the control
// hangs it from the mouse by the point (128, 116).
Picture FlamePicture()
{
    Picture flame(256, 232, 0x00000000);
    for (std::uint32_t y = 60; y < 130; ++y)
        for (std::uint32_t x = 108; x < 148; ++x) {
            const float dx = (x + 0.5f - 128.0f) / 14.0f, dy = (y + 0.5f - 104.0f) / 28.0f;
            const float r = dx * dx + dy * dy;
            if (r < 0.35f)
                flame.At(x, y) = sc::kFlameCore;
            else if (r < 1.0f)
                flame.At(x, y) = 0xFFFF9030;
        }
    return flame;
}

} // namespace

std::vector<DemoResource> MakeScreenControlResources()
{
    std::vector<DemoResource> resources = {
        {std::string(sc::kLampPicture) + ".image", Image(LampPicture(), sc::kLampLeft, sc::kLampTop - kBandTop, false)},
        {std::string(sc::kStairDark) + ".image", Image(StairPicture(), 0, 0, false)},
        {std::string(sc::kStairMask) + ".image", Image(MaskPicture(), 0, 0, true)},
        {std::string(sc::kStairGlow) + ".image", Image(GlowPicture(), 0, 0, true)},
        {std::string(sc::kStairFlame) + ".image", Image(FlamePicture(), 0, 0, true)},
    };
    for (int page = 1; page <= sc::kLogbookPages; ++page)
        resources.push_back({std::string(sc::kLogbook) + "0" + std::to_string(page) + ".image",
                             Image(PagePicture(page), sc::kBookLeft, sc::kBookTop - kBandTop, false)});
    return resources;
}

} // namespace vls::tools
