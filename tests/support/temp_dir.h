#pragma once

#include <filesystem>
#include <string>

namespace vls::test {

// A fresh folder under the system temp folder, removed with everything in it
// when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes `bytes` to `name` (folders are made as needed) and returns the full path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Points VEILSTRAND_CONFIG at a private temp folder for the lifetime of the
// object, so registry, drive links and window announcements never touch the
// real user's configuration.
class ScopedConfig {
public:
    ScopedConfig();
    ~ScopedConfig();
    ScopedConfig(const ScopedConfig&) = delete;
    ScopedConfig& operator=(const ScopedConfig&) = delete;

    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
    bool had_previous_ = false;
};

} // namespace vls::test
