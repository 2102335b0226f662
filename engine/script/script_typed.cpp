#include "engine/script/script_typed.h"

#include "engine/script/script_machine_internal.h"

#include <type_traits>

using namespace script_detail;

namespace {

template <auto V>
using Constant = std::integral_constant<decltype(V), V>;

#define VLS_INLINE __attribute__((always_inline)) inline

constexpr bool IsUnary(ScriptOp op)
{
    return op == ScriptOp::Negate || op == ScriptOp::ToBoolean || op == ScriptOp::Not
        || op == ScriptOp::TestNonNegative;
}

// The type of a step's result for an operand of type x.
constexpr std::uint32_t ResultType(ScriptOp op, std::uint32_t x)
{
    return op == ScriptOp::Equal || op == ScriptOp::ToBoolean || op == ScriptOp::TestNonNegative ? kScriptBoolean
                                                                                                   : x;
}

// The DynArray rule; the run loop never runs a program over an empty table.
VLS_INLINE ScriptValue& At(ScriptValue* variables, std::int32_t count, std::uint32_t index)
{
    return variables[static_cast<std::int32_t>(index) < count ? index : static_cast<std::uint32_t>(count - 1)];
}

// Runners index the table directly: one whose statement names a variable
// past the end of the table declines, and the shape handler applies the rule.
VLS_INLINE bool InTable(const ScriptStatement& s, std::int32_t count)
{
    return static_cast<std::int32_t>(s.highestVariable) < count;
}

// A leaf's payload, when it still has the type T the runner was built for
// (a constant always has it; a variable may have changed type since).
template <std::uint32_t T>
VLS_INLINE bool Load(const ScriptLeaf& leaf, ScriptValue* variables, std::int32_t count, std::uint32_t& payload)
{
    if (leaf.kind == ScriptLeafKind::Constant) {
        payload = leaf.value;
        return true;
    }
    (void)count;
    const ScriptValue& variable = variables[leaf.value];
    if (variable.type != T)
        return false;
    if constexpr (T == kScriptInteger)
        payload = static_cast<std::uint32_t>(variable.intValue);
    else if constexpr (T == kScriptFloat)
        payload = BitsFromFloat(variable.floatValue);
    else
        payload = variable.boolValue != 0;
    return true;
}

// False only for an integer division by zero.
template <ScriptOp Op, std::uint32_t XT, std::uint32_t YT>
VLS_INLINE bool Step(std::uint32_t x, std::uint32_t y, std::uint32_t& result)
{
    std::uint32_t type;
    if constexpr (IsUnary(Op)) {
        UnaryResult(Op, XT, x, type, result);
        return true;
    } else {
        return BinaryResult(Op, XT, x, YT, y, kNoText, type, result);
    }
}

template <std::uint32_t T>
VLS_INLINE void Assign(ScriptValue& variable, std::uint32_t payload)
{
    if constexpr (T == kScriptInteger)
        AssignIntegerViews(variable, static_cast<std::int32_t>(payload));
    else if constexpr (T == kScriptFloat)
        AssignFloatViews(variable, FloatFromBits(payload));
    else
        AssignBooleanViews(variable, payload != 0);
}

VLS_INLINE void Put(std::uint8_t* stack, std::uint32_t top, std::uint32_t slot, std::uint32_t type, std::uint32_t payload)
{
    WriteStackValue(stack, top + slot * 5u, type, payload);
}

// Room for the slots the long form writes, and a target that names a variable.
VLS_INLINE bool Fits(std::uint32_t top, std::uint32_t slots) { return top + slots * 5u <= kStackLast; }
VLS_INLINE bool Targets(const ScriptStatement& s) { return static_cast<std::int32_t>(s.target) >= 0; }

template <std::uint32_t T>
VLS_INLINE int Finish(const ScriptStatement& s, std::uint32_t value)
{
    return BoolView(T, value, kNoText) == (s.end == ScriptStatementEnd::JumpIfTrue) ? kTypedJump : kTypedNext;
}

#define VLS_RUNNER_ARGUMENTS                                                                                           \
    ScriptStatement &s, const ScriptLeaf *leaves, ScriptValue *vars, std::int32_t count, std::uint8_t *stack,          \
        std::uint32_t top

template <std::uint32_t XT>
int AssignValue(VLS_RUNNER_ARGUMENTS)
{
    const ScriptLeaf* const l = leaves + s.firstLeaf;
    std::uint32_t x;
    if (!Fits(top, 2) || !Targets(s) || !InTable(s, count) || !Load<XT>(l[1], vars, count, x))
        return kTypedDeclined;
    Put(stack, top, 0, kScriptReference, l[0].value);
    Put(stack, top, 1, XT, x);
    Assign<XT>(vars[s.target], x);
    return kTypedNext;
}

template <ScriptOp U, std::uint32_t XT>
int AssignUnary(VLS_RUNNER_ARGUMENTS)
{
    const ScriptLeaf* const l = leaves + s.firstLeaf;
    std::uint32_t x, r;
    if (!Fits(top, 2) || !Targets(s) || !InTable(s, count) || !Load<XT>(l[1], vars, count, x))
        return kTypedDeclined;
    Step<U, XT, XT>(x, 0, r);
    constexpr std::uint32_t RT = ResultType(U, XT);
    Put(stack, top, 0, kScriptReference, l[0].value);
    Put(stack, top, 1, RT, r);
    Assign<RT>(vars[s.target], r);
    return kTypedNext;
}

template <ScriptOp Op, std::uint32_t XT, std::uint32_t YT>
int AssignBinary(VLS_RUNNER_ARGUMENTS)
{
    const ScriptLeaf* const l = leaves + s.firstLeaf;
    std::uint32_t x, y, r;
    if (!Fits(top, 3) || !Targets(s) || !InTable(s, count) || !Load<XT>(l[1], vars, count, x) || !Load<YT>(l[2], vars, count, y)
        || !Step<Op, XT, YT>(x, y, r))
        return kTypedDeclined;
    constexpr std::uint32_t RT = ResultType(Op, XT);
    Put(stack, top, 0, kScriptReference, l[0].value);
    Put(stack, top, 1, RT, r);
    Put(stack, top, 2, YT, y);
    Assign<RT>(vars[s.target], r);
    return kTypedNext;
}

template <ScriptOp Op1, ScriptOp Op2, std::uint32_t XT, std::uint32_t YT, std::uint32_t ZT>
int AssignChain(VLS_RUNNER_ARGUMENTS)
{
    const ScriptLeaf* const l = leaves + s.firstLeaf;
    constexpr std::uint32_t T1 = ResultType(Op1, XT);
    constexpr std::uint32_t RT = ResultType(Op2, T1);
    std::uint32_t x, y, z, r1, r;
    if (!Fits(top, 3) || !Targets(s) || !InTable(s, count) || !Load<XT>(l[1], vars, count, x) || !Load<YT>(l[2], vars, count, y)
        || !Load<ZT>(l[3], vars, count, z) || !Step<Op1, XT, YT>(x, y, r1) || !Step<Op2, T1, ZT>(r1, z, r))
        return kTypedDeclined;
    Put(stack, top, 0, kScriptReference, l[0].value);
    Put(stack, top, 1, RT, r);
    Put(stack, top, 2, ZT, z);
    Assign<RT>(vars[s.target], r);
    return kTypedNext;
}

template <std::uint32_t XT>
int TestValue(VLS_RUNNER_ARGUMENTS)
{
    std::uint32_t x;
    if (!Fits(top, 1) || !InTable(s, count) || !Load<XT>(leaves[s.firstLeaf], vars, count, x))
        return kTypedDeclined;
    Put(stack, top, 0, XT, x);
    return Finish<XT>(s, x);
}

template <ScriptOp U, std::uint32_t XT>
int TestUnary(VLS_RUNNER_ARGUMENTS)
{
    std::uint32_t x, r;
    if (!Fits(top, 1) || !InTable(s, count) || !Load<XT>(leaves[s.firstLeaf], vars, count, x))
        return kTypedDeclined;
    Step<U, XT, XT>(x, 0, r);
    constexpr std::uint32_t RT = ResultType(U, XT);
    Put(stack, top, 0, RT, r);
    return Finish<RT>(s, r);
}

template <ScriptOp Op, std::uint32_t XT, std::uint32_t YT>
int TestBinary(VLS_RUNNER_ARGUMENTS)
{
    const ScriptLeaf* const l = leaves + s.firstLeaf;
    std::uint32_t x, y, r;
    if (!Fits(top, 2) || !InTable(s, count) || !Load<XT>(l[0], vars, count, x) || !Load<YT>(l[1], vars, count, y)
        || !Step<Op, XT, YT>(x, y, r))
        return kTypedDeclined;
    constexpr std::uint32_t RT = ResultType(Op, XT);
    Put(stack, top, 0, RT, r);
    Put(stack, top, 1, YT, y);
    return Finish<RT>(s, r);
}

template <ScriptOp Op, ScriptOp U, std::uint32_t XT, std::uint32_t YT>
int TestCompare(VLS_RUNNER_ARGUMENTS)
{
    const ScriptLeaf* const l = leaves + s.firstLeaf;
    constexpr std::uint32_t T1 = ResultType(Op, XT);
    constexpr std::uint32_t RT = ResultType(U, T1);
    std::uint32_t x, y, r1, r;
    if (!Fits(top, 2) || !InTable(s, count) || !Load<XT>(l[0], vars, count, x) || !Load<YT>(l[1], vars, count, y)
        || !Step<Op, XT, YT>(x, y, r1))
        return kTypedDeclined;
    Step<U, T1, T1>(r1, 0, r);
    Put(stack, top, 0, RT, r);
    Put(stack, top, 1, YT, y);
    return Finish<RT>(s, r);
}

// Values pushed for what follows (a native's arguments, say); a string
// variable among them leaves the statement to its handler.
int PushLeaves(VLS_RUNNER_ARGUMENTS)
{
    if (!Fits(top, s.room) || !InTable(s, count))
        return kTypedDeclined;
    const ScriptLeaf* const l = leaves + s.firstLeaf;
    for (std::uint32_t i = 0; i < s.leafCount; ++i) {
        const ScriptLeaf& leaf = l[i];
        if (leaf.kind == ScriptLeafKind::Constant) {
            Put(stack, top, i, leaf.type, leaf.value);
            continue;
        }
        const ScriptValue& variable = vars[leaf.value];
        if (leaf.kind == ScriptLeafKind::Object) {
            Put(stack, top, i, kScriptObject, variable.object);
            continue;
        }
        if (variable.type == kScriptString)
            return kTypedDeclined;
        Put(stack, top, i, variable.type, PayloadOf(variable));
    }
    return kTypedNext;
}

int Decline(VLS_RUNNER_ARGUMENTS)
{
    (void)s, (void)leaves, (void)vars, (void)count, (void)stack, (void)top;
    return kTypedDeclined;
}

#undef VLS_RUNNER_ARGUMENTS

// The choices below call f with each value as a compile-time constant, or
// give null for a value no runner is built for.
template <typename F>
ScriptTypedRun ForNumber(std::uint32_t type, F&& f)
{
    switch (type) {
    case kScriptInteger:
        return f(Constant<kScriptInteger>{});
    case kScriptFloat:
        return f(Constant<kScriptFloat>{});
    default:
        return nullptr;
    }
}

template <typename F>
ScriptTypedRun ForValue(std::uint32_t type, F&& f)
{
    return type == kScriptBoolean ? f(Constant<kScriptBoolean>{}) : ForNumber(type, f);
}

template <typename F>
ScriptTypedRun ForBinary(ScriptOp op, F&& f)
{
    switch (op) {
    case ScriptOp::Add:
        return f(Constant<ScriptOp::Add>{});
    case ScriptOp::Multiply:
        return f(Constant<ScriptOp::Multiply>{});
    case ScriptOp::Divide:
        return f(Constant<ScriptOp::Divide>{});
    case ScriptOp::Equal:
        return f(Constant<ScriptOp::Equal>{});
    default:
        return nullptr;
    }
}

// Chains: sums, products and quotients.
template <typename F>
ScriptTypedRun ForArithmetic(ScriptOp op, F&& f)
{
    return op == ScriptOp::Equal ? nullptr : ForBinary(op, f);
}

template <typename F>
ScriptTypedRun ForUnary(ScriptOp op, F&& f)
{
    switch (op) {
    case ScriptOp::Negate:
        return f(Constant<ScriptOp::Negate>{});
    case ScriptOp::ToBoolean:
        return f(Constant<ScriptOp::ToBoolean>{});
    case ScriptOp::Not:
        return f(Constant<ScriptOp::Not>{});
    case ScriptOp::TestNonNegative:
        return f(Constant<ScriptOp::TestNonNegative>{});
    default:
        return nullptr;
    }
}

#define VLS_V(c) decltype(c)::value

ScriptTypedRun Choose(const ScriptStatement& s, const std::uint32_t* t)
{
    const ScriptOp* const steps = s.formOps;
    switch (s.form) {
    case ScriptTypedForm::AssignValue:
        return ForValue(t[1], [](auto x) -> ScriptTypedRun { return &AssignValue<VLS_V(x)>; });
    case ScriptTypedForm::AssignUnary:
        return ForUnary(steps[0], [&](auto u) {
            return ForValue(t[1], [](auto x) -> ScriptTypedRun { return &AssignUnary<VLS_V(u), VLS_V(x)>; });
        });
    case ScriptTypedForm::AssignBinary:
        return ForBinary(steps[0], [&](auto op) {
            return ForNumber(t[1], [&](auto x) {
                return ForNumber(t[2], [](auto y) -> ScriptTypedRun {
                    return &AssignBinary<VLS_V(op), VLS_V(x), VLS_V(y)>;
                });
            });
        });
    case ScriptTypedForm::AssignChain:
        return ForArithmetic(steps[0], [&](auto op1) {
            return ForArithmetic(steps[1], [&](auto op2) {
                return ForNumber(t[1], [&](auto x) {
                    return ForNumber(t[2], [&](auto y) {
                        return ForNumber(t[3], [](auto z) -> ScriptTypedRun {
                            return &AssignChain<VLS_V(op1), VLS_V(op2), VLS_V(x), VLS_V(y), VLS_V(z)>;
                        });
                    });
                });
            });
        });
    case ScriptTypedForm::TestValue:
        return ForValue(t[0], [](auto x) -> ScriptTypedRun { return &TestValue<VLS_V(x)>; });
    case ScriptTypedForm::TestUnary:
        return ForUnary(steps[0], [&](auto u) {
            return ForValue(t[0], [](auto x) -> ScriptTypedRun { return &TestUnary<VLS_V(u), VLS_V(x)>; });
        });
    case ScriptTypedForm::TestBinary:
        return ForBinary(steps[0], [&](auto op) {
            return ForNumber(t[0], [&](auto x) {
                return ForNumber(t[1], [](auto y) -> ScriptTypedRun {
                    return &TestBinary<VLS_V(op), VLS_V(x), VLS_V(y)>;
                });
            });
        });
    case ScriptTypedForm::TestCompare:
        return ForBinary(steps[0], [&](auto op) {
            return ForUnary(steps[1], [&](auto u) {
                return ForNumber(t[0], [&](auto x) {
                    return ForNumber(t[1], [](auto y) -> ScriptTypedRun {
                        return &TestCompare<VLS_V(op), VLS_V(u), VLS_V(x), VLS_V(y)>;
                    });
                });
            });
        });
    case ScriptTypedForm::PushValues:
        return &PushLeaves;
    case ScriptTypedForm::None:
        break;
    }
    return nullptr;
}

#undef VLS_V

// The steps each form has, by the value numbers of script_program.h.
bool StepsFit(ScriptTypedForm form, const ScriptStep* steps)
{
    const auto binary = [&](std::size_t k, std::uint8_t x, std::uint8_t y) {
        return !IsUnary(steps[k].op) && steps[k].x == x && steps[k].y == y;
    };
    const auto unary = [&](std::size_t k, std::uint8_t x) { return IsUnary(steps[k].op) && steps[k].x == x; };
    switch (form) {
    case ScriptTypedForm::AssignUnary:
        return unary(0, 1);
    case ScriptTypedForm::AssignBinary:
        return binary(0, 1, 2);
    case ScriptTypedForm::AssignChain:
        return binary(0, 1, 2) && binary(1, 4, 3);
    case ScriptTypedForm::TestUnary:
        return unary(0, 0);
    case ScriptTypedForm::TestBinary:
        return binary(0, 0, 1);
    case ScriptTypedForm::TestCompare:
        return binary(0, 0, 1) && unary(1, 2);
    default:
        return true;
    }
}

} // namespace

std::uint32_t HighestVariableOf(const ScriptStatement& s, const ScriptProgram& program)
{
    std::uint32_t highest = s.end == ScriptStatementEnd::Assign ? s.target : 0;
    for (std::uint32_t i = 0; i < s.leafCount; ++i) {
        const ScriptLeaf& leaf = program.leaves[s.firstLeaf + i];
        if (leaf.kind != ScriptLeafKind::Constant && leaf.value > highest)
            highest = leaf.value;
    }
    return highest;
}

ScriptTypedForm TypedFormOf(const ScriptStatement& s, const ScriptProgram& program)
{
    if (s.end == ScriptStatementEnd::Pushes)
        return s.stepCount == 0 ? ScriptTypedForm::PushValues : ScriptTypedForm::None;
    for (std::uint32_t i = 0; i < s.leafCount; ++i) {
        if (program.leaves[s.firstLeaf + i].kind == ScriptLeafKind::Object)
            return ScriptTypedForm::None;
    }
    const bool test = s.end == ScriptStatementEnd::JumpIfFalse || s.end == ScriptStatementEnd::JumpIfTrue;
    const bool assign = s.end == ScriptStatementEnd::Assign;
    ScriptTypedForm form = ScriptTypedForm::None;
    if (assign && s.leafCount == 2 && s.stepCount == 0)
        form = ScriptTypedForm::AssignValue;
    else if (assign && s.leafCount == 2 && s.stepCount == 1)
        form = ScriptTypedForm::AssignUnary;
    else if (assign && s.leafCount == 3 && s.stepCount == 1)
        form = ScriptTypedForm::AssignBinary;
    else if (assign && s.leafCount == 4 && s.stepCount == 2)
        form = ScriptTypedForm::AssignChain;
    else if (test && s.leafCount == 1 && s.stepCount == 0)
        form = ScriptTypedForm::TestValue;
    else if (test && s.leafCount == 1 && s.stepCount == 1)
        form = ScriptTypedForm::TestUnary;
    else if (test && s.leafCount == 2 && s.stepCount == 1)
        form = ScriptTypedForm::TestBinary;
    else if (test && s.leafCount == 2 && s.stepCount == 2)
        form = ScriptTypedForm::TestCompare;
    if (form == ScriptTypedForm::None || !StepsFit(form, program.steps.data() + s.firstStep))
        return ScriptTypedForm::None;
    return form;
}

int PickTypedRunner(ScriptStatement& s, const ScriptLeaf* leaves, ScriptValue* variables, std::int32_t count,
    std::uint8_t* stack, std::uint32_t top)
{
    std::uint32_t types[4] = {};
    for (std::uint32_t i = 0; i < s.leafCount && i < 4; ++i) {
        const ScriptLeaf& leaf = leaves[s.firstLeaf + i];
        types[i] = leaf.kind == ScriptLeafKind::Constant ? leaf.type : At(variables, count, leaf.value).type;
    }
    const ScriptTypedRun run = Choose(s, types);
    s.run = run ? run : &Decline;
    return s.run(s, leaves, variables, count, stack, top);
}
