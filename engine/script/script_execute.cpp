// The run loop over the script's translated program (script_program.h). pc,
// sp and the tables live in locals while the loop runs and go back to the
// script around anything that may look at them (natives, globals, reports).

#include "engine/script/script_machine_internal.h"
#include "engine/script/script_typed.h"

#include <bit>
#include <climits>

using namespace script_detail;

namespace script_detail {

bool g_jumpBudgetActive = false;
std::uint64_t g_jumpsLeft = 0;

} // namespace script_detail

void SetScriptJumpBudget(std::uint64_t jumps)
{
    g_jumpBudgetActive = jumps != 0;
    g_jumpsLeft = jumps;
}

std::int32_t cKestruneScript::Execute(RunState& state, const ScriptInstruction* first)
{
    std::uint32_t a_type = 0;
    std::uint32_t a_payload = 0;
    std::string& a_text = state.a.text;
    std::uint32_t b_type = 0;
    std::uint32_t b_payload = 0;
    std::string& b_text = state.b.text;
    std::uint32_t& scratch_type = state.scratch.type;
    std::uint32_t& scratch_payload = state.scratch.payload;
    std::string& scratch_text = state.scratch.text;
    const std::uint8_t* reversed = program_.reversedCode.data();
    const ScriptInstruction* table = program_.instructions.data();
    std::uint32_t size = static_cast<std::uint32_t>(program_.instructions.size() - 1);
    ScriptStatement* statements = program_.statements.data();
    const ScriptLeaf* leaves = program_.leaves.data();
    const ScriptStep* steps = program_.steps.data();
    const ScriptSlotWrite* writes = program_.writes.data();
    ScriptFastInstruction* fast = program_.fast.data();
    ScriptFastState fastState;
    fastState.stack = stack;
    fastState.leaves = leaves;
    fastState.instructions = program_.instructions.data();
    fastState.program = &program_;
    fastState.text = &state.textBuffer;
    fastState.script = this;
    fastState.base = stackBase_;
    std::uint8_t* const stk = stack;
    const std::uint32_t base = stackBase_;
    std::uint32_t ip = pc;
    ScriptValue* vars = variables.data;
    std::int32_t variableCount = variables.count;
    // The DynArray rule: an index at or past the end names the last variable.
    // The program was checked against this table, so it is never empty here.
    auto variableAt = [&](std::uint32_t index) __attribute__((always_inline)) -> ScriptValue& {
        const auto last = static_cast<std::uint32_t>(variableCount - 1);
        return vars[static_cast<std::int32_t>(index) < variableCount ? index : last];
    };
    std::uint32_t top = sp;

    auto save = [&]() __attribute__((always_inline)) {
        pc = ip;
        sp = top;
    };
    // Natives may move pc and sp, grow the tables or load other code.
    auto load = [&]() __attribute__((always_inline)) {
        ip = pc;
        top = sp;
        vars = variables.data;
        variableCount = variables.count;
        reversed = program_.reversedCode.data();
        table = program_.instructions.data();
        size = static_cast<std::uint32_t>(program_.instructions.size() - 1);
        statements = program_.statements.data();
        leaves = program_.leaves.data();
        steps = program_.steps.data();
        writes = program_.writes.data();
        fast = program_.fast.data();
        fastState.leaves = leaves;
        fastState.instructions = program_.instructions.data();
    };
    auto fail = [&](const char* message) __attribute__((always_inline)) {
        save();
        return Fail(message);
    };
    auto pop = [&](std::uint32_t& type, std::uint32_t& payload, std::string& text)
                   __attribute__((always_inline)) {
        if (top <= base)
            return false;
        const std::uint8_t tag = stk[top];
        if (tag != kScriptString) {
            if (top - base < 5)
                return false;
            std::uint32_t raw;
            std::memcpy(&raw, stk + top - 4, sizeof raw);
            type = tag;
            payload = FromStackOrder(raw);
            top -= 5;
            return true;
        }
        type = kScriptString;
        payload = 0;
        return PopText(stk, top, base, text);
    };
    auto pushPayload = [&](std::uint32_t type, std::uint32_t payload) __attribute__((always_inline)) {
        if (top + 5 > kStackLast)
            return false;
        WriteStackValue(stk, top, type, payload);
        top += 5;
        return true;
    };
    auto push = [&](std::uint32_t type, std::uint32_t payload, const std::string& text)
                    __attribute__((always_inline)) {
        if (type != kScriptString)
            return pushPayload(type, payload);
        return PushText(stk, top, text.data(), text.size());
    };
    auto pushVariable = [&](std::uint32_t index) __attribute__((always_inline)) {
        const ScriptValue& variable = variableAt(index);
        if (variable.type == kScriptString) {
            const cString& text = variable.Text();
            return PushText(stk, top, text.GetText(), static_cast<std::size_t>(text.GetLength()));
        }
        return pushPayload(variable.type, PayloadOf(variable));
    };
// Each operand lives in three locals: item_type, item_payload and item_text.
#define POP_OR_FAIL(item)                                                                                              \
    do {                                                                                                               \
        if (!pop(item##_type, item##_payload, item##_text))                                                            \
            return fail(kStackUnderflow);                                                                              \
    } while (0)
#define PUSH_OR_FAIL(item)                                                                                             \
    do {                                                                                                               \
        if (!push(item##_type, item##_payload, item##_text))                                                           \
            return fail(kStackOverflow);                                                                               \
    } while (0)
#define PUSH_PAYLOAD_OR_FAIL(type, payload)                                                                            \
    do {                                                                                                               \
        if (!pushPayload((type), (payload)))                                                                           \
            return fail(kStackOverflow);                                                                               \
    } while (0)

    // In the order of ScriptOp.
    static const void* const kHandlers[] = {
        &&op_FailOverrun, &&op_FailBadVariable, &&op_Unsupported, &&op_End,
        &&op_PushValue, &&op_PushText, &&op_PushObject, &&op_PushVariable,
        &&op_Add, &&op_Assign, &&op_Negate, &&op_Multiply,
        &&op_Divide, &&op_PushScratch, &&op_PopScratch, &&op_ToBoolean,
        &&op_Or, &&op_And, &&op_Xor, &&op_Not,
        &&op_TestNonNegative, &&op_Increment, &&op_Decrement, &&op_TouchObject,
        &&op_Nop, &&op_Jump, &&op_JumpIfFalse, &&op_JumpIfTrue,
        &&op_JumpOutside, &&op_JumpIfFalseOutside, &&op_JumpIfTrueOutside, &&op_Return,
        &&op_CallNative, &&op_Equal, &&op_AddToVariable, &&op_VariableEqualsJumpIfFalse,
        &&op_VariableEqualsJumpIfTrue, &&op_Statement, &&op_AssignValue, &&op_AssignBinary,
        &&op_AssignChain, &&op_TestValue, &&op_TestUnary, &&op_TestBinary, &&op_TestCompare, &&op_Fast,
    };
    static_assert(sizeof kHandlers / sizeof kHandlers[0] == static_cast<std::size_t>(ScriptOp::Fast) + 1);

    // pc leaves the entry behind at once: a failure reports with pc where
    // the byte-by-byte decoding would have left it, which `next` records.
#define DISPATCH()                                                                                                     \
    do {                                                                                                               \
        in = table + ip;                                                                                               \
        ip = in->next;                                                                                                 \
        goto* kHandlers[static_cast<std::uint8_t>(in->op)];                                                            \
    } while (0)

    // Every handler that jumps has a dispatch of its own, so that the
    // processor predicts each jump's target by where it comes from.
#define JUMP_TO(target)                                                                                                \
    do {                                                                                                               \
        if (g_jumpBudgetActive && g_jumpsLeft-- == 0)                                                                  \
            return fail(kJumpBudgetSpent);                                                                             \
        ip = (target);                                                                                                 \
        DISPATCH();                                                                                                    \
    } while (0)

    const ScriptInstruction* in;
    // Statements read their leaves first: a variable with text, like a step
    // without a result, leaves the work to the long form.
    ScriptStatement* statement = nullptr;
    std::uint32_t types[kMaxStatementValues];
    std::uint32_t payloads[kMaxStatementValues];
    auto leaf = [&](std::uint32_t i) __attribute__((always_inline)) {
        const ScriptLeaf& l = leaves[statement->firstLeaf + i];
        if (l.kind == ScriptLeafKind::Constant) {
            types[i] = l.type;
            payloads[i] = l.value;
            return true;
        }
        const ScriptValue& variable = variableAt(l.value);
        if (l.kind == ScriptLeafKind::Object) {
            types[i] = kScriptObject;
            payloads[i] = variable.object;
            return true;
        }
        types[i] = variable.type;
        payloads[i]
            = variable.type == kScriptInteger ? static_cast<std::uint32_t>(variable.intValue) : PayloadOf(variable);
        return variable.type != kScriptString;
    };
    // Step k's result goes into value r.
    auto step = [&](std::uint32_t k, std::uint32_t r) __attribute__((always_inline)) {
        const ScriptStep& s = steps[statement->firstStep + k];
        const std::uint32_t xType = types[s.x];
        const std::uint32_t x = payloads[s.x];
        const std::uint32_t yType = types[s.y];
        const std::uint32_t y = payloads[s.y];
        // Integer and float sums and products of their own kind first.
        if (xType == yType && (s.op == ScriptOp::Add || s.op == ScriptOp::Multiply)) {
            if (xType == kScriptInteger) {
                types[r] = kScriptInteger;
                payloads[r] = s.op == ScriptOp::Add ? x + y : x * y;
                return true;
            }
            if (xType == kScriptFloat) {
                const float a = FloatFromBits(x);
                const float b = FloatFromBits(y);
                types[r] = kScriptFloat;
                payloads[r] = BitsFromFloat(s.op == ScriptOp::Add ? a + b : a * b);
                return true;
            }
        }
        if (s.op == ScriptOp::Negate || s.op == ScriptOp::ToBoolean || s.op == ScriptOp::Not
            || s.op == ScriptOp::TestNonNegative) {
            UnaryResult(s.op, xType, x, types[r], payloads[r]);
            return true;
        }
        return BinaryResult(s.op, xType, x, yType, y, kNoText, types[r], payloads[r]);
    };
    auto write = [&](std::uint32_t slot, std::uint32_t value) __attribute__((always_inline)) {
        WriteStackValue(stk, top + slot * 5u, types[value], payloads[value]);
    };
    auto assign = [&](ScriptValue& variable, std::uint32_t value) __attribute__((always_inline)) {
        if (types[value] == kScriptInteger)
            AssignIntegerViews(variable, static_cast<std::int32_t>(payloads[value]));
        else if (types[value] == kScriptFloat)
            AssignFloatViews(variable, FloatFromBits(payloads[value]));
        else
            AssignItem(variable, types[value], payloads[value], kNoText);
    };
    auto taken = [&](std::uint32_t value) __attribute__((always_inline)) {
        return BoolView(types[value], payloads[value], kNoText)
            == (statement->end == ScriptStatementEnd::JumpIfTrue);
    };
    ScriptValue* target = nullptr;

    if (first) {
        in = first;
        ip = in->next;
        goto* kHandlers[static_cast<std::uint8_t>(in->op)];
    }
    if (ip >= size)
        return fail(kCodeOverrun);
    DISPATCH();

    op_FailOverrun:
        return fail(kCodeOverrun);

    op_FailBadVariable:
        return fail(kBadVariable);

    op_Unsupported:
        return fail(kOpcodeNotSupported);

    op_End:
        save();
        return -1;

    op_PushValue:
        PUSH_PAYLOAD_OR_FAIL(in->type, in->a);
        DISPATCH();

    op_PushText:
        // The translator gave a text only when its NUL lies inside the code.
        if (!PushTextImage(stk, top, reversed + (size - 1 - (in->a + in->b)), in->b))
            return fail(kStackOverflow);
        DISPATCH();

    op_PushObject:
        PUSH_PAYLOAD_OR_FAIL(kScriptObject, variableAt(in->a).object);
        DISPATCH();

    op_PushVariable:
        if (!pushVariable(in->a))
            return fail(kStackOverflow);
        DISPATCH();

    op_Add:
    op_Multiply:
    op_Divide:
    op_Or:
    op_And:
    op_Xor:
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        if (a_type == kScriptString) {
            if (in->op == ScriptOp::Add)
                AppendTextView(b_type, b_payload, b_text, a_text);
        } else if (!BinaryResult(in->op, a_type, a_payload, b_type, b_payload, b_text, a_type, a_payload)) {
            return fail(kDivisionByZero);
        }
        PUSH_OR_FAIL(a);
        DISPATCH();

    op_Assign: {
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        if (a_type != kScriptReference)
            DISPATCH();
        ScriptValue* const variable = Variable(static_cast<std::int32_t>(a_payload));
        if (!variable)
            return fail(kBadVariable);
        if (b_type == kScriptInteger)
            AssignIntegerViews(*variable, static_cast<std::int32_t>(b_payload));
        else
            AssignItem(*variable, b_type, b_payload, b_text);
        DISPATCH();
    }

    op_Negate:
    op_Not:
        POP_OR_FAIL(b);
        UnaryResult(in->op, b_type, b_payload, b_type, b_payload);
        PUSH_OR_FAIL(b);
        DISPATCH();

    op_PushScratch:
        PUSH_OR_FAIL(scratch);
        DISPATCH();

    op_PopScratch:
        POP_OR_FAIL(scratch);
        DISPATCH();

    op_ToBoolean:
    op_TestNonNegative:
        POP_OR_FAIL(b);
        // A string's boolean view needs its text.
        PUSH_PAYLOAD_OR_FAIL(kScriptBoolean,
            b_type == kScriptString ? BoolView(b_type, b_payload, b_text)
                                    : (UnaryResult(in->op, b_type, b_payload, b_type, b_payload), b_payload));
        DISPATCH();

    op_Increment:
    op_Decrement: {
        ScriptValue& variable = variableAt(in->a);
        const bool up = in->op == ScriptOp::Increment;
        if (!CountInPlace(variable, up)) {
            if (up)
                variable.AppendText(" ");
            else
                variable.DropLastCharacter();
        }
        DISPATCH();
    }

    op_TouchObject:
        // Decoding an object operand gives its object a reference.
        variableAt(in->a).object;
        DISPATCH();

    op_Nop:
        DISPATCH();

    op_Jump:
        JUMP_TO(in->a);

    op_JumpIfFalse:
    op_JumpIfTrue:
        POP_OR_FAIL(b);
        if (BoolView(b_type, b_payload, b_text) != (in->op == ScriptOp::JumpIfTrue))
            DISPATCH();
        JUMP_TO(in->a);

    op_JumpOutside:
        return fail(kBadJump);

    op_JumpIfFalseOutside:
    op_JumpIfTrueOutside:
        POP_OR_FAIL(b);
        if (BoolView(b_type, b_payload, b_text) != (in->op == ScriptOp::JumpIfTrueOutside))
            DISPATCH();
        return fail(kBadJump);

    op_Return:
        save();
        StoreGlobals();
        return 0;

    op_CallNative:
        save();
        // A native may suspend the script (moving pc to the end) or run it again.
        if (CallNative(in->b, in->a) != 0)
            return -1;
        load();
        if (ip >= size)
            return fail(kCodeOverrun);
        DISPATCH();

    op_Equal: {
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        bool equal;
        if (a_type != kScriptString) {
            BinaryResult(ScriptOp::Equal, a_type, a_payload, b_type, b_payload, b_text, a_type, a_payload);
            equal = a_payload != 0;
        } else if (b_type == kScriptString) {
            equal = EqualsIgnoringAsciiCase(a_text.c_str(), b_text.c_str());
        } else {
            state.textBuffer.clear();
            AppendTextView(b_type, b_payload, b_text, state.textBuffer);
            equal = EqualsIgnoringAsciiCase(a_text.c_str(), state.textBuffer.c_str());
        }
        PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, equal);
        DISPATCH();
    }

    // The fused idioms leave the variable, the stack top and the bytes above
    // it as the long forms do.
    op_AddToVariable: {
        ScriptValue& variable = variableAt(in->a);
        if (variable.type != kScriptInteger || top + 3 * 5 > kStackLast) {
            ip = in->next - (kAddToVariableLength - kTypedInstructionLength);
            PUSH_PAYLOAD_OR_FAIL(kScriptReference, in->a);
            DISPATCH();
        }
        const std::int32_t sum = WrapAdd(variable.intValue, static_cast<std::int32_t>(in->b));
        WriteStackValue(stk, top, kScriptReference, in->a);
        WriteStackValue(stk, top + 5, kScriptInteger, static_cast<std::uint32_t>(sum));
        WriteStackValue(stk, top + 10, kScriptInteger, in->b);
        AssignIntegerViews(variable, sum);
        DISPATCH();
    }

    op_VariableEqualsJumpIfFalse:
    op_VariableEqualsJumpIfTrue: {
        const ScriptValue& variable = variableAt(in->a);
        if (variable.type != kScriptInteger || top + 2 * 5 > kStackLast) {
            ip = in->next - (kVariableEqualsJumpLength - kTypedInstructionLength);
            if (!pushVariable(in->a))
                return fail(kStackOverflow);
            DISPATCH();
        }
        const bool equal = variable.intValue == static_cast<std::int32_t>(in->b);
        WriteStackValue(stk, top, kScriptBoolean, equal);
        WriteStackValue(stk, top + 5, kScriptInteger, in->b);
        if (equal != (in->op == ScriptOp::VariableEqualsJumpIfTrue))
            DISPATCH();
        JUMP_TO(in->target);
    }

    // A test statement's jump, by the boolean view of its value.
#define FINISH_TEST(value)                                                                                             \
    do {                                                                                                               \
        ip = statement->next;                                                                                          \
        if (!taken(value))                                                                                             \
            DISPATCH();                                                                                                \
        JUMP_TO(statement->target);                                                                                    \
    } while (0)

    op_AssignValue:
        statement = &statements[in->a];
        if (top + 2 * 5 > kStackLast || !leaf(1) || !(target = Variable(static_cast<std::int32_t>(statement->target))))
            goto long_form;
        leaf(0);
        write(0, 0);
        write(1, 1);
        assign(*target, 1);
        ip = statement->next;
        DISPATCH();

    op_AssignBinary:
        statement = &statements[in->a];
        if (top + 3 * 5 > kStackLast || !leaf(1) || !leaf(2) || !step(0, 3)
            || !(target = Variable(static_cast<std::int32_t>(statement->target))))
            goto long_form;
        leaf(0);
        write(0, 0);
        write(1, 3);
        write(2, 2);
        assign(*target, 3);
        ip = statement->next;
        DISPATCH();

    op_AssignChain:
        statement = &statements[in->a];
        if (top + 3 * 5 > kStackLast || !leaf(1) || !leaf(2) || !leaf(3) || !step(0, 4) || !step(1, 5)
            || !(target = Variable(static_cast<std::int32_t>(statement->target))))
            goto long_form;
        leaf(0);
        write(0, 0);
        write(1, 5);
        write(2, 3);
        assign(*target, 5);
        ip = statement->next;
        DISPATCH();

    op_TestValue:
        statement = &statements[in->a];
        if (top + 5 > kStackLast || !leaf(0))
            goto long_form;
        write(0, 0);
        FINISH_TEST(0);

    op_TestCompare:
        statement = &statements[in->a];
        if (top + 2 * 5 > kStackLast || !leaf(0) || !leaf(1) || !step(0, 2))
            goto long_form;
        step(1, 3);
        write(0, 3);
        write(1, 1);
        FINISH_TEST(3);

    op_TestUnary:
        statement = &statements[in->a];
        if (top + 5 > kStackLast || !leaf(0))
            goto long_form;
        step(0, 1);
        write(0, 1);
        FINISH_TEST(1);

    op_TestBinary:
        statement = &statements[in->a];
        if (top + 2 * 5 > kStackLast || !leaf(0) || !leaf(1) || !step(0, 2))
            goto long_form;
        write(0, 2);
        write(1, 1);
        FINISH_TEST(2);

    op_Statement:
        statement = &statements[in->a];
        if (top + statement->room * 5u > kStackLast)
            goto long_form;
        for (std::uint32_t i = 0; i < statement->leafCount; ++i) {
            if (!leaf(i))
                goto long_form;
        }
        for (std::uint32_t k = 0; k < statement->stepCount; ++k) {
            if (!step(k, statement->leafCount + k))
                goto long_form;
        }
        target = statement->end == ScriptStatementEnd::Assign
            ? Variable(static_cast<std::int32_t>(statement->target))
            : nullptr;
        if (statement->end == ScriptStatementEnd::Assign && !target)
            goto long_form;
        // From here on the statement runs to its end.
        for (std::uint32_t w = 0; w < statement->writeCount; ++w) {
            const ScriptSlotWrite& slotWrite = writes[statement->firstWrite + w];
            write(slotWrite.slot, slotWrite.value);
        }
        ip = statement->next;
        switch (statement->end) {
        case ScriptStatementEnd::Pushes:
            top += statement->depth * 5u;
            DISPATCH();
        case ScriptStatementEnd::Assign:
            assign(*target, statement->value);
            DISPATCH();
        case ScriptStatementEnd::JumpIfFalse:
        case ScriptStatementEnd::JumpIfTrue:
            FINISH_TEST(statement->value);
        }

    op_Fast: {
        // Room or a table that shrank below what the fast code names: the
        // run loop runs the instruction.
        if (top + kFastRoomSlots * 5u > kStackLast
            || program_.fastHighestVariable >= static_cast<std::uint32_t>(variableCount)) {
            in = &fast[in->a].general;
            ip = in->next;
            goto* kHandlers[static_cast<std::uint8_t>(in->op)];
        }
        fastState.variables = vars;
        fastState.variableCount = variableCount;
        fastState.top = top;
        std::uint32_t index = in->a;
        const std::uint32_t stop = RunScriptFastCode(fast, index, fastState);
        top = fastState.top;
        // After a native call, as after one the run loop makes.
        if (stop == kFastRunEnded)
            return -1;
        if (stop == kFastReload) {
            load();
            if (ip >= size)
                return fail(kCodeOverrun);
            DISPATCH();
        }
        // A jump that spent the budget fails where its long form would,
        // after the last of the instructions the fast one stands for.
        if (stop == kFastBudgetSpent) {
            ip = fast[index].end;
            return fail(kJumpBudgetSpent);
        }
        // The long form of the instruction that stopped runs next.
        in = &fast[index].general;
        ip = in->next;
        goto* kHandlers[static_cast<std::uint8_t>(in->op)];
    }

    long_form:
        in = &statement->first;
        ip = in->next;
        goto* kHandlers[static_cast<std::uint8_t>(in->op)];

#undef FINISH_TEST
#undef POP_OR_FAIL
#undef PUSH_OR_FAIL
#undef PUSH_PAYLOAD_OR_FAIL
#undef JUMP_TO
#undef DISPATCH
}
