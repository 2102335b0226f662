// The fused idioms against the long forms: the same script loaded both ways
// must end with the same result, pc, stack bytes, variables and reports.

#include "engine/script/script_call_frame.h"
#include "tests/engine/script/script_test_support.h"

#include <cstring>

namespace vls::test {
namespace {

struct FusionCase {
    const char* label;
    const char* source;
    const char* start = "";   // a function to start at; "" = offset 0
    bool resume = false;      // start as "#offset" of that function, over a stack with a reference to variable 0
    int stackRoom = -1;       // >= 0: the prepared stack leaves this many bytes free
    std::uint64_t jumpBudget = 1000; // ends loops that never stop
};

const char* const kCounter = R"(
var i int
    push ref i
    push int 0
    assign
loop:
    push ref i
    pushvar ref i
    push int 3
    add
    assign
    pushvar ref i
    push int 30
    eq
    jz loop
    ret
)";

const FusionCase kCases[] = {
    {"counter loop", kCounter},
    {"exit by jnz", R"(
var i int
loop:
    push ref i
    pushvar ref i
    push int -2
    add
    assign
    pushvar ref i
    push int -12
    eq
    jnz done
    jmp loop
done:
    ret
)"},
    {"integer wraps", R"(
var i int
    push ref i
    push int 2147483647
    assign
    push ref i
    pushvar ref i
    push int 1
    add
    assign
    pushvar ref i
    push int -2147483648
    eq
    jz 0
    ret
)"},
    {"float variable", R"(
var f float
    push ref f
    pushvar ref f
    push int 2
    add
    assign
    pushvar ref f
    push int 2
    eq
    jz 0
    ret
)"},
    {"string variable", R"(
var s string
    push ref s
    pushvar ref s
    push int 4
    add
    assign
    pushvar ref s
    push int 0
    eq
    jnz done
    push ref s
    pushvar ref s
    push int 5
    add
    assign
done:
    ret
)"},
    {"boolean variable", R"(
var b bool
    push ref b
    pushvar ref b
    push int 1
    add
    assign
    pushvar ref b
    push int 1
    eq
    jz 0
    ret
)"},
    {"index past the table names the last variable", R"(
var a int
var z int
    push ref #99
    pushvar ref #99
    push int 6
    add
    assign
    pushvar ref #99
    push int 6
    eq
    jz 0
    ret
)"},
    {"jump into the add idiom", R"(
var v int
    push ref v
    jmp mid
    push ref v
mid:
    pushvar ref v
    push int 5
    add
    assign
    ret
)"},
    {"jump into the compare idiom", R"(
var v int
    pushvar ref v
    jmp mid
    pushvar ref v
mid:
    push int 0
    eq
    jz 0
    ret
)"},
    {"resume inside the add idiom", R"(
var v int
    push ref v
func mid
    pushvar ref v
    push int 9
    add
    assign
    ret
)", "mid", true},
    {"resume at the conditional jump of the compare idiom", R"(
var v int
    pushvar ref v
    push int 0
    eq
func mid
    jz 0
    ret
)", "mid", true},
    {"stack full at the first push", kCounter, "", false, 4},
    {"stack full at the second push", kCounter, "", false, 9},
    {"stack full at the third push", kCounter, "", false, 14},
    {"stack with just room", kCounter, "", false, 15},
    {"jump budget spent", kCounter, "", false, -1, 4},
};

class ScriptFusionTable : public ScriptTest, public ::testing::WithParamInterface<FusionCase> {};

struct Outcome {
    std::int32_t result = 0;
    std::uint32_t pc = 0;
    std::uint32_t sp = 0;
    std::vector<std::uint8_t> stack;
    std::vector<std::string> variables;
    std::vector<std::string> reports;
};

std::string Views(const ScriptValue& v)
{
    std::uint32_t floatBits;
    std::memcpy(&floatBits, &v.floatValue, sizeof floatBits);
    return std::to_string(v.type) + " int " + std::to_string(v.intValue) + " float " + std::to_string(floatBits)
        + " bool " + std::to_string(v.boolValue) + " text '" + v.GetText() + "' object "
        + std::to_string(v.object);
}

TEST_P(ScriptFusionTable, FusedAndLongFormsAgree)
{
    const FusionCase& c = GetParam();
    Outcome outcomes[2];
    for (int fused = 0; fused < 2; ++fused) {
        SetScriptIdiomFusion(fused != 0);
        const auto script = Load(c.source);
        SetScriptIdiomFusion(true);
        std::string start = c.start;
        if (c.resume || c.stackRoom >= 0) {
            // A pending suspension keeps the stack the test lays out.
            script->suspendCount = 1;
            for (std::uint32_t i = 0; i < kScriptStackSize; ++i)
                script->stack[i] = static_cast<std::uint8_t>(i * 7);
            script->sp = 0;
            ASSERT_TRUE(script->Push(ScriptValue(kScriptReference)));
            if (c.stackRoom >= 0)
                script->sp = static_cast<std::uint32_t>(kScriptStackSize - 1 - c.stackRoom);
        }
        if (c.resume) {
            for (std::int32_t i = 0; i < script->functions.count; ++i) {
                if (script->functions.data[i].name == c.start)
                    start = "#" + std::to_string(script->functions.data[i].offset);
            }
        }
        link.reports.clear();
        SetScriptJumpBudget(c.jumpBudget);
        Outcome& o = outcomes[fused];
        o.result = script->Run(start.c_str());
        SetScriptJumpBudget(0);
        o.pc = script->pc;
        o.sp = script->sp;
        o.stack.assign(script->stack, script->stack + kScriptStackSize);
        for (std::int32_t i = 0; i < script->variables.count; ++i)
            o.variables.push_back(Views(script->variables.data[i]));
        for (const auto& report : link.reports)
            o.reports.push_back(report.text);
    }
    const Outcome& longForm = outcomes[0];
    const Outcome& fusedForm = outcomes[1];
    EXPECT_EQ(fusedForm.result, longForm.result);
    EXPECT_EQ(fusedForm.pc, longForm.pc);
    EXPECT_EQ(fusedForm.sp, longForm.sp);
    EXPECT_EQ(fusedForm.variables, longForm.variables);
    EXPECT_EQ(fusedForm.reports, longForm.reports);
    EXPECT_TRUE(fusedForm.stack == longForm.stack) << "stack bytes differ";
}

INSTANTIATE_TEST_SUITE_P(Idioms, ScriptFusionTable, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<FusionCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

// The counter loop's figures, so that agreement above is not agreement on
// something else.
TEST_F(ScriptTest, FusedCounterLoopCountsAndSpendsItsJumps)
{
    const auto script = Load(kCounter);
    EXPECT_EQ(script->Run(""), 0);
    EXPECT_STREQ(script->variables.data[0].GetText(), "30");
    EXPECT_EQ(script->variables.data[0].floatValue, 30.0f);
    EXPECT_EQ(script->sp, 0u);
    link.reports.clear();
    SetScriptJumpBudget(9);
    EXPECT_EQ(script->Run(""), 0);
    SetScriptJumpBudget(4);
    EXPECT_EQ(script->Run(""), -1);
    SetScriptJumpBudget(0);
    EXPECT_EQ(link.LastText(), "Script jump budget spent.");
    EXPECT_EQ(script->variables.data[0].intValue, 15);
}

} // namespace
} // namespace vls::test
