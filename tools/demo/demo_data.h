#pragma once

// The demo game's data, made from nothing but our own tools: the archive
// ("resource.map" and "resource.001") with the fonts, the figure and its
// animations, the interface pictures and the compiled "project", and beside
// it the launcher's sounds.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vls::tools {

struct DemoReport {
    std::vector<std::string> packed;  // names in the archive
    std::vector<std::string> notes;   // what was left out, and why
};

// False with `error` set when something could not be made or written.
bool WriteDemoData(const std::filesystem::path& folder, DemoReport& report, std::string& error);

// The compiled "project": the fixed header, the script assembled from
// `scriptSource` and one cursor picture.
std::vector<std::uint8_t> MakeDemoProject(const std::string& scriptSource);

// The project script's source the program carries.
const char* DemoProjectScriptSource();

}  // namespace vls::tools
