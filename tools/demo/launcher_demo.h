#pragma once

// The launcher's side of the demo: its files beside the program, and the
// demo folder set up as the installed game it starts.

#include <filesystem>
#include <string>

namespace vls::tools {

// Beside the launcher: "launcher.str", "launcher.bmp" and the three sounds.
// In `demoFolder`: "vls" linked to the engine beside the launcher, and a
// settings folder "config" whose drive C: is the demo folder and whose
// registry names C: as the install folder. False with `error` set.
bool WriteLauncherDemo(const std::filesystem::path& launcherFolder, const std::filesystem::path& demoFolder,
                       std::string& error);

}  // namespace vls::tools
