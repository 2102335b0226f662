// The script machine on three loops of one million turns, each beside the
// same loop in Lua 5.4, embedded through its C API and timed in the same
// process, round by round (paired_rounds.h). Counters: ns per turn of each
// side, and the median ratio of our time to Lua's with its quartiles.

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_natives.h"
#include "tools/script_assembler.h"

#include "bench/paired_rounds.h"

#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <string>

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
    push string "item-1"
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
    = "local i = 0 local s while i ~= N do s = 'item' .. i if s == 'item-1' then break end i = i + 1 end";

// A call of a native that does nothing each turn; its result is discarded.
// Lua calls a C function registered through its C API.
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
const char* const kNativeLua = "local nop = bench_nothing local i = 0 while i ~= N do nop() i = i + 1 end";

std::int32_t Nothing(ScriptCallFrame*) { return 0; }

int LuaNothing(lua_State*) { return 0; }

constexpr int kRounds = 31;

// One Lua state holding a loop compiled as a function of N.
class LuaLoop {
public:
    explicit LuaLoop(const char* loop) : lua_(luaL_newstate())
    {
        if (!lua_)
            return;
        luaL_openlibs(lua_);
        lua_register(lua_, "bench_nothing", LuaNothing);
        const std::string chunk = std::string("local N = ... ") + loop;
        if (luaL_loadstring(lua_, chunk.c_str()) != LUA_OK) {
            error_ = lua_tostring(lua_, -1);
            return;
        }
        loop_ = luaL_ref(lua_, LUA_REGISTRYINDEX);
    }
    ~LuaLoop()
    {
        if (lua_)
            lua_close(lua_);
    }
    LuaLoop(const LuaLoop&) = delete;
    LuaLoop& operator=(const LuaLoop&) = delete;

    bool Ready() const { return lua_ && loop_ != LUA_NOREF; }
    const std::string& Error() const { return error_; }

    bool Run(int turns)
    {
        lua_rawgeti(lua_, LUA_REGISTRYINDEX, loop_);
        lua_pushinteger(lua_, turns);
        if (lua_pcall(lua_, 1, 0, 0) != LUA_OK) {
            error_ = lua_tostring(lua_, -1);
            lua_pop(lua_, 1);
            return false;
        }
        return true;
    }

private:
    lua_State* lua_;
    int loop_ = LUA_NOREF;
    std::string error_ = "Lua 5.4 could not be started";
};

void RunLoop(benchmark::State& state, const char* source, const char* luaLoop)
{
    RegisterScriptNative("bench__Nothing", Nothing);
    const std::vector<std::uint8_t> bytes = vls::tools::AssembleScriptBytes(source);
    cKestruneScript script;
    if (script.LoadFromMemory(bytes.data(), bytes.size()) != 0) {
        state.SkipWithError("script did not load");
        return;
    }
    LuaLoop lua(luaLoop);
    if (!lua.Ready()) {
        state.SkipWithError(("Lua reference missing: " + lua.Error()).c_str());
        return;
    }
    const auto ours = [&] { return script.Run("") == 0; };
    const auto reference = [&] { return lua.Run(kTurns); };
    // One untimed turn of each warms caches and binds the native.
    if (!ours() || !reference()) {
        state.SkipWithError(("a loop failed: " + lua.Error()).c_str());
        return;
    }
    bench::PairedRounds rounds;
    for (auto _ : state) {
        if (!rounds.Round(state, ours, reference))
            return;
    }
    rounds.Report(state, kTurns, "ns_per_turn", "lua", "ratio_to_lua", false);
}

void BM_ArithmeticLoop(benchmark::State& state) { RunLoop(state, kArithmetic, kArithmeticLua); }
void BM_StringLoop(benchmark::State& state) { RunLoop(state, kString, kStringLua); }
void BM_NativeCallLoop(benchmark::State& state) { RunLoop(state, kNative, kNativeLua); }

BENCHMARK(BM_ArithmeticLoop)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_StringLoop)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_NativeCallLoop)->Unit(benchmark::kMillisecond)->Iterations(kRounds);

} // namespace
