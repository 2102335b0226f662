#include "launcher/launcher_skin_data.h"

namespace launcher {

namespace {

const std::uint8_t kSkinStream[] = {
#include "launcher_skin.inc"
};

}  // namespace

std::span<const std::uint8_t> LauncherSkinStream() { return kSkinStream; }

}  // namespace launcher
