#pragma once

// A picture the driven program wrote with the script's `screenshot`, read
// back for its pixels.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vls::e2e {

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top row first
    std::string error;                  // why it could not be read; empty when it was

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // How many pixels of the rectangle are within `slack` of `colour` in
    // every channel.
    int CountNear(int left, int top, int right, int bottom, std::uint32_t colour, int slack) const;
    // How many pixels of the rectangle have every channel at `least` or
    // above.
    int CountBright(int left, int top, int right, int bottom, int least) const;
    // How many different colours the picture holds.
    std::size_t Colours() const;

private:
    int Count(int left, int top, int right, int bottom, const std::function<bool(std::uint32_t)>& wanted) const;
};

Screenshot ReadScreenshot(const std::filesystem::path& file);

// The channels of a 0xRRGGBB colour.
inline int Red(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int Blue(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

} // namespace vls::e2e
