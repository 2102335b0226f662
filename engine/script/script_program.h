#pragma once

// The checked internal form of a script's code, made once when the script is
// loaded. Every code offset gets the instruction that decoding from there
// gives, operands read, bounds and variable indexes checked, so that the run
// loop trusts what it finds. Because each offset has its own entry, a jump or
// a resume point may land anywhere, even inside another instruction or a
// fused idiom, and still runs exactly what the bytes there say.

#include <cstdint>
#include <string>
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
    // A run of stack instructions on values without text, worked out on
    // their values instead of their stack bytes (a = index of the statement).
    Statement,
    // The same for the commonest shapes, each with a handler of its own:
    AssignValue,  // push ref v, push x, assign
    AssignBinary, // push ref v, push x, push y, binary, assign
    AssignChain,  // push ref v, push x, push y, binary, push z, binary, assign
    TestValue,    // push x, conditional jump
    TestUnary,    // push x, unary, conditional jump
    TestBinary,   // push x, push y, binary, conditional jump
    TestCompare,  // push x, push y, binary, unary, conditional jump (how orderings are made)
    // The entry into the fast code (a = index of its instruction there),
    // where the instruction at this offset runs, for the types its values
    // have, through a runner compiled for them (script_typed.h).
    Fast,
};

// The instructions that pop two values and push one result, and those that
// pop one and push one.
constexpr bool IsBinaryOp(ScriptOp op)
{
    switch (op) {
    case ScriptOp::Add:
    case ScriptOp::Multiply:
    case ScriptOp::Divide:
    case ScriptOp::Or:
    case ScriptOp::And:
    case ScriptOp::Xor:
    case ScriptOp::Equal:
        return true;
    default:
        return false;
    }
}

constexpr bool IsUnaryOp(ScriptOp op)
{
    return op == ScriptOp::Negate || op == ScriptOp::ToBoolean || op == ScriptOp::Not
        || op == ScriptOp::TestNonNegative;
}

struct ScriptInstruction {
    ScriptOp op = ScriptOp::FailOverrun;
    std::uint8_t type = 0;     // the operand's type tag
    std::uint16_t target = 0;  // the jump target of a fused idiom
    std::uint32_t next = 0;    // the offset after the instruction
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};

// A value a statement pushes: a constant, or a variable's value or object
// as it is when the statement runs.
enum class ScriptLeafKind : std::uint8_t { Constant, Variable, Object };

struct ScriptLeaf {
    ScriptLeafKind kind = ScriptLeafKind::Constant;
    std::uint8_t type = 0;  // a constant's type tag
    std::uint32_t value = 0; // a constant's payload or a variable index
};

// A statement numbers its values: its leaves first, then one result per
// step. A step is a binary or unary instruction's handler on two values
// (y unused by unary ones) instead of popped ones.
struct ScriptStep {
    ScriptOp op = ScriptOp::Add;
    std::uint8_t x = 0;
    std::uint8_t y = 0;
};

// The value the long form leaves in a 5-byte stack slot, counted from the
// statement's starting stack top.
struct ScriptSlotWrite {
    std::uint8_t slot = 0;
    std::uint8_t value = 0;
};

enum class ScriptStatementEnd : std::uint8_t {
    Pushes,      // the values of the last slots stay pushed
    Assign,      // value goes into the variable target
    JumpIfFalse, // to target by value's boolean view
    JumpIfTrue,
};

// A straight run of instructions whose values all have a 5-byte stack form
// and which pops nothing it did not push. It runs as the long form would
// when its variables hold no text and its division has a divisor, and then
// leaves the same stack bytes; otherwise `first` runs and the long form goes
// on from there.
// The fixed forms of statement a runner can be built for.
enum class ScriptTypedForm : std::uint8_t {
    None,
    AssignValue,  // push ref v, push x, assign
    AssignUnary,  // push ref v, push x, unary, assign
    AssignBinary, // push ref v, push x, push y, binary, assign
    AssignChain,  // push ref v, push x, push y, binary, push z, binary, assign
    TestValue,    // push x, conditional jump
    TestUnary,    // push x, unary, conditional jump
    TestBinary,   // push x, push y, binary, conditional jump
    TestCompare,  // push x, push y, binary, unary, conditional jump
    PushValues,   // pushes that stay pushed
};

struct ScriptStatement {
    ScriptInstruction first;
    ScriptOp shape = ScriptOp::Statement; // the handler for the statement's shape
    ScriptTypedForm form = ScriptTypedForm::None;
    ScriptOp formOps[2] = {}; // the operations of the form's steps
    std::uint32_t highestVariable = 0; // the highest variable index it names
    ScriptStatementEnd end = ScriptStatementEnd::Pushes;
    std::uint8_t value = 0; // what is assigned or tested
    std::uint8_t leafCount = 0;
    std::uint8_t stepCount = 0;
    std::uint8_t writeCount = 0;
    std::uint8_t depth = 0; // slots left pushed at the end
    std::uint8_t room = 0;  // the highest slot the long form writes
    std::uint32_t firstLeaf = 0;
    std::uint32_t firstStep = 0;
    std::uint32_t firstWrite = 0;
    std::uint32_t target = 0; // a variable index or a jump target
    std::uint32_t next = 0;   // the offset after the run
};

// Leaves and steps of one statement at the most; the run loop keeps its
// values in a fixed array.
inline constexpr std::uint32_t kMaxStatementLeaves = 24;
inline constexpr std::uint32_t kMaxStatementSteps = 16;
inline constexpr std::uint32_t kMaxStatementValues = kMaxStatementLeaves + kMaxStatementSteps;

// A value that a text statement joins or compares: a leaf, or a text
// constant (text), whose characters lie in the program's text pool from
// leaf.value on, length long and closed by a NUL.
struct ScriptTextPiece {
    ScriptLeaf leaf;
    bool text = false;
    std::uint32_t length = 0;
};

// A run that builds a text: its first piece, a text, with each next piece's
// string view joined on by an add; then either an assignment of the text to
// the variable target (which the run pushed a reference to first), or an
// equality test against one more piece and a conditional jump to target.
struct ScriptTextStatement {
    std::uint32_t firstPiece = 0;
    std::uint32_t joined = 0; // pieces joined; a test's other piece follows them
    ScriptStatementEnd end = ScriptStatementEnd::Assign;
    std::uint32_t target = 0;
    std::uint32_t next = 0; // the offset after the run
    std::uint32_t highestVariable = 0;
};

inline constexpr std::uint32_t kNoTextStatement = 0xFFFFFFFFu;

class ScriptValue;
class cKestruneScript;
struct ScriptFastInstruction;
struct ScriptProgram;

// What a fast runner works on: the script's tables and stack as they are
// while the fast code runs.
struct ScriptFastState {
    ScriptValue* variables = nullptr;
    std::int32_t variableCount = 0;
    std::uint8_t* stack = nullptr;
    std::uint32_t top = 0;
    std::uint32_t base = 0; // the lowest byte a pop may consume
    const ScriptLeaf* leaves = nullptr;
    // The program's offsets, for a runner that gives its offset back to the
    // long form for good.
    ScriptInstruction* instructions = nullptr;
    // The fast code, which runners' offsets count from.
    std::uint8_t* code = nullptr;
    const ScriptProgram* program = nullptr;
    std::string* text = nullptr; // where text statements build their text
    cKestruneScript* script = nullptr; // for native calls
};

// A fast runner runs its instruction and goes on into the runner of the
// next one itself, so that each has a dispatch of its own and no runner
// returns between instructions; chain counts down how many more it may run
// before it hands back, which bounds the stack wherever the compiler makes
// no tail calls. The variables and the fast code travel in registers beside
// the state. Its result is the byte offset of the instruction where the run
// ended, with how it ended (script_typed.cpp) in the upper half.
using ScriptFastRun = std::uint64_t (*)(ScriptFastInstruction& in, ScriptFastState& state, ScriptValue* variables,
    std::uint8_t* code, std::uint32_t chain);
// The fast code runs only with this many stack slots free above the top
// (the most a statement writes) and a variable table that holds every
// variable it names, so that its runners check neither.
inline constexpr std::uint32_t kFastRoomSlots = 3;
// The run goes on in the run loop, with the long form of the instruction
// that stopped (its `general`).
inline constexpr std::uint32_t kFastStop = 0xFFFFFFFFu;
// The instruction ran and spent the last jump of the jump budget.
inline constexpr std::uint32_t kFastBudgetSpent = 0xFFFFFFFEu;
// A native moved pc, changed the tables or left no room on the stack: the
// run loop takes up pc, sp and the tables again and goes on from pc.
inline constexpr std::uint32_t kFastReload = 0xFFFFFFFDu;
// A native ended the run (a failure, or it deleted the script).
inline constexpr std::uint32_t kFastRunEnded = 0xFFFFFFFCu;

// One instruction of the fast code. The runner is picked at its first run
// by the types its values have; when they have others later it picks again.
// An instruction that the fast code leaves to the run loop stops at once.
struct ScriptFastInstruction {
    ScriptFastRun run = nullptr;
    ScriptInstruction general; // what the run loop runs at this offset
    std::uint32_t offset = 0;
    std::uint32_t next = 0;    // the fast instruction after this one, as a byte offset
    std::uint32_t jump = 0;    // the fast instruction at the jump target, as a byte offset
    std::uint32_t statement = 0;
    std::uint32_t variable = 0; // the variable assigned, counted or compared
    std::uint32_t constant = 0; // a fused idiom's integer constant
    std::uint32_t highestVariable = 0; // the highest variable index it names
    ScriptTypedForm form = ScriptTypedForm::None;
    ScriptOp ops[2] = {};
    bool whenTrue = false; // a test jumps when its value is true
    std::uint8_t leafCount = 0;
    std::uint32_t firstLeaf = 0;
    ScriptLeaf values[3]; // the leaves of the values, without an assignment's reference
    // The text statement that starts here too, run instead when its first
    // piece is a text, or kNoTextStatement.
    std::uint32_t text = kNoTextStatement;
    std::uint32_t end = 0; // the offset after what the fast instruction runs
};

struct ScriptProgram {
    // Different for every translation, so that code that outlives a native
    // call can tell whether the native loaded other code into the script.
    std::uint64_t serial = 0;
    std::vector<ScriptInstruction> instructions;
    std::vector<ScriptStatement> statements;
    std::vector<ScriptLeaf> leaves;
    std::vector<ScriptStep> steps;
    std::vector<ScriptSlotWrite> writes;
    std::vector<ScriptFastInstruction> fast;
    std::uint32_t fastHighestVariable = 0; // the highest variable index the fast code names
    // The code back to front. A text operand ends at a NUL, so its stack
    // image (that NUL, then the characters reversed) lies here in one piece:
    // the text at a of length b starts at byte size - 1 - (a + b).
    std::vector<std::uint8_t> reversedCode;
    std::vector<ScriptTextPiece> textPieces;
    std::vector<ScriptTextStatement> textStatements;
    std::string textPool;
};

// Byte lengths of the fused idioms, and of the first instruction in each.
inline constexpr std::uint32_t kAddToVariableLength = 20;
inline constexpr std::uint32_t kVariableEqualsJumpLength = 16;
inline constexpr std::uint32_t kTypedInstructionLength = 6;

// One entry per code offset plus one for the offset just past the code,
// which fails as an overrun. fuse: whether to put in the fused idioms and
// statements.
ScriptProgram TranslateScript(
    const std::uint8_t* code, std::uint32_t size, std::int32_t variableCount, bool fuse);

// Puts a statement at every offset of program.instructions where one starts,
// but for the fused idioms; decoded holds the unfused instructions.
void BuildScriptStatements(const std::vector<ScriptInstruction>& decoded, std::uint32_t size, ScriptProgram& program);
