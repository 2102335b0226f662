#include "tests/e2e/screenshot_view.h"

#include "platform/gdi/bmp.h"
#include "tests/support/file_bytes.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <unordered_set>

namespace vls::e2e {

Screenshot ReadScreenshot(const std::filesystem::path& file)
{
    Screenshot shot;
    if (!std::filesystem::exists(file)) {
        shot.error = "no file " + file.string();
        return shot;
    }
    const std::vector<std::uint8_t> bytes = test::ReadFileBytes(file);
    gdi::Surface picture(0, 0);
    gdi::BmpInfo info;
    if (!gdi::ReadBmp(bytes, picture, info, shot.error))
        return shot;
    shot.width = picture.Width();
    shot.height = picture.Height();
    shot.pixels.reserve(static_cast<std::size_t>(shot.width) * shot.height);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            shot.pixels.push_back(picture.At(x, y) & 0xFFFFFF);
    return shot;
}

int Screenshot::Count(int left, int top, int right, int bottom, const std::function<bool(std::uint32_t)>& wanted) const
{
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width); ++x)
            count += wanted(At(x, y)) ? 1 : 0;
    return count;
}

int Screenshot::CountNear(int left, int top, int right, int bottom, std::uint32_t colour, int slack) const
{
    return Count(left, top, right, bottom, [&](std::uint32_t p) {
        return std::abs(Red(p) - Red(colour)) <= slack && std::abs(Green(p) - Green(colour)) <= slack
            && std::abs(Blue(p) - Blue(colour)) <= slack;
    });
}

int Screenshot::CountBright(int left, int top, int right, int bottom, int least) const
{
    return Count(left, top, right, bottom,
                 [&](std::uint32_t p) { return Red(p) >= least && Green(p) >= least && Blue(p) >= least; });
}

std::size_t Screenshot::Colours() const { return std::unordered_set<std::uint32_t>(pixels.begin(), pixels.end()).size(); }

} // namespace vls::e2e
