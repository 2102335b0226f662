// Reads the input as "resource.map" through the file system and looks names up in it.

#include "engine/base/engine_link.h"
#include "fuzz/silent_engine_link.h"
#include "engine/base/kestrune_file_system.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path g_workFolder;

void RemoveWorkFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(g_workFolder, ignored);
}

// A working folder of our own with one small archive in it (corpus paths
// given to the fuzzer must then be absolute).
void EnterWorkFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vls-fuzz-map-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    g_workFolder = pattern;
    std::atexit(RemoveWorkFolder);
    std::filesystem::current_path(pattern);
    std::ofstream("resource.001", std::ios::binary) << "0123456789abcdef";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentLink link;
    static const bool entered = (EnterWorkFolder(), true);
    (void)entered;
    SetEngineLink(&link);
    {
        std::ofstream map("resource.map", std::ios::binary | std::ios::trunc);
        map.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    cKestruneFileSystem files;
    for (std::int32_t i = 0; i < files.count && i < 4; ++i) {
        const std::string name = files.records[static_cast<std::size_t>(i)].name;
        files.Exists(name.c_str());
        const std::int32_t slot = files.Open(name.c_str());
        if (slot > 0) {
            char bytes[32];
            files.Seek(slot, 3);
            files.Read(slot, bytes, static_cast<std::int32_t>(files.GetSize(slot) % 32));
            files.GetPos(slot);
            files.Close(slot);
        }
    }
    files.Exists("Project");
    return 0;
}
