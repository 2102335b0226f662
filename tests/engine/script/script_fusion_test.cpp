// The fused idioms against the long forms: the same script loaded both ways
// must end with the same result, pc, stack bytes, variables and reports.

#include "engine/script/script_call_frame.h"
#include "tests/engine/script/script_test_support.h"

#include <algorithm>
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

// Conditional jumps on one value and on two, and their long forms for a
// string variable.
const char* const kTests = R"(
var a int
var s string
var f float
loop:
    inc ref a
    push int 4
    pushvar ref a
    eq
    jz loop
    pushvar ref f
    nonneg
    jz 0
    pushvar ref s
    not
    jnz done
    push ref f
    pushvar ref s
    push int 1
    add
    assign
done:
    ret
)";

// Objects picked by a flag and compared, as game scripts track a target.
const char* const kObjectLoop = R"(
var hero object
var other object
var target object
var flip bool
var hits int
var i int
loop:
    push ref flip
    pushvar ref flip
    not
    assign
    pushvar ref flip
    jnz second
    push ref target
    pushvar ref hero
    assign
    jmp chosen
second:
    push ref target
    push object other
    assign
chosen:
    push object other
    pushvar ref target
    eq
    jnz counted
    inc ref hits
counted:
    inc ref i
    pushvar ref i
    push int 6
    eq
    jz loop
    ret
)";

// Every kind of jump the fast code takes: a test, a plain jump, the
// compare idiom, and a counter that takes several turns.
const char* const kBranchyLoop = R"(
var i int
var stage int
var n int
loop:
    pushvar ref stage
    push int 1
    neg
    push int -1
    add
    add
    nonneg
    jnz late
    inc ref n
    jmp next
late:
    push ref n
    pushvar ref n
    push int 3
    mul
    assign
next:
    inc ref stage
    pushvar ref stage
    push int 3
    eq
    jz same
    push ref stage
    push int 0
    assign
same:
    inc ref i
    pushvar ref i
    push int 7
    eq
    jz loop
    ret
)";

// Values left for a native, of numbers and of a string that grows, then a
// statement after the call.
const char* const kPushesForANative = R"(
var i int
var t int
var s string
callsite cap test__Capture 2 int
loop:
    pushvar ref i
    pushvar ref t
    native - cap
    popreg
    pushvar ref t
    pushvar ref s
    native - cap
    popreg
    inc ref s
    push ref t
    pushvar ref t
    pushvar ref i
    add
    assign
    inc ref i
    pushvar ref i
    push int 3
    eq
    jz loop
    ret
)";

// A native's result taken off the stack by a bare assignment, of every type
// a call site may give; the reference natives hand back names a variable
// inside the table, past it and before it, and one lands on no reference.
const char* const kResultsAssigned = R"(
var a int
var f float
var b bool
var s string
var z int
callsite ri test__Give 0 int
callsite rf test__Give 0 float
callsite rb test__Give 0 bool
callsite rs test__Give 0 string
callsite ro test__Give 0 object
callsite rr test__Give 1 ref
    push ref f
    native - ri
    assign
    push ref a
    native - rf
    assign
    push ref s
    native - rb
    assign
    push ref b
    native - rs
    assign
    push ref a
    native - ro
    assign
    push int 5
    native - ri
    assign
    push int 99
    native - rr
    push float 2.5
    assign
    push int 1
    native - rr
    native - rb
    assign
    push int -1
    native - rr
    push int 9
    assign
    ret
)";

// Arithmetic on natives' results, which the fast code takes off the stack:
// every binary and unary instruction on numbers, booleans and objects, then
// a text and an integer division by zero, which go to the long forms.
const char* const kArithmeticOnResults = R"(
var a int
var f float
var b bool
var o object
callsite ri test__Give 0 int
callsite rf test__Give 0 float
callsite rb test__Give 0 bool
callsite rs test__Give 0 string
callsite ro test__Give 0 object
    push ref a
    native - ri
    native - rf
    add
    native - ri
    mul
    native - ri
    div
    native - rb
    xor
    native - ri
    or
    native - rf
    and
    neg
    assign
    push ref f
    native - rf
    native - ri
    mul
    native - rf
    div
    native - rb
    add
    neg
    assign
    push ref b
    native - rb
    native - rb
    eq
    not
    native - ro
    native - ro
    eq
    and
    native - rf
    tobool
    or
    native - ri
    nonneg
    xor
    native - rf
    nonneg
    and
    assign
    native - ri
    native - rs
    add
    popreg
    native - rs
    native - ri
    add
    native - rs
    eq
    popreg
    push ref b
    native - rs
    not
    tobool
    assign
    push ref f
    native - rs
    nonneg
    assign
    push ref a
    native - ri
    push int 0
    div
    assign
    ret
)";

// A nested run of inner over a stack whose value 5 the caller assigns to a
// when the run is over: inner may pop only what it pushed itself.
std::string AroundANestedRun(const char* inner)
{
    return std::string(R"(
var a int
callsite run test__Run 1 int
callsite ri test__Give 0 int
    push ref a
    push int 5
    push string "inner"
    native - run
    popreg
    assign
    ret
func inner
)") + inner + "    ret\n";
}

// The fast code takes over at the popreg, with one value or none above the
// base.
const std::string kUnaryAboveTheBase = AroundANestedRun("    native - ri\n    popreg\n    neg\n");
const std::string kBinaryAboveTheBase = AroundANestedRun("    native - ri\n    native - ri\n    popreg\n    add\n");

// A loop around a native that may change what the code after it stands on,
// with statements on both sides of the call.
std::string AroundANative(const char* native)
{
    return std::string(R"(
var i int
var t int
var u float
callsite call )") + native + R"( 2 int
loop:
    push ref t
    pushvar ref t
    push int 3
    add
    assign
    push ref t
    pushvar ref i
    push float 0.5
    native - call
    assign
    push ref u
    pushvar ref u
    pushvar ref t
    add
    assign
    inc ref i
    pushvar ref i
    push int 4
    eq
    jz loop
    ret
)";
}

const std::string kAroundGive = AroundANative("test__Give");
const std::string kAroundGrow = AroundANative("test__Grow");
const std::string kAroundSuspend = AroundANative("test__Suspend");
const std::string kAroundFill = AroundANative("test__Fill");

// Calls as compiled code makes them: constants pushed as arguments, a
// function of the script run by name, and each result popped into the
// scratch value and read back from there, for every result type.
const char* const kConstantsAroundCalls = R"(
var i int
var r int
var f float
var s string
var b bool
callsite ri test__Give 0 int
callsite rf test__Give 0 float
callsite rs test__Give 0 string
callsite rb test__Give 0 bool
callsite cap test__Capture 3 int
callsite run test__Run 1 int
loop:
    native - ri
    popreg
    push ref r
    pushreg
    assign
    native - rf
    popreg
    push ref f
    pushreg
    assign
    native - rs
    popreg
    push ref s
    pushreg
    assign
    native - rb
    popreg
    push ref b
    pushreg
    assign
    push int 2
    push bool true
    push string "a name longer than the room"
    native - cap
    popreg
    push string "inner"
    native - run
    popreg
    inc ref i
    pushvar ref i
    push int 3
    eq
    jz loop
    pushreg
    ret
func inner
    push float 1.5
    push string ""
    push int 7
    native - cap
    popreg
    inc ref r
    ret
)";

// A value of each result type, and for a reference the variable index its
// first argument gives.
std::int32_t GiveNative(ScriptCallFrame* frame)
{
    ScriptValue& result = frame->result;
    switch (result.type) {
    case kScriptInteger:
        result.intValue = -12;
        break;
    case kScriptFloat:
        result.floatValue = 2.75f;
        break;
    case kScriptBoolean:
        result.boolValue = 1;
        break;
    case kScriptString:
        result.SetText("41");
        break;
    case kScriptReference:
        result.intValue = frame->Argument(0).intValue;
        break;
    default:
        break;
    }
    return 0;
}

// Moves the variable table to new storage, as engine code that adds
// variables to a script may.
std::int32_t GrowNative(ScriptCallFrame* frame)
{
    for (int i = 0; i < DynArray<ScriptValue>::kStep; ++i)
        frame->script->variables.Add(ScriptValue::Integer(i));
    frame->result.intValue = 2;
    return 0;
}

std::int32_t RunNative(ScriptCallFrame* frame)
{
    frame->script->RunNested(frame->Argument(0).GetText());
    return 0;
}

std::int32_t SuspendNative(ScriptCallFrame* frame)
{
    SuspendScript(frame->script);
    frame->result.intValue = 1;
    return 0;
}

// Leaves the stack with less room than the fast code runs with.
std::int32_t FillNative(ScriptCallFrame* frame)
{
    while (frame->script->sp + 20 < kScriptStackSize - 1)
        frame->script->Push(ScriptValue::Integer(7));
    frame->result.intValue = 5;
    return 0;
}

// The end of a loop that counts its turns in i.
std::string CountedLoopEnd(int turns)
{
    return "    inc ref i\n    pushvar ref i\n    push int " + std::to_string(turns) + "\n    eq\n    jz loop\n    ret\n";
}

// Texts joined from every kind of piece, assigned and compared (without
// regard to case, and with a number's view), as game scripts build names and
// messages; one text grows every turn, so the room it takes does too.
const std::string kTextLoop = R"(
var i int
var f float
var b bool
var o object
var s string
var line string
var n int
var hits int
    push ref f
    push float 0.25
    assign
    push ref s
    push string "Item"
    assign
loop:
    push ref line
    pushvar ref s
    pushvar ref i
    add
    push string ":"
    add
    pushvar ref f
    add
    pushvar ref b
    add
    push object o
    add
    push ref n
    add
    push int -7
    add
    assign
    pushvar ref line
    push string "ITEMxx2:0.75TRUE-7"
    eq
    jz other
    inc ref hits
other:
    push string "3"
    pushvar ref i
    eq
    jnz skip
    push ref n
    push string "1"
    pushvar ref i
    add
    assign
skip:
    push ref hits
    pushvar ref i
    push string "5"
    add
    assign
    push ref s
    pushvar ref s
    push string "x"
    add
    assign
    push ref f
    pushvar ref f
    push float 0.25
    add
    assign
    push ref b
    pushvar ref b
    not
    assign
)" + CountedLoopEnd(6);

// Long enough that the fast code hands back to the run loop several times
// in the middle of a turn and goes on where it stopped.
const std::string kLongLoop = R"(
var i int
var t int
var f float
loop:
    push ref t
    pushvar ref t
    pushvar ref i
    add
    assign
    push ref f
    pushvar ref f
    push float 0.5
    add
    assign
)" + CountedLoopEnd(2000);

const FusionCase kCases[] = {
    {"texts joined and compared", kTextLoop.c_str()},
    {"texts joined near the stack top", kTextLoop.c_str(), "", false, 30},
    {"texts joined as they outgrow the stack", kTextLoop.c_str(), "", false, 40},
    {"texts joined with room to the end", kTextLoop.c_str(), "", false, 60},
    {"jump budget spent at a text comparison", kTextLoop.c_str(), "", false, -1, 1},
    {"jump budget spent at a number compared as text", kTextLoop.c_str(), "", false, -1, 2},
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
    {"statements with indexes past the table", R"(
var a int
var z int
callsite cap test__Capture 2 int
    push ref a
    push int 4
    assign
    push ref #99
    pushvar ref a
    pushvar ref #50
    add
    assign
    push ref #70
    pushvar ref #99
    push int 3
    mul
    pushvar ref a
    add
    assign
    pushvar ref #99
    push int 3
    neg
    add
    nonneg
    jz 0
    pushvar ref #99
    pushvar ref a
    native - cap
    popreg
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
    // Statements: runs worked out on values.
    {"a = b * c + d on integers and floats", R"(
var a int
var b int
var c float
var d float
var f float
    push ref b
    push int 7
    assign
    push ref c
    push float 2.5
    assign
    push ref d
    push float -0.75
    assign
    push ref a
    pushvar ref b
    pushvar ref c
    mul
    pushvar ref d
    add
    assign
    push ref f
    pushvar ref c
    pushvar ref b
    mul
    pushvar ref d
    neg
    add
    assign
    push ref f
    pushvar ref f
    push int 3
    div
    assign
    ret
)"},
    {"ordering by negate, add, test and not", R"(
var a int
var b int
var n int
    push ref b
    push int 5
    assign
loop:
    pushvar ref a
    pushvar ref b
    neg
    add
    nonneg
    not
    jz done
    inc ref a
    inc ref n
    jmp loop
done:
    pushvar ref a
    push int 5
    eq
    tobool
    push bool true
    xor
    jnz 0
    ret
)"},
    {"logic on booleans, floats and integers", R"(
var x int
var y float
var z bool
    push ref x
    push int 12
    push int 10
    and
    push int 1
    or
    push int 3
    xor
    assign
    push ref y
    push float 6.9
    push int 3
    or
    push float -1.5
    neg
    mul
    assign
    push ref z
    push bool true
    push float 0.0
    and
    push bool true
    or
    not
    assign
    ret
)"},
    {"integer division by zero inside a statement", R"(
var a int
var b int
    push ref a
    push int 5
    assign
    push ref a
    pushvar ref a
    pushvar ref b
    div
    push int 1
    add
    assign
    ret
)"},
    {"quotient that overflows wraps", R"(
var a int
    push ref a
    push int -2147483648
    push int -1
    div
    assign
    ret
)"},
    {"text in a variable of a statement", R"(
var s string
var t string
var n int
    push ref s
    push string "ab"
    assign
    push ref n
    pushvar ref s
    push int 2
    add
    assign
    pushvar ref t
    push int 0
    mul
    jnz 0
    ret
)"},
    {"objects compared in a statement", R"(
var o object
var p object
var r bool
    push ref r
    push object o
    pushvar ref p
    eq
    assign
    pushvar ref r
    jz 0
    ret
)"},
    {"assignment to what is no reference", R"(
var a int
    push int 3
    push int 4
    assign
    push ref a
    push int 2
    push int 3
    assign
    push int 9
    assign
    ret
)"},
    {"values left for a native", R"(
var r int
var i int
callsite cap test__Capture 2 int
    push ref r
    pushvar ref i
    push float 0.5
    push int 2
    mul
    native - cap
    assign
    ret
)"},
    {"statement stack full at its third push", R"(
var a int
var b int
    push ref a
    pushvar ref b
    push int 3
    push int 4
    mul
    add
    assign
    ret
)", "", false, 12},
    {"statement with just room", R"(
var a int
var b int
    push ref a
    pushvar ref b
    push int 3
    push int 4
    mul
    add
    assign
    ret
)", "", false, 20},
    {"jump into a statement", R"(
var a int
var b int
    push ref a
    pushvar ref b
    jmp mid
    push ref a
    pushvar ref a
mid:
    push int 3
    add
    assign
    ret
)"},
    {"resume inside a statement over a stack with a reference", R"(
var v int
    push ref v
    push int 1
func mid
    pushvar ref v
    push int 2
    mul
    add
    assign
    ret
)", "mid", true},
    {"tests of one and two values", kTests},
    {"test with room for one value", kTests, "", false, 7},
    {"mixed integer and float operands", R"(
var a int
var f float
var i int
var g float
    push ref f
    push float 2.75
    assign
    push ref i
    push int 7
    assign
    push ref a
    pushvar ref f
    pushvar ref i
    mul
    push float 0.5
    add
    assign
    push ref g
    pushvar ref i
    pushvar ref f
    div
    assign
    push ref g
    pushvar ref g
    pushvar ref i
    mul
    pushvar ref f
    add
    assign
    push ref i
    pushvar ref g
    assign
    ret
)"},
    {"float tests with NaN", R"(
var n float
var hits int
    push ref n
    push float 0
    push float 0
    div
    assign
    pushvar ref n
    pushvar ref n
    eq
    jz skip1
    inc ref hits
skip1:
    pushvar ref n
    jnz skip2
    inc ref hits
skip2:
    pushvar ref n
    tobool
    jnz skip3
    inc ref hits
skip3:
    pushvar ref n
    push float -1.5
    mul
    nonneg
    jnz skip4
    inc ref hits
skip4:
    ret
)"},
    {"booleans negated and tested", R"(
var b bool
var k int
var c int
    push ref b
    pushvar ref b
    not
    assign
    push ref k
    push int 5
    assign
    push ref k
    pushvar ref k
    not
    assign
    pushvar ref b
    jz 0
    pushvar ref k
    push int 5
    eq
    not
    jnz 0
    push ref c
    pushvar ref b
    assign
    push ref b
    pushvar ref k
    assign
    ret
)"},
    {"typed division by zero", R"(
var a int
var z int
    push ref a
    push int 9
    assign
    push ref a
    pushvar ref a
    pushvar ref z
    div
    assign
    ret
)"},
    {"division of the lowest integer by minus one", R"(
var a int
    push ref a
    push int -2147483648
    assign
    push ref a
    pushvar ref a
    push int -1
    div
    assign
    ret
)"},
    {"objects picked, assigned and compared in a loop", kObjectLoop},
    {"jump budget spent at the first test", kBranchyLoop, "", false, -1, 1},
    {"jump budget spent at a plain jump", kBranchyLoop, "", false, -1, 2},
    {"jump budget spent at the compare idiom", kBranchyLoop, "", false, -1, 3},
    {"jump budget spent in a later turn", kBranchyLoop, "", false, -1, 11},
    {"branchy loop to its end", kBranchyLoop},
    {"branchy loop without room for a statement", kBranchyLoop, "", false, 14},
    {"branchy loop with room for the fast code", kBranchyLoop, "", false, 15},
    {"string counted between number statements", R"(
var i int
var s string
var t float
loop:
    inc ref s
    push ref t
    pushvar ref t
    push float 0.5
    add
    assign
    dec ref s
    inc ref s
    inc ref i
    pushvar ref i
    push int 4
    eq
    jz loop
    ret
)"},
    {"values pushed for a native near the stack top", kPushesForANative, "", false, 24},
    {"values pushed for a native with room after them", kPushesForANative, "", false, 25},
    {"values pushed for a native with a string among them", kPushesForANative},
    {"constants pushed and results popped around calls", kConstantsAroundCalls},
    {"constants pushed around calls with no room for a number", kConstantsAroundCalls, "", false, 4},
    {"constants pushed around calls with room for a short text", kConstantsAroundCalls, "", false, 24},
    {"constants pushed around calls with room for the long text", kConstantsAroundCalls, "", false, 44},
    {"constants pushed around calls with room to spare", kConstantsAroundCalls, "", false, 60},
    {"popreg of an empty stack", " popreg\n pushreg\n ret\n"},
    {"popreg of a text and of a number", " push string \"abc\"\n popreg\n push int 4\n popreg\n pushreg\n pushreg\n"
                                         " popreg\n ret\n"},
    {"one value and four pushed for natives", R"(
var i int
var f float
var b bool
callsite one test__Capture 1 int
callsite four test__Capture 4 int
loop:
    pushvar ref f
    native - one
    popreg
    push int 7
    pushvar ref i
    pushvar ref b
    pushvar ref f
    native - four
    popreg
    push ref f
    pushvar ref f
    push float 1.5
    add
    assign
    push ref b
    pushvar ref b
    not
    assign
    inc ref i
    pushvar ref i
    push int 3
    eq
    jz loop
    ret
)"},
    {"native results assigned by type", kResultsAssigned},
    {"arithmetic on native results", kArithmeticOnResults},
    {"arithmetic on native results with little room", kArithmeticOnResults, "", false, 19},
    {"unary instruction in a nested run finds nothing above its base", kUnaryAboveTheBase.c_str()},
    {"binary instruction in a nested run finds one value above its base", kBinaryAboveTheBase.c_str()},
    {"arithmetic over a stack too short", R"(
var a int
callsite ri test__Give 0 int
    native - ri
    neg
    native - ri
    add
    add
    ret
)"},
    {"native result assigned over a stack too short", R"(
var a int
callsite ri test__Give 0 int
    native - ri
    assign
    ret
)"},
    {"native result assigned with the stack nearly full", kResultsAssigned, "", false, 24},
    {"assignment in a nested run finds no reference below its base", R"(
var a int
callsite run test__Run 1 int
callsite ri test__Give 0 int
    push ref a
    push string "inner"
    native - run
    assign
    ret
func inner
    native - ri
    assign
    ret
)"},
    {"native that only returns, in a loop", kAroundGive.c_str()},
    {"native that moves the variable table", kAroundGrow.c_str()},
    {"native that suspends its script", kAroundSuspend.c_str()},
    {"native that fills the stack", kAroundFill.c_str()},
    {"long loop over many fast instructions", kLongLoop.c_str(), "", false, -1, 100000},
    {"statement loop spends its jumps", R"(
var i int
loop:
    inc ref i
    pushvar ref i
    push int 50
    neg
    add
    nonneg
    jz loop
    ret
)", "", false, -1, 7},
};

class ScriptFusionTable : public ScriptTest, public ::testing::WithParamInterface<FusionCase> {};

struct Outcome {
    std::int32_t result = 0;
    std::uint32_t pc = 0;
    std::uint32_t sp = 0;
    std::vector<std::uint8_t> stack;
    std::vector<std::string> variables;
    std::vector<std::string> reports;
    std::vector<std::string> arguments; // what each captured native call received
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
    RegisterScriptNative("test__Capture", CaptureNative);
    RegisterScriptNative("test__Give", GiveNative);
    RegisterScriptNative("test__Grow", GrowNative);
    RegisterScriptNative("test__Suspend", SuspendNative);
    RegisterScriptNative("test__Fill", FillNative);
    RegisterScriptNative("test__Run", RunNative);
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
                    start = '#' + std::to_string(script->functions.data[i].offset);
            }
        }
        link.reports.clear();
        CapturedCalls().clear();
        SetScriptJumpBudget(c.jumpBudget);
        Outcome& o = outcomes[fused];
        o.result = script->Run(start.c_str());
        SetScriptJumpBudget(0);
        o.pc = script->pc;
        o.sp = script->sp;
        // The bytes above the top are free: the fast code leaves there
        // nothing of the values a statement works out.
        o.stack.assign(script->stack, script->stack + std::min<std::size_t>(script->sp + 1, kScriptStackSize));
        for (std::int32_t i = 0; i < script->variables.count; ++i)
            o.variables.push_back(Views(script->variables.data[i]));
        for (const auto& report : link.reports)
            o.reports.push_back(report.text);
        for (const auto& call : CapturedCalls()) {
            std::string seen;
            for (const ScriptValue& argument : call)
                seen += Views(argument) + "; ";
            o.arguments.push_back(seen);
        }
    }
    const Outcome& longForm = outcomes[0];
    const Outcome& fusedForm = outcomes[1];
    EXPECT_EQ(fusedForm.result, longForm.result);
    EXPECT_EQ(fusedForm.pc, longForm.pc);
    EXPECT_EQ(fusedForm.sp, longForm.sp);
    EXPECT_EQ(fusedForm.variables, longForm.variables);
    EXPECT_EQ(fusedForm.reports, longForm.reports);
    EXPECT_EQ(fusedForm.arguments, longForm.arguments);
    EXPECT_TRUE(fusedForm.stack == longForm.stack) << "stack bytes differ";
}

INSTANTIATE_TEST_SUITE_P(Idioms, ScriptFusionTable, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<FusionCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

// A statement's first run builds it for the types its values have then; a
// variable that takes another type later (from a global, a savegame) must
// still be worked out by its own type.
TEST_F(ScriptTest, StatementsFollowAVariableThatChangesType)
{
    const char* const source = R"(
var v int
var r int
var hits int
    push ref r
    pushvar ref v
    push int 3
    mul
    assign
    pushvar ref v
    push int 2
    neg
    add
    nonneg
    jz low
    inc ref hits
low:
    ret
)";
    struct Change {
        std::uint32_t type;
        const char* text;
        std::int32_t integer;
        float real;
    };
    const Change changes[] = {
        {kScriptFloat, "", 0, 2.5f},
        {kScriptString, "12", 0, 0.0f},
        {kScriptBoolean, "", 0, 0.0f},
        {kScriptInteger, "", 4, 0.0f},
    };
    std::vector<std::string> outcomes[2];
    for (int fused = 0; fused < 2; ++fused) {
        SetScriptIdiomFusion(fused != 0);
        const auto script = Load(source);
        SetScriptIdiomFusion(true);
        ScriptValue& v = script->variables.data[0];
        v.intValue = 5;
        ASSERT_EQ(script->Run(""), 0);
        for (const Change& change : changes) {
            v.type = change.type;
            v.SetText(change.text);
            v.intValue = change.integer;
            v.floatValue = change.real;
            v.boolValue = change.type == kScriptBoolean;
            ASSERT_EQ(script->Run(""), 0);
            std::string seen;
            for (std::int32_t i = 0; i < script->variables.count; ++i)
                seen += Views(script->variables.data[i]) + "; ";
            outcomes[fused].push_back(seen + std::string(script->stack, script->stack + script->sp + 1));
        }
    }
    EXPECT_EQ(outcomes[1], outcomes[0]);
    // The string "12" times 3 is a string: r takes its text and no number.
    EXPECT_NE(outcomes[1][1].find("text '12'"), std::string::npos);
}

// A native that gives variable 1 the next of four types at every call, as
// engine code that binds a variable may; the statements after the call must
// follow the type it has now, in the same run.
std::int32_t MorphNative(ScriptCallFrame* frame)
{
    static const std::uint32_t kTypes[] = {kScriptFloat, kScriptString, kScriptBoolean, kScriptInteger};
    ScriptValue& v = frame->script->variables.data[1];
    std::uint32_t next = kScriptFloat;
    for (std::size_t i = 0; i < 4; ++i) {
        if (kTypes[i] == v.type)
            next = kTypes[(i + 1) % 4];
    }
    v.type = next;
    v.SetText(next == kScriptString ? "7" : "");
    v.intValue = 3;
    v.floatValue = 1.5f;
    v.boolValue = 1;
    return 0;
}

TEST_F(ScriptTest, StatementsFollowATypeChangedByANativeInTheSameRun)
{
    const char* const source = R"(
callsite morph test__Morph 0 int
var i int
var v int
var f float
var r int
    push ref i
    push int 0
    assign
loop:
    native - morph
    popreg
    push ref f
    pushvar ref v
    push float 0.5
    add
    assign
    dec ref v
    push ref r
    pushvar ref v
    push int 3
    mul
    assign
    pushvar ref v
    push int 1
    neg
    add
    nonneg
    jnz high
    dec ref r
high:
    inc ref i
    pushvar ref i
    push int 9
    eq
    jz loop
    ret
)";
    RegisterScriptNative("test__Morph", MorphNative);
    std::string outcomes[2];
    for (int fused = 0; fused < 2; ++fused) {
        SetScriptIdiomFusion(fused != 0);
        const auto script = Load(source);
        SetScriptIdiomFusion(true);
        // A loop that never ends fails instead of hanging.
        SetScriptJumpBudget(1000);
        ASSERT_EQ(script->Run(""), 0) << link.LastText();
        for (std::int32_t i = 0; i < script->variables.count; ++i)
            outcomes[fused] += Views(script->variables.data[i]) + "; ";
        // A second run starts over the types the first one left.
        ASSERT_EQ(script->Run(""), 0) << link.LastText();
        SetScriptJumpBudget(0);
        for (std::int32_t i = 0; i < script->variables.count; ++i)
            outcomes[fused] += Views(script->variables.data[i]) + "; ";
        outcomes[fused] += std::string(script->stack, script->stack + script->sp + 1);
    }
    EXPECT_EQ(outcomes[1], outcomes[0]);
    EXPECT_TRUE(link.reports.empty());
}

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
