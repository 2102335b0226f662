#include "engine/script/script_typed.h"

#include "engine/script/script_fast_dispatch.h"

#include <algorithm>
#include <type_traits>

using namespace script_detail;

namespace {

template <auto V>
using Constant = std::integral_constant<decltype(V), V>;

constexpr std::uint32_t kNoFastInstruction = 0xFFFFFFFFu;
constexpr std::uint32_t kFastInstructionSize = sizeof(ScriptFastInstruction);

// The type of a step's result for an operand of type x.
constexpr std::uint32_t ResultType(ScriptOp op, std::uint32_t x)
{
    return op == ScriptOp::Equal || op == ScriptOp::ToBoolean || op == ScriptOp::TestNonNegative ? kScriptBoolean
                                                                                                   : x;
}

// What a runner was picked for at a value: its type, and where the runner
// knows it, the leaf's kind, which never changes, so that such a runner
// need not test it. A pick without kind bits is a type alone.
constexpr std::uint32_t kConstantLeaf = 0x100;
constexpr std::uint32_t kVariableLeaf = 0x200;

constexpr std::uint32_t TypeOf(std::uint32_t pick) { return pick & 0xFF; }

// A leaf's payload, when it still has the type the runner was picked for
// (a constant always has it; a variable may have changed type since).
template <std::uint32_t S>
VLS_INLINE bool Load(const ScriptLeaf& leaf, const ScriptValue* variables, std::uint32_t& payload)
{
    constexpr std::uint32_t T = TypeOf(S);
    if constexpr ((S & kConstantLeaf) != 0) {
        payload = leaf.value;
        return true;
    }
    if constexpr ((S & kVariableLeaf) == 0) {
        if (leaf.kind == ScriptLeafKind::Constant) {
            payload = leaf.value;
            return true;
        }
    }
    const ScriptValue& variable = variables[leaf.value];
    if constexpr ((S & kVariableLeaf) == 0) {
        if (leaf.kind == ScriptLeafKind::Object) {
            payload = variable.object;
            return T == kScriptObject;
        }
    }
    if (variable.type != T)
        return false;
    if constexpr (T == kScriptInteger)
        payload = static_cast<std::uint32_t>(variable.intValue);
    else if constexpr (T == kScriptFloat)
        payload = BitsFromFloat(variable.floatValue);
    else if constexpr (T == kScriptObject)
        payload = variable.object;
    else
        payload = variable.boolValue != 0;
    return true;
}

// False only for an integer division by zero.
template <ScriptOp Op, std::uint32_t XT, std::uint32_t YT>
VLS_INLINE bool Step(std::uint32_t x, std::uint32_t y, std::uint32_t& result)
{
    std::uint32_t type;
    if constexpr (IsUnaryOp(Op)) {
        UnaryResult(Op, XT, x, type, result);
        return true;
    } else {
        return BinaryResult(Op, XT, x, YT, y, kNoText, type, result);
    }
}

// The views the variable takes from a popped value of type T.
template <std::uint32_t T>
VLS_INLINE void Assign(ScriptValue& variable, std::uint32_t payload)
{
    if constexpr (T == kScriptInteger) {
        AssignIntegerViews(variable, static_cast<std::int32_t>(payload));
    } else if constexpr (T == kScriptFloat) {
        AssignFloatViews(variable, FloatFromBits(payload));
    } else if constexpr (T == kScriptObject) {
        variable.intValue = 0;
        variable.floatValue = 0.0f;
        variable.boolValue = 0;
        variable.ClearText();
        variable.object = payload;
    } else {
        AssignBooleanViews(variable, payload != 0);
    }
}

VLS_INLINE void Put(std::uint8_t* stack, std::uint32_t top, std::uint32_t slot, std::uint32_t type, std::uint32_t payload)
{
    WriteStackValue(stack, top + slot * 5u, type, payload);
}

// Room for the slots the long form writes; the fast code runs only with
// room for kFastRoomSlots above the top.
VLS_INLINE bool Fits(std::uint32_t top, std::uint32_t slots) { return top + slots * 5u <= kStackLast; }

template <std::uint32_t T>
VLS_INLINE std::uint64_t Finish(const ScriptFastInstruction& in, std::uint32_t value, VLS_RUNNER_ARGUMENTS_TAIL)
{
    return Branch(in, BoolView(T, value, kNoText), VLS_GO_ON);
}


template <std::uint32_t XS>
std::uint64_t AssignValue(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t XT = TypeOf(XS);
    std::uint32_t x;
    if (!Load<XS>(in.values[0], vars, x))
        return Decline(in, code);
    Assign<XT>(vars[in.variable], x);
    return GoTo(in.next, VLS_GO_ON);
}

template <ScriptOp U, std::uint32_t XS>
std::uint64_t AssignUnary(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t XT = TypeOf(XS);
    std::uint32_t x, r;
    if (!Load<XS>(in.values[0], vars, x))
        return Decline(in, code);
    Step<U, XT, XT>(x, 0, r);
    constexpr std::uint32_t RT = ResultType(U, XT);
    Assign<RT>(vars[in.variable], r);
    return GoTo(in.next, VLS_GO_ON);
}

template <ScriptOp Op, std::uint32_t XS, std::uint32_t YS>
std::uint64_t AssignBinary(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t XT = TypeOf(XS);
    constexpr std::uint32_t YT = TypeOf(YS);
    std::uint32_t x, y, r;
    if (!Load<XS>(in.values[0], vars, x)
        || !Load<YS>(in.values[1], vars, y) || !Step<Op, XT, YT>(x, y, r))
        return Decline(in, code);
    constexpr std::uint32_t RT = ResultType(Op, XT);
    Assign<RT>(vars[in.variable], r);
    return GoTo(in.next, VLS_GO_ON);
}

template <ScriptOp Op1, ScriptOp Op2, std::uint32_t XT, std::uint32_t YT, std::uint32_t ZT>
std::uint64_t AssignChain(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t T1 = ResultType(Op1, XT);
    constexpr std::uint32_t RT = ResultType(Op2, T1);
    std::uint32_t x, y, z, r1, r;
    if (!Load<XT>(in.values[0], vars, x)
        || !Load<YT>(in.values[1], vars, y) || !Load<ZT>(in.values[2], vars, z)
        || !Step<Op1, XT, YT>(x, y, r1) || !Step<Op2, T1, ZT>(r1, z, r))
        return Decline(in, code);
    Assign<RT>(vars[in.variable], r);
    return GoTo(in.next, VLS_GO_ON);
}

template <std::uint32_t XS>
std::uint64_t TestValue(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t XT = TypeOf(XS);
    std::uint32_t x;
    if (!Load<XS>(in.values[0], vars, x))
        return Decline(in, code);
    return Finish<XT>(in, x, VLS_GO_ON);
}

template <ScriptOp U, std::uint32_t XS>
std::uint64_t TestUnary(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t XT = TypeOf(XS);
    std::uint32_t x, r;
    if (!Load<XS>(in.values[0], vars, x))
        return Decline(in, code);
    Step<U, XT, XT>(x, 0, r);
    constexpr std::uint32_t RT = ResultType(U, XT);
    return Finish<RT>(in, r, VLS_GO_ON);
}

template <ScriptOp Op, std::uint32_t XS, std::uint32_t YS>
std::uint64_t TestBinary(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t XT = TypeOf(XS);
    constexpr std::uint32_t YT = TypeOf(YS);
    std::uint32_t x, y, r;
    if (!Load<XS>(in.values[0], vars, x)
        || !Load<YS>(in.values[1], vars, y) || !Step<Op, XT, YT>(x, y, r))
        return Decline(in, code);
    constexpr std::uint32_t RT = ResultType(Op, XT);
    return Finish<RT>(in, r, VLS_GO_ON);
}

template <ScriptOp Op, ScriptOp U, std::uint32_t XS, std::uint32_t YS>
std::uint64_t TestCompare(VLS_RUNNER_ARGUMENTS)
{
    constexpr std::uint32_t XT = TypeOf(XS);
    constexpr std::uint32_t YT = TypeOf(YS);
    constexpr std::uint32_t T1 = ResultType(Op, XT);
    constexpr std::uint32_t RT = ResultType(U, T1);
    std::uint32_t x, y, r1, r;
    if (!Load<XS>(in.values[0], vars, x)
        || !Load<YS>(in.values[1], vars, y) || !Step<Op, XT, YT>(x, y, r1))
        return Decline(in, code);
    Step<U, T1, T1>(r1, 0, r);
    return Finish<RT>(in, r, VLS_GO_ON);
}

// Values pushed for what follows (a native's arguments, say); a string
// variable among them leaves the statement to the run loop. Count is the
// number of values when it is small, so that the loop unrolls, else 0.
template <std::uint32_t Count>
std::uint64_t PushLeaves(VLS_RUNNER_ARGUMENTS)
{
    // The stack bytes may alias anything: the loop keeps what it reads in
    // locals, so that its stores do not make it read them again.
    const std::uint32_t top = s.top;
    const std::uint32_t count = Count != 0 ? Count : in.leafCount;
    std::uint8_t* const stack = s.stack;
    // What follows the pushes must find the room the fast code needs.
    if (!Fits(top, count + kFastRoomSlots))
        return Decline(in, code);
    const ScriptLeaf* const l = s.leaves + in.firstLeaf;
    for (std::uint32_t i = 0; i < count; ++i) {
        const ScriptLeaf leaf = l[i];
        if (leaf.kind == ScriptLeafKind::Constant) {
            Put(stack, top, i, leaf.type, leaf.value);
            continue;
        }
        const ScriptValue& variable = vars[leaf.value];
        if (leaf.kind == ScriptLeafKind::Object) {
            Put(stack, top, i, kScriptObject, variable.object);
            continue;
        }
        const std::uint32_t type = variable.type;
        if (type == kScriptString)
            return Decline(in, code);
        Put(stack, top, i, type,
            type == kScriptInteger ? static_cast<std::uint32_t>(variable.intValue) : PayloadOf(variable));
    }
    s.top = top + count * 5u;
    return GoTo(in.next, VLS_GO_ON);
}

// Counting in place; a string's text is left to the run loop.
template <bool Up>
std::uint64_t Count(VLS_RUNNER_ARGUMENTS)
{
    ScriptValue& variable = vars[in.variable];
    if (!CountInPlace(variable, Up))
        return EndAt(kLongForm, in, code);
    return GoTo(in.next, VLS_GO_ON);
}

std::uint64_t Next(VLS_RUNNER_ARGUMENTS) { return GoTo(in.next, VLS_GO_ON); }

std::uint64_t Jump(VLS_RUNNER_ARGUMENTS) { return JumpFrom(in, VLS_GO_ON); }

std::uint64_t Stop(VLS_RUNNER_ARGUMENTS)
{
    (void)s, (void)vars, (void)chain;
    return EndAt(kLongForm, in, code);
}

// The fused idioms leave the variable and the stack top as their long forms
// do, but write nothing above the top; a variable that holds no integer
// leaves them to the run loop.
std::uint64_t AddToVariable(VLS_RUNNER_ARGUMENTS)
{
    ScriptValue& variable = vars[in.variable];
    if (variable.type != kScriptInteger)
        return EndAt(kLongForm, in, code);
    const std::int32_t sum = WrapAdd(variable.intValue, static_cast<std::int32_t>(in.constant));
    AssignIntegerViews(variable, sum);
    return GoTo(in.next, VLS_GO_ON);
}

std::uint64_t VariableEqualsJump(VLS_RUNNER_ARGUMENTS)
{
    const ScriptValue& variable = vars[in.variable];
    if (variable.type != kScriptInteger)
        return EndAt(kLongForm, in, code);
    return Branch(in, variable.intValue == static_cast<std::int32_t>(in.constant), VLS_GO_ON);
}

// The choices below call f with each value as a compile-time constant, or
// give null for a value no runner is built for.
template <typename F>
ScriptFastRun ForNumber(std::uint32_t type, F&& f)
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
ScriptFastRun ForValue(std::uint32_t type, F&& f)
{
    return type == kScriptBoolean ? f(Constant<kScriptBoolean>{}) : ForNumber(type, f);
}

// The same for a pick with its leaf's kind, which the runner then knows.
template <std::uint32_t T, typename F>
ScriptFastRun ForKind(std::uint32_t pick, F&& f)
{
    if ((pick & kConstantLeaf) != 0)
        return f(Constant<T | kConstantLeaf>{});
    if ((pick & kVariableLeaf) != 0)
        return f(Constant<T | kVariableLeaf>{});
    return f(Constant<T>{});
}

template <typename F>
ScriptFastRun ForNumberLeaf(std::uint32_t pick, F&& f)
{
    switch (TypeOf(pick)) {
    case kScriptInteger:
        return ForKind<kScriptInteger>(pick, f);
    case kScriptFloat:
        return ForKind<kScriptFloat>(pick, f);
    default:
        return nullptr;
    }
}

template <typename F>
ScriptFastRun ForValueLeaf(std::uint32_t pick, F&& f)
{
    return TypeOf(pick) == kScriptBoolean ? ForKind<kScriptBoolean>(pick, f) : ForNumberLeaf(pick, f);
}

template <typename F>
ScriptFastRun ForBinary(ScriptOp op, F&& f)
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
ScriptFastRun ForArithmetic(ScriptOp op, F&& f)
{
    return op == ScriptOp::Equal ? nullptr : ForBinary(op, f);
}

template <typename F>
ScriptFastRun ForUnary(ScriptOp op, F&& f)
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

// The runner for the picks k of the instruction's values (their types and
// leaf kinds), or null. Chains, and the first value of a comparison, are
// picked by type alone, which keeps the number of runners down.
ScriptFastRun Choose(const ScriptFastInstruction& in, const std::uint32_t* k)
{
    const std::uint32_t t[3] = {TypeOf(k[0]), TypeOf(k[1]), TypeOf(k[2])};
    const ScriptOp* const steps = in.ops;
    switch (in.form) {
    case ScriptTypedForm::AssignValue:
        if (t[0] == kScriptObject)
            return &AssignValue<kScriptObject>;
        return ForValueLeaf(k[0], [](auto x) -> ScriptFastRun { return &AssignValue<VLS_V(x)>; });
    case ScriptTypedForm::AssignUnary:
        return ForUnary(steps[0], [&](auto u) {
            return ForValueLeaf(k[0], [](auto x) -> ScriptFastRun { return &AssignUnary<VLS_V(u), VLS_V(x)>; });
        });
    case ScriptTypedForm::AssignBinary:
        return ForBinary(steps[0], [&](auto op) {
            return ForNumberLeaf(k[0], [&](auto x) {
                return ForNumberLeaf(k[1], [](auto y) -> ScriptFastRun {
                    return &AssignBinary<VLS_V(op), VLS_V(x), VLS_V(y)>;
                });
            });
        });
    case ScriptTypedForm::AssignChain:
        return ForArithmetic(steps[0], [&](auto op1) {
            return ForArithmetic(steps[1], [&](auto op2) {
                return ForNumber(t[0], [&](auto x) {
                    return ForNumber(t[1], [&](auto y) {
                        return ForNumber(t[2], [](auto z) -> ScriptFastRun {
                            return &AssignChain<VLS_V(op1), VLS_V(op2), VLS_V(x), VLS_V(y), VLS_V(z)>;
                        });
                    });
                });
            });
        });
    case ScriptTypedForm::TestValue:
        return ForValueLeaf(k[0], [](auto x) -> ScriptFastRun { return &TestValue<VLS_V(x)>; });
    case ScriptTypedForm::TestUnary:
        return ForUnary(steps[0], [&](auto u) {
            return ForValueLeaf(k[0], [](auto x) -> ScriptFastRun { return &TestUnary<VLS_V(u), VLS_V(x)>; });
        });
    case ScriptTypedForm::TestBinary:
        // Whether two object values name the same object.
        if (steps[0] == ScriptOp::Equal && t[0] == kScriptObject && t[1] == kScriptObject)
            return &TestBinary<ScriptOp::Equal, kScriptObject, kScriptObject>;
        return ForBinary(steps[0], [&](auto op) {
            return ForNumberLeaf(k[0], [&](auto x) {
                return ForNumberLeaf(k[1], [](auto y) -> ScriptFastRun {
                    return &TestBinary<VLS_V(op), VLS_V(x), VLS_V(y)>;
                });
            });
        });
    case ScriptTypedForm::TestCompare:
        return ForBinary(steps[0], [&](auto op) {
            return ForUnary(steps[1], [&](auto u) {
                return ForNumber(t[0], [&](auto x) {
                    return ForNumberLeaf(k[1], [](auto y) -> ScriptFastRun {
                        return &TestCompare<VLS_V(op), VLS_V(u), VLS_V(x), VLS_V(y)>;
                    });
                });
            });
        });
    case ScriptTypedForm::PushValues:
        switch (in.leafCount) {
        case 1:
            return &PushLeaves<1>;
        case 2:
            return &PushLeaves<2>;
        case 3:
            return &PushLeaves<3>;
        default:
            return &PushLeaves<0>;
        }
    case ScriptTypedForm::None:
        break;
    }
    return nullptr;
}

#undef VLS_V

} // namespace

// The first run of a statement, and the next after one that declined: the
// runner for the types its values have now. Where none fits, the offset is
// given back to the run loop for good.
std::uint64_t script_detail::PickFastRunner(VLS_RUNNER_ARGUMENTS)
{
    if (in.text != kNoTextStatement) {
        if (const ScriptFastRun run = TextRunner(in, s, vars)) {
            in.run = run;
            return run(in, VLS_GO_ON);
        }
    }
    std::uint32_t picks[3] = {};
    const std::uint32_t values = in.form == ScriptTypedForm::PushValues ? 0 : 3;
    for (std::uint32_t i = 0; i < values; ++i) {
        const ScriptLeaf& leaf = in.values[i];
        // A type no runner has (one of a damaged savegame, say) picks none.
        const std::uint32_t type = leaf.kind == ScriptLeafKind::Constant ? leaf.type
            : leaf.kind == ScriptLeafKind::Object                        ? kScriptObject
                                                                         : vars[leaf.value].type;
        const std::uint32_t kind = leaf.kind == ScriptLeafKind::Constant ? kConstantLeaf
            : leaf.kind == ScriptLeafKind::Variable                      ? kVariableLeaf
                                                                         : 0;
        picks[i] = type == TypeOf(type) ? type | kind : 0;
    }
    const ScriptFastRun run = Choose(in, picks);
    if (!run) {
        in.run = &Stop;
        s.instructions[in.offset] = in.general;
        return EndAt(kLongForm, in, code);
    }
    in.run = run;
    return run(in, VLS_GO_ON);
}

namespace {

// The steps each form has, by the value numbers of script_program.h.
bool StepsFit(ScriptTypedForm form, const ScriptStep* steps)
{
    const auto binary = [&](std::size_t k, std::uint8_t x, std::uint8_t y) {
        return !IsUnaryOp(steps[k].op) && steps[k].x == x && steps[k].y == y;
    };
    const auto unary = [&](std::size_t k, std::uint8_t x) { return IsUnaryOp(steps[k].op) && steps[k].x == x; };
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

bool IsStatementShape(ScriptOp op)
{
    switch (op) {
    case ScriptOp::Statement:
    case ScriptOp::AssignValue:
    case ScriptOp::AssignBinary:
    case ScriptOp::AssignChain:
    case ScriptOp::TestValue:
    case ScriptOp::TestUnary:
    case ScriptOp::TestBinary:
    case ScriptOp::TestCompare:
        return true;
    default:
        return false;
    }
}

// The fast instruction for what the program runs at offset p, or false for
// an instruction the fast code leaves to the run loop.
bool MakeFastInstruction(const ScriptProgram& program, std::uint32_t p, ScriptFastInstruction& in)
{
    const ScriptInstruction& general = program.instructions[p];
    in.general = general;
    in.offset = p;
    in.variable = general.a;
    in.highestVariable = general.a;
    if (IsBinaryOp(general.op) || IsUnaryOp(general.op)) {
        in.highestVariable = 0;
        in.run = IsBinaryOp(general.op) ? &BinaryPopped : &UnaryPopped;
        return true;
    }
    switch (general.op) {
    case ScriptOp::Increment:
        in.run = &Count<true>;
        return true;
    case ScriptOp::Decrement:
        in.run = &Count<false>;
        return true;
    case ScriptOp::Nop:
    case ScriptOp::TouchObject:
        in.highestVariable = 0;
        in.run = &Next;
        return true;
    case ScriptOp::Jump:
        in.highestVariable = 0;
        in.run = &Jump;
        return true;
    case ScriptOp::AddToVariable:
        in.constant = general.b;
        in.run = &AddToVariable;
        return true;
    case ScriptOp::VariableEqualsJumpIfFalse:
    case ScriptOp::VariableEqualsJumpIfTrue:
        in.constant = general.b;
        in.whenTrue = general.op == ScriptOp::VariableEqualsJumpIfTrue;
        in.run = &VariableEqualsJump;
        return true;
    case ScriptOp::Assign:
        // The variable comes off the stack and is looked up when it runs.
        in.highestVariable = 0;
        in.run = &AssignPopped;
        return true;
    case ScriptOp::CallNative:
        in.highestVariable = 0;
        in.run = &cKestruneScript::RunNativeInFastCode;
        return true;
    case ScriptOp::PushValue:
        in.highestVariable = 0;
        in.run = &PushConstant;
        return true;
    case ScriptOp::PushText:
        in.highestVariable = 0;
        in.constant = static_cast<std::uint32_t>(program.reversedCode.size()) - 1 - (general.a + general.b);
        in.run = general.b < kShortTextImage && in.constant + kShortTextImage <= program.reversedCode.size()
            ? &PushShortConstantText
            : &PushConstantText;
        return true;
    case ScriptOp::PopScratch:
        in.highestVariable = 0;
        in.run = &cKestruneScript::PopScratchInFastCode;
        return true;
    default:
        break;
    }
    if (!IsStatementShape(general.op))
        return false;
    const ScriptStatement& statement = program.statements[general.a];
    if (statement.form == ScriptTypedForm::None)
        return false;
    in.run = &PickFastRunner;
    in.statement = general.a;
    in.form = statement.form;
    in.ops[0] = statement.formOps[0];
    in.ops[1] = statement.formOps[1];
    in.highestVariable = statement.highestVariable;
    in.whenTrue = statement.end == ScriptStatementEnd::JumpIfTrue;
    in.leafCount = statement.leafCount;
    in.firstLeaf = statement.firstLeaf;
    in.variable = statement.end == ScriptStatementEnd::Assign ? statement.target : 0;
    // An assignment's first leaf is the reference to its variable.
    const std::uint32_t first = statement.end == ScriptStatementEnd::Assign ? 1 : 0;
    for (std::uint32_t i = first; i < statement.leafCount && i - first < 3; ++i)
        in.values[i - first] = program.leaves[statement.firstLeaf + i];
    return true;
}

// Where a text statement may start beside what the program runs there.
bool MayStartText(ScriptOp op)
{
    return op == ScriptOp::PushValue || op == ScriptOp::PushVariable || op == ScriptOp::PushText
        || IsStatementShape(op);
}

// The fast instruction for offset p, when there is one and the variables it
// names lie inside the table: the fast code indexes the table directly. A
// text statement that starts there joins it when both end at one offset, and
// takes its place when not.
bool MakeFast(ScriptProgram& program, const std::vector<ScriptInstruction>& decoded, std::uint32_t size,
    std::uint32_t p, std::uint32_t variableCount, ScriptFastInstruction& in)
{
    bool made = MakeFastInstruction(program, p, in) && in.highestVariable < variableCount;
    in.end = in.general.next;
    if (!MayStartText(program.instructions[p].op))
        return made;
    const std::uint32_t text = BuildTextStatement(decoded, p, size, program);
    if (text == kNoTextStatement || program.textStatements[text].highestVariable >= variableCount)
        return made;
    const ScriptTextStatement& statement = program.textStatements[text];
    if (!made || in.end != statement.next) {
        ScriptFastInstruction alone;
        alone.general = program.instructions[p];
        alone.offset = p;
        in = alone;
    }
    in.run = &PickFastRunner;
    in.text = text;
    in.end = statement.next;
    in.highestVariable = std::max(in.highestVariable, statement.highestVariable);
    in.whenTrue = statement.end == ScriptStatementEnd::JumpIfTrue;
    return true;
}

// The jump target of a fast instruction that jumps, as a code offset.
bool JumpTarget(const ScriptFastInstruction& in, const ScriptProgram& program, std::uint32_t& target)
{
    switch (in.general.op) {
    case ScriptOp::Jump:
        target = in.general.a;
        return true;
    case ScriptOp::VariableEqualsJumpIfFalse:
    case ScriptOp::VariableEqualsJumpIfTrue:
        target = in.general.target;
        return true;
    default:
        break;
    }
    if (in.text != kNoTextStatement) {
        const ScriptTextStatement& statement = program.textStatements[in.text];
        target = statement.target;
        return statement.end != ScriptStatementEnd::Assign;
    }
    if (in.form == ScriptTypedForm::None)
        return false;
    const ScriptStatement& statement = program.statements[in.statement];
    if (statement.end != ScriptStatementEnd::JumpIfFalse && statement.end != ScriptStatementEnd::JumpIfTrue)
        return false;
    target = statement.target;
    return true;
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
        return s.stepCount == 0 && s.depth == s.leafCount && s.room == s.leafCount ? ScriptTypedForm::PushValues
                                                                                   : ScriptTypedForm::None;
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

void BuildScriptFastCode(
    ScriptProgram& program, const std::vector<ScriptInstruction>& decoded, std::uint32_t size, std::int32_t variableCount)
{
    if (variableCount <= 0)
        return;
    std::vector<ScriptFastInstruction>& fast = program.fast;
    std::vector<std::uint32_t> indexAt(static_cast<std::size_t>(size) + 1, kNoFastInstruction);
    for (std::uint32_t p = 0; p < size; ++p) {
        ScriptFastInstruction in;
        if (MakeFast(program, decoded, size, p, static_cast<std::uint32_t>(variableCount), in)) {
            program.fastHighestVariable = std::max(program.fastHighestVariable, in.highestVariable);
            indexAt[p] = static_cast<std::uint32_t>(fast.size());
            fast.push_back(in);
        }
    }
    const std::size_t made = fast.size();
    // Where the fast code goes from an instruction to one it leaves to the
    // run loop, an instruction that stops stands for it.
    const auto indexOf = [&](std::uint32_t offset) {
        if (indexAt[offset] == kNoFastInstruction) {
            ScriptFastInstruction stop;
            stop.run = &Stop;
            stop.general = program.instructions[offset];
            stop.offset = offset;
            indexAt[offset] = static_cast<std::uint32_t>(fast.size());
            fast.push_back(stop);
        }
        return indexAt[offset];
    };
    // Every instruction the fast code may reach now exists; code too large
    // for byte offsets below the stops runs in the run loop alone.
    for (std::size_t i = 0; i < made; ++i) {
        indexOf(fast[i].end);
        std::uint32_t target;
        if (JumpTarget(fast[i], program, target))
            indexOf(target);
    }
    if (fast.size() >= kFastRunEnded / kFastInstructionSize) {
        fast.clear();
        program.fastHighestVariable = 0;
        return;
    }
    for (std::size_t i = 0; i < made; ++i) {
        const std::uint32_t next = indexOf(fast[i].end);
        fast[i].next = next * kFastInstructionSize;
        std::uint32_t target;
        if (JumpTarget(fast[i], program, target)) {
            const std::uint32_t jump = indexOf(target);
            fast[i].jump = jump * kFastInstructionSize;
        }
    }
    for (std::size_t i = 0; i < made; ++i) {
        // The run loop runs a native call, or an instruction that takes its
        // values off the stack, itself: entering the fast code for one costs
        // more than it saves when what follows is left to the run loop. The
        // fast code runs them when it comes to them.
        if (fast[i].run == &cKestruneScript::RunNativeInFastCode || fast[i].run == &AssignPopped
            || fast[i].run == &BinaryPopped || fast[i].run == &UnaryPopped)
            continue;
        ScriptInstruction entry;
        entry.op = ScriptOp::Fast;
        entry.a = static_cast<std::uint32_t>(i);
        entry.next = fast[i].general.next;
        program.instructions[fast[i].offset] = entry;
    }
}

std::uint32_t RunScriptFastCode(ScriptFastInstruction* code, std::uint32_t& index, ScriptFastState& state)
{
    // Long enough that handing back costs nothing, short enough for any stack.
    constexpr std::uint32_t kChain = 256;
    state.code = reinterpret_cast<std::uint8_t*>(code);
    std::uint32_t at = index * kFastInstructionSize;
    for (;;) {
        ScriptFastInstruction& in = *reinterpret_cast<ScriptFastInstruction*>(state.code + at);
        const std::uint64_t end = in.run(in, state, state.variables, state.code, kChain);
        at = static_cast<std::uint32_t>(end);
        switch (end >> 32) {
        case kGoOn:
            continue;
        case kSpent:
            index = at / kFastInstructionSize;
            return kFastBudgetSpent;
        case kReload:
            return kFastReload;
        case kEnded:
            return kFastRunEnded;
        default:
            index = at / kFastInstructionSize;
            return kFastStop;
        }
    }
}
