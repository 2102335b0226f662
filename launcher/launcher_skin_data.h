#pragma once

// The launcher's skin as its form stores it (the skin manager's "SkinStream"
// property: a flag byte and a compressed skin stream), built into the
// program from our own skin sources.

#include <cstdint>
#include <span>

namespace launcher {

std::span<const std::uint8_t> LauncherSkinStream();

}  // namespace launcher
