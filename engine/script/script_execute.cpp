// The run loop. pc, sp and the tables live in locals while the loop runs and
// go back to the script around anything that may look at them (natives,
// globals, the slow paths of strings).

#include "engine/script/script_machine_internal.h"

#include <bit>
#include <climits>

using namespace script_detail;

namespace {

std::int32_t WrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t WrapMultiply(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// The stack keeps payloads most significant byte first.
inline std::uint32_t FromStackOrder(std::uint32_t raw)
{
    if constexpr (std::endian::native == std::endian::little)
        return __builtin_bswap32(raw);
    else
        return raw;
}

inline std::uint32_t LoadLittle32(const std::uint8_t* p)
{
    std::uint32_t raw;
    std::memcpy(&raw, p, sizeof raw);
    if constexpr (std::endian::native == std::endian::little)
        return raw;
    else
        return __builtin_bswap32(raw);
}

} // namespace

namespace script_detail {

bool g_jumpBudgetActive = false;
std::uint64_t g_jumpsLeft = 0;

} // namespace script_detail

void SetScriptJumpBudget(std::uint64_t jumps)
{
    g_jumpBudgetActive = jumps != 0;
    g_jumpsLeft = jumps;
}

std::int32_t cKestruneScript::Execute(RunState& state)
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
    const std::uint8_t* const c = code;
    const std::uint32_t size = codeSize;
    std::uint8_t* const stk = stack;
    const std::uint32_t base = stackBase_;
    std::uint32_t ip = pc;
    ScriptValue* vars = variables.data;
    std::int32_t variableCount = variables.count;
    // The DynArray rule: an index at or past the end names the last variable.
    auto variableAt = [&](std::uint32_t index) __attribute__((always_inline)) -> ScriptValue& {
        const auto last = static_cast<std::uint32_t>(variableCount - 1);
        return vars[static_cast<std::int32_t>(index) < variableCount ? index : last];
    };
    std::uint32_t top = sp;

    auto save = [&]() __attribute__((always_inline)) {
        pc = ip;
        sp = top;
    };
    auto load = [&]() __attribute__((always_inline)) {
        ip = pc;
        top = sp;
        vars = variables.data;
        variableCount = variables.count;
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
        StackItem item;
        item.text.swap(text);
        save();
        const bool ok = PopItem(item);
        load();
        type = item.type;
        payload = item.payload;
        text.swap(item.text);
        return ok;
    };
    auto pushPayload = [&](std::uint32_t type, std::uint32_t payload) __attribute__((always_inline)) {
        if (top + 5 > kStackLast)
            return false;
        const std::uint32_t raw = FromStackOrder(payload);
        std::memcpy(stk + top + 1, &raw, sizeof raw);
        stk[top + 5] = static_cast<std::uint8_t>(type);
        top += 5;
        return true;
    };
    auto push = [&](std::uint32_t type, std::uint32_t payload, const std::string& text)
                    __attribute__((always_inline)) {
        if (type != kScriptString)
            return pushPayload(type, payload);
        return PushText(stk, top, text.data(), text.size());
    };
    // A typed operand; the message of what is wrong with it, or null.
    auto decode = [&](std::uint32_t& type, std::uint32_t& payload, std::string& text)
                      __attribute__((always_inline)) -> const char* {
        if (ip >= size)
            return kCodeOverrun;
        const std::uint8_t tag = c[ip];
        if (tag == kScriptString || size - ip < 5) {
            StackItem item;
            item.text.swap(text);
            save();
            const char* const error = DecodeItem(item);
            load();
            type = item.type;
            payload = item.payload;
            text.swap(item.text);
            return error;
        }
        const std::uint32_t raw = LoadLittle32(c + ip + 1);
        ip += 5;
        type = tag;
        if (tag == kScriptInteger || tag == kScriptFloat) {
            payload = raw;
            return nullptr;
        }
        if (tag == kScriptReference) {
            payload = raw;
            return static_cast<std::int32_t>(raw) >= 0 && variableCount > 0 ? nullptr : kBadVariable;
        }
        if (tag == kScriptBoolean) {
            payload = raw != 0;
            return nullptr;
        }
        if (tag == kScriptObject) {
            const ScriptValue* const variable = Variable(static_cast<std::int32_t>(raw));
            if (!variable)
                return kBadVariable;
            payload = ScriptObjectReference(variable->object);
            return nullptr;
        }
        payload = tag;
        return nullptr;
    };
    auto readU16 = [&](std::uint16_t& value) __attribute__((always_inline)) {
        if (ip > size || size - ip < 2)
            return false;
        value = static_cast<std::uint16_t>(c[ip] | c[ip + 1] << 8);
        ip += 2;
        return true;
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
#define DECODE_OR_FAIL(item)                                                                                           \
    do {                                                                                                               \
        if (const char* const decodeError = decode(item##_type, item##_payload, item##_text))                          \
            return fail(decodeError);                                                                                  \
    } while (0)

    // One entry per opcode byte; every byte without a handler is not supported.
    static const void* const kHandlers[256] = {
        &&op_Unsupported, &&op_Push, &&op_PushVariable, &&op_Add,
        &&op_Assign, &&op_Unsupported, &&op_Negate, &&op_Multiply,
        &&op_Divide, &&op_PushScratch, &&op_PopScratch, &&op_ToBoolean,
        &&op_Or, &&op_And, &&op_Xor, &&op_Not,
        &&op_TestNonNegative, &&op_Increment, &&op_Decrement, &&op_Jump,
        &&op_JumpIfFalse, &&op_Return, &&op_JumpIfTrue, &&op_CallNative,
        &&op_Equal, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_Unsupported,
        &&op_Unsupported, &&op_Unsupported, &&op_Unsupported, &&op_End,
    };

#define DISPATCH()                                                                                                     \
    do {                                                                                                               \
        if (ip >= size)                                                                                                \
            goto overrun;                                                                                              \
        opcode = c[ip++];                                                                                              \
        goto* kHandlers[opcode];                                                                                       \
    } while (0)

    std::uint8_t opcode;
    std::uint32_t jumpTarget;
    DISPATCH();

    op_End:
        save();
        return -1;

    op_Push:
        DECODE_OR_FAIL(a);
        PUSH_OR_FAIL(a);
        DISPATCH();

    op_PushVariable: {
        DECODE_OR_FAIL(a);
        if (a_type != kScriptReference) {
            PUSH_OR_FAIL(a);
            DISPATCH();
        }
        const ScriptValue& variable = variableAt(a_payload);
        if (variable.type == kScriptString) {
            const cString& text = variable.Text();
            if (!PushText(stk, top, text.GetText(), static_cast<std::size_t>(text.GetLength())))
                return fail(kStackOverflow);
        } else {
            PUSH_PAYLOAD_OR_FAIL(variable.type, PayloadOf(variable));
        }
        DISPATCH();
    }

    op_Add:
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        if (a_type == kScriptInteger)
            a_payload = static_cast<std::uint32_t>(
                WrapAdd(static_cast<std::int32_t>(a_payload), IntView(b_type, b_payload)));
        else if (a_type == kScriptFloat)
            a_payload = BitsFromFloat(FloatFromBits(a_payload) + FloatView(b_type, b_payload));
        else if (a_type == kScriptString)
            AppendTextView(b_type, b_payload, b_text, a_text);
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
        if (b_type == kScriptInteger) {
            const auto value = static_cast<std::int32_t>(b_payload);
            variable->intValue = value;
            variable->floatValue = static_cast<float>(value);
            variable->boolValue = value != 0;
            variable->SetTextFromInteger(value);
            variable->object = nullptr;
        } else {
            AssignItem(*variable, b_type, b_payload, b_text);
        }
        DISPATCH();
    }

    op_Negate:
        POP_OR_FAIL(b);
        if (b_type == kScriptInteger)
            b_payload = 0u - b_payload;
        else if (b_type == kScriptFloat)
            b_payload = BitsFromFloat(FloatFromBits(b_payload) * -1.0f);
        PUSH_OR_FAIL(b);
        DISPATCH();

    op_Multiply:
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        if (a_type == kScriptInteger) {
            a_payload = static_cast<std::uint32_t>(
                WrapMultiply(static_cast<std::int32_t>(a_payload), IntView(b_type, b_payload)));
        } else if (a_type == kScriptFloat) {
            a_payload = BitsFromFloat(FloatFromBits(a_payload) * FloatView(b_type, b_payload));
        }
        PUSH_OR_FAIL(a);
        DISPATCH();

    op_Divide:
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        if (a_type == kScriptInteger) {
            const std::int32_t dividend = static_cast<std::int32_t>(a_payload);
            const std::int32_t divisor = IntView(b_type, b_payload);
            if (divisor == 0)
                return fail(kDivisionByZero);
            // The one quotient that overflows wraps, as all integer arithmetic does.
            const std::int32_t quotient = divisor == -1 ? WrapMultiply(dividend, -1) : dividend / divisor;
            a_payload = static_cast<std::uint32_t>(quotient);
        } else if (a_type == kScriptFloat) {
            a_payload = BitsFromFloat(FloatFromBits(a_payload) / FloatView(b_type, b_payload));
        }
        PUSH_OR_FAIL(a);
        DISPATCH();

    op_PushScratch:
        PUSH_OR_FAIL(scratch);
        DISPATCH();

    op_PopScratch:
        POP_OR_FAIL(scratch);
        DISPATCH();

    op_ToBoolean:
        POP_OR_FAIL(b);
        PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, BoolView(b_type, b_payload, b_text));
        DISPATCH();

    op_Or:
    op_And:
    op_Xor: {
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        auto combine = [opcode](std::uint32_t x, std::uint32_t y) {
            return opcode == kOpOr ? (x | y) : opcode == kOpAnd ? (x & y) : (x ^ y);
        };
        if (a_type == kScriptInteger) {
            a_payload = combine(a_payload, static_cast<std::uint32_t>(IntView(b_type, b_payload)));
        } else if (a_type == kScriptFloat) {
            const std::uint32_t bits = combine(static_cast<std::uint32_t>(IntView(a_type, a_payload)),
                static_cast<std::uint32_t>(IntView(b_type, b_payload)));
            a_payload = BitsFromFloat(static_cast<float>(static_cast<std::int32_t>(bits)));
        } else if (a_type == kScriptBoolean) {
            a_payload = combine(a_payload != 0, BoolView(b_type, b_payload, b_text));
        }
        PUSH_OR_FAIL(a);
        DISPATCH();
    }

    op_Not:
        POP_OR_FAIL(b);
        if (b_type == kScriptBoolean)
            b_payload = b_payload == 0;
        PUSH_OR_FAIL(b);
        DISPATCH();

    op_TestNonNegative: {
        POP_OR_FAIL(b);
        bool result;
        if (b_type == kScriptInteger)
            result = static_cast<std::int32_t>(b_payload) >= 0;
        else if (b_type == kScriptFloat)
            result = FloatFromBits(b_payload) >= 0.0f;
        else
            result = BoolView(b_type, b_payload, b_text);
        PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, result);
        DISPATCH();
    }

    op_Increment:
    op_Decrement: {
        DECODE_OR_FAIL(a);
        if (a_type != kScriptReference)
            DISPATCH();
        ScriptValue& variable = variableAt(a_payload);
        const bool up = opcode == kOpIncrement;
        switch (variable.type) {
        case kScriptInteger:
            variable.intValue = WrapAdd(variable.intValue, up ? 1 : -1);
            break;
        case kScriptFloat:
            variable.floatValue += up ? 1.0f : -1.0f;
            break;
        case kScriptString:
            if (up)
                variable.AppendText(" ");
            else
                variable.DropLastCharacter();
            break;
        case kScriptBoolean:
            variable.boolValue = up;
            break;
        default:
            break;
        }
        DISPATCH();
    }

    // The three jumps share one tail; a conditional one decides first.
    op_Jump: {
        std::uint16_t target;
        if (!readU16(target))
            return fail(kCodeOverrun);
        jumpTarget = target;
        goto jump;
    }

    op_JumpIfFalse:
    op_JumpIfTrue: {
        const bool whenTrue = c[ip - 1] == kOpJumpIfTrue;
        std::uint16_t target;
        if (!readU16(target))
            return fail(kCodeOverrun);
        POP_OR_FAIL(b);
        if (BoolView(b_type, b_payload, b_text) != whenTrue)
            DISPATCH();
        jumpTarget = target;
        goto jump;
    }

jump:
    if (jumpTarget >= size)
        return fail(kBadJump);
    if (g_jumpBudgetActive && g_jumpsLeft-- == 0)
        return fail(kJumpBudgetSpent);
    ip = jumpTarget;
    DISPATCH();

    op_Return:
        save();
        StoreGlobals();
        return 0;

    op_CallNative: {
        if (ip > size || size - ip < 6)
            return fail(kCodeOverrun);
        const std::uint32_t variableIndex = LoadLittle32(c + ip);
        const std::uint16_t callSiteIndex = static_cast<std::uint16_t>(c[ip + 4] | c[ip + 5] << 8);
        ip += 6;
        save();
        // A native may suspend the script (moving pc to the end) or run it again.
        if (CallNative(callSiteIndex, variableIndex) != 0)
            return -1;
        load();
        DISPATCH();
    }

    op_Equal: {
        POP_OR_FAIL(b);
        POP_OR_FAIL(a);
        bool equal;
        if (a_type == kScriptInteger) {
            equal = static_cast<std::int32_t>(a_payload) == IntView(b_type, b_payload);
            // A conditional jump right after it would pop the boolean at
            // once: it takes the result directly (the bytes above the stack
            // top are never read, so nothing else can tell).
            if (size - ip >= 3 && (c[ip] == kOpJumpIfFalse || c[ip] == kOpJumpIfTrue) && top + 5 <= kStackLast) {
                const bool whenTrue = c[ip] == kOpJumpIfTrue;
                jumpTarget = static_cast<std::uint32_t>(c[ip + 1] | c[ip + 2] << 8);
                ip += 3;
                if (equal != whenTrue)
                    DISPATCH();
                goto jump;
            }
            PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, equal);
            DISPATCH();
        }
        switch (a_type) {
        case kScriptFloat: {
            const float x = FloatFromBits(a_payload);
            const float y = FloatView(b_type, b_payload);
            equal = std::isnan(x) || std::isnan(y) || x == y;
            break;
        }
        case kScriptString:
            state.textBuffer.clear();
            AppendTextView(b_type, b_payload, b_text, state.textBuffer);
            equal = EqualsIgnoringAsciiCase(a_text.c_str(), state.textBuffer.c_str());
            break;
        case kScriptBoolean:
            equal = (a_payload != 0) == BoolView(b_type, b_payload, b_text);
            break;
        case kScriptObject:
            equal = ScriptObjectFromReference(a_payload)
                == (b_type == kScriptObject ? ScriptObjectFromReference(b_payload) : nullptr);
            break;
        default:
            equal = BoolView(a_type, a_payload, a_text);
            break;
        }
        PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, equal);
        DISPATCH();
    }

    op_Unsupported:
        return fail(kOpcodeNotSupported);

overrun:
    return fail(kCodeOverrun);
#undef POP_OR_FAIL
#undef PUSH_OR_FAIL
#undef PUSH_PAYLOAD_OR_FAIL
#undef DECODE_OR_FAIL
#undef DISPATCH
}
