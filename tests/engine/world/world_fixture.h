#pragma once

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
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
