#pragma once

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_scene.h"
#include "platform/crt/crt_io.h"
#include "tools/scene_writer.h"
#include "tools/script_assembler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vls::test {

// Stands in for the engine: keeps error reports and the live-script list.
class WorldEngineLink : public cKestruneEngineLink {
public:
    struct Report {
        std::string module;
        std::string where;
        std::string text;
        int fatal;
    };
    WorldEngineLink() { SetEngineLink(this); }
    ~WorldEngineLink() override { SetEngineLink(nullptr); }
    char* GetErrorText() override { return text_; }
    int Error(const char* module, const char* where, int fatal) override
    {
        reports.push_back({module, where, text_, fatal});
        return 0;
    }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts_; }

    std::vector<Report> reports;

private:
    char text_[kErrorTextSize] = {};
    DynArray<cKestruneScript*> scripts_;
};

// A view description with a working camera (looking down +z, y up) and no
// layers or depth map yet.
inline tools::ViewDescription CameraView(const std::string& name, bool detail)
{
    tools::ViewDescription view;
    view.header.name = name;
    view.header.detail = detail ? 1 : 0;
    view.header.lens = 1.0f;
    view.header.farPlane = 100.0f;
    view.header.up[1] = 1.0f;
    view.header.direction[2] = 1.0f;
    return view;
}

// Saves the scene's block and an END block to path, then reads them into
// `into`; false when the first header cannot be read back. header is left
// on the block after the scene's, as the savegame reader leaves it.
inline bool RoundTripScene(cKestruneScene& from, cKestruneScene& into, const std::string& path,
                           SavegameBlockHeader& header)
{
    int file = _open(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, 0644);
    from.SaveBlock(file);
    WriteSavegameBlockHeader(file, "END", "", 0);
    _close(file);
    file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    const bool read = ReadSavegameBlockHeader(file, header);
    if (read)
        into.LoadBlock(file, header);
    _close(file);
    return read;
}

// A fresh engine link, global table and native cache per test.
class WorldTest : public ::testing::Test {
protected:
    WorldTest()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
    }
    ~WorldTest() override
    {
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }
    std::unique_ptr<cKestruneScript> LoadScript(const std::string& source)
    {
        const std::vector<std::uint8_t> bytes = tools::AssembleScriptBytes(source);
        auto script = std::make_unique<cKestruneScript>();
        EXPECT_EQ(script->LoadFromMemory(bytes.data(), bytes.size()), 0);
        return script;
    }

    WorldEngineLink link;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
};

} // namespace vls::test
