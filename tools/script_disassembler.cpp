#include "tools/script_assembler.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace vls::tools {

namespace {

bool IsPlainName(const std::string& text)
{
    if (text.empty() || text[0] == '#' || text[0] == '"' || text.back() == ':' || text == "-")
        return false;
    for (const char c : text) {
        if (c <= ' ' || c == ';' || c == '"' || c == '\\' || static_cast<unsigned char>(c) >= 0x7F)
            return false;
    }
    return true;
}

std::string Quote(const std::string& text)
{
    if (IsPlainName(text))
        return text;
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < ' ' || byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string TypeName(std::uint32_t type)
{
    static const char* const names[] = {nullptr, "int", "float", "string", "bool", "object", "ref"};
    if (type >= 1 && type <= 6)
        return names[type];
    return std::to_string(type);
}

std::uint32_t Read32(const std::vector<std::uint8_t>& code, std::size_t at)
{
    return std::uint32_t(code[at]) | std::uint32_t(code[at + 1]) << 8 | std::uint32_t(code[at + 2]) << 16
        | std::uint32_t(code[at + 3]) << 24;
}

std::uint16_t Read16(const std::vector<std::uint8_t>& code, std::size_t at)
{
    return static_cast<std::uint16_t>(code[at] | code[at + 1] << 8);
}

struct Instruction {
    std::size_t offset = 0;
    std::size_t length = 1;
    std::string text;
    int jumpTarget = -1;
};

class Disassembler {
public:
    explicit Disassembler(const ScriptStream& stream) : s_(stream)
    {
        std::map<std::string, int> uses;
        for (const ScriptVariableRecord& variable : s_.variables)
            ++uses[variable.name];
        for (const ScriptVariableRecord& variable : s_.variables)
            unique_.push_back(!variable.name.empty() && uses[variable.name] == 1);
    }

    std::string Run();

private:
    std::string VariableText(std::uint32_t index) const
    {
        if (index < s_.variables.size() && unique_[index])
            return Quote(s_.variables[index].name);
        return '#' + std::to_string(index);
    }
    // The operand at `at`; its length in bytes, 0 when it runs past the code.
    std::size_t Operand(std::size_t at, std::string& text) const;
    Instruction Decode(std::size_t at) const;

    const ScriptStream& s_;
    std::vector<bool> unique_;
};

std::size_t Disassembler::Operand(std::size_t at, std::string& text) const
{
    const std::vector<std::uint8_t>& code = s_.code;
    if (at >= code.size())
        return 0;
    const std::uint8_t type = code[at];
    if (type == kScriptString) {
        const void* const nul = std::memchr(code.data() + at + 1, 0, code.size() - at - 1);
        if (!nul)
            return 0;
        const auto length
            = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - (code.data() + at + 1));
        text = "string " + Quote(std::string(reinterpret_cast<const char*>(code.data() + at + 1), length));
        if (IsPlainName(text.substr(7)))
            text = "string \"" + text.substr(7) + "\"";
        return length + 2;
    }
    if (at + 5 > code.size())
        return 0;
    const std::uint32_t raw = Read32(code, at + 1);
    switch (type) {
    case kScriptInteger:
        text = "int " + std::to_string(static_cast<std::int32_t>(raw));
        break;
    case kScriptFloat: {
        float f;
        std::memcpy(&f, &raw, sizeof f);
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(f));
        const float back = std::strtof(buffer, nullptr);
        if (std::isfinite(f) && std::memcmp(&back, &f, sizeof f) == 0)
            text = std::string("float ") + buffer;
        else {
            std::snprintf(buffer, sizeof buffer, "floatbits 0x%08x", raw);
            text = buffer;
        }
        break;
    }
    case kScriptBoolean:
        text = "bool " + std::to_string(raw);
        break;
    case kScriptObject:
        text = "object " + VariableText(raw);
        break;
    case kScriptReference:
        text = "ref " + VariableText(raw);
        break;
    default:
        text = "tag " + std::to_string(type) + " " + std::to_string(raw);
        break;
    }
    return 5;
}

Instruction Disassembler::Decode(std::size_t at) const
{
    static const std::map<std::uint8_t, const char*> plain = {{kOpEnd, "end"}, {kOpAdd, "add"},
        {kOpAssign, "assign"}, {kOpNegate, "neg"}, {kOpMultiply, "mul"}, {kOpDivide, "div"},
        {kOpPushScratch, "pushreg"}, {kOpPopScratch, "popreg"}, {kOpToBoolean, "tobool"}, {kOpOr, "or"},
        {kOpAnd, "and"}, {kOpXor, "xor"}, {kOpNot, "not"}, {kOpTestNonNegative, "nonneg"}, {kOpReturn, "ret"},
        {kOpEqual, "eq"}};
    static const std::map<std::uint8_t, const char*> withOperand
        = {{kOpPush, "push"}, {kOpPushVariable, "pushvar"}, {kOpIncrement, "inc"}, {kOpDecrement, "dec"}};
    static const std::map<std::uint8_t, const char*> jumps
        = {{kOpJump, "jmp"}, {kOpJumpIfFalse, "jz"}, {kOpJumpIfTrue, "jnz"}};

    const std::vector<std::uint8_t>& code = s_.code;
    const std::uint8_t op = code[at];
    Instruction instruction;
    instruction.offset = at;
    char raw[16];
    std::snprintf(raw, sizeof raw, ".byte 0x%02x", op);
    instruction.text = raw;

    if (const auto found = plain.find(op); found != plain.end()) {
        instruction.text = found->second;
    } else if (const auto found = withOperand.find(op); found != withOperand.end()) {
        std::string operand;
        if (const std::size_t length = Operand(at + 1, operand)) {
            instruction.text = std::string(found->second) + " " + operand;
            instruction.length = 1 + length;
        }
    } else if (const auto found = jumps.find(op); found != jumps.end()) {
        if (at + 3 <= code.size()) {
            instruction.jumpTarget = Read16(code, at + 1);
            instruction.text = found->second;
            instruction.length = 3;
        }
    } else if (op == kOpCallNative && at + 7 <= code.size()) {
        const std::uint32_t variable = Read32(code, at + 1);
        const std::uint16_t site = Read16(code, at + 5);
        instruction.text = std::string("native ") + (variable == 0xFFFFFFFFu ? "-" : VariableText(variable)) + " "
            + (site < s_.callSites.size() ? 'c' + std::to_string(site) : '#' + std::to_string(site));
        instruction.length = 7;
    }
    return instruction;
}

std::string Disassembler::Run()
{
    std::string out;
    for (const ScriptVariableRecord& variable : s_.variables) {
        out += "var " + Quote(variable.name) + " " + TypeName(variable.type);
        if (!variable.className.empty())
            out += " class " + Quote(variable.className);
        if (!variable.globalName.empty())
            out += " global " + Quote(variable.globalName);
        out += "\n";
    }
    for (std::size_t i = 0; i < s_.callSites.size(); ++i) {
        const ScriptCallSite& site = s_.callSites[i];
        out += "callsite c" + std::to_string(i) + " " + Quote(site.nativeName) + " "
            + std::to_string(site.argumentCount) + " " + TypeName(site.resultType) + "\n";
    }

    std::vector<Instruction> instructions;
    std::set<std::size_t> starts;
    for (std::size_t at = 0; at < s_.code.size();) {
        instructions.push_back(Decode(at));
        starts.insert(at);
        at += instructions.back().length;
    }
    auto label = [](std::size_t offset) { return 'L' + std::to_string(offset); };
    std::set<std::size_t> labelled;
    for (const ScriptFunction& function : s_.functions) {
        out += "func " + Quote(function.name) + " ";
        if (starts.count(function.offset)) {
            out += label(function.offset);
            labelled.insert(function.offset);
        } else {
            out += std::to_string(function.offset);
        }
        out += "\n";
    }
    for (Instruction& instruction : instructions) {
        if (instruction.jumpTarget < 0)
            continue;
        const auto target = static_cast<std::size_t>(instruction.jumpTarget);
        if (starts.count(target)) {
            instruction.text += " " + label(target);
            labelled.insert(target);
        } else {
            instruction.text += " " + std::to_string(target);
        }
    }
    for (const Instruction& instruction : instructions) {
        if (labelled.count(instruction.offset))
            out += label(instruction.offset) + ":\n";
        out += "    " + instruction.text + "\n";
    }
    return out;
}

} // namespace

std::string DisassembleScript(const ScriptStream& stream) { return Disassembler(stream).Run(); }

} // namespace vls::tools
