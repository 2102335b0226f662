// The frame clock and script timers on an injected clock.

#include "engine/app/engine_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "platform/crt/crt_io.h"
#include "platform/win32/kernel/clock.h"
#include "tests/support/reused_script.h"
#include "tests/support/temp_dir.h"
#include "tools/script_assembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace vls::test {
namespace {

std::uint64_t g_nowMs = 0;
cKestruneTimer* g_timer = nullptr;

class TimerLink : public cKestruneEngineLink {
public:
    TimerLink() { SetEngineLink(this); }
    ~TimerLink() override { SetEngineLink(nullptr); }
    char* GetErrorText() override { return text_; }
    int Error(const char* module, const char* where, int fatal) override
    {
        reports.push_back(std::string(module) + "|" + where + "|" + text_ + "|" + std::to_string(fatal));
        return 0;
    }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts_; }

    std::vector<std::string> reports;

private:
    char text_[kErrorTextSize] = {};
    DynArray<cKestruneScript*> scripts_;
};

std::int32_t AddTimerNative(ScriptCallFrame* frame)
{
    g_timer->AddTimer(frame->script, frame->Argument(0).GetText(), 0.0f);
    return 0;
}

class TimerTest : public ::testing::Test {
protected:
    TimerTest()
    {
        g_nowMs = 1000;
        vls::win32::SetClockSource([] { return g_nowMs * 1000; });
        SetScriptGlobalTable(&globals_);
        SetScriptNativeCache(&natives_);
        RegisterScriptNative("test__AddTimer", AddTimerNative);
    }
    ~TimerTest() override
    {
        vls::win32::SetClockSource({});
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
        g_timer = nullptr;
    }

    // A script whose functions a, b and c append their letter to `order`.
    std::unique_ptr<cKestruneScript> Recorder()
    {
        const std::vector<std::uint8_t> bytes = RecorderCode();
        auto script = std::make_unique<cKestruneScript>();
        EXPECT_EQ(script->LoadFromMemory(bytes.data(), bytes.size()), 0);
        return script;
    }

    static std::vector<std::uint8_t> RecorderCode()
    {
        std::string source = "var order string\n callsite add test__AddTimer 1 int\n";
        for (const char* name : {"a", "b", "c"}) {
            source += std::string("func ") + name + "\n push ref order\n pushvar ref order\n push string \"" + name
                + "\"\n add\n assign\n";
            if (std::string(name) == "a")
                source += "push string \"c\"\n native - add\n";
            source += "ret\n";
        }
        source += "end\n";
        return tools::AssembleScriptBytes(source);
    }

    TimerLink link_;
    ScriptGlobalTable globals_;
    ScriptNativeCache natives_;
};

TEST_F(TimerTest, FrameGateWaits25Milliseconds)
{
    cKestruneTimer timer;
    EXPECT_EQ(timer.frameTime, 1000u);
    g_nowMs = 1010;
    EXPECT_FALSE(timer.Tick());
    EXPECT_EQ(timer.frameTime, 1000u);
    g_nowMs = 1024;
    EXPECT_FALSE(timer.Tick());
    g_nowMs = 1030;
    EXPECT_TRUE(timer.Tick());
    EXPECT_EQ(timer.frameTime, 1030u);
    EXPECT_EQ(timer.frameDelta, 30u);
    EXPECT_FLOAT_EQ(timer.frameDeltaSeconds, 0.03f);
    EXPECT_FLOAT_EQ(timer.frameSeconds, 1.03f);
    g_nowMs = 1040;
    EXPECT_FALSE(timer.Tick());
    EXPECT_DOUBLE_EQ(timer.GetSecondsSince(1000, 2.0f), 30 * static_cast<double>(0.001f) * 2.0);
    EXPECT_EQ(timer.GetSecondsSince(2000, 1.0f), 0.0);
    EXPECT_EQ(cKestruneTimer::GetSecondsBetween(50, 40, 1.0f), 0.0);
}

TEST_F(TimerTest, VideoShortensTheFrameTo20Milliseconds)
{
    cKestruneMembers absent;
    cKestruneEngine engine(nullptr, nullptr, "", &absent);
    g_engine = &engine;
    cKestruneTimer timer;
    g_nowMs = 1022;
    EXPECT_FALSE(timer.Tick());
    int video = 0;
    engine.video = reinterpret_cast<cKestruneVideo*>(&video);
    EXPECT_TRUE(timer.Tick());
    engine.video = nullptr;
    g_engine = nullptr;
    SetEngineLink(&link_);
}

TEST_F(TimerTest, DueTimersFireInInsertionOrderAndNewOnesInTheSameWalk)
{
    cKestruneTimer timer;
    g_timer = &timer;
    const auto script = Recorder();
    timer.AddTimer(script.get(), "b", 0.02f);
    timer.AddTimer(script.get(), "a", 0.0005f);
    timer.AddTimer(script.get(), "later", 1.0f);
    timer.AddTimer(script.get(), "b", 0.0f);
    g_nowMs = 1030;
    EXPECT_TRUE(timer.Tick());
    // b, a (which adds a timer for c, fired in the same walk), b.
    EXPECT_STREQ(script->variables.data[0].GetText(), "babc");
    ASSERT_EQ(timer.timers.count, 1);
    EXPECT_STREQ(timer.timers.data[0].functionName.GetText(), "later");
    EXPECT_TRUE(link_.reports.empty());
}

TEST_F(TimerTest, DelaysTruncateTowardZeroAndUnrepresentableOnesAreImmediate)
{
    cKestruneTimer timer;
    const struct {
        float seconds;
        std::uint32_t delay;
    } cases[] = {
        {0.0005f, 0},
        {2.5f, 2500},
        {-0.0009f, 0},
        {-1.0f, 0xFFFFFFFFu - 999},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 0},
        {1e30f, 0},
    };
    for (const auto& c : cases) {
        timer.AddTimer(nullptr, "f", c.seconds);
        EXPECT_EQ(timer.timers.data[timer.timers.count - 1].due - 1000u, c.delay) << c.seconds;
    }
}

TEST_F(TimerTest, TimerOfADestroyedScriptIsDroppedWithoutRunning)
{
    cKestruneTimer timer;
    auto script = Recorder();
    timer.AddTimer(script.get(), "a", 0.0f);
    timer.AddTimer(nullptr, "a", 0.0f);
    script.reset();
    g_nowMs = 1100;
    EXPECT_TRUE(timer.Tick());
    EXPECT_EQ(timer.timers.count, 0);
}

TEST_F(TimerTest, TimesCompareAcrossTheClocksWrap)
{
    g_nowMs = 0xFFFFFFF0ull;
    cKestruneTimer timer;
    g_timer = &timer;
    const auto script = Recorder();
    timer.AddTimer(script.get(), "a", 0.05f);
    EXPECT_LT(timer.timers.data[0].due, 0x100u);
    g_nowMs = 0x100000000ull + 0x10;
    EXPECT_TRUE(timer.Tick());
    EXPECT_EQ(timer.frameDelta, 0x20u);
    EXPECT_EQ(timer.timers.count, 1);
    g_nowMs = 0x100000000ull + 0x40;
    EXPECT_TRUE(timer.Tick());
    EXPECT_EQ(timer.timers.count, 0);
    EXPECT_DOUBLE_EQ(timer.GetSecondsSince(0xFFFFFFF0u, 1.0f), 0x50 * static_cast<double>(0.001f));
}

TEST_F(TimerTest, BlockRoundTripRebindsScriptsAndKeepsTheRemainingTime)
{
    TempDir dir;
    const std::string path = (dir.path() / "timers").string();
    const auto script = Recorder();
    const std::string longName(64, 'n');
    {
        cKestruneTimer timer;
        timer.AddTimer(script.get(), "a", 2.5f);
        timer.AddTimer(script.get(), longName.c_str(), 0.1f);
        const int file = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        ASSERT_GE(file, 0);
        timer.SaveBlock(file);
        WriteSavegameBlockHeader(file, "SCN", "next", 0);
        _close(file);
    }
    EXPECT_EQ(std::filesystem::file_size(path), 72u + 2 * 136 + 72);

    // Without an engine the live scripts are searched by save identity; the
    // script's id field, which only a restored SCR block sets, plays no part.
    ASSERT_EQ(script->id, 0u);
    g_nowMs = 90000;
    cKestruneTimer timer;
    g_timer = &timer;
    timer.AddTimer(script.get(), "dropped", 0.0f);
    const int file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(file, header));
    EXPECT_EQ(header.length, 2 * 136u);
    timer.LoadBlock(header, file);
    _close(file);
    EXPECT_STREQ(header.tag, "SCN");
    EXPECT_STREQ(header.name, "next");
    ASSERT_EQ(timer.timers.count, 2);
    EXPECT_STREQ(timer.timers.data[0].functionName.GetText(), "a");
    EXPECT_EQ(timer.timers.data[0].script, script.get());
    EXPECT_EQ(timer.timers.data[0].due, 90000u + 2500u);
    EXPECT_EQ(std::string(timer.timers.data[1].functionName.GetText()), longName);
    g_nowMs = 92499;
    timer.Tick();
    EXPECT_EQ(timer.timers.count, 1);
    g_nowMs = 92524;
    timer.Tick();
    EXPECT_EQ(timer.timers.count, 0);
    EXPECT_STREQ(script->variables.data[0].GetText(), "ac");
}

TEST_F(TimerTest, ATimerWhoseScriptIsGoneIsSavedAndRestoredWithoutOne)
{
    TempDir dir;
    const std::string path = (dir.path() / "timers").string();
    {
        cKestruneTimer timer;
        auto gone = Recorder();
        timer.AddTimer(gone.get(), "a", 1.0f);
        gone.reset();
        const int file = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        timer.SaveBlock(file);
        _close(file);
    }
    // A fresh script still has identity 0: it must not take the timer.
    const auto fresh = Recorder();
    ASSERT_EQ(fresh->id, 0u);
    cKestruneTimer timer;
    const int file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(file, header));
    timer.LoadBlock(header, file);
    _close(file);
    ASSERT_EQ(timer.timers.count, 1);
    EXPECT_EQ(timer.timers.data[0].script, nullptr);
}

// Timers a scene's script set are left when the scene goes; one that was
// not (a printed line's wait) must not fire in the script made in its place.
TEST_F(TimerTest, ATimerOfAGoneScriptDoesNotRunInTheScriptMadeAtItsAddress)
{
    ReusedScriptStorage scripts(RecorderCode());
    ASSERT_TRUE(scripts.loaded);
    cKestruneTimer timer;
    g_timer = &timer;
    timer.AddTimer(scripts.Current(), "a", 0.0f);
    cKestruneScript* const next = scripts.Replace();
    ASSERT_TRUE(scripts.loaded);
    g_nowMs += cKestruneTimer::kFrameMs;
    ASSERT_TRUE(timer.Tick());
    EXPECT_STREQ(next->variables.data[0].GetText(), "");
    EXPECT_EQ(timer.timers.count, 0) << "the timer is used up all the same";
}

TEST_F(TimerTest, WrongBlockTagIsAFatalReport)
{
    cKestruneTimer timer;
    timer.AddTimer(nullptr, "kept", 1.0f);
    SavegameBlockHeader header;
    std::memcpy(header.tag, "SND", 4);
    std::memcpy(header.name, "music", 6);
    timer.LoadBlock(header, -1);
    ASSERT_EQ(link_.reports.size(), 1u);
    EXPECT_EQ(link_.reports[0], "SND|music|Savegame block type or version mismatch.|1");
    EXPECT_EQ(timer.timers.count, 1);
}

} // namespace
} // namespace vls::test
