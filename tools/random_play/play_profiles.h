#pragma once

// The programs the random player knows, by name.

#include "tools/random_play/random_input.h"

#include <filesystem>
#include <memory>
#include <string>

namespace vls::random_play {

// Nothing when no profile has that name. The control library's programs
// are started again after every `actionsPerStart` actions.
std::unique_ptr<PlayProfile> MakeProfile(const std::string& name, SeededRandom& random, int actionsPerStart);

// Where a profile's data is found in a build, by the program's path.
std::filesystem::path DefaultData(const std::string& name, const std::filesystem::path& program);

} // namespace vls::random_play
