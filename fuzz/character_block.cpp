// Any bytes as a character's "CHR" block with the blocks nested in it (its
// models, its controller of whichever kind the block names, its one-shot
// animations): a refusal is fine, a crash, a hang or a read past the bytes is
// not.

#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_character.h"
#include "fuzz/scratch_folder.h"
#include "fuzz/silent_engine_link.h"
#include "platform/crt/crt_io.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string StartOnce()
{
    static const std::string file = [] {
        const std::filesystem::path folder = MakeScratchFolder("vls-fuzz-character");
        std::freopen("/dev/null", "w", stdout);
        static SilentLink link;
        SetEngineLink(&link);
        return (folder / "block").string();
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file = StartOnce();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const int in = _open(file.c_str(), _O_RDONLY | _O_BINARY);
    if (in < 0)
        return 0;
    SavegameBlockHeader header;
    if (ReadSavegameBlockHeader(in, header)) {
        cKestruneCharacter character;
        character.LoadBlock(in, header, false);
    }
    _close(in);
    return 0;
}
