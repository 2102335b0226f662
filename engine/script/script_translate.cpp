#include "engine/script/script_format.h"
#include "engine/script/script_program.h"
#include "engine/script/script_typed.h"

#include <atomic>
#include <iterator>

namespace {

std::uint32_t LoadLittle32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

class Translator {
public:
    Translator(const std::uint8_t* code, std::uint32_t size, std::int32_t variableCount, bool fuse)
        : code_(code), size_(size), variableCount_(variableCount), fuse_(fuse), nul_(size + 1)
    {
        // The first NUL at or after each offset, so that no string operand
        // is scanned more than once however many offsets start inside it.
        nul_[size] = size;
        for (std::uint32_t i = size; i-- > 0;)
            nul_[i] = code[i] == 0 ? i : nul_[i + 1];
    }

    ScriptProgram Run()
    {
        static std::atomic<std::uint64_t> translations{0};
        ScriptProgram out;
        out.serial = ++translations;
        std::vector<ScriptInstruction>& program = out.instructions;
        program.resize(static_cast<std::size_t>(size_) + 1);
        for (std::uint32_t p = 0; p < size_; ++p)
            program[p] = Decode(p);
        program[size_] = Fail(ScriptOp::FailOverrun, size_);
        out.reversedCode.assign(std::make_reverse_iterator(code_ + size_), std::make_reverse_iterator(code_));
        if (!fuse_)
            return out;
        const std::vector<ScriptInstruction> decoded = program;
        for (std::uint32_t p = 0; p < size_; ++p)
            Fuse(program, p);
        BuildScriptStatements(decoded, size_, out);
        BuildScriptFastCode(out, decoded, size_, variableCount_);
        return out;
    }

private:
    static ScriptInstruction Fail(ScriptOp op, std::uint32_t pc)
    {
        ScriptInstruction in;
        in.op = op;
        in.next = pc;
        return in;
    }

    bool ValidVariable(std::uint32_t raw) const { return static_cast<std::int32_t>(raw) >= 0 && variableCount_ > 0; }

    // The typed operand at q, as an instruction with op PushValue, PushText
    // or PushObject, or the failure that decoding it meets.
    ScriptInstruction Operand(std::uint32_t q) const
    {
        if (q >= size_)
            return Fail(ScriptOp::FailOverrun, q);
        ScriptInstruction in;
        in.type = code_[q];
        if (in.type == kScriptString) {
            const std::uint32_t end = nul_[q + 1];
            if (end >= size_)
                return Fail(ScriptOp::FailOverrun, q + 1);
            in.op = ScriptOp::PushText;
            in.a = q + 1;
            in.b = end - (q + 1);
            in.next = end + 1;
            return in;
        }
        if (size_ - (q + 1) < 4)
            return Fail(ScriptOp::FailOverrun, q + 1);
        const std::uint32_t raw = LoadLittle32(code_ + q + 1);
        in.next = q + 5;
        in.op = ScriptOp::PushValue;
        switch (in.type) {
        case kScriptInteger:
        case kScriptFloat:
            in.a = raw;
            break;
        case kScriptBoolean:
            in.a = raw != 0;
            break;
        case kScriptObject:
        case kScriptReference:
            if (!ValidVariable(raw))
                return Fail(ScriptOp::FailBadVariable, q + 5);
            in.op = in.type == kScriptObject ? ScriptOp::PushObject : ScriptOp::PushValue;
            in.a = raw;
            break;
        default:
            in.a = in.type;
            break;
        }
        return in;
    }

    ScriptInstruction Simple(ScriptOp op, std::uint32_t p) const
    {
        ScriptInstruction in;
        in.op = op;
        in.next = p + 1;
        return in;
    }

    ScriptInstruction JumpTo(std::uint32_t p, ScriptOp inside, ScriptOp outside) const
    {
        if (p + 1 > size_ || size_ - (p + 1) < 2)
            return Fail(ScriptOp::FailOverrun, p + 1);
        ScriptInstruction in;
        in.a = static_cast<std::uint32_t>(code_[p + 1] | code_[p + 2] << 8);
        in.op = in.a < size_ ? inside : outside;
        in.next = p + 3;
        return in;
    }

    ScriptInstruction Decode(std::uint32_t p) const
    {
        switch (code_[p]) {
        case kOpPush:
            return Operand(p + 1);
        case kOpPushVariable: {
            ScriptInstruction in = Operand(p + 1);
            if (in.op == ScriptOp::PushValue && in.type == kScriptReference)
                in.op = ScriptOp::PushVariable;
            return in;
        }
        case kOpIncrement:
        case kOpDecrement: {
            ScriptInstruction in = Operand(p + 1);
            if (in.op == ScriptOp::FailOverrun || in.op == ScriptOp::FailBadVariable)
                return in;
            if (in.op == ScriptOp::PushObject)
                in.op = ScriptOp::TouchObject;
            else if (in.type == kScriptReference)
                in.op = code_[p] == kOpIncrement ? ScriptOp::Increment : ScriptOp::Decrement;
            else
                in.op = ScriptOp::Nop;
            return in;
        }
        case kOpAdd:
            return Simple(ScriptOp::Add, p);
        case kOpAssign:
            return Simple(ScriptOp::Assign, p);
        case kOpNegate:
            return Simple(ScriptOp::Negate, p);
        case kOpMultiply:
            return Simple(ScriptOp::Multiply, p);
        case kOpDivide:
            return Simple(ScriptOp::Divide, p);
        case kOpPushScratch:
            return Simple(ScriptOp::PushScratch, p);
        case kOpPopScratch:
            return Simple(ScriptOp::PopScratch, p);
        case kOpToBoolean:
            return Simple(ScriptOp::ToBoolean, p);
        case kOpOr:
            return Simple(ScriptOp::Or, p);
        case kOpAnd:
            return Simple(ScriptOp::And, p);
        case kOpXor:
            return Simple(ScriptOp::Xor, p);
        case kOpNot:
            return Simple(ScriptOp::Not, p);
        case kOpTestNonNegative:
            return Simple(ScriptOp::TestNonNegative, p);
        case kOpJump:
            return JumpTo(p, ScriptOp::Jump, ScriptOp::JumpOutside);
        case kOpJumpIfFalse:
            return JumpTo(p, ScriptOp::JumpIfFalse, ScriptOp::JumpIfFalseOutside);
        case kOpJumpIfTrue:
            return JumpTo(p, ScriptOp::JumpIfTrue, ScriptOp::JumpIfTrueOutside);
        case kOpReturn:
            return Simple(ScriptOp::Return, p);
        case kOpEqual:
            return Simple(ScriptOp::Equal, p);
        case kOpEnd:
            return Simple(ScriptOp::End, p);
        case kOpCallNative: {
            if (size_ - (p + 1) < 6)
                return Fail(ScriptOp::FailOverrun, p + 1);
            ScriptInstruction in;
            in.op = ScriptOp::CallNative;
            in.a = LoadLittle32(code_ + p + 1);
            in.b = static_cast<std::uint32_t>(code_[p + 5] | code_[p + 6] << 8);
            in.next = p + 7;
            return in;
        }
        default:
            return Simple(ScriptOp::Unsupported, p);
        }
    }

    // The fused forms, each only where every instruction of its idiom
    // decoded as the idiom needs; the entries inside the idiom stay as they
    // are, for jumps and resume points that land there.
    void Fuse(std::vector<ScriptInstruction>& program, std::uint32_t p) const
    {
        const auto at = [&](std::uint32_t offset) -> const ScriptInstruction* {
            return offset < size_ ? &program[offset] : nullptr;
        };
        // push and pushvar of an operand that is no reference do the same.
        const auto isIntegerPush = [](const ScriptInstruction* in) {
            return in && in->op == ScriptOp::PushValue && in->type == kScriptInteger;
        };
        ScriptInstruction& first = program[p];
        const std::uint32_t step = kTypedInstructionLength;
        if (first.op == ScriptOp::PushValue && first.type == kScriptReference) {
            const ScriptInstruction* const load = at(p + step);
            const ScriptInstruction* const constant = at(p + 2 * step);
            const ScriptInstruction* const add = at(p + 3 * step);
            const ScriptInstruction* const assign = at(p + 3 * step + 1);
            if (load && load->op == ScriptOp::PushVariable && load->a == first.a && isIntegerPush(constant) && add
                && add->op == ScriptOp::Add && assign && assign->op == ScriptOp::Assign) {
                const std::uint32_t k = constant->a;
                first = ScriptInstruction{};
                first.op = ScriptOp::AddToVariable;
                first.a = load->a;
                first.b = k;
                first.next = p + kAddToVariableLength;
            }
            return;
        }
        if (first.op == ScriptOp::PushVariable) {
            const ScriptInstruction* const constant = at(p + step);
            const ScriptInstruction* const equal = at(p + 2 * step);
            const ScriptInstruction* const jump = at(p + 2 * step + 1);
            if (isIntegerPush(constant) && equal && equal->op == ScriptOp::Equal && jump
                && (jump->op == ScriptOp::JumpIfFalse || jump->op == ScriptOp::JumpIfTrue)) {
                const bool whenTrue = jump->op == ScriptOp::JumpIfTrue;
                const auto target = static_cast<std::uint16_t>(jump->a);
                const std::uint32_t variable = first.a;
                const std::uint32_t k = constant->a;
                first = ScriptInstruction{};
                first.op = whenTrue ? ScriptOp::VariableEqualsJumpIfTrue : ScriptOp::VariableEqualsJumpIfFalse;
                first.a = variable;
                first.b = k;
                first.target = target;
                first.next = p + kVariableEqualsJumpLength;
            }
        }
    }

    const std::uint8_t* code_;
    std::uint32_t size_;
    std::int32_t variableCount_;
    bool fuse_;
    std::vector<std::uint32_t> nul_;
};

} // namespace

ScriptProgram TranslateScript(
    const std::uint8_t* code, std::uint32_t size, std::int32_t variableCount, bool fuse)
{
    return Translator(code, size, variableCount, fuse).Run();
}
