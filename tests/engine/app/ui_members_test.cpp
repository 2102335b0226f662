// The engine's answers for the inventory, dialogue and timers that the
// user-interface objects rely on.

#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"
#include "tools/script_assembler.h"

#include <gtest/gtest.h>

#include <memory>

namespace vls::test {
namespace {

TEST(UiMembers, LeavingASceneKeepsTheResumeTimersOfLiveScripts)
{
    ScopedConfig config;
    FakeMembers members;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    SetScriptGlobalTable(&globals);
    SetScriptNativeCache(&natives);
    {
        cKestruneEngine engine(nullptr, nullptr, "", &members);
        engine.timer = new cKestruneTimer();
        const std::vector<std::uint8_t> bytes = tools::AssembleScriptBytes("end\n");
        auto waiting = std::make_unique<cKestruneScript>();
        ASSERT_EQ(waiting->LoadFromMemory(bytes.data(), bytes.size()), 0);
        auto gone = std::make_unique<cKestruneScript>();
        ASSERT_EQ(gone->LoadFromMemory(bytes.data(), bytes.size()), 0);
        engine.timer->AddTimer(waiting.get(), "room_timer", 5.0f);
        engine.timer->AddTimer(waiting.get(), "#12", 3.0f);
        engine.timer->AddTimer(gone.get(), "#4", 3.0f);
        gone.reset();
        cKestruneEngineWorldHost host(engine);
        host.DropTimers();
        ASSERT_EQ(engine.timer->timers.count, 1);
        EXPECT_STREQ(engine.timer->timers.data[0].functionName.GetText(), "#12");
        delete engine.timer;
        engine.timer = nullptr;
    }
    SetScriptGlobalTable(nullptr);
    SetScriptNativeCache(nullptr);
}

} // namespace
} // namespace vls::test
