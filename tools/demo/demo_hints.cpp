#include "tools/demo/demo_hints.h"

#include "engine/render/image_format.h"
#include "tools/image_writer.h"

#include <cmath>

namespace vls::tools {
namespace {

constexpr std::uint32_t kIconSide = 32;
constexpr std::uint32_t kArrowSide = 64;
constexpr std::uint32_t kRim = 0xFF202020;

std::vector<std::uint8_t> Image(const Picture& picture)
{
    KestruneImageHeader header;
    header.alpha = 1;
    return WriteImage(header, {picture});
}

// A disc of the kind's colour with a dark rim: the hints place it centred
// on the mark.
Picture Icon(std::uint32_t colour)
{
    Picture icon(kIconSide, kIconSide, 0x00000000);
    const float centre = kIconSide / 2.0f;
    for (std::uint32_t y = 0; y < kIconSide; ++y)
        for (std::uint32_t x = 0; x < kIconSide; ++x) {
            const float r = std::hypot(x + 0.5f - centre, y + 0.5f - centre);
            if (r <= centre - 3)
                icon.At(x, y) = colour;
            else if (r <= centre)
                icon.At(x, y) = kRim;
        }
    return icon;
}

// A white wedge in the ring around the icon, pointing away from it in the
// arrow's direction (1 up, then clockwise in eighths).
Picture Arrow(int direction)
{
    Picture arrow(kArrowSide, kArrowSide, 0x00000000);
    const float angle = (direction - 1) * 3.14159265f / 4.0f;
    const float dx = std::sin(angle), dy = -std::cos(angle);
    const float centre = kArrowSide / 2.0f;
    for (std::uint32_t y = 0; y < kArrowSide; ++y)
        for (std::uint32_t x = 0; x < kArrowSide; ++x) {
            const float px = x + 0.5f - centre, py = y + 0.5f - centre;
            const float along = px * dx + py * dy;
            const float across = std::fabs(px * dy - py * dx);
            if (along >= 18.0f && along <= 31.0f && across <= (31.0f - along) * 0.8f)
                arrow.At(x, y) = 0xFFF8F8F8;
        }
    return arrow;
}

} // namespace

std::vector<DemoResource> MakeHintResources()
{
    std::vector<DemoResource> resources = {
        {"hint_exit.image", Image(Icon(kHintExitColour))},
        {"hint_hand.image", Image(Icon(kHintUseColour))},
        {"hint_speak.image", Image(Icon(kHintTalkColour))},
    };
    for (int direction = 1; direction <= 8; ++direction)
        resources.push_back({"hint_direct0" + std::to_string(direction) + ".image", Image(Arrow(direction))});
    return resources;
}

std::string HintCallSite() { return "callsite hint cOutput__AddHint 5 int\n"; }

std::string HintFunction(const std::vector<HintMark>& marks)
{
    std::string s = "func _hint\n";
    for (const HintMark& mark : marks) {
        s += " push int " + std::to_string(mark.view) + "\n push int " + std::to_string(static_cast<int>(mark.spot.x))
            + "\n push int " + std::to_string(static_cast<int>(mark.spot.y)) + "\n push int "
            + std::to_string(static_cast<int>(mark.kind) + 1) + "\n push int " + std::to_string(mark.arrow)
            + "\n native - hint\n";
    }
    return s + " ret\n";
}

} // namespace vls::tools
