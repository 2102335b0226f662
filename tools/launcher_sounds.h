#pragma once

#include <filesystem>

namespace vls::tools {

// Writes the launcher's demo sounds into `folder`: "launcher.mus" (an Ogg
// Vorbis loop of eight seconds that joins without a click), "launcher.sn1"
// (the click) and "launcher.sn2" (the hover sound), both short 16-bit mono
// WAV files. Each file is written to a temporary name and renamed. False
// when a file could not be written.
bool WriteLauncherSounds(const std::filesystem::path& folder);

} // namespace vls::tools
