#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace vls::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vls-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::string TempDir::read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ScopedConfig::ScopedConfig()
{
    if (const char* old = std::getenv("VEILSTRAND_CONFIG")) {
        previous_ = old;
        had_previous_ = true;
    }
    setenv("VEILSTRAND_CONFIG", dir_.path().c_str(), 1);
}

ScopedConfig::~ScopedConfig()
{
    if (had_previous_)
        setenv("VEILSTRAND_CONFIG", previous_.c_str(), 1);
    else
        unsetenv("VEILSTRAND_CONFIG");
}

} // namespace vls::test
