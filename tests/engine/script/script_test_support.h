#pragma once

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vls::test {

// Stands in for the engine: keeps every error report instead of showing it,
// and holds the live-script list.
class RecordingEngineLink : public cKestruneEngineLink {
public:
    struct Report {
        std::string module;
        std::string where;
        std::string text;
        int fatal;
    };

    RecordingEngineLink() { SetEngineLink(this); }
    ~RecordingEngineLink() override { SetEngineLink(nullptr); }

    char* GetErrorText() override { return text_; }
    int Error(const char* module, const char* where, int fatal) override
    {
        reports.push_back({module, where, text_, fatal});
        return 0;
    }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts_; }

    std::string LastText() const { return reports.empty() ? std::string() : reports.back().text; }

    std::vector<Report> reports;

private:
    char text_[kErrorTextSize] = {};
    DynArray<cKestruneScript*> scripts_;
};

// A fresh engine link, global table and native cache for every test.
class ScriptTest : public ::testing::Test {
protected:
    ScriptTest()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
    }
    ~ScriptTest() override
    {
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    // Assembles source and loads it into a new live script.
    std::unique_ptr<cKestruneScript> Load(const std::string& source);

    RecordingEngineLink link;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
};

// A native that records every argument list it receives.
std::vector<std::vector<ScriptValue>>& CapturedCalls();
std::int32_t CaptureNative(ScriptCallFrame* frame);

} // namespace vls::test
