// Text statements in the fast code: texts joined from pieces and assigned or
// compared, worked out in one buffer instead of being pushed, reversed and
// popped again for every add. Each leaves the variables, the stack top and
// the reports as its long form does; what it pushed lies above the top,
// where nothing reads it.

#include "engine/script/script_fast_dispatch.h"
#include "engine/script/script_typed.h"

#include <algorithm>

using namespace script_detail;

namespace {

// Longer joins are left to the run loop.
constexpr std::uint32_t kMaxTextPieces = 32;

bool IsPiece(const ScriptInstruction& in)
{
    return in.op == ScriptOp::PushText || in.op == ScriptOp::PushValue || in.op == ScriptOp::PushVariable
        || in.op == ScriptOp::PushObject;
}

// The piece that the push in puts on the stack; a text constant's
// characters go to the pool, from the code that reversed holds back to front.
ScriptTextPiece PieceOf(const ScriptInstruction& in, const std::vector<std::uint8_t>& reversed, std::string& pool)
{
    ScriptTextPiece piece;
    if (in.op == ScriptOp::PushText) {
        piece.text = true;
        piece.leaf.value = static_cast<std::uint32_t>(pool.size());
        piece.length = in.b;
        const std::size_t last = reversed.size() - 1;
        for (std::uint32_t k = 0; k < in.b; ++k)
            pool += static_cast<char>(reversed[last - (in.a + k)]);
        pool += '\0';
        return piece;
    }
    piece.leaf.kind = in.op == ScriptOp::PushValue  ? ScriptLeafKind::Constant
        : in.op == ScriptOp::PushVariable ? ScriptLeafKind::Variable
                                          : ScriptLeafKind::Object;
    piece.leaf.type = in.type;
    piece.leaf.value = in.a;
    return piece;
}

// The view of a piece as an add or a comparison sees it, put after out;
// the bytes its push takes on the stack.
VLS_INLINE std::uint32_t AppendPiece(
    const ScriptTextPiece& piece, const ScriptValue* vars, const char* pool, std::string& out)
{
    if (piece.text) {
        out.append(pool + piece.leaf.value, piece.length);
        return piece.length + 2;
    }
    const ScriptLeaf& leaf = piece.leaf;
    if (leaf.kind == ScriptLeafKind::Constant) {
        AppendTextView(leaf.type, leaf.value, kNoText, out);
        return 5;
    }
    // An object value has no string view.
    if (leaf.kind == ScriptLeafKind::Object)
        return 5;
    const ScriptValue& variable = vars[leaf.value];
    if (variable.type == kScriptString) {
        const cString& text = variable.Text();
        const auto length = static_cast<std::uint32_t>(text.GetLength());
        out.append(text.GetText(), length);
        return length + 2;
    }
    AppendTextView(variable.type, PayloadOf(variable), kNoText, out);
    return 5;
}

bool StartsWithText(const ScriptTextPiece& first, const ScriptValue* vars)
{
    return first.text || (first.leaf.kind == ScriptLeafKind::Variable && vars[first.leaf.value].type == kScriptString);
}

// Joins the statement's pieces into out; false when the first is no text
// now (the add would then work on numbers). need grows to the most stack
// bytes above the run's start that the long form takes on the way.
VLS_INLINE bool Join(const ScriptTextStatement& statement, const ScriptProgram& program, const ScriptValue* vars,
    std::string& out, std::uint32_t& need)
{
    const ScriptTextPiece* const pieces = program.textPieces.data() + statement.firstPiece;
    if (!StartsWithText(pieces[0], vars))
        return false;
    const char* const pool = program.textPool.data();
    out.clear();
    need = std::max(need, AppendPiece(pieces[0], vars, pool, out));
    for (std::uint32_t i = 1; i < statement.joined; ++i) {
        const auto before = static_cast<std::uint32_t>(out.size()) + 2;
        need = std::max(need, before + AppendPiece(pieces[i], vars, pool, out));
        // The joined text is pushed back in place of the two.
        need = std::max(need, static_cast<std::uint32_t>(out.size()) + 2);
    }
    return true;
}

VLS_INLINE bool Fits(std::uint32_t top, std::uint32_t need) { return std::uint64_t{top} + need <= kStackLast; }

// push ref v, the join, assign.
std::uint64_t JoinAndAssign(VLS_RUNNER_ARGUMENTS)
{
    const ScriptProgram& program = *s.program;
    const ScriptTextStatement& statement = program.textStatements[in.text];
    std::string& text = *s.text;
    // Above the reference.
    std::uint32_t need = 0;
    if (!Join(statement, program, vars, text, need) || !Fits(s.top, need + 5))
        return Decline(in, code);
    AssignTextViews(vars[statement.target], text.c_str());
    return GoTo(in.next, VLS_GO_ON);
}

// The join, the other piece, eq, a conditional jump.
std::uint64_t JoinAndCompare(VLS_RUNNER_ARGUMENTS)
{
    const ScriptProgram& program = *s.program;
    const ScriptTextStatement& statement = program.textStatements[in.text];
    std::string& text = *s.text;
    std::uint32_t need = 0;
    if (!Join(statement, program, vars, text, need))
        return Decline(in, code);
    const ScriptTextPiece& other = program.textPieces[statement.firstPiece + statement.joined];
    bool equal;
    std::uint32_t otherSize;
    if (other.text) {
        otherSize = other.length + 2;
        equal = EqualsIgnoringAsciiCase(text.c_str(), program.textPool.data() + other.leaf.value);
    } else {
        std::string view;
        otherSize = AppendPiece(other, vars, program.textPool.data(), view);
        equal = EqualsIgnoringAsciiCase(text.c_str(), view.c_str());
    }
    if (!Fits(s.top, std::max(need, static_cast<std::uint32_t>(text.size()) + 2 + otherSize)))
        return Decline(in, code);
    return Branch(in, equal, VLS_GO_ON);
}

} // namespace

std::uint32_t BuildTextStatement(const std::vector<ScriptInstruction>& decoded, std::uint32_t p, std::uint32_t size,
    ScriptProgram& program)
{
    const auto at = [&](std::uint32_t offset) -> const ScriptInstruction* {
        return offset < size ? &decoded[offset] : nullptr;
    };
    ScriptTextStatement statement;
    std::vector<ScriptInstruction> pushes;
    const ScriptInstruction* in = at(p);
    const bool assign = in && in->op == ScriptOp::PushValue && in->type == kScriptReference;
    if (assign) {
        statement.target = in->a;
        in = at(in->next);
    }
    // Only these can push a text first.
    if (!in || (in->op != ScriptOp::PushText && in->op != ScriptOp::PushVariable))
        return kNoTextStatement;
    pushes.push_back(*in);
    in = at(in->next);
    // Each further piece with its add.
    while (in && IsPiece(*in) && pushes.size() < kMaxTextPieces) {
        const ScriptInstruction* const add = at(in->next);
        if (!add || add->op != ScriptOp::Add)
            break;
        pushes.push_back(*in);
        in = at(add->next);
    }
    statement.joined = static_cast<std::uint32_t>(pushes.size());
    if (!in)
        return kNoTextStatement;
    if (assign) {
        if (in->op != ScriptOp::Assign)
            return kNoTextStatement;
        statement.end = ScriptStatementEnd::Assign;
        statement.next = in->next;
    } else {
        const ScriptInstruction* const equal = IsPiece(*in) ? at(in->next) : nullptr;
        const ScriptInstruction* const jump = equal && equal->op == ScriptOp::Equal ? at(equal->next) : nullptr;
        if (!jump || (jump->op != ScriptOp::JumpIfFalse && jump->op != ScriptOp::JumpIfTrue))
            return kNoTextStatement;
        pushes.push_back(*in);
        statement.end = jump->op == ScriptOp::JumpIfTrue ? ScriptStatementEnd::JumpIfTrue
                                                         : ScriptStatementEnd::JumpIfFalse;
        statement.target = jump->a;
        statement.next = jump->next;
    }
    statement.firstPiece = static_cast<std::uint32_t>(program.textPieces.size());
    statement.highestVariable = assign ? statement.target : 0;
    for (const ScriptInstruction& push : pushes) {
        const ScriptTextPiece piece = PieceOf(push, program.reversedCode, program.textPool);
        if (!piece.text && piece.leaf.kind != ScriptLeafKind::Constant)
            statement.highestVariable = std::max(statement.highestVariable, piece.leaf.value);
        program.textPieces.push_back(piece);
    }
    program.textStatements.push_back(statement);
    return static_cast<std::uint32_t>(program.textStatements.size() - 1);
}

ScriptFastRun TextRunner(const ScriptFastInstruction& in, const ScriptFastState& s, const ScriptValue* vars)
{
    const ScriptTextStatement& statement = s.program->textStatements[in.text];
    if (!StartsWithText(s.program->textPieces[statement.firstPiece], vars))
        return nullptr;
    return statement.end == ScriptStatementEnd::Assign ? &JoinAndAssign : &JoinAndCompare;
}
