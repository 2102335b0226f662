#include "engine/base/engine_link.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_machine_internal.h"

#include <climits>

using namespace script_detail;

namespace {

// "#" followed by decimal digits; anything after the digits is ignored. A
// number too large for the code saturates and fails the first fetch.
std::uint32_t ParseResumeOffset(const char* digits)
{
    std::uint64_t offset = 0;
    for (; *digits >= '0' && *digits <= '9'; ++digits) {
        offset = offset * 10 + static_cast<std::uint32_t>(*digits - '0');
        if (offset > UINT32_MAX)
            return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(offset);
}

std::int32_t WrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t WrapMultiply(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

} // namespace

std::int32_t cKestruneScript::Fail(const char* message)
{
    ReportError("script", "", 0, "%s", message);
    return -1;
}

std::int32_t cKestruneScript::Run(const char* name)
{
    if (!IsLiveScript(this) || !code)
        return -1;
    // A run that starts while another run of this script waits inside a
    // native call works above that run's stack top.
    const std::uint32_t base = runDepth_ > 0 ? sp : 0;
    if (suspendCount == 0)
        sp = base;

    if (!name)
        name = "";
    if (name[0] == 0) {
        pc = 0;
    } else if (name[0] == '#') {
        pc = ParseResumeOffset(name + 1);
        if (suspendCount > 0)
            --suspendCount;
    } else {
        std::int32_t found = -1;
        for (std::int32_t i = 0; i < functions.count && found < 0; ++i) {
            if (EqualsIgnoringAsciiCase(functions.data[i].name.c_str(), name))
                found = i;
        }
        if (found < 0)
            return -10;
        pc = functions.data[found].offset;
    }
    LoadGlobals();

    const std::uint32_t savedBase = stackBase_;
    stackBase_ = base;
    ++runDepth_;
    RunState state;
    const std::int32_t result = Execute(state);
    --runDepth_;
    stackBase_ = savedBase;
    return result;
}

void cKestruneScript::LoadGlobals()
{
    const ScriptGlobalTable& globals = GetScriptGlobalTable();
    for (std::int32_t i = 0; i < variables.count; ++i) {
        ScriptValue& variable = variables.data[i];
        if (variable.globalName.GetText()[0] != 0 && variable.type <= kScriptObject)
            variable = globals.FetchGlobal(variable.globalName.GetText(), variable.type);
    }
}

void cKestruneScript::StoreGlobals()
{
    ScriptGlobalTable& globals = GetScriptGlobalTable();
    for (std::int32_t i = 0; i < variables.count; ++i) {
        const ScriptValue& variable = variables.data[i];
        if (variable.globalName.GetText()[0] != 0 && variable.type <= kScriptObject) {
            ScriptValue copy = variable;
            copy.Normalise();
            globals.StoreGlobal(copy);
        }
    }
}

// The variable takes the popped value's views and keeps its own type.
void cKestruneScript::AssignItem(ScriptValue& variable, const StackItem& item) const
{
    const std::uint32_t p = item.payload;
    switch (item.type) {
    case kScriptInteger:
        variable.intValue = static_cast<std::int32_t>(p);
        variable.floatValue = static_cast<float>(variable.intValue);
        variable.boolValue = p != 0;
        variable.SetTextFromInteger(variable.intValue);
        variable.object = nullptr;
        return;
    case kScriptFloat: {
        const float f = FloatFromBits(p);
        variable.intValue = TruncateScriptFloat(f);
        variable.floatValue = f;
        variable.boolValue = f != 0.0f && !std::isnan(f);
        variable.SetTextFromFloat(f);
        variable.object = nullptr;
        return;
    }
    case kScriptString:
        variable.SetText(item.text.c_str());
        variable.intValue = 0;
        variable.floatValue = 0.0f;
        variable.boolValue = item.text == "true";
        variable.object = nullptr;
        return;
    case kScriptBoolean:
        variable.intValue = p != 0;
        variable.floatValue = p != 0 ? 1.0f : 0.0f;
        variable.boolValue = p != 0;
        variable.SetTextFromBoolean(p != 0);
        variable.object = nullptr;
        return;
    default:
        // A popped object or reference carries only its payload.
        variable.intValue = item.type == kScriptReference ? static_cast<std::int32_t>(p) : 0;
        variable.floatValue = 0.0f;
        variable.boolValue = 0;
        variable.ClearText();
        variable.object = item.type == kScriptObject ? ScriptObjectFromReference(p) : nullptr;
        return;
    }
}

#define POP_OR_FAIL(item)                                                                                              \
    do {                                                                                                               \
        if (!PopItem(item))                                                                                            \
            return Fail(kStackUnderflow);                                                                              \
    } while (0)
#define PUSH_OR_FAIL(item)                                                                                             \
    do {                                                                                                               \
        if (!PushItem(item))                                                                                           \
            return Fail(kStackOverflow);                                                                               \
    } while (0)
#define PUSH_PAYLOAD_OR_FAIL(type, payload)                                                                            \
    do {                                                                                                               \
        if (!PushPayload(stack, sp, (type), (payload)))                                                                \
            return Fail(kStackOverflow);                                                                               \
    } while (0)
#define DECODE_OR_FAIL(item)                                                                                           \
    do {                                                                                                               \
        if (const char* const decodeError = DecodeItem(item))                                                          \
            return Fail(decodeError);                                                                                  \
    } while (0)

std::int32_t cKestruneScript::Execute(RunState& state)
{
    StackItem& a = state.a;
    StackItem& b = state.b;
    for (;;) {
        if (pc >= codeSize)
            return Fail(kCodeOverrun);
        const std::uint8_t opcode = code[pc++];
        switch (opcode) {
        case kOpEnd:
            return -1;

        case kOpPush:
            DECODE_OR_FAIL(a);
            PUSH_OR_FAIL(a);
            break;

        case kOpPushVariable: {
            DECODE_OR_FAIL(a);
            if (a.type != kScriptReference) {
                PUSH_OR_FAIL(a);
                break;
            }
            const ScriptValue& variable = *Variable(static_cast<std::int32_t>(a.payload));
            if (variable.type == kScriptString) {
                const cString& text = variable.Text();
                if (!PushText(stack, sp, text.GetText(), static_cast<std::size_t>(text.GetLength())))
                    return Fail(kStackOverflow);
            } else {
                PUSH_PAYLOAD_OR_FAIL(variable.type, PayloadOf(variable));
            }
            break;
        }

        case kOpAdd:
            POP_OR_FAIL(b);
            POP_OR_FAIL(a);
            switch (a.type) {
            case kScriptInteger:
                a.payload = static_cast<std::uint32_t>(
                    WrapAdd(static_cast<std::int32_t>(a.payload), IntView(b.type, b.payload)));
                break;
            case kScriptFloat:
                a.payload = BitsFromFloat(FloatFromBits(a.payload) + FloatView(b.type, b.payload));
                break;
            case kScriptString:
                AppendTextView(b.type, b.payload, b.text, a.text);
                break;
            default:
                break;
            }
            PUSH_OR_FAIL(a);
            break;

        case kOpAssign: {
            POP_OR_FAIL(b);
            POP_OR_FAIL(a);
            if (a.type != kScriptReference)
                break;
            ScriptValue* const variable = Variable(static_cast<std::int32_t>(a.payload));
            if (!variable)
                return Fail(kBadVariable);
            AssignItem(*variable, b);
            break;
        }

        case kOpNegate:
            POP_OR_FAIL(b);
            if (b.type == kScriptInteger)
                b.payload = 0u - b.payload;
            else if (b.type == kScriptFloat)
                b.payload = BitsFromFloat(FloatFromBits(b.payload) * -1.0f);
            PUSH_OR_FAIL(b);
            break;

        case kOpMultiply:
            POP_OR_FAIL(b);
            POP_OR_FAIL(a);
            if (a.type == kScriptInteger) {
                a.payload = static_cast<std::uint32_t>(
                    WrapMultiply(static_cast<std::int32_t>(a.payload), IntView(b.type, b.payload)));
            } else if (a.type == kScriptFloat) {
                a.payload = BitsFromFloat(FloatFromBits(a.payload) * FloatView(b.type, b.payload));
            }
            PUSH_OR_FAIL(a);
            break;

        case kOpDivide:
            POP_OR_FAIL(b);
            POP_OR_FAIL(a);
            if (a.type == kScriptInteger) {
                const std::int32_t dividend = static_cast<std::int32_t>(a.payload);
                const std::int32_t divisor = IntView(b.type, b.payload);
                if (divisor == 0)
                    return Fail(kDivisionByZero);
                // The one quotient that overflows wraps, as all integer arithmetic does.
                const std::int32_t quotient = divisor == -1 ? WrapMultiply(dividend, -1) : dividend / divisor;
                a.payload = static_cast<std::uint32_t>(quotient);
            } else if (a.type == kScriptFloat) {
                a.payload = BitsFromFloat(FloatFromBits(a.payload) / FloatView(b.type, b.payload));
            }
            PUSH_OR_FAIL(a);
            break;

        case kOpPushScratch:
            PUSH_OR_FAIL(state.scratch);
            break;

        case kOpPopScratch:
            POP_OR_FAIL(state.scratch);
            break;

        case kOpToBoolean:
            POP_OR_FAIL(b);
            PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, BoolView(b.type, b.payload, b.text));
            break;

        case kOpOr:
        case kOpAnd:
        case kOpXor: {
            POP_OR_FAIL(b);
            POP_OR_FAIL(a);
            auto combine = [opcode](std::uint32_t x, std::uint32_t y) {
                return opcode == kOpOr ? (x | y) : opcode == kOpAnd ? (x & y) : (x ^ y);
            };
            if (a.type == kScriptInteger) {
                a.payload = combine(a.payload, static_cast<std::uint32_t>(IntView(b.type, b.payload)));
            } else if (a.type == kScriptFloat) {
                const std::uint32_t bits = combine(static_cast<std::uint32_t>(IntView(a.type, a.payload)),
                    static_cast<std::uint32_t>(IntView(b.type, b.payload)));
                a.payload = BitsFromFloat(static_cast<float>(static_cast<std::int32_t>(bits)));
            } else if (a.type == kScriptBoolean) {
                a.payload = combine(a.payload != 0, BoolView(b.type, b.payload, b.text));
            }
            PUSH_OR_FAIL(a);
            break;
        }

        case kOpNot:
            POP_OR_FAIL(b);
            if (b.type == kScriptBoolean)
                b.payload = b.payload == 0;
            PUSH_OR_FAIL(b);
            break;

        case kOpTestNonNegative: {
            POP_OR_FAIL(b);
            bool result;
            if (b.type == kScriptInteger)
                result = static_cast<std::int32_t>(b.payload) >= 0;
            else if (b.type == kScriptFloat)
                result = FloatFromBits(b.payload) >= 0.0f;
            else
                result = BoolView(b.type, b.payload, b.text);
            PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, result);
            break;
        }

        case kOpIncrement:
        case kOpDecrement: {
            DECODE_OR_FAIL(a);
            if (a.type != kScriptReference)
                break;
            ScriptValue& variable = *Variable(static_cast<std::int32_t>(a.payload));
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
            break;
        }

        case kOpJump:
        case kOpJumpIfFalse:
        case kOpJumpIfTrue: {
            std::uint16_t target;
            if (!ReadU16(target))
                return Fail(kCodeOverrun);
            bool taken = true;
            if (opcode != kOpJump) {
                POP_OR_FAIL(b);
                taken = BoolView(b.type, b.payload, b.text) == (opcode == kOpJumpIfTrue);
            }
            if (taken) {
                if (target >= codeSize)
                    return Fail(kBadJump);
                pc = target;
            }
            break;
        }

        case kOpReturn:
            StoreGlobals();
            return 0;

        case kOpCallNative: {
            std::uint32_t variableIndex;
            std::uint16_t callSiteIndex;
            if (!ReadU32(variableIndex) || !ReadU16(callSiteIndex))
                return Fail(kCodeOverrun);
            if (CallNative(callSiteIndex, variableIndex) != 0)
                return -1;
            break;
        }

        case kOpEqual: {
            POP_OR_FAIL(b);
            POP_OR_FAIL(a);
            bool equal;
            switch (a.type) {
            case kScriptInteger:
                equal = static_cast<std::int32_t>(a.payload) == IntView(b.type, b.payload);
                break;
            case kScriptFloat: {
                const float x = FloatFromBits(a.payload);
                const float y = FloatView(b.type, b.payload);
                equal = std::isnan(x) || std::isnan(y) || x == y;
                break;
            }
            case kScriptString:
                state.textBuffer.clear();
                AppendTextView(b.type, b.payload, b.text, state.textBuffer);
                equal = EqualsIgnoringAsciiCase(a.text.c_str(), state.textBuffer.c_str());
                break;
            case kScriptBoolean:
                equal = (a.payload != 0) == BoolView(b.type, b.payload, b.text);
                break;
            case kScriptObject:
                equal = ScriptObjectFromReference(a.payload)
                    == (b.type == kScriptObject ? ScriptObjectFromReference(b.payload) : nullptr);
                break;
            default:
                equal = BoolView(a.type, a.payload, a.text);
                break;
            }
            PUSH_PAYLOAD_OR_FAIL(kScriptBoolean, equal);
            break;
        }

        default:
            return Fail(kOpcodeNotSupported);
        }
    }
}
