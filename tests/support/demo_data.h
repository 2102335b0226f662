#pragma once

#include <filesystem>

namespace vls::test {

// Copies the built demo's archive ("resource.map" and its data files) into
// folder, so a started engine finds the demo's project and enters its first
// scene. Tests that call it depend on the demo target.
void CopyDemoArchive(const std::filesystem::path& folder);

}  // namespace vls::test
