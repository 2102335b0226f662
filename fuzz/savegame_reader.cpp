// Any bytes as a whole savegame, as the payload of one "SCR" block, and as a
// file whose blocks the block readers read from where each block starts:
// the scene's (with its views, objects and characters nested), a
// character's (with its model, controller and animations nested) and the
// sprite system's. A refusal is fine, a crash, a hang or a read past the
// bytes is not; an accepted script block writes back to the same length.

#include "engine/render/kestrune_sprites.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_format.h"
#include "engine/script/script_savegame.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/savegame_file.h"
#include "engine/world/scene_characters.h"
#include "engine/world/world_host.h"
#include "fuzz/scratch_folder.h"
#include "fuzz/silent_engine_link.h"
#include "platform/crt/crt_io.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Characters read from a scene's block belong to the scene, as in the engine.
class FuzzWorld : public cKestruneNullWorldHost {
public:
    void LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                            SavegameBlockHeader& header) override
    {
        LoadSceneCharacterBlock(scene, variable, file, header);
    }
    void DeleteSceneCharacters(cKestruneScene& scene) override { ::DeleteSceneCharacters(scene); }
};

ScriptValue ObjectVariable(const char* name, const char* className)
{
    ScriptValue variable;
    variable.type = kScriptObject;
    variable.name = name;
    variable.className = className;
    return variable;
}

// A scene as the demo's harbour has it: two views, two layers, and script
// variables for an object and a character, so that the nested blocks find
// somewhere to go.
void LoadScene(int file, SavegameBlockHeader& header)
{
    cKestruneScene scene;
    for (const char* name : {"harbour_quay", "harbour_pier"}) {
        auto* const view = new cKestruneView();
        view->header.name = name;
        scene.views.Add(view);
    }
    scene.layers.Add(new cKestruneEnvironmentLayer());
    scene.layers.Add(new cKestruneEnvironmentLayer());
    scene.script = new cKestruneScript();
    scene.script->variables.Add(ObjectVariable("door", "cObject"));
    scene.script->variables.Add(ObjectVariable("guard", "cCharacter"));
    scene.LoadBlock(file, header);
}

void LoadBlockAt(const std::string& path, std::size_t offset)
{
    const int file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    if (file < 0)
        return;
    SavegameBlockHeader header;
    if (_lseek(file, static_cast<long>(offset), SEEK_SET) == static_cast<long>(offset)
        && ReadSavegameBlockHeader(file, header)) {
        const std::string tag(header.tag, strnlen(header.tag, sizeof header.tag));
        if (tag == "SCN") {
            LoadScene(file, header);
        } else if (tag == "CHR") {
            cKestruneCharacter character;
            character.LoadBlock(file, header);
        } else if (tag == "SPR") {
            cKestruneSprites sprites;
            sprites.LoadBlock(header, file);
        }
    }
    _close(file);
}

bool IsBlockReaderTag(const std::uint8_t* at)
{
    return std::memcmp(at, "SCN", 4) == 0 || std::memcmp(at, "CHR", 4) == 0 || std::memcmp(at, "SPR", 4) == 0;
}

// The bytes as a file: the block readers start at every block of the chain
// of lengths that they would be handed, as the savegame reader hands them.
// The engine reads blocks only from a file whose blocks all lie inside it
// (the whole file is checked first), so neither do these.
void LoadBlocks(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kMostBlocks = 64;
    std::vector<std::size_t> starts;
    std::size_t at = 0;
    while (at + kSavegameBlockHeaderSize <= size) {
        std::uint32_t length = 0;
        std::memcpy(&length, data + at + 68, 4);
        if (length > size - at - kSavegameBlockHeaderSize || starts.size() == kMostBlocks)
            return;
        if (IsBlockReaderTag(data + at))
            starts.push_back(at);
        at += kSavegameBlockHeaderSize + length;
    }
    if (starts.empty())
        return;
    static const std::string path = (MakeScratchFolder("vls-fuzz-savegame") / "blocks").string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    for (const std::size_t start : starts)
        LoadBlockAt(path, start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentLink link;
    static FuzzWorld world;
    SetEngineLink(&link);
    SetWorldHost(&world);
    SavegameContents contents;
    std::string why;
    CheckSavegame(data, size, contents, why);
    ScriptBlock block;
    if (ReadScriptBlock(data, size, block) && WriteScriptBlock(block).size() != size)
        __builtin_trap();
    LoadBlocks(data, size);
    SetWorldHost(nullptr);
    SetEngineLink(nullptr);
    return 0;
}
