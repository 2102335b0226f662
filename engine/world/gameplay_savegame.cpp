// Writing and reading savegames: the file's own blocks here, every other
// block by its owner through the savegame host.

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/savegame_value.h"
#include "engine/script/script_globals.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/savegame_clock.h"
#include "engine/world/savegame_file.h"
#include "engine/world/savegame_host.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/time.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void WriteInfoBlock(int file, const cKestruneGameplay& gameplay, const cKestruneScene* scene)
{
    SavegameInfo info;
    SavingTime(info.time);
    info.playerSetup = gameplay.playerSetup.GetText();
    if (scene) {
        info.sceneCaption = scene->saveName.GetText();
        info.sceneFile = scene->RoomName();
    }
    info.previousScene = SavegameHost().PreviousSceneName();
    const ScriptGlobalTable& globals = GetScriptGlobalTable();
    info.globalCount = static_cast<std::uint32_t>(globals.entries.count);
    info.gameState = gameplay.gameState;
    info.gameState2 = gameplay.gameState2;
    info.effectCount = SavegameHost().EffectCount();

    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    WriteSavegameInfo(writer, info);
    for (std::int32_t i = 0; i < globals.entries.count; ++i)
        WriteSavegameValue(writer, globals.entries.data[i]);
    WriteSavegameBlockHeader(file, "INF", "", static_cast<std::uint32_t>(payload.size()));
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

void WriteScriptBlock(int file, const cKestruneScript* script, const char* name)
{
    if (script) {
        script->SaveBlock(file, name);
        return;
    }
    const std::vector<std::uint8_t> payload = WriteScriptBlock(ScriptBlock{});
    WriteSavegameBlockHeader(file, "SCR", name, static_cast<std::uint32_t>(payload.size()));
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

bool HasFunction(const cKestruneScript& script, const std::string& name)
{
    for (std::int32_t i = 0; i < script.functions.count; ++i) {
        const std::string& candidate = script.functions.data[i].name;
        if (candidate.size() == name.size()
            && std::equal(candidate.begin(), candidate.end(), name.begin(),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); }))
            return true;
    }
    return false;
}

std::int32_t Refuse(const char* fileName, const std::string& why)
{
    std::printf("Savegame %s refused: %s.\n", fileName, why.c_str());
    std::fflush(stdout);
    ReportError("gameplay", "LoadGame", 0, "Savegame is damaged and could not be loaded.");
    return -1;
}

} // namespace

bool cKestruneGameplay::SaveGame(const char* fileName, std::vector<std::uint8_t>* written)
{
    // The blocks are written to a file of this process's own and read back:
    // a short write anywhere shows as a damaged file.
    const std::string temporary = ProcessTemporaryName((std::string(fileName) + ".blocks").c_str());
    const int file = _open(temporary.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (file < 0) {
        std::printf("Savegame %s not written: the file could not be made.\n", fileName);
        std::fflush(stdout);
        ReportError("gameplay", "SaveGame", 0, "Savegame could not be written.");
        return false;
    }
    cKestruneSavegameHost& host = SavegameHost();
    const cKestruneScene* const scene = WorldHost().CurrentScene();
    WriteSavegameBlockHeader(file, "VLS", "Veilstrand Savegame", 0);
    WriteInfoBlock(file, *this, scene);
    WriteScriptBlock(file, projectScript, "$project$");
    WriteScriptBlock(file, scene ? scene->script : nullptr, "$scene$");
    for (int owner = 0; owner < kSavegameOwnerCount; ++owner)
        host.SaveBlock(static_cast<SavegameOwner>(owner), file);
    host.SaveEffects(file);
    WriteSavegameBlockHeader(file, "END", "Anyone reading this?", 0);
    const bool closed = _close(file) == 0;

    // Only a file that reads back whole replaces the old one.
    std::vector<std::uint8_t> bytes;
    SavegameContents contents;
    std::string why;
    const bool whole = closed && ReadSavegameFile(temporary.c_str(), bytes);
    DeleteFileA(temporary.c_str());
    if (!whole)
        why = "the file could not be written";
    if (!whole || !CheckSavegame(bytes.data(), bytes.size(), contents, why) || !ReplaceFileWith(fileName, bytes, why)) {
        std::printf("Savegame %s not written: %s.\n", fileName, why.c_str());
        std::fflush(stdout);
        ReportError("gameplay", "SaveGame", 0, "Savegame could not be written.");
        return false;
    }
    if (written)
        *written = std::move(bytes);
    return true;
}

std::int32_t cKestruneGameplay::LoadGame(const char* fileName)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadSavegameFile(fileName, bytes))
        return -1;
    SavegameContents contents;
    std::string why;
    if (!CheckSavegame(bytes.data(), bytes.size(), contents, why))
        return Refuse(fileName, why);
    const SavegameInfo& info = contents.info;
    const std::string playerFunction = "pc_" + info.playerSetup;
    if (!projectScript || !ScriptBlockFits(contents.projectScript, *projectScript))
        return Refuse(fileName, "the project script does not match");
    // An empty setup name means no player character was ever set up.
    if (!info.playerSetup.empty() && !HasFunction(*projectScript, playerFunction))
        return Refuse(fileName, "the project has no function " + playerFunction);

    cKestruneSavegameHost& host = SavegameHost();
    cKestruneScene* const scene = host.PrepareScene(info.sceneFile.c_str());
    if (!scene)
        return Refuse(fileName, "scene " + info.sceneFile + " cannot be opened");
    if (scene->script && !ScriptBlockFits(contents.sceneScript, *scene->script)) {
        delete scene;
        return Refuse(fileName, "the scene script does not match");
    }
    const int file = _open(fileName, _O_RDONLY | _O_BINARY);
    if (file < 0) {
        delete scene;
        return -1;
    }

    // Everything that can be judged beforehand has been: from here on the
    // running game is replaced.
    host.EnterRestoredScene(scene);
    host.SetPreviousSceneName(info.previousScene.c_str());
    scene->saveName = info.sceneCaption.c_str();
    ScriptGlobalTable& globals = GetScriptGlobalTable();
    globals.Clear();
    for (ScriptValue global : contents.globals) {
        global.object = kNoObject;
        globals.entries.Add(global);
    }
    RestoreScriptBlock(contents.projectScript, *projectScript);
    if (scene->script)
        RestoreScriptBlock(contents.sceneScript, *scene->script);

    WorldHost().DeletePlayer();
    playerCharacter = nullptr;
    // Without a setup name there is no player to re-create, and a run would
    // only empty the restored stack of the project script.
    if (!info.playerSetup.empty())
        projectScript->Run(playerFunction.c_str());
    playerSetup = info.playerSetup.c_str();
    gameState = info.gameState;
    gameState2 = info.gameState2;

    SavegameBlockHeader header;
    _lseek(file, static_cast<long>(contents.ownerBlocks), SEEK_SET);
    ReadSavegameBlockHeader(file, header);
    for (int owner = 0; owner < kSavegameOwnerCount; ++owner) {
        const auto which = static_cast<SavegameOwner>(owner);
        if (std::strncmp(header.tag, SavegameOwnerTag(which), 4) == 0)
            host.LoadBlock(which, file, header);
    }
    // A read past the end leaves a zeroed header, which ends the list.
    while (std::strncmp(header.tag, "PAR", 4) == 0)
        host.LoadEffect(file, header);
    _close(file);
    return 0;
}
