// Any bytes as a ".scene" (with the same bytes as its ".view"), as an
// environment layer and a hotspot record, as the "project" header and as
// "ui_info": a refusal is fine, a crash, hang or stray read or write is not.

#include "engine/base/datafile_text_reader.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/script/kestrune_script.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_scene.h"
#include "fuzz/silent_engine_link.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

void StartOnce()
{
    static const bool started = [] {
        char pattern[] = "/tmp/vls-fuzz-world-XXXXXX";
        const std::filesystem::path folder = mkdtemp(pattern);
        setenv("VEILSTRAND_CONFIG", folder.c_str(), 1);
        std::filesystem::create_directories(folder / "updates");
        std::filesystem::current_path(folder);
        std::freopen("/dev/null", "w", stdout);
        static SilentLink link;
        SetEngineLink(&link);
        return true;
    }();
    (void)started;
}

void WriteFile(const char* name, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(std::string("updates/") + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StartOnce();
    SetScriptJumpBudget(1000);
    WriteFile("a.scene", data, size);
    WriteFile("ui_info", data, size);
    {
        cKestruneFileSystem files;
        const std::int32_t slot = files.Open("a.scene");
        if (slot > 0) {
            cKestruneScene scene;
            scene.Load(slot);
            files.Close(slot);
            float y;
            for (std::int32_t i = 0; i < scene.layers.count; ++i) {
                cKestruneEnvironmentLayer& layer = *scene.layers.data[i];
                layer.enabled = 1;
                layer.HeightAt(1.0f, 1.0f, y);
                layer.SegmentCrossesEdges(0.0f, 0.0f, 5.0f, 5.0f);
                layer.SetStairValue(3);
            }
        }
        const std::int32_t info = files.Open("ui_info");
        if (info > 0) {
            cDatafileTextReader reader(files, info);
            DynArray<cString> lines;
            ReadUiInfoLines(reader, lines);
            files.Close(info);
        }
    }
    cKestruneEnvironmentLayer layer;
    if (layer.LoadFromMemory(data, size) == 0) {
        layer.enabled = 1;
        float y;
        layer.HeightAt(0.5f, 0.5f, y);
        layer.ContainsPoint(0.5f, 0.5f);
    }
    cKestruneHotspot hotspot;
    hotspot.LoadFromMemory(data, size);
    std::vector<std::uint8_t> header(kProjectHeaderSize, 0);
    std::copy(data, data + std::min<std::size_t>(size, header.size()), header.begin());
    ParseProjectHeader(header.data());
    return 0;
}
