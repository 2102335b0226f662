#pragma once

// A folder of the fuzz run's own under the temp folder, removed when the run
// ends. Corpus paths given to such a target must be absolute when it enters
// the folder.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

inline std::filesystem::path& ScratchFolderPath()
{
    static std::filesystem::path path;
    return path;
}

inline void RemoveScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolderPath(), ignored);
}

inline std::filesystem::path MakeScratchFolder(const char* prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    ScratchFolderPath() = pattern;
    std::atexit(RemoveScratchFolder);
    return pattern;
}
