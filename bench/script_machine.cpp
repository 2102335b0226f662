// The script machine on kernels written from what game scripts do (timers,
// mixed arithmetic, nested conditions, globals, text, natives, calls of
// script functions, object values), each beside the same loop in Lua 5.4,
// embedded through its C API and timed in the same process, round by round
// (paired_rounds.h). Lua runs with its generational collector, as its own
// program does, and once more with the incremental one. Both machines'
// results are checked after every round, so a loop that stops early fails the
// bench. The last benchmark prints the geometric mean of the ratios.

#include "engine/base/engine_link.h"
#include "engine/base/object_handles.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_natives.h"
#include "tools/script_assembler.h"

#include "bench/paired_rounds.h"
#include "bench/script_machine_kernels.h"

#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 21;

// The objects of the object kernel.
struct Mover {
    std::int32_t speed = bench::kMoverSpeed;
    std::int32_t steps = 0;
};

std::int32_t Mix(ScriptCallFrame* frame)
{
    frame->result.intValue = bench::MixFigure(frame->Argument(0).intValue, frame->Argument(1).floatValue);
    return 0;
}

// Runs a function of the calling script by name, keeping the caller's point,
// as the engine's own run-by-name native does.
std::int32_t RunScriptFunction(ScriptCallFrame* frame)
{
    frame->script->RunNested(frame->Argument(1).GetText());
    return 0;
}

std::int32_t Step(ScriptCallFrame* frame)
{
    Mover* const mover = ResolveObjectAs<Mover>(frame->object, ObjectKind::Test);
    if (!mover)
        return -1;
    ++mover->steps;
    frame->result.intValue = mover->speed;
    return 0;
}

int LuaMix(lua_State* lua)
{
    const auto a = static_cast<std::int32_t>(lua_tointeger(lua, 1));
    const auto b = static_cast<float>(lua_tonumber(lua, 2));
    lua_pushinteger(lua, bench::MixFigure(a, b));
    return 1;
}

int LuaStep(lua_State* lua)
{
    lua_getfield(lua, 1, "speed");
    const lua_Integer speed = lua_tointeger(lua, -1);
    lua_getfield(lua, 1, "steps");
    const lua_Integer steps = lua_tointeger(lua, -1) + 1;
    lua_pop(lua, 2);
    lua_pushinteger(lua, steps);
    lua_setfield(lua, 1, "steps");
    lua_pushinteger(lua, speed);
    return 1;
}

// One Lua state holding a kernel compiled as a function of N.
class LuaKernel {
public:
    LuaKernel(const std::string& body, int collector) : lua_(luaL_newstate())
    {
        if (!lua_)
            return;
        luaL_openlibs(lua_);
        lua_gc(lua_, collector, 0, 0);
        lua_register(lua_, "bench_mix", LuaMix);
        lua_register(lua_, "bench_step", LuaStep);
        if (luaL_dostring(lua_, "Mover = {} Mover.__index = Mover Mover.step = bench_step") != LUA_OK
            || luaL_loadstring(lua_, ("local N = ... " + body).c_str()) != LUA_OK) {
            error_ = lua_tostring(lua_, -1);
            return;
        }
        kernel_ = luaL_ref(lua_, LUA_REGISTRYINDEX);
    }
    ~LuaKernel()
    {
        if (lua_)
            lua_close(lua_);
    }
    LuaKernel(const LuaKernel&) = delete;
    LuaKernel& operator=(const LuaKernel&) = delete;

    bool Ready() const { return lua_ && kernel_ != LUA_NOREF; }
    const std::string& Error() const { return error_; }
    const std::vector<double>& Results() const { return results_; }

    bool Run(int turns)
    {
        const int top = lua_gettop(lua_);
        lua_rawgeti(lua_, LUA_REGISTRYINDEX, kernel_);
        lua_pushinteger(lua_, turns);
        if (lua_pcall(lua_, 1, LUA_MULTRET, 0) != LUA_OK) {
            error_ = lua_tostring(lua_, -1);
            lua_settop(lua_, top);
            return false;
        }
        results_.clear();
        for (int i = top + 1; i <= lua_gettop(lua_); ++i)
            results_.push_back(lua_tonumber(lua_, i));
        lua_settop(lua_, top);
        return true;
    }

private:
    lua_State* lua_;
    int kernel_ = LUA_NOREF;
    std::vector<double> results_;
    std::string error_ = "Lua 5.4 could not be started";
};

const ScriptValue* FindVariable(const cKestruneScript& script, const char* name)
{
    for (std::int32_t i = 0; i < script.variables.count; ++i) {
        if (script.variables.data[i].name == name)
            return &script.variables.data[i];
    }
    return nullptr;
}

bool Near(double value, const bench::KernelResult& want)
{
    return std::fabs(value - want.expected) <= want.tolerance;
}

// What is wrong with the results of the last runs of both sides, or "".
std::string CheckResults(const bench::ScriptKernel& kernel, const cKestruneScript& script, const LuaKernel& lua)
{
    const std::vector<double>& luaResults = lua.Results();
    for (std::size_t i = 0; i < kernel.results.size(); ++i) {
        const bench::KernelResult& want = kernel.results[i];
        const ScriptValue* const variable = FindVariable(script, want.variable);
        if (!variable)
            return std::string("no variable ") + want.variable;
        const double ours = variable->type == kScriptString ? variable->Text().GetLength()
            : variable->type == kScriptFloat                 ? variable->floatValue
                                                             : variable->intValue;
        char text[160];
        if (!Near(ours, want)) {
            std::snprintf(text, sizeof text, "our %s is %g, not %g", want.variable, ours, want.expected);
            return text;
        }
        if (i >= luaResults.size() || !Near(luaResults[i], want)) {
            std::snprintf(text, sizeof text, "Lua's %s is %g, not %g", want.variable,
                i < luaResults.size() ? luaResults[i] : NAN, want.expected);
            return text;
        }
    }
    return "";
}

// The median ratios of every kernel that ran, for the summary.
std::map<std::string, double>& GenerationalRatios()
{
    static std::map<std::string, double> ratios;
    return ratios;
}
std::map<std::string, double>& IncrementalRatios()
{
    static std::map<std::string, double> ratios;
    return ratios;
}

void RunKernel(benchmark::State& state, const bench::ScriptKernel& kernel)
{
    RegisterScriptNative("bench__Mix", Mix);
    RegisterScriptNative("bench__RunScript", RunScriptFunction);
    RegisterScriptNative("bench__Step", Step);
    Mover hero, other;
    const cObjectHandleEntry heroEntry(&hero, ObjectKind::Test);
    const cObjectHandleEntry otherEntry(&other, ObjectKind::Test);

    const std::vector<std::uint8_t> bytes = vls::tools::AssembleScriptBytes(kernel.script);
    cKestruneScript script;
    if (script.LoadFromMemory(bytes.data(), bytes.size()) != 0) {
        state.SkipWithError("script did not load");
        return;
    }
    for (std::int32_t i = 0; i < script.variables.count; ++i) {
        ScriptValue& variable = script.variables.data[i];
        if (variable.name == "hero" || variable.name == "other")
            variable.object = variable.name == "hero" ? heroEntry.Handle() : otherEntry.Handle();
    }
    LuaKernel generational(kernel.lua, LUA_GCGEN);
    LuaKernel incremental(kernel.lua, LUA_GCINC);
    if (!generational.Ready() || !incremental.Ready()) {
        state.SkipWithError(("Lua reference missing: " + generational.Error() + incremental.Error()).c_str());
        return;
    }
    const auto ours = [&] { return script.Run("") == 0; };
    const auto luaGenerational = [&] { return generational.Run(kernel.turns); };
    const auto luaIncremental = [&] { return incremental.Run(kernel.turns); };
    const auto check = [&] {
        std::string wrong = CheckResults(kernel, script, generational);
        if (wrong.empty())
            wrong = CheckResults(kernel, script, incremental);
        if (!wrong.empty())
            state.SkipWithError(("wrong results: " + wrong).c_str());
        return wrong.empty();
    };
    // One untimed turn of each warms caches and binds the natives.
    if (!ours() || !luaGenerational() || !luaIncremental()) {
        state.SkipWithError(("a kernel failed: " + generational.Error() + incremental.Error()).c_str());
        return;
    }
    if (!check())
        return;
    bench::PairedRounds roundsGenerational;
    bench::PairedRounds roundsIncremental;
    for (auto _ : state) {
        if (!roundsGenerational.Round(state, ours, luaGenerational) || !check())
            return;
        if (!roundsIncremental.Round(state, ours, luaIncremental) || !check())
            return;
    }
    roundsIncremental.Report(state, kernel.turns, "ns_per_turn", "lua_inc", "ratio_to_lua_inc", false);
    roundsGenerational.Report(state, kernel.turns, "ns_per_turn", "lua", "ratio_to_lua", false);
    const double generationalRatio = state.counters["ratio_to_lua"];
    const double incrementalRatio = state.counters["ratio_to_lua_inc"];
    GenerationalRatios()[kernel.name] = generationalRatio;
    IncrementalRatios()[kernel.name] = incrementalRatio;
    char label[200];
    std::snprintf(label, sizeof label, "ratio_to_lua %.3f (quartiles %.3f..%.3f), incremental %.3f",
        generationalRatio, static_cast<double>(state.counters["ratio_to_lua_q1"]),
        static_cast<double>(state.counters["ratio_to_lua_q3"]), incrementalRatio);
    state.SetLabel(label);
}

double GeometricMean(const std::map<std::string, double>& ratios)
{
    double logSum = 0;
    for (const auto& [name, ratio] : ratios)
        logSum += std::log(ratio);
    return ratios.empty() ? 0 : std::exp(logSum / static_cast<double>(ratios.size()));
}

// Runs last: the geometric mean and the worst of the kernels that ran.
void BM_GeometricMean(benchmark::State& state)
{
    for (auto _ : state) {
    }
    const auto& generational = GenerationalRatios();
    double worst = 0;
    std::string worstName;
    for (const auto& [name, ratio] : generational) {
        if (ratio > worst) {
            worst = ratio;
            worstName = name;
        }
    }
    state.counters["geomean_to_lua"] = GeometricMean(generational);
    state.counters["geomean_to_lua_inc"] = GeometricMean(IncrementalRatios());
    state.counters["worst_to_lua"] = worst;
    char label[200];
    std::snprintf(label, sizeof label, "geomean_to_lua %.3f over %zu kernels (incremental %.3f), worst %.3f (%s)",
        GeometricMean(generational), generational.size(), GeometricMean(IncrementalRatios()), worst,
        worstName.c_str());
    state.SetLabel(label);
}

const bool kRegistered = [] {
    static const std::vector<bench::ScriptKernel> kernels = bench::ScriptMachineKernels();
    for (const bench::ScriptKernel& kernel : kernels) {
        benchmark::RegisterBenchmark(("BM_Kernel/" + std::string(kernel.name)).c_str(),
            [&kernel](benchmark::State& state) { RunKernel(state, kernel); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(kRounds);
    }
    benchmark::RegisterBenchmark("BM_GeometricMean", BM_GeometricMean)->Iterations(1);
    return true;
}();

} // namespace
