// Loads the input as a compiled script the way the engine does: from an open
// slot of the datafile file system, the entry packed in an archive between
// two others (or, by the first byte, a loose file of "updates\"), then runs
// what loaded under a jump budget. Reads stay inside the entry.

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/script/kestrune_script.h"
#include "fuzz/silent_engine_link.h"
#include "fuzz/scratch_folder.h"
#include "tools/archive_builder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void EnterWorkFolder()
{
    std::filesystem::current_path(MakeScratchFolder("vls-fuzz-slot"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentLink link;
    static const bool entered = (EnterWorkFolder(), true);
    (void)entered;
    if (size < 1)
        return 0;
    SetEngineLink(&link);
    const std::string script(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool loose = data[0] & 1;
    std::error_code ignored;
    std::filesystem::remove_all("updates", ignored);
    vls::tools::ArchiveBuilder builder;
    // Neighbours of known bytes: a read past the entry would take them in.
    builder.Add("before", std::string(37, 'B'));
    if (loose)
        builder.AddOverride("project", script);
    else
        builder.Add("project", script);
    builder.Add("after", std::string(64, '\x7f'));
    if (!builder.Write("."))
        std::abort();

    cKestruneFileSystem files;
    const std::int32_t slot = files.Open("Project");
    if (slot <= 0)
        std::abort();
    const std::int32_t start = files.GetPos(slot);
    cKestruneScript loaded;
    if (loaded.Load(slot) == 0) {
        if (files.GetPos(slot) - start > files.GetSize(slot))
            std::abort();
        SetScriptJumpBudget(2000);
        loaded.Run("");
        for (std::int32_t i = 0; i < loaded.functions.count && i < 4; ++i) {
            SetScriptJumpBudget(2000);
            loaded.Run(loaded.functions.data[i].name.c_str());
        }
        SetScriptJumpBudget(0);
    }
    files.Close(slot);
    return 0;
}
