// Finds the statements of a translated script: straight runs of pushes,
// arithmetic and tests on values without text, ending in an assignment, a
// conditional jump or whatever instruction cannot join them. The run loop
// works them out on values and writes only the stack bytes the long form
// leaves behind (script_program.h).

#include "engine/script/script_format.h"
#include "engine/script/script_program.h"
#include "engine/script/script_typed.h"

#include <cstring>

namespace {

bool IsFused(ScriptOp op)
{
    return op == ScriptOp::AddToVariable || op == ScriptOp::VariableEqualsJumpIfFalse
        || op == ScriptOp::VariableEqualsJumpIfTrue;
}

// A negated constant is the constant its negation pushes.
bool FoldNegate(ScriptLeaf& leaf)
{
    if (leaf.kind != ScriptLeafKind::Constant)
        return false;
    if (leaf.type == kScriptInteger) {
        leaf.value = 0u - leaf.value;
        return true;
    }
    if (leaf.type == kScriptFloat) {
        float f;
        std::memcpy(&f, &leaf.value, sizeof f);
        f *= -1.0f;
        std::memcpy(&leaf.value, &f, sizeof f);
        return true;
    }
    return false;
}

// While a statement is built, step results are numbered from here; they
// follow the leaves once the leaves are counted.
constexpr std::uint32_t kStepNumbers = 128;

class StatementBuilder {
public:
    StatementBuilder(const std::vector<ScriptInstruction>& decoded, std::uint32_t size)
        : decoded_(decoded), size_(size)
    {
    }

    // The statement that starts at p, or false when none worth having does.
    bool Build(std::uint32_t p, ScriptProgram& program)
    {
        stack_.clear();
        slots_.clear();
        leaves_.clear();
        steps_.clear();
        ScriptStatement statement;
        statement.first = decoded_[p];
        std::uint32_t q = p;
        std::uint32_t instructions = 0;
        std::uint32_t value = 0;
        bool ended = false;
        while (!ended && q < size_) {
            const ScriptInstruction& in = decoded_[q];
            if (in.op == ScriptOp::PushValue || in.op == ScriptOp::PushVariable || in.op == ScriptOp::PushObject) {
                if (leaves_.size() == kMaxStatementLeaves)
                    break;
                ScriptLeaf leaf;
                leaf.kind = in.op == ScriptOp::PushValue  ? ScriptLeafKind::Constant
                    : in.op == ScriptOp::PushVariable ? ScriptLeafKind::Variable
                                                      : ScriptLeafKind::Object;
                leaf.type = in.type;
                leaf.value = in.a;
                leaves_.push_back(leaf);
                Push(static_cast<std::uint32_t>(leaves_.size() - 1));
            } else if (IsBinaryOp(in.op)) {
                if (stack_.size() < 2 || steps_.size() == kMaxStatementSteps)
                    break;
                const std::uint32_t y = Pop();
                const std::uint32_t x = Pop();
                steps_.push_back({in.op, x, y});
                Push(kStepNumbers + static_cast<std::uint32_t>(steps_.size() - 1));
            } else if (IsUnaryOp(in.op)) {
                if (stack_.empty())
                    break;
                std::uint32_t x = stack_.back();
                const bool folded = in.op == ScriptOp::Negate && x < kStepNumbers && FoldNegate(leaves_[x]);
                if (!folded) {
                    if (steps_.size() == kMaxStatementSteps)
                        break;
                    steps_.push_back({in.op, x, 0});
                    x = kStepNumbers + static_cast<std::uint32_t>(steps_.size() - 1);
                }
                Pop();
                Push(x);
            } else if (in.op == ScriptOp::Assign) {
                // Only an assignment to a variable reference that empties the run's stack.
                if (stack_.size() != 2 || stack_[0] >= kStepNumbers
                    || leaves_[stack_[0]].kind != ScriptLeafKind::Constant
                    || leaves_[stack_[0]].type != kScriptReference)
                    break;
                statement.end = ScriptStatementEnd::Assign;
                statement.target = leaves_[stack_[0]].value;
                value = stack_[1];
                stack_.clear();
                ended = true;
            } else if (in.op == ScriptOp::JumpIfFalse || in.op == ScriptOp::JumpIfTrue) {
                if (stack_.size() != 1)
                    break;
                statement.end = in.op == ScriptOp::JumpIfTrue ? ScriptStatementEnd::JumpIfTrue
                                                              : ScriptStatementEnd::JumpIfFalse;
                statement.target = in.a;
                value = stack_[0];
                stack_.clear();
                ended = true;
            } else {
                break;
            }
            q = in.next;
            ++instructions;
        }
        if (instructions < 2)
            return false;
        const auto number = [&](std::uint32_t id) {
            return static_cast<std::uint8_t>(id >= kStepNumbers ? id - kStepNumbers + leaves_.size() : id);
        };
        statement.next = q;
        statement.value = number(value);
        statement.depth = static_cast<std::uint8_t>(stack_.size());
        statement.room = static_cast<std::uint8_t>(slots_.size());
        statement.leafCount = static_cast<std::uint8_t>(leaves_.size());
        statement.firstLeaf = static_cast<std::uint32_t>(program.leaves.size());
        program.leaves.insert(program.leaves.end(), leaves_.begin(), leaves_.end());
        statement.stepCount = static_cast<std::uint8_t>(steps_.size());
        statement.firstStep = static_cast<std::uint32_t>(program.steps.size());
        for (const BuiltStep& step : steps_)
            program.steps.push_back({step.op, number(step.x), number(step.y)});
        statement.writeCount = static_cast<std::uint8_t>(slots_.size());
        statement.firstWrite = static_cast<std::uint32_t>(program.writes.size());
        for (std::uint32_t slot = 0; slot < slots_.size(); ++slot)
            program.writes.push_back({static_cast<std::uint8_t>(slot), number(slots_[slot])});
        ScriptInstruction entry;
        entry.op = Shape(statement, program);
        statement.shape = entry.op;
        statement.form = TypedFormOf(statement, program);
        if (statement.form != ScriptTypedForm::None) {
            for (std::uint32_t k = 0; k < statement.stepCount && k < 2; ++k)
                statement.formOps[k] = program.steps[statement.firstStep + k].op;
            statement.highestVariable = HighestVariableOf(statement, program);
        }
        entry.a = static_cast<std::uint32_t>(program.statements.size());
        entry.next = q;
        program.statements.push_back(statement);
        program.instructions[p] = entry;
        return true;
    }

private:
    // The handler for the statement's shape; the generic one but for the
    // shapes named in ScriptOp. The leaves and steps are stored already.
    static ScriptOp Shape(const ScriptStatement& statement, const ScriptProgram& program)
    {
        const ScriptStep* const step = statement.stepCount == 1 ? &program.steps[statement.firstStep] : nullptr;
        const bool unary = step && IsUnaryOp(step->op);
        if (statement.end == ScriptStatementEnd::Assign && statement.leafCount == 2 && !step)
            return ScriptOp::AssignValue;
        if (statement.end == ScriptStatementEnd::Assign && statement.leafCount == 3 && step && !unary
            && step->x == 1 && step->y == 2)
            return ScriptOp::AssignBinary;
        const ScriptStep* const steps = statement.stepCount == 2 ? &program.steps[statement.firstStep] : nullptr;
        const bool test = statement.end == ScriptStatementEnd::JumpIfFalse
            || statement.end == ScriptStatementEnd::JumpIfTrue;
        if (statement.end == ScriptStatementEnd::Assign && statement.leafCount == 4 && steps
            && !IsUnaryOp(steps[0].op) && !IsUnaryOp(steps[1].op) && steps[0].x == 1 && steps[0].y == 2
            && steps[1].x == 4 && steps[1].y == 3)
            return ScriptOp::AssignChain;
        if (test && statement.leafCount == 2 && steps && !IsUnaryOp(steps[0].op) && IsUnaryOp(steps[1].op)
            && steps[0].x == 0 && steps[0].y == 1 && steps[1].x == 2)
            return ScriptOp::TestCompare;
        if (test && statement.leafCount == 1 && statement.stepCount == 0)
            return ScriptOp::TestValue;
        if (test && statement.leafCount == 1 && unary && step->x == 0)
            return ScriptOp::TestUnary;
        if (test && statement.leafCount == 2 && step && !unary && step->x == 0 && step->y == 1)
            return ScriptOp::TestBinary;
        return ScriptOp::Statement;
    }

    struct BuiltStep {
        ScriptOp op;
        std::uint32_t x;
        std::uint32_t y;
    };

    // A push writes the value into the slot above the run's stack top.
    void Push(std::uint32_t id)
    {
        const std::size_t slot = stack_.size();
        if (slots_.size() <= slot)
            slots_.resize(slot + 1);
        slots_[slot] = id;
        stack_.push_back(id);
    }

    std::uint32_t Pop()
    {
        const std::uint32_t top = stack_.back();
        stack_.pop_back();
        return top;
    }

    const std::vector<ScriptInstruction>& decoded_;
    std::uint32_t size_;
    std::vector<std::uint32_t> stack_; // value numbers
    std::vector<std::uint32_t> slots_; // the value each slot holds last
    std::vector<ScriptLeaf> leaves_;
    std::vector<BuiltStep> steps_;
};

} // namespace

void BuildScriptStatements(const std::vector<ScriptInstruction>& decoded, std::uint32_t size, ScriptProgram& program)
{
    StatementBuilder builder(decoded, size);
    for (std::uint32_t p = 0; p < size; ++p) {
        const ScriptOp op = decoded[p].op;
        const bool startsWithPush
            = op == ScriptOp::PushValue || op == ScriptOp::PushVariable || op == ScriptOp::PushObject;
        if (startsWithPush && !IsFused(program.instructions[p].op))
            builder.Build(p, program);
    }
}
