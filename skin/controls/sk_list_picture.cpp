#include "skin/controls/sk_list_picture.h"

#include <cstdint>
#include <vector>

#include "platform/vcl/graphics.h"
#include "platform/vcl/streams.h"

namespace skin {

namespace {

constexpr int kSize = 12;
constexpr std::uint32_t kSeeThrough = 0xFF00FF;

// Two overlapping T's, the back one grey, the front one dark.
// clang-format off
const char* const kRows[kSize] = {
    "gggggggg....",
    "gggggggg....",
    "g..gg..g....",
    "...gg.......",
    "...gdddddddd",
    "...gdddddddd",
    "...gd..dd..d",
    "...gg..dd...",
    ".......dd...",
    ".......dd...",
    ".......dd...",
    "......dddd..",
};
// clang-format on

std::uint32_t Ink(char c)
{
    switch (c) {
    case 'g': return 0x808080;
    case 'd': return 0x000000;
    default: return kSeeThrough;
    }
}

}  // namespace

void RegisterListPicture()
{
    vcl::TBitmap bitmap;
    bitmap.SetPixelFormat(vcl::pf24bit);
    bitmap.SetSize(kSize, kSize);
    std::uint32_t* pixels = bitmap.Pixels();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            pixels[y * kSize + x] = Ink(kRows[y][x]);
    vcl::TMemoryStream stream;
    bitmap.SaveToStream(&stream);
    vcl::RegisterResource("SK_LIST_TRUETYPE",
                          std::vector<std::uint8_t>(stream.Memory(), stream.Memory() + stream.Size()));
}

}  // namespace skin
