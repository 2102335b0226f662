// Script functions called from the script itself through a native that runs
// them by name: each callee starts where its code starts (in the fast code or
// the run loop), returns to the native, and the caller goes on as it was.

#include "engine/script/script_call_frame.h"
#include "tests/engine/script/script_test_support.h"

namespace vls::test {
namespace {

std::vector<std::int32_t> g_results;

// Runs the function its second argument names and gives the run's result.
std::int32_t CallByName(ScriptCallFrame* frame)
{
    const std::int32_t result = frame->script->RunNested(frame->Argument(1).GetText());
    g_results.push_back(result);
    frame->result.intValue = result;
    return 0;
}

class NestedCallTest : public ScriptTest {
protected:
    NestedCallTest()
    {
        RegisterScriptNative("test__Call", CallByName);
        RegisterScriptNative("test__Capture", CaptureNative);
        g_results.clear();
        CapturedCalls().clear();
    }
};

// Each level counts itself down and calls the next before it returns; the
// global window is published at every return and read again by each caller.
TEST_F(NestedCallTest, RecursiveCallsUnwindLevelByLevel)
{
    const auto script = Load(R"(
var n int
var depth int
var total int global g_total
callsite call test__Call 2 int
    ret
func down
    inc ref depth
    push ref total
    pushvar ref total
    pushvar ref n
    add
    assign
    dec ref n
    pushvar ref n
    push int 0
    eq
    jnz bottom
    push int 1
    push string "down"
    native - call
    popreg
bottom:
    dec ref depth
    ret
)");
    ScriptValue& n = script->variables.data[0];
    for (const std::int32_t levels : {1, 2, 60}) {
        g_results.clear();
        n.intValue = levels;
        globals.entries.count = 0;
        EXPECT_EQ(script->Run("down"), 0) << levels;
        EXPECT_EQ(g_results, std::vector<std::int32_t>(static_cast<std::size_t>(levels - 1), 0)) << levels;
        EXPECT_EQ(script->variables.data[1].intValue, 0) << levels;
        EXPECT_EQ(globals.FetchGlobal("g_total", kScriptInteger).intValue, levels * (levels + 1) / 2) << levels;
        EXPECT_EQ(script->frames, nullptr);
        EXPECT_EQ(script->sp, 0u);
    }
    EXPECT_TRUE(link.reports.empty()) << link.LastText();
}

struct CalleeCase {
    const char* label;
    const char* callee;  // the body of function f
    std::int32_t result; // what the nested run gives
    std::int32_t r;      // variable r afterwards
    const char* report;  // the last report, or ""
    std::uint64_t jumpBudget = 0;
    bool floatBefore = false; // r is the float 2.5 when the second run starts
};

const CalleeCase kCallees[] = {
    {"fast code, then return", " push ref r\n pushvar ref x\n push int 2\n mul\n push int 1\n add\n assign\n ret\n",
        0, 13, ""},
    {"return at once", " ret\n", 0, 0, ""},
    {"end at once", " end\n", -1, 0, ""},
    {"fast code into a native", " push ref r\n pushvar ref x\n assign\n push int 3\n native - cap\n popreg\n"
                                " inc ref r\n ret\n",
        0, 7, ""},
    // The first run picks integer runners; r is a float at the second.
    {"a statement the fast code declines", " push ref r\n pushvar ref r\n push int 1\n add\n assign\n ret\n", 0, 3,
        "", 0, true},
    {"fast code out of jumps", "loop:\n inc ref r\n jmp loop\n", -1, 5, "Script jump budget spent.", 4},
    {"an unknown opcode after fast code", " inc ref r\n .byte 5\n ret\n", -1, 1, "Opcode not supported."},
    // The caller's values below the callee's base are not the callee's.
    {"a native call short of arguments", " inc ref r\n push int 1\n native - two\n ret\n", -1, 1,
        "Script stack underflow."},
};

class NestedCalleeTable : public NestedCallTest, public ::testing::WithParamInterface<CalleeCase> {};

// The caller pushes a value before the call and reads it back with the
// call's result after it: the callee's stack lies above the caller's.
TEST_P(NestedCalleeTable, CalleeReturnsToItsCaller)
{
    const CalleeCase& c = GetParam();
    const auto script = Load(std::string(R"(
var x int
var r int
var after int
callsite call test__Call 2 int
callsite cap test__Capture 1 int
callsite two test__Capture 2 int
    push int 6
    push int 1
    push string "f"
    native - call
    native - two
    popreg
    inc ref after
    ret
func f
)") + c.callee);
    ScriptValue& r = script->variables.data[1];
    script->variables.data[0].intValue = 6;
    // The first run picks the fast code's runners, which the second reuses.
    std::int32_t outer = 0;
    for (int run = 0; run < 2; ++run) {
        g_results.clear();
        CapturedCalls().clear();
        link.reports.clear();
        r.intValue = 0;
        if (run == 1 && c.floatBefore) {
            r.type = kScriptFloat;
            r.floatValue = 2.5f;
            r.intValue = 2;
        }
        SetScriptJumpBudget(c.jumpBudget);
        outer = script->Run("");
        SetScriptJumpBudget(0);
    }
    EXPECT_EQ(g_results, std::vector<std::int32_t>{c.result});
    EXPECT_EQ(r.intValue, c.r);
    EXPECT_EQ(link.LastText(), c.report);
    // The caller goes on after a callee that failed; it makes no jump.
    EXPECT_EQ(outer, 0);
    EXPECT_EQ(script->variables.data[2].intValue, 2);
    ASSERT_FALSE(CapturedCalls().empty());
    const std::vector<ScriptValue>& last = CapturedCalls().back();
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0].intValue, 6);
    EXPECT_EQ(last[1].intValue, c.result);
    EXPECT_EQ(script->frames, nullptr);
    EXPECT_EQ(script->sp, 0u);
}

INSTANTIATE_TEST_SUITE_P(Callees, NestedCalleeTable, ::testing::ValuesIn(kCallees),
    [](const ::testing::TestParamInfo<CalleeCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

} // namespace
} // namespace vls::test
