#pragma once

// Pieces shared by the files of the script machine; not for its users.

#include "engine/script/kestrune_script.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

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


// Raw stack moves on a stack buffer; false when the value would cross the top
// or the base.
inline bool PushPayload(std::uint8_t* stack, std::uint32_t& sp, std::uint32_t type, std::uint32_t payload)
{
    if (sp + 5 > kStackLast)
        return false;
    std::uint8_t* const p = stack + sp;
    p[1] = static_cast<std::uint8_t>(payload >> 24);
    p[2] = static_cast<std::uint8_t>(payload >> 16);
    p[3] = static_cast<std::uint8_t>(payload >> 8);
    p[4] = static_cast<std::uint8_t>(payload);
    p[5] = static_cast<std::uint8_t>(type);
    sp += 5;
    return true;
}

bool PushText(std::uint8_t* stack, std::uint32_t& sp, const char* text, std::size_t length);

// Pops the string whose type byte is at sp, above base: its characters lie
// reversed below the type byte, down to a NUL.
inline bool PopText(const std::uint8_t* stack, std::uint32_t& sp, std::uint32_t base, std::string& out)
{
    const void* const nul = sp - 1 > base ? memrchr(stack + base + 1, 0, sp - 1 - base) : nullptr;
    if (!nul)
        return false;
    const auto k = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - stack);
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


