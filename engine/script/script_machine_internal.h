#pragma once

// Pieces shared by the files of the script machine; not for its users.

#include "engine/script/kestrune_script.h"

#include <cmath>
#include <cstring>
#include <string>

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

std::int32_t IntView(std::uint32_t type, std::uint32_t payload);
float FloatView(std::uint32_t type, std::uint32_t payload);
bool BoolView(std::uint32_t type, std::uint32_t payload, const std::string& text);
// Appends the string view of an item to out.
void AppendTextView(std::uint32_t type, std::uint32_t payload, const std::string& text, std::string& out);
bool EqualsIgnoringAsciiCase(const char* a, const char* b);

// The 32-bit payload a variable or value puts on the stack for its type.
std::uint32_t PayloadOf(const ScriptValue& value);

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

} // namespace script_detail
