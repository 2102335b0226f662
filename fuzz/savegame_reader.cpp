// Any bytes as a whole savegame, and as the payload of one "SCR" block: a
// refusal is fine, a crash, a hang or a read past the bytes is not; an
// accepted script block writes back to the same length.

#include "engine/script/script_savegame.h"
#include "engine/world/savegame_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SavegameContents contents;
    std::string why;
    CheckSavegame(data, size, contents, why);
    ScriptBlock block;
    if (ReadScriptBlock(data, size, block) && WriteScriptBlock(block).size() != size)
        __builtin_trap();
    return 0;
}
