// Looking names up in the datafile file system: a map of 2000 entries with an
// override folder, as a game data folder holds them.

#include "engine/base/kestrune_file_system.h"
#include "tools/archive_builder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kEntries = 2000;

class DataFolder {
public:
    DataFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vls-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
        vls::tools::ArchiveBuilder builder;
        for (int i = 0; i < kEntries; ++i)
            builder.Add("scene" + std::to_string(i) + ".image", std::string(64, 'x'), i % 2 ? "001" : "002");
        builder.AddOverride("project", "loose");
        builder.Write(path_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~DataFolder()
    {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

void BM_ExistsLastEntry(benchmark::State& state)
{
    DataFolder folder;
    cKestruneFileSystem files;
    const std::string name = "Scene" + std::to_string(kEntries - 1) + ".image";
    for (auto _ : state)
        benchmark::DoNotOptimize(files.Exists(name.c_str()));
}

void BM_OpenReadCloseEntry(benchmark::State& state)
{
    DataFolder folder;
    cKestruneFileSystem files;
    const std::string name = "scene" + std::to_string(kEntries / 2) + ".image";
    char bytes[64];
    for (auto _ : state) {
        const std::int32_t slot = files.Open(name.c_str());
        files.Read(slot, bytes, sizeof bytes);
        files.Close(slot);
    }
}

void BM_OpenOverride(benchmark::State& state)
{
    DataFolder folder;
    cKestruneFileSystem files;
    for (auto _ : state) {
        const std::int32_t slot = files.Open("project");
        files.Close(slot);
    }
}

BENCHMARK(BM_ExistsLastEntry);
BENCHMARK(BM_OpenReadCloseEntry);
BENCHMARK(BM_OpenOverride);

} // namespace
