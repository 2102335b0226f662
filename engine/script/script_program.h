#pragma once

// The checked internal form of a script's code, made once when the script is
// loaded. Every code offset gets the instruction that decoding from there
// gives, operands read, bounds and variable indexes checked, so that the run
// loop trusts what it finds. Because each offset has its own entry, a jump or
// a resume point may land anywhere, even inside another instruction or a
// fused idiom, and still runs exactly what the bytes there say.

#include <cstdint>
#include <vector>

enum class ScriptOp : std::uint8_t {
    // A decoding failure that surfaces when the instruction runs; `next` is
    // where pc stands then.
    FailOverrun,
    FailBadVariable,
    Unsupported,
    End,
    PushValue,    // type, a = payload
    PushText,     // a = offset of the text in the code, b = its length
    PushObject,   // a = variable index
    PushVariable, // a = variable index
    Add,
    Assign,
    Negate,
    Multiply,
    Divide,
    PushScratch,
    PopScratch,
    ToBoolean,
    Or,
    And,
    Xor,
    Not,
    TestNonNegative,
    Increment, // a = variable index
    Decrement, // a = variable index
    TouchObject, // increment or decrement of an object operand: only its decoding
    Nop,         // increment or decrement of another operand that names no variable
    Jump,        // a = target, inside the code
    JumpIfFalse,
    JumpIfTrue,
    JumpOutside, // the same three with a target past the code
    JumpIfFalseOutside,
    JumpIfTrueOutside,
    Return,
    CallNative, // a = variable index, b = call-site index
    Equal,
    // Fused idioms (a = variable index, b = the integer constant): taken only
    // when their preconditions hold at run time, else the idiom's first
    // instruction runs and the long form goes on from the next offset.
    AddToVariable,             // push ref v, pushvar ref v, push int k, add, assign
    VariableEqualsJumpIfFalse, // pushvar ref v, push int k, eq, jz target
    VariableEqualsJumpIfTrue,  // pushvar ref v, push int k, eq, jnz target
};

struct ScriptInstruction {
    ScriptOp op = ScriptOp::FailOverrun;
    std::uint8_t type = 0;     // the operand's type tag
    std::uint16_t target = 0;  // the jump target of a fused idiom
    std::uint32_t next = 0;    // the offset after the instruction
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};

// Byte lengths of the fused idioms, and of the first instruction in each.
inline constexpr std::uint32_t kAddToVariableLength = 20;
inline constexpr std::uint32_t kVariableEqualsJumpLength = 16;
inline constexpr std::uint32_t kTypedInstructionLength = 6;

// One entry per code offset plus one for the offset just past the code,
// which fails as an overrun. fuse: whether to put in the fused idioms.
std::vector<ScriptInstruction> TranslateScript(
    const std::uint8_t* code, std::uint32_t size, std::int32_t variableCount, bool fuse);
