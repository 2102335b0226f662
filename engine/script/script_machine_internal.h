#pragma once

// Pieces shared by the files of the script machine; not for its users.

#include "engine/script/kestrune_script.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/base/object_handles.h"
#include "engine/script/script_program.h"
#include "engine/script/script_value.h"

// A value as the byte stack holds it: its type byte, its 32-bit payload and,
// for a string, its text. Every view of a popped value is derived from these.
struct cKestruneScript::StackItem {
    std::uint32_t type = 0;
    std::uint32_t payload = 0;
    std::string text;
};

struct cKestruneScript::RunState {
    StackItem scratch; // lives for one run
    StackItem a;
    StackItem b;
    std::string textBuffer;
};

namespace script_detail {

// Reports of a run that cannot go on (module "script").
inline constexpr const char* kOpcodeNotSupported = "Opcode not supported.";
inline constexpr const char* kCodeOverrun = "Script code ends inside an instruction.";
inline constexpr const char* kBadVariable = "Script variable index out of range.";
inline constexpr const char* kBadCallSite = "Script call-site index out of range.";
inline constexpr const char* kBadJump = "Script jump target lies outside the code.";
inline constexpr const char* kStackOverflow = "Script stack overflow.";
inline constexpr const char* kStackUnderflow = "Script stack underflow.";
inline constexpr const char* kDivisionByZero = "Script integer division by zero.";
inline constexpr const char* kJumpBudgetSpent = "Script jump budget spent.";

// The jump budget of SetScriptJumpBudget.
extern bool g_jumpBudgetActive;
extern std::uint64_t g_jumpsLeft;

constexpr std::uint32_t kStackLast = kScriptStackSize - 1;

inline float FloatFromBits(std::uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline std::uint32_t BitsFromFloat(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// Appends the string view of an item to out.
void AppendTextView(std::uint32_t type, std::uint32_t payload, const std::string& text, std::string& out);
bool EqualsIgnoringAsciiCase(const char* a, const char* b);


// The stack keeps payloads most significant byte first.
inline std::uint32_t FromStackOrder(std::uint32_t raw)
{
    if constexpr (std::endian::native == std::endian::little)
        return __builtin_bswap32(raw);
    else
        return raw;
}

// Writes one non-string value as a push does, at the bytes after offset.
inline void WriteStackValue(std::uint8_t* stack, std::uint32_t offset, std::uint32_t type, std::uint32_t payload)
{
    const std::uint32_t raw = FromStackOrder(payload);
    std::memcpy(stack + offset + 1, &raw, sizeof raw);
    stack[offset + 5] = static_cast<std::uint8_t>(type);
}

// Raw stack moves on a stack buffer; false when the value would cross the top
// or the base.
inline bool PushPayload(std::uint8_t* stack, std::uint32_t& sp, std::uint32_t type, std::uint32_t payload)
{
    if (sp + 5 > kStackLast)
        return false;
    WriteStackValue(stack, sp, type, payload);
    sp += 5;
    return true;
}

bool PushText(std::uint8_t* stack, std::uint32_t& sp, const char* text, std::size_t length);
// The same for a text whose stack image is at hand: image holds the NUL that
// opens the text and then its characters reversed (length + 1 bytes).
inline bool PushTextImage(std::uint8_t* stack, std::uint32_t& sp, const std::uint8_t* image, std::uint32_t length)
{
    if (std::uint64_t{length} + 2 > kStackLast - sp)
        return false;
    std::memcpy(stack + sp + 1, image, std::size_t{length} + 1);
    stack[sp + length + 2] = kScriptString;
    sp += length + 2;
    return true;
}

// The NUL that opens the string whose type byte is at sp, above base (its
// characters lie reversed between the two), or 0 when there is none.
inline std::uint32_t FindTextStart(const std::uint8_t* stack, std::uint32_t sp, std::uint32_t base)
{
    if (sp - 1 <= base)
        return 0;
    // Most texts are short: look at their bytes before calling the library.
    const std::uint32_t near = sp - 1 - base > 24 ? sp - 24 : base + 1;
    for (std::uint32_t k = sp - 1; k >= near; --k) {
        if (stack[k] == 0)
            return k;
    }
    const void* const nul = memrchr(stack + base + 1, 0, near - (base + 1));
    return nul ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - stack) : 0;
}

// Pops the string whose type byte is at sp, above base.
inline bool PopText(const std::uint8_t* stack, std::uint32_t& sp, std::uint32_t base, std::string& out)
{
    const std::uint32_t k = FindTextStart(stack, sp, base);
    if (k == 0)
        return false;
    out.resize(sp - 1 - k);
    std::reverse_copy(stack + k + 1, stack + sp, out.begin());
    sp = k - 1;
    return true;
}

// The views of a popped value, derived from its type and payload.
inline std::int32_t IntView(std::uint32_t type, std::uint32_t payload)
{
    if (type == kScriptInteger || type == kScriptReference)
        return static_cast<std::int32_t>(payload);
    if (type == kScriptFloat)
        return TruncateScriptFloat(FloatFromBits(payload));
    if (type == kScriptBoolean)
        return payload != 0;
    return 0;
}

inline float FloatView(std::uint32_t type, std::uint32_t payload)
{
    if (type == kScriptInteger)
        return static_cast<float>(static_cast<std::int32_t>(payload));
    if (type == kScriptFloat)
        return FloatFromBits(payload);
    if (type == kScriptBoolean)
        return payload != 0 ? 1.0f : 0.0f;
    return 0.0f;
}

inline bool BoolView(std::uint32_t type, std::uint32_t payload, const std::string& text)
{
    if (type == kScriptInteger || type == kScriptBoolean)
        return payload != 0;
    if (type == kScriptFloat) {
        const float f = FloatFromBits(payload);
        return f != 0.0f && !std::isnan(f);
    }
    if (type == kScriptString)
        return text == "true";
    return false;
}

// The 32-bit payload a variable or value puts on the stack for its type.
inline std::uint32_t PayloadOf(const ScriptValue& value)
{
    const std::uint32_t type = value.type;
    if (type == kScriptInteger || type == kScriptReference)
        return static_cast<std::uint32_t>(value.intValue);
    if (type == kScriptFloat)
        return BitsFromFloat(value.floatValue);
    if (type == kScriptBoolean)
        return value.boolValue != 0;
    if (type == kScriptObject)
        return value.object;
    return type;
}

// The text of a value that has none.
inline const std::string kNoText;

inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t WrapMultiply(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// The views that assigning a number gives a variable (which keeps its type).
inline void AssignIntegerViews(ScriptValue& variable, std::int32_t value)
{
    variable.intValue = value;
    variable.floatValue = static_cast<float>(value);
    variable.boolValue = value != 0;
    variable.SetTextFromInteger(value);
    variable.object = kNoObject;
}

inline void AssignFloatViews(ScriptValue& variable, float value)
{
    variable.intValue = TruncateScriptFloat(value);
    variable.floatValue = value;
    variable.boolValue = value != 0.0f && !std::isnan(value);
    variable.SetTextFromFloat(value);
    variable.object = kNoObject;
}

inline void AssignBooleanViews(ScriptValue& variable, bool value)
{
    variable.intValue = value;
    variable.floatValue = value ? 1.0f : 0.0f;
    variable.boolValue = value;
    variable.SetTextFromBoolean(value);
    variable.object = kNoObject;
}

// The views a popped text gives a variable.
inline void AssignTextViews(ScriptValue& variable, const char* text)
{
    variable.SetText(text);
    variable.intValue = 0;
    variable.floatValue = 0.0f;
    variable.boolValue = std::strcmp(text, "true") == 0;
    variable.object = kNoObject;
}

// The views a number or a boolean popped as type gives a variable.
inline void AssignPlainViews(ScriptValue& variable, std::uint32_t type, std::uint32_t payload)
{
    if (type == kScriptInteger)
        AssignIntegerViews(variable, static_cast<std::int32_t>(payload));
    else if (type == kScriptFloat)
        AssignFloatViews(variable, FloatFromBits(payload));
    else
        AssignBooleanViews(variable, payload != 0);
}

// Increment and decrement of a number or boolean in place; false for a
// string, whose text the caller changes.
inline bool CountInPlace(ScriptValue& variable, bool up)
{
    switch (variable.type) {
    case kScriptInteger:
        variable.intValue = WrapAdd(variable.intValue, up ? 1 : -1);
        return true;
    case kScriptFloat:
        variable.floatValue += up ? 1.0f : -1.0f;
        return true;
    case kScriptBoolean:
        variable.boolValue = up;
        return true;
    case kScriptString:
        return false;
    default:
        return true;
    }
}

// A binary instruction's result from a (popped second) and b (popped first)
// when a holds no text; bText is b's text when b is a string. False for an
// integer division by zero, which has no result.
inline bool BinaryResult(ScriptOp op, std::uint32_t aType, std::uint32_t a, std::uint32_t bType, std::uint32_t b,
    const std::string& bText, std::uint32_t& resultType, std::uint32_t& result)
{
    resultType = aType;
    result = a;
    switch (op) {
    case ScriptOp::Add:
        if (aType == kScriptInteger)
            result = static_cast<std::uint32_t>(WrapAdd(static_cast<std::int32_t>(a), IntView(bType, b)));
        else if (aType == kScriptFloat)
            result = BitsFromFloat(FloatFromBits(a) + FloatView(bType, b));
        return true;
    case ScriptOp::Multiply:
        if (aType == kScriptInteger)
            result = static_cast<std::uint32_t>(WrapMultiply(static_cast<std::int32_t>(a), IntView(bType, b)));
        else if (aType == kScriptFloat)
            result = BitsFromFloat(FloatFromBits(a) * FloatView(bType, b));
        return true;
    case ScriptOp::Divide:
        if (aType == kScriptInteger) {
            const auto dividend = static_cast<std::int32_t>(a);
            const std::int32_t divisor = IntView(bType, b);
            if (divisor == 0)
                return false;
            // The one quotient that overflows wraps, as all integer arithmetic does.
            result = static_cast<std::uint32_t>(divisor == -1 ? WrapMultiply(dividend, -1) : dividend / divisor);
        } else if (aType == kScriptFloat) {
            result = BitsFromFloat(FloatFromBits(a) / FloatView(bType, b));
        }
        return true;
    case ScriptOp::Or:
    case ScriptOp::And:
    case ScriptOp::Xor: {
        auto combine = [op](std::uint32_t x, std::uint32_t y) {
            return op == ScriptOp::Or ? (x | y) : op == ScriptOp::And ? (x & y) : (x ^ y);
        };
        if (aType == kScriptInteger) {
            result = combine(a, static_cast<std::uint32_t>(IntView(bType, b)));
        } else if (aType == kScriptFloat) {
            const std::uint32_t bits = combine(
                static_cast<std::uint32_t>(IntView(aType, a)), static_cast<std::uint32_t>(IntView(bType, b)));
            result = BitsFromFloat(static_cast<float>(static_cast<std::int32_t>(bits)));
        } else if (aType == kScriptBoolean) {
            result = combine(a != 0, BoolView(bType, b, bText));
        }
        return true;
    }
    case ScriptOp::Equal: {
        bool equal;
        switch (aType) {
        case kScriptInteger:
            equal = static_cast<std::int32_t>(a) == IntView(bType, b);
            break;
        case kScriptFloat: {
            const float x = FloatFromBits(a);
            const float y = FloatView(bType, b);
            equal = std::isnan(x) || std::isnan(y) || x == y;
            break;
        }
        case kScriptBoolean:
            equal = (a != 0) == BoolView(bType, b, bText);
            break;
        case kScriptObject:
            // A stale handle names no object, so it equals an empty one.
            equal = ResolveObject(a, ObjectKind::Any)
                == (bType == kScriptObject ? ResolveObject(b, ObjectKind::Any) : nullptr);
            break;
        default:
            equal = BoolView(aType, a, kNoText);
            break;
        }
        resultType = kScriptBoolean;
        result = equal;
        return true;
    }
    default:
        return true;
    }
}

// A unary instruction's result from b, which holds no text.
inline void UnaryResult(ScriptOp op, std::uint32_t bType, std::uint32_t b, std::uint32_t& resultType, std::uint32_t& result)
{
    resultType = bType;
    result = b;
    switch (op) {
    case ScriptOp::Negate:
        if (bType == kScriptInteger)
            result = 0u - b;
        else if (bType == kScriptFloat)
            result = BitsFromFloat(FloatFromBits(b) * -1.0f);
        return;
    case ScriptOp::ToBoolean:
        resultType = kScriptBoolean;
        result = BoolView(bType, b, kNoText);
        return;
    case ScriptOp::Not:
        if (bType == kScriptBoolean)
            result = b == 0;
        return;
    case ScriptOp::TestNonNegative:
        resultType = kScriptBoolean;
        if (bType == kScriptInteger)
            result = static_cast<std::int32_t>(b) >= 0;
        else if (bType == kScriptFloat)
            result = FloatFromBits(b) >= 0.0f;
        else
            result = BoolView(bType, b, kNoText);
        return;
    default:
        return;
    }
}

} // namespace script_detail

// The machine's hot paths, kept here so that the run loop inlines them.

inline bool cKestruneScript::PushItem(const StackItem& item)
{
    if (item.type == kScriptString)
        return script_detail::PushText(stack, sp, item.text.data(), item.text.size());
    return script_detail::PushPayload(stack, sp, item.type, item.payload);
}

inline bool cKestruneScript::PopItem(StackItem& item)
{
    if (sp <= stackBase_ || sp > script_detail::kStackLast)
        return false;
    item.type = stack[sp];
    if (item.type == kScriptString) {
        item.payload = 0;
        return script_detail::PopText(stack, sp, stackBase_, item.text);
    }
    if (sp < stackBase_ + 5)
        return false;
    const std::uint8_t* const p = stack + sp - 4;
    item.payload = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    sp -= 5;
    return true;
}

inline bool cKestruneScript::ReadU32(std::uint32_t& value)
{
    if (codeSize < 4 || pc > codeSize - 4)
        return false;
    const std::uint8_t* const p = code + pc;
    value = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    pc += 4;
    return true;
}

// Reads a typed operand; the message of what is wrong with it, or null.
inline const char* cKestruneScript::DecodeItem(StackItem& item)
{
    if (pc >= codeSize)
        return script_detail::kCodeOverrun;
    item.type = code[pc++];
    if (item.type == kScriptString) {
        const void* const nul = std::memchr(code + pc, 0, codeSize - pc);
        if (!nul)
            return script_detail::kCodeOverrun;
        const auto length = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - (code + pc));
        item.text.assign(reinterpret_cast<const char*>(code + pc), length);
        item.payload = 0;
        pc += length + 1;
        return nullptr;
    }
    std::uint32_t raw;
    if (!ReadU32(raw))
        return script_detail::kCodeOverrun;
    switch (item.type) {
    case kScriptBoolean:
        item.payload = raw != 0;
        return nullptr;
    case kScriptObject: {
        const ScriptValue* const variable = Variable(static_cast<std::int32_t>(raw));
        if (!variable)
            return script_detail::kBadVariable;
        item.payload = variable->object;
        return nullptr;
    }
    case kScriptReference:
        item.payload = raw;
        return Variable(static_cast<std::int32_t>(raw)) ? nullptr : script_detail::kBadVariable;
    case kScriptInteger:
    case kScriptFloat:
        item.payload = raw;
        return nullptr;
    default:
        item.payload = item.type;
        return nullptr;
    }
}


