// Any bytes as the packed entry "inventory", with the item offsets taken
// from the input's first twelve bytes: items are added, drawn, used, pushed,
// popped and removed. A refusal is fine; a crash, a hang or a read past the
// entry (its neighbours hold known bytes) is not.

#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/script/kestrune_script.h"
#include "engine/ui/kestrune_inventory.h"
#include "fuzz/scratch_folder.h"
#include "fuzz/silent_engine_link.h"
#include "tools/archive_builder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr std::size_t kOffsetBytes = 12;

// Item images need a device: the recording one, made once.
void StartOnce()
{
    static const bool started = [] {
        const std::filesystem::path folder = MakeScratchFolder("vls-fuzz-inventory");
        setenv("VEILSTRAND_BACKEND", "headless", 1);
        setenv("VEILSTRAND_CONFIG", folder.c_str(), 1);
        std::filesystem::current_path(folder);
        // The run log is not wanted here.
        std::freopen("/dev/null", "w", stdout);
        new cKestruneGraphics();
        return true;
    }();
    (void)started;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentLink link;
    StartOnce();
    if (size < kOffsetBytes)
        return 0;
    SetEngineLink(&link);
    std::uint32_t offsets[3];
    std::memcpy(offsets, data, sizeof offsets);
    vls::tools::ArchiveBuilder builder;
    builder.Add("before", std::string(37, 'B'));
    builder.Add("inventory", std::string(reinterpret_cast<const char*>(data + kOffsetBytes), size - kOffsetBytes));
    builder.Add("after", std::string(64, '\x7f'));
    if (!builder.Write("."))
        std::abort();

    {
        cKestruneFileSystem files;
        cKestruneInventory inventory;
        // The same offsets in every role, so an icon's bytes are also read as
        // a script and a script's as a picture.
        for (int item = 0; item < 3; ++item) {
            inventory.items[item].iconOffset = offsets[item % 3];
            inventory.items[item].cursorOffset = offsets[(item + 1) % 3];
            inventory.items[item].scriptOffset = offsets[(item + 2) % 3];
        }
        inventory.LoadItem(0, 0);
        inventory.LoadItem(1, 1);
        inventory.LoadItem(2, 0);
        for (int item = 0; item < 3; ++item) {
            if (cKestruneScript* const script = inventory.items[item].script) {
                SetScriptJumpBudget(2000);
                script->Run("inv_look");
            }
        }
        SetScriptJumpBudget(0);
        inventory.Render();
        inventory.Push();
        inventory.Pop();
        inventory.RemoveItem(1);
        inventory.LoadItem(1, 0);
        inventory.Render();
        inventory.Clear();
    }
    SetEngineLink(nullptr);
    return 0;
}
