#pragma once

// The programs the random player knows, by name.

#include "tools/random_play/random_input.h"

#include <filesystem>
#include <memory>
#include <string>

namespace vls::random_play {

// Nothing when no profile has that name.
std::unique_ptr<PlayProfile> MakeProfile(const std::string& name, SeededRandom& random);

// Where a profile's data is found beside the program's folder of a build.
std::filesystem::path DefaultData(const std::string& name, const std::filesystem::path& program);

} // namespace vls::random_play
