// The script machine on three loops of one million turns, each beside the
// same loop in Lua 5.4 (Debian's lua5.4, run once per loop as a child
// process that times itself). Counters: ns per turn, and the ratio to Lua.

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_natives.h"
#include "tools/script_assembler.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <time.h>

namespace {

constexpr int kTurns = 1000000;

// Counter i to one million: an add, a compare and a jump per turn.
const char* const kArithmetic = R"(
var i int
    push ref i
    push int 0
    assign
loop:
    push ref i
    pushvar ref i
    push int 1
    add
    assign
    pushvar ref i
    push int 1000000
    eq
    jz loop
    ret
)";
const char* const kArithmeticLua = "local i = 0 while i ~= N do i = i + 1 end";

// A string made from text and the counter each turn, compared with another.
const char* const kString = R"(
var i int
var s string
    push ref i
    push int 0
    assign
loop:
    push ref s
    push string "item"
    pushvar ref i
    add
    assign
    pushvar ref s
    push string "ITEM-1"
    eq
    jnz done
    push ref i
    pushvar ref i
    push int 1
    add
    assign
    pushvar ref i
    push int 1000000
    eq
    jz loop
done:
    ret
)";
const char* const kStringLua
    = "local i = 0 local s while i ~= N do s = 'item' .. i if s:lower() == 'item-1' then break end i = i + 1 end";

// A call of a native that does nothing each turn; its result is discarded.
const char* const kNative = R"(
var i int
var sink int
callsite nop bench__Nothing 0 int
    push ref i
    push int 0
    assign
loop:
    native - nop
    popreg
    push ref i
    pushvar ref i
    push int 1
    add
    assign
    pushvar ref i
    push int 1000000
    eq
    jz loop
    ret
)";
const char* const kNativeLua = "local nop = function() end local i = 0 while i ~= N do nop() i = i + 1 end";

std::int32_t Nothing(ScriptCallFrame*) { return 0; }

// Processor time of this thread, as Lua's os.clock counts it, so that a busy
// machine slows both sides alike.
double CpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Nanoseconds per turn of the Lua loop: best of three runs of ten million turns.
double LuaNanosecondsPerTurn(const char* loop)
{
    const std::string program = std::string("local N = 10000000 local best = math.huge for r = 1, 3 do ")
        + "local t = os.clock() do " + loop + " end t = os.clock() - t if t < best then best = t end end "
        + "print(best * 1e9 / N)";
    const std::string command = "lua5.4 -e \"" + program + "\" 2>/dev/null";
    FILE* const pipe = popen(command.c_str(), "r");
    if (!pipe)
        return 0.0;
    double ns = 0.0;
    if (std::fscanf(pipe, "%lf", &ns) != 1)
        ns = 0.0;
    pclose(pipe);
    return ns;
}

void RunLoop(benchmark::State& state, const char* source, const char* luaLoop)
{
    RegisterScriptNative("bench__Nothing", Nothing);
    const std::vector<std::uint8_t> bytes = vls::tools::AssembleScriptBytes(source);
    cKestruneScript script;
    if (script.LoadFromMemory(bytes.data(), bytes.size()) != 0) {
        state.SkipWithError("script did not load");
        return;
    }
    double nanoseconds = 0.0;
    for (auto _ : state) {
        const double start = CpuNanoseconds();
        benchmark::DoNotOptimize(script.Run(""));
        nanoseconds += CpuNanoseconds() - start;
    }
    const double perTurn = nanoseconds / (static_cast<double>(state.iterations()) * kTurns);
    const double lua = LuaNanosecondsPerTurn(luaLoop);
    state.counters["ns_per_turn"] = perTurn;
    state.counters["lua_ns_per_turn"] = lua;
    state.counters["ratio_to_lua"] = lua > 0 ? perTurn / lua : 0.0;
    if (lua <= 0)
        state.SetLabel("lua5.4 not available");
}

void BM_ArithmeticLoop(benchmark::State& state) { RunLoop(state, kArithmetic, kArithmeticLua); }
void BM_StringLoop(benchmark::State& state) { RunLoop(state, kString, kStringLua); }
void BM_NativeCallLoop(benchmark::State& state) { RunLoop(state, kNative, kNativeLua); }

BENCHMARK(BM_ArithmeticLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NativeCallLoop)->Unit(benchmark::kMillisecond);

} // namespace
