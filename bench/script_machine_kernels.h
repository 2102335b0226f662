#pragma once

// The work of the script machine bench: kernels written from what game
// scripts do, each as our assembly and as the same loop in Lua 5.4, with the
// results both must reach. The sources are built for a number of turns, so
// that a loop that stops early shows in its results.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// What a kernel must leave behind: our script's variables by name, and the
// values the Lua chunk returns, in the same order.
struct KernelResult {
    const char* variable; // a string variable gives the length of its text

    double expected;
    double tolerance = 0; // floats: the two machines round differently
};

struct ScriptKernel {
    const char* name;
    int turns;
    std::string script;
    std::string lua; // the body of a chunk that starts `local N = ...`
    std::vector<KernelResult> results;
};

// The tail of every kernel's loop: the counter i counts the turns.
inline std::string NextTurn(int turns)
{
    return "    inc ref i\n    pushvar ref i\n    push int " + std::to_string(turns) + "\n    eq\n    jz loop\n    ret\n";
}

// The natives' figures, shared by our natives, Lua's and the expected results.
inline std::int32_t MixFigure(std::int32_t a, float b) { return (a & 1023) + static_cast<std::int32_t>(b * 4.0f); }
constexpr std::int32_t kMoverSpeed = 3;

inline std::vector<ScriptKernel> ScriptMachineKernels()
{
    std::vector<ScriptKernel> kernels;

    {
        // A countdown timer that restarts when it runs out, and a clock.
        constexpr int n = 1000000;
        std::int32_t t = 40, fired = 0;
        for (int i = 0; i < n; ++i) {
            t = t - 1;
            if (t < 0) {
                t = 40;
                ++fired;
            }
        }
        kernels.push_back({"Timers", n, R"(
var i int
var t int
var fired int
var clock float
    push ref i
    push int 0
    assign
    push ref t
    push int 40
    assign
    push ref fired
    push int 0
    assign
    push ref clock
    push float 0
    assign
loop:
    push ref clock
    pushvar ref clock
    push float 0.025
    add
    assign
    push ref t
    pushvar ref t
    push int 1
    neg
    add
    assign
    pushvar ref t
    nonneg
    jnz running
    push ref t
    push int 40
    assign
    inc ref fired
running:
)" + NextTurn(n),
            R"(
local t, fired, clock = 40, 0, 0.0
for i = 1, N do
  clock = clock + 0.025
  t = t - 1
  if t < 0 then t = 40 fired = fired + 1 end
end
return t, fired, clock)",
            {{"t", double(t)}, {"fired", double(fired)}, {"clock", n * 0.025, n * 0.025 * 0.05}}});
    }

    {
        // a = b * c + d on integers and floats, and a division.
        constexpr int n = 1000000;
        std::int32_t a = 0, p = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            a = i * 3 + p;
            p = a / 4;
        }
        kernels.push_back({"MixedArithmetic", n, R"(
var i int
var k int
var a int
var p int
var v float
var h float
var w float
    push ref i
    push int 0
    assign
    push ref k
    push int 3
    assign
    push ref a
    push int 0
    assign
    push ref p
    push int 0
    assign
    push ref v
    push float 0
    assign
    push ref h
    push float 0.75
    assign
    push ref w
    push float 2.5
    assign
loop:
    push ref a
    pushvar ref i
    pushvar ref k
    mul
    pushvar ref p
    add
    assign
    push ref p
    pushvar ref a
    push int 4
    div
    assign
    push ref v
    pushvar ref v
    pushvar ref h
    mul
    pushvar ref w
    add
    assign
)" + NextTurn(n),
            R"(
local k, a, p, v, h, w = 3, 0, 0, 0.0, 0.75, 2.5
for i = 0, N - 1 do
  a = i * k + p
  p = a // 4
  v = v * h + w
end
return a, p, v)",
            {{"a", double(a)}, {"p", double(p)}, {"v", 10.0, 1e-3}}});
    }

    {
        // A phase that cycles, tested in nested conditions with a flag.
        constexpr int n = 1000000;
        std::int32_t phase = 0, hits = 0, misses = 0;
        bool open = false;
        for (int i = 0; i < n; ++i) {
            if (++phase == 5)
                phase = 0;
            if (phase < 2) {
                if (open)
                    ++hits;
                else
                    open = true;
            } else if (phase == 3) {
                open = false;
                ++misses;
            }
        }
        kernels.push_back({"NestedConditions", n, R"(
var i int
var phase int
var open bool
var hits int
var misses int
    push ref i
    push int 0
    assign
    push ref phase
    push int 0
    assign
    push ref open
    push bool false
    assign
    push ref hits
    push int 0
    assign
    push ref misses
    push int 0
    assign
loop:
    inc ref phase
    pushvar ref phase
    push int 5
    eq
    jz nowrap
    push ref phase
    push int 0
    assign
nowrap:
    pushvar ref phase
    push int 2
    neg
    add
    nonneg
    jnz late
    pushvar ref open
    jz opening
    inc ref hits
    jmp next
opening:
    push ref open
    push bool true
    assign
    jmp next
late:
    pushvar ref phase
    push int 3
    eq
    jz next
    push ref open
    push bool false
    assign
    inc ref misses
next:
)" + NextTurn(n),
            R"(
local phase, open, hits, misses = 0, false, 0, 0
for i = 1, N do
  phase = phase + 1
  if phase == 5 then phase = 0 end
  if phase < 2 then
    if open then hits = hits + 1 else open = true end
  else
    if phase == 3 then open = false misses = misses + 1 end
  end
end
return hits, misses, phase)",
            {{"hits", double(hits)}, {"misses", double(misses)}, {"phase", double(phase)}}});
    }

    {
        // Game-wide values changed in a loop; Lua's are its globals.
        constexpr int n = 1000000;
        std::int32_t gold = 0, score = 0, health = 1000;
        for (int i = 0; i < n; ++i) {
            gold += 7;
            if (gold >= 100) {
                gold -= 100;
                ++score;
            }
            if (--health == 0)
                health = 1000;
        }
        kernels.push_back({"Globals", n, R"(
var i int
var gold int global g_gold
var score int global g_score
var health int global g_health
    push ref i
    push int 0
    assign
    push ref gold
    push int 0
    assign
    push ref score
    push int 0
    assign
    push ref health
    push int 1000
    assign
loop:
    push ref gold
    pushvar ref gold
    push int 7
    add
    assign
    pushvar ref gold
    push int 100
    neg
    add
    nonneg
    jz keep
    push ref gold
    pushvar ref gold
    push int 100
    neg
    add
    assign
    inc ref score
keep:
    dec ref health
    pushvar ref health
    push int 0
    eq
    jz alive
    push ref health
    push int 1000
    assign
alive:
)" + NextTurn(n),
            R"(
gold, score, health = 0, 0, 1000
for i = 1, N do
  gold = gold + 7
  if gold >= 100 then gold = gold - 100 score = score + 1 end
  health = health - 1
  if health == 0 then health = 1000 end
end
return gold, score, health)",
            {{"gold", double(gold)}, {"score", double(score)}, {"health", double(health)}}});
    }

    {
        // Text made from a name and numbers, compared with constants.
        constexpr int n = 300000;
        kernels.push_back({"Strings", n, R"(
var i int
var s string
var name string
var line string
var found int
    push ref i
    push int 0
    assign
    push ref name
    push string "item"
    assign
    push ref found
    push int 0
    assign
loop:
    push ref s
    pushvar ref name
    pushvar ref i
    add
    assign
    pushvar ref s
    push string "item500"
    eq
    jz other
    inc ref found
other:
    push ref line
    push string "gold: "
    pushvar ref i
    add
    push string " coins"
    add
    assign
    pushvar ref line
    push string "gold: 777 coins"
    eq
    jz done
    inc ref found
done:
)" + NextTurn(n),
            R"(
local name, found, s, line = "item", 0
for i = 0, N - 1 do
  s = name .. i
  if s == "item500" then found = found + 1 end
  line = "gold: " .. i .. " coins"
  if line == "gold: 777 coins" then found = found + 1 end
end
return found, #s, #line)",
            {{"found", 2}, {"s", double(std::to_string(n - 1).size() + 4)},
                {"line", double(std::to_string(n - 1).size() + 12)}}});
    }

    {
        // A native with two arguments whose result is summed.
        constexpr int n = 1000000;
        std::int32_t total = 0;
        for (std::int32_t i = 0; i < n; ++i)
            total += MixFigure(i, 0.5f);
        kernels.push_back({"NativeCalls", n, R"(
var i int
var r int
var total int
callsite mix bench__Mix 2 int
    push ref i
    push int 0
    assign
    push ref total
    push int 0
    assign
loop:
    push ref r
    pushvar ref i
    push float 0.5
    native - mix
    assign
    push ref total
    pushvar ref total
    pushvar ref r
    add
    assign
)" + NextTurn(n),
            R"(
local mix, total = bench_mix, 0
for i = 0, N - 1 do
  local r = mix(i, 0.5)
  total = total + r
end
return total)",
            {{"total", double(total)}}});
    }

    {
        // A function of the script run from its own loop by name, through a
        // native as game scripts do; Lua calls a function of its own.
        constexpr int n = 300000;
        kernels.push_back({"ScriptCalls", n, R"(
var i int
var x int
var r int
var calls int
callsite run bench__RunScript 2 int
    push ref i
    push int 0
    assign
    push ref calls
    push int 0
    assign
loop:
    push ref x
    pushvar ref i
    assign
    push int 2
    push string "twice"
    native - run
    popreg
    inc ref calls
)" + NextTurn(n) + R"(
func twice
    push ref r
    pushvar ref x
    push int 2
    mul
    push int 1
    add
    assign
    ret
)",
            R"(
local function twice(x) return x * 2 + 1 end
local r, calls = 0, 0
for i = 0, N - 1 do
  r = twice(i)
  calls = calls + 1
end
return r, calls)",
            {{"r", double(2 * (n - 1) + 1)}, {"calls", double(n)}}});
    }

    {
        // Object values: picked by a flag, compared, and a method called on
        // one of them; Lua's objects are tables with a C method.
        constexpr int n = 1000000;
        kernels.push_back({"Objects", n, R"(
var i int
var hero object class cObject
var other object class cObject
var target object class cObject
var flip bool
var steps int
callsite step bench__Step 0 int
    push ref i
    push int 0
    assign
    push ref flip
    push bool false
    assign
    push ref steps
    push int 0
    assign
loop:
    pushvar ref flip
    jz pickhero
    push ref target
    push object other
    assign
    jmp picked
pickhero:
    push ref target
    push object hero
    assign
picked:
    push ref flip
    pushvar ref flip
    not
    assign
    pushvar ref target
    push object hero
    eq
    jz skip
    push ref steps
    pushvar ref steps
    native target step
    add
    assign
skip:
)" + NextTurn(n),
            R"(
local hero = setmetatable({speed = 3, steps = 0}, Mover)
local other = setmetatable({speed = 3, steps = 0}, Mover)
local flip, steps, target = false, 0, nil
for i = 1, N do
  if flip then target = other else target = hero end
  flip = not flip
  if target == hero then steps = steps + target:step() end
end
return steps)",
            {{"steps", double(kMoverSpeed * (n / 2))}}});
    }
    return kernels;
}

} // namespace bench
