// Start points, globals, native calls, suspension and re-entrant runs.

#include "engine/script/script_call_frame.h"
#include "engine/script/script_format.h"
#include "tests/engine/script/script_test_support.h"
#include "tools/script_assembler.h"

#include <iterator>

namespace vls::test {
namespace {

TEST_F(ScriptTest, EmptyNameStartsAtOffsetZeroAndEndPublishesNothing)
{
    const auto script = Load("var g int global shared\n end\n");
    EXPECT_EQ(script->Run(""), -1);
    EXPECT_EQ(globals.entries.count, 0);
    EXPECT_TRUE(link.reports.empty());
}

TEST_F(ScriptTest, FunctionsAreFoundIgnoringCaseFirstInTableOrder)
{
    const auto script = Load("var r int\n"
                             "func initiate\n push ref r\n push int 1\n assign\n ret\n"
                             "func INITIATE\n push ref r\n push int 2\n assign\n ret\n");
    EXPECT_EQ(script->Run("Initiate"), 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    EXPECT_EQ(script->Run("INITIATE"), 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    EXPECT_EQ(script->Run("missing"), -10);
    EXPECT_TRUE(link.reports.empty());
}

TEST_F(ScriptTest, ScriptWithoutTablesLoadsAndRuns)
{
    const auto script = Load("ret\n");
    EXPECT_EQ(script->variables.count, 0);
    EXPECT_EQ(script->Run(""), 0);
}

TEST_F(ScriptTest, GlobalsAreSharedOnReturnOnly)
{
    const auto sceneA = Load("var counter int global g_counter\n"
                             "func publish\n push ref counter\n push int 7\n assign\n ret\n"
                             "func keep\n push ref counter\n push int 99\n assign\n end\n");
    const auto sceneB = Load("var mine int\n var seen int global g_counter\n"
                             "func look\n push ref mine\n pushvar ref seen\n assign\n ret\n");
    EXPECT_EQ(sceneA->Run("publish"), 0);
    ASSERT_EQ(globals.entries.count, 1);
    EXPECT_EQ(sceneB->Run("look"), 0);
    EXPECT_EQ(sceneB->Variable(0)->intValue, 7);
    // A run ending with the end instruction does not publish its change.
    EXPECT_EQ(sceneA->Run("keep"), -1);
    EXPECT_EQ(sceneB->Run("look"), 0);
    EXPECT_EQ(sceneB->Variable(0)->intValue, 7);
    // A fresh global starts from the variable's type with zero views.
    EXPECT_EQ(globals.FetchGlobal("nothing", kScriptFloat).type, kScriptFloat);
}

TEST_F(ScriptTest, GlobalVariablesKeepTheirOwnNameAndClass)
{
    const auto script = Load("var ___pc object class cCharacter global ___playercharacter\n ret\n");
    EXPECT_EQ(script->Run(""), 0);
    EXPECT_STREQ(script->Variable(0)->name.GetText(), "___pc");
    EXPECT_STREQ(script->Variable(0)->className.GetText(), "cCharacter");
    ASSERT_EQ(globals.entries.count, 1);
    EXPECT_STREQ(globals.entries.data[0].globalName.GetText(), "___playercharacter");
}

TEST_F(ScriptTest, JumpsAreAbsoluteAndOffset65535IsReachable)
{
    std::string source = "jmp 65535\n";
    for (int i = 0; i < 65535 - 3; ++i)
        source += ".byte 0\n";
    source += "ret\n";
    const auto script = Load(source);
    ASSERT_EQ(script->codeSize, 65536u);
    EXPECT_EQ(script->Run(""), 0);
    EXPECT_TRUE(link.reports.empty());
}

TEST_F(ScriptTest, ConditionalJumpsFollowTheBooleanView)
{
    // Counts down from 3 with the jump-if-true loop; the jump-if-false skips.
    const auto script = Load("var n int\n var hits int\n"
                             "push ref n\n push int 3\n assign\n"
                             "loop:\n inc ref hits\n dec ref n\n pushvar ref n\n jnz loop\n"
                             "push string \"x\"\n jz skip\n inc ref hits\n"
                             "skip:\n ret\n");
    EXPECT_EQ(script->Run(""), 0);
    EXPECT_EQ(script->Variable(1)->intValue, 3);
}

TEST_F(ScriptTest, ComparisonBeforeAConditionalJumpLeavesTheStackAsItWas)
{
    // Each eq is followed by a conditional jump, taken and not taken; the
    // value below the compared pair must come out untouched.
    const auto script = Load("var r int\n var hits int\n"
                             "push int 7\n push int 1\n push int 1\n eq\n jz wrong\n inc ref hits\n"
                             "push int 1\n push int 2\n eq\n jnz wrong\n inc ref hits\n"
                             "push int 3\n push int 3\n eq\n jnz right\n"
                             "wrong:\n ret\n"
                             "right:\n inc ref hits\n popreg\n push ref r\n pushreg\n assign\n ret\n");
    EXPECT_EQ(script->Run(""), 0);
    EXPECT_EQ(script->Variable(1)->intValue, 3);
    EXPECT_EQ(script->Variable(0)->intValue, 7);
    EXPECT_EQ(script->sp, 0u);
    EXPECT_TRUE(link.reports.empty()) << link.LastText();
}

TEST_F(ScriptTest, ScriptThatIsNotLiveNeverRuns)
{
    auto script = Load("ret\n");
    RemoveLiveScript(script.get());
    EXPECT_EQ(script->Run(""), -1);
    AddLiveScript(script.get());
    EXPECT_EQ(script->Run(""), 0);
}

// Natives for the call tests.
int g_calls = 0;
std::string g_resumePoint;
cKestruneScript* g_suspended = nullptr;

std::int32_t CountNative(ScriptCallFrame* frame)
{
    ++g_calls;
    frame->result.intValue = 40 + frame->arguments.count;
    return 0;
}

std::int32_t SuspendNative(ScriptCallFrame* frame)
{
    g_suspended = frame->script;
    g_resumePoint = SuspendScript(frame->script);
    frame->result.intValue = 5;
    return 0;
}

std::int32_t ReadPastArgumentsNative(ScriptCallFrame* frame)
{
    frame->result.SetText(frame->Argument(3).GetText());
    frame->result.type = kScriptString;
    return 0;
}

class ScriptCallTest : public ScriptTest {
protected:
    ScriptCallTest()
    {
        RegisterScriptNative("test__Capture", CaptureNative);
        RegisterScriptNative("test__Count", CountNative);
        RegisterScriptNative("test__Suspend", SuspendNative);
        RegisterScriptNative("test__ReadPast", ReadPastArgumentsNative);
        CapturedCalls().clear();
        g_calls = 0;
        g_suspended = nullptr;
    }
};

TEST_F(ScriptCallTest, ArgumentsArriveInCallOrderWithTheObjectAndTheResult)
{
    int hero = 0;
    const auto script = Load("callsite cap test__Capture 3 int\n callsite count test__Count 0 int\n"
                             "var who object class cCharacter\n"
                             "push int 1\n push string \"two\"\n push float 3\n native who cap\n"
                             "native - count\n native - cap\n end\n");
    const cObjectHandleEntry heroEntry(&hero, ObjectKind::Test);
    script->Variable(0)->object = heroEntry.Handle();
    EXPECT_EQ(script->Run(""), -1);
    ASSERT_EQ(CapturedCalls().size(), 1u);
    const std::vector<ScriptValue>& args = CapturedCalls()[0];
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[0].intValue, 1);
    EXPECT_STREQ(args[1].GetText(), "two");
    EXPECT_EQ(args[2].floatValue, 3.0f);
    EXPECT_EQ(g_calls, 1);
    // The count native's result (40 + no arguments) was left on the stack; the
    // last capture with argument count 3 would underflow, so the run stops.
    EXPECT_EQ(link.LastText(), "Script stack underflow.");
}

// One call frame serves every call at its depth: each argument must take
// the views of its new value, whatever the last call left in that slot.
TEST_F(ScriptCallTest, ArgumentsTakeTheirViewsAfresh)
{
    const auto script = Load("callsite cap test__Capture 1 int\n"
                             "push string \"true\"\n native - cap\n popreg\n"
                             "push string \"tru\"\n native - cap\n popreg\n"
                             "push string \"truex\"\n native - cap\n popreg\n"
                             "push int 7\n native - cap\n popreg\n"
                             "push string \"\"\n native - cap\n popreg\n"
                             "push bool true\n native - cap\n popreg\n"
                             "push string \"TRUE\"\n native - cap\n popreg\n"
                             "push float 2.5\n native - cap\n popreg\n"
                             "push string \"true\"\n native - cap\n popreg\n ret\n");
    EXPECT_EQ(script->Run(""), 0);
    struct Want {
        std::uint32_t type;
        const char* text;
        std::int32_t integer;
        bool truth;
    };
    const Want wants[] = {{kScriptString, "true", 0, true}, {kScriptString, "tru", 0, false},
        {kScriptString, "truex", 0, false}, {kScriptInteger, "7", 7, true}, {kScriptString, "", 0, false},
        {kScriptBoolean, "true", 1, true}, {kScriptString, "TRUE", 0, false}, {kScriptFloat, "2.5", 2, true},
        {kScriptString, "true", 0, true}};
    ASSERT_EQ(CapturedCalls().size(), std::size(wants));
    for (std::size_t i = 0; i < std::size(wants); ++i) {
        const ScriptValue& v = CapturedCalls()[i].at(0);
        EXPECT_EQ(v.type, wants[i].type) << i;
        EXPECT_STREQ(v.GetText(), wants[i].text) << i;
        EXPECT_EQ(v.intValue, wants[i].integer) << i;
        EXPECT_EQ(v.boolValue != 0, wants[i].truth) << i;
        EXPECT_EQ(v.object, kNoObject) << i;
    }
}

TEST_F(ScriptCallTest, CallSitesShareOneCacheEntryAcrossScripts)
{
    const auto first = Load("callsite a test__Count 0 int\n callsite b test__Count 0 int\n"
                            "native - a\n native - b\n end\n");
    const auto second = Load("callsite c test__Count 0 int\n native - c\n end\n");
    EXPECT_EQ(first->callSites.data[0].binding, -1);
    first->Run("");
    second->Run("");
    EXPECT_EQ(g_calls, 3);
    EXPECT_EQ(natives.entries.count, 1);
    EXPECT_EQ(first->callSites.data[1].binding, 0);
    EXPECT_EQ(second->callSites.data[0].binding, 0);
}

TEST_F(ScriptCallTest, StoredBindingSlotIsIgnoredOnLoad)
{
    ScriptStream stream;
    stream.callSites.push_back({"test__Count", 0, kScriptInteger, 7});
    stream.code = {kOpEnd};
    const std::vector<std::uint8_t> bytes = EncodeScriptStream(stream);
    cKestruneScript script;
    ASSERT_EQ(script.LoadFromMemory(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(script.callSites.data[0].binding, -1);
}

TEST_F(ScriptCallTest, UnknownNativeIsAFatalReportAndEndsTheRun)
{
    const auto script = Load("callsite x test__Nope 0 int\n native - x\n ret\n");
    EXPECT_EQ(script->Run(""), -1);
    ASSERT_EQ(link.reports.size(), 1u);
    EXPECT_EQ(link.reports[0].text, "Function test__Nope not found!");
    EXPECT_EQ(link.reports[0].module, "script");
    EXPECT_EQ(link.reports[0].fatal, 1);
    // Nothing is tried in another case.
    RegisterScriptNative("TEST__NOPE", CountNative);
    EXPECT_EQ(cKestruneScript::BindNative("test__Nope"), -1);
}

TEST_F(ScriptCallTest, NativeReadingMissingArgumentsGetsEmptyValues)
{
    const auto script = Load("callsite none test__ReadPast 0 string\n callsite two test__ReadPast 2 string\n"
                             "callsite cap test__Capture 1 int\n"
                             "native - none\n native - cap\n push int 1\n push string \"last\"\n native - two\n"
                             "native - cap\n end\n");
    script->Run("");
    ASSERT_EQ(CapturedCalls().size(), 2u);
    EXPECT_STREQ(CapturedCalls()[0][0].GetText(), "");
    EXPECT_STREQ(CapturedCalls()[1][0].GetText(), "last");
}

TEST_F(ScriptCallTest, SuspendedScriptResumesAfterTheCallWithItsStack)
{
    const auto script = Load("var after int\n callsite wait test__Suspend 0 int\n callsite cap test__Capture 2 int\n"
                             "func talk\n push int 11\n native - wait\n"
                             "push ref after\n push int 1\n assign\n native - cap\n ret\n end\n");
    EXPECT_EQ(script->Run("talk"), -1);
    EXPECT_EQ(script->suspendCount, 1);
    EXPECT_EQ(g_resumePoint, "#13");
    EXPECT_EQ(script->Variable(0)->intValue, 0);
    // A named run while suspended keeps the stack.
    EXPECT_EQ(script->Run("missing"), -10);

    EXPECT_EQ(ResumeScript(script.get(), g_resumePoint.c_str()), 0);
    EXPECT_EQ(script->suspendCount, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    ASSERT_EQ(CapturedCalls().size(), 1u);
    EXPECT_EQ(CapturedCalls()[0][0].intValue, 11); // the value pushed before the call
    EXPECT_EQ(CapturedCalls()[0][1].intValue, 5);  // the suspended call's result
    // A second resume does not drive the count below zero.
    EXPECT_EQ(script->Run("#33"), 0);
    EXPECT_EQ(script->suspendCount, 0);
}

TEST_F(ScriptCallTest, AGlobalSetBeforeASuspendingCallSurvivesTheResume)
{
    const auto script = Load("var counter int global g_counter\n callsite wait test__Suspend 0 int\n"
                             "func talk\n push ref counter\n push int 3\n assign\n native - wait\n ret\n end\n");
    const auto other = Load("var mine int\n var seen int global g_counter\n"
                            "func look\n push ref mine\n pushvar ref seen\n assign\n ret\n");
    EXPECT_EQ(script->Run("talk"), -1);
    // Other scripts see the value while the line plays ...
    EXPECT_EQ(other->Run("look"), 0);
    EXPECT_EQ(other->Variable(0)->intValue, 3);
    // ... and the resume's reload does not take it back.
    EXPECT_EQ(ResumeScript(script.get(), g_resumePoint.c_str()), 0);
    EXPECT_EQ(script->Variable(0)->intValue, 3);
    EXPECT_EQ(globals.FetchGlobal("g_counter", kScriptInteger).intValue, 3);
}

TEST_F(ScriptCallTest, ResumeOfADestroyedScriptDoesNothing)
{
    auto script = Load("callsite wait test__Suspend 0 int\n native - wait\n ret\n end\n");
    script->Run("");
    cKestruneScript* const stale = script.get();
    script.reset();
    EXPECT_EQ(ResumeScript(stale, g_resumePoint.c_str()), -1);
}

// Runs "inner" of the calling script from inside a call, as natives that
// evaluate a function of their own script do.
std::int32_t ReenterNative(ScriptCallFrame* frame)
{
    cKestruneScript* const script = frame->script;
    script->PushFrame();
    script->Run("inner");
    script->PopFrame();
    return 0;
}

std::int32_t ReenterWithoutFrameNative(ScriptCallFrame* frame)
{
    const std::uint32_t pc = frame->script->pc;
    const std::uint32_t sp = frame->script->sp;
    frame->script->Run("inner");
    frame->script->pc = pc;
    frame->script->sp = sp;
    return 0;
}

TEST_F(ScriptCallTest, ReentrantRunKeepsTheOuterStackAndSeesPublishedGlobals)
{
    RegisterScriptNative("test__Reenter", ReenterNative);
    RegisterScriptNative("test__ReenterBare", ReenterWithoutFrameNative);
    const auto script = Load("var g int global g_inner\n var seen int\n"
                             "callsite re test__Reenter 0 int\n callsite bare test__ReenterBare 0 int\n"
                             "callsite cap test__Capture 4 int\n"
                             "func main\n push int 111\n push int 222\n native - re\n"
                             "push ref seen\n pushvar ref g\n assign\n native - bare\n native - cap\n end\n"
                             "func inner\n push int 1\n push int 2\n push int 3\n push int 4\n"
                             "push ref g\n push int 55\n assign\n ret\n");
    EXPECT_EQ(script->Run("main"), -1);
    ASSERT_TRUE(link.reports.empty()) << link.LastText();
    ASSERT_EQ(CapturedCalls().size(), 1u);
    EXPECT_EQ(CapturedCalls()[0][0].intValue, 111);
    EXPECT_EQ(CapturedCalls()[0][1].intValue, 222);
    EXPECT_EQ(script->Variable(1)->intValue, 55);
    EXPECT_EQ(script->frames, nullptr);
}

std::int32_t DeleteCallerNative(ScriptCallFrame* frame)
{
    DeleteScript(frame->script);
    return 0;
}

std::int32_t RunInnerNative(ScriptCallFrame* frame)
{
    frame->script->Run("inner");
    return 0;
}

// Run under the sanitizers, these catch any write into the freed script.
TEST_F(ScriptCallTest, ANativeThatDeletesItsCallerEndsTheRunAndFreesItAfterwards)
{
    RegisterScriptNative("test__DeleteCaller", DeleteCallerNative);
    RegisterScriptNative("test__RunInner", RunInnerNative);
    const char* const source = "callsite del test__DeleteCaller 0 int\n callsite count test__Count 0 int\n"
                               "callsite inner test__RunInner 0 int\n"
                               "func direct\n native - del\n native - count\n ret\n"
                               "func nested\n native - inner\n native - count\n ret\n"
                               "func inner\n native - del\n native - count\n ret\n";
    for (const char* start : {"direct", "nested"}) {
        cKestruneScript* const script = Load(source).release();
        EXPECT_EQ(script->Run(start), -1) << start;
        EXPECT_EQ(g_calls, 0) << start;
        EXPECT_FALSE(IsLiveScript(script)) << start;
        EXPECT_TRUE(link.reports.empty()) << link.LastText();
    }
    // A script that is not running goes at once.
    cKestruneScript* const idle = Load(source).release();
    DeleteScript(idle);
    EXPECT_EQ(LiveScripts().count, 0);
}

} // namespace
// A text operand is pushed from its NUL back to its first character, so the
// one whose NUL is the last byte of the code must arrive whole too; the run
// then overruns the code and keeps its stack.
TEST_F(ScriptTest, TextThatEndsTheCodeIsPushedWhole)
{
    for (const std::string text : {"", "a", "abcdefghijklmnopq"}) {
        const auto script = Load("push int 7\n push string \"" + text + "\"\n");
        EXPECT_EQ(script->Run(""), -1) << text;
        const ScriptValue pushed = script->Pop();
        EXPECT_EQ(pushed.type, kScriptString) << text;
        EXPECT_EQ(std::string(pushed.GetText()), text);
        EXPECT_EQ(script->Pop().intValue, 7) << text;
    }
}

} // namespace vls::test
