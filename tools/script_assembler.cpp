#include "tools/script_assembler.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>

namespace vls::tools {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool Tokenise(const std::string& line, std::vector<Token>& tokens, std::string& error)
{
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ';')
            break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token token;
        if (c == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char ch = line[i++];
                if (ch == '"') {
                    closed = true;
                    break;
                }
                if (ch == '\\' && i < line.size()) {
                    const char e = line[i++];
                    if (e == 'n')
                        ch = '\n';
                    else if (e == 't')
                        ch = '\t';
                    else if (e == 'x' && i + 2 <= line.size()) {
                        ch = static_cast<char>(std::strtoul(line.substr(i, 2).c_str(), nullptr, 16));
                        i += 2;
                    } else
                        ch = e;
                }
                token.text.push_back(ch);
            }
            if (!closed) {
                error = "unterminated string";
                return false;
            }
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])) && line[i] != ';')
                token.text.push_back(line[i++]);
        }
        tokens.push_back(token);
    }
    return true;
}

std::optional<std::int64_t> ParseInteger(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (*end != 0)
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> ParseTypeName(const std::string& text)
{
    static const std::map<std::string, std::uint32_t> names = {{"int", kScriptInteger}, {"float", kScriptFloat},
        {"string", kScriptString}, {"bool", kScriptBoolean}, {"object", kScriptObject}, {"ref", kScriptReference}};
    const auto found = names.find(text);
    if (found != names.end())
        return found->second;
    if (const auto number = ParseInteger(text))
        return static_cast<std::uint32_t>(*number);
    return std::nullopt;
}

const std::map<std::string, std::uint8_t>& PlainOpcodes()
{
    static const std::map<std::string, std::uint8_t> opcodes = {{"end", kOpEnd}, {"add", kOpAdd},
        {"assign", kOpAssign}, {"neg", kOpNegate}, {"mul", kOpMultiply}, {"div", kOpDivide},
        {"pushreg", kOpPushScratch}, {"popreg", kOpPopScratch}, {"tobool", kOpToBoolean}, {"or", kOpOr},
        {"and", kOpAnd}, {"xor", kOpXor}, {"not", kOpNot}, {"nonneg", kOpTestNonNegative}, {"ret", kOpReturn},
        {"eq", kOpEqual}};
    return opcodes;
}

const std::map<std::string, std::uint8_t>& OperandOpcodes()
{
    static const std::map<std::string, std::uint8_t> opcodes
        = {{"push", kOpPush}, {"pushvar", kOpPushVariable}, {"inc", kOpIncrement}, {"dec", kOpDecrement}};
    return opcodes;
}

const std::map<std::string, std::uint8_t>& JumpOpcodes()
{
    static const std::map<std::string, std::uint8_t> opcodes
        = {{"jmp", kOpJump}, {"jz", kOpJumpIfFalse}, {"jnz", kOpJumpIfTrue}};
    return opcodes;
}

class Assembler {
public:
    explicit Assembler(ScriptStream& out) : out_(out) {}

    bool Line(const std::vector<Token>& t, std::string& error);
    bool Finish(std::string& error);

private:
    struct Fixup {
        std::size_t at;
        std::string label;
        int line;
        bool function;
    };

    void Emit8(std::uint8_t v) { out_.code.push_back(v); }
    void Emit16(std::uint16_t v)
    {
        Emit8(static_cast<std::uint8_t>(v));
        Emit8(static_cast<std::uint8_t>(v >> 8));
    }
    void Emit32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            Emit8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    bool Variable(const Token& token, std::uint32_t& index, std::string& error) const;
    bool Operand(const std::vector<Token>& t, std::size_t at, std::string& error);
    bool Target(const Token& token, std::string& error);

    ScriptStream& out_;
    std::map<std::string, std::uint32_t> labels_;
    std::map<std::string, std::uint32_t> callSiteNames_;
    std::vector<Fixup> fixups_;
    std::vector<std::pair<std::size_t, std::string>> functionTargets_;

public:
    int line = 0;
};

bool Assembler::Variable(const Token& token, std::uint32_t& index, std::string& error) const
{
    if (!token.quoted && token.text.size() > 1 && token.text[0] == '#') {
        if (const auto number = ParseInteger(token.text.substr(1))) {
            index = static_cast<std::uint32_t>(*number);
            return true;
        }
    }
    for (std::size_t i = 0; i < out_.variables.size(); ++i) {
        if (out_.variables[i].name == token.text) {
            index = static_cast<std::uint32_t>(i);
            return true;
        }
    }
    error = "unknown variable " + token.text;
    return false;
}

bool Assembler::Operand(const std::vector<Token>& t, std::size_t at, std::string& error)
{
    if (at + 1 >= t.size()) {
        error = "operand needs a type and a value";
        return false;
    }
    const std::string& kind = t[at].text;
    const Token& value = t[at + 1];
    if (kind == "string") {
        Emit8(kScriptString);
        for (const char c : value.text)
            Emit8(static_cast<std::uint8_t>(c));
        Emit8(0);
        return true;
    }
    if (kind == "object" || kind == "ref") {
        std::uint32_t index;
        if (!Variable(value, index, error))
            return false;
        Emit8(kind == "object" ? kScriptObject : kScriptReference);
        Emit32(index);
        return true;
    }
    if (kind == "float") {
        char* end = nullptr;
        const float f = std::strtof(value.text.c_str(), &end);
        if (*end != 0) {
            error = "bad float " + value.text;
            return false;
        }
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        Emit8(kScriptFloat);
        Emit32(bits);
        return true;
    }
    if (kind == "bool" && (value.text == "true" || value.text == "false")) {
        Emit8(kScriptBoolean);
        Emit32(value.text == "true" ? 1 : 0);
        return true;
    }
    if (kind == "tag") {
        const auto tag = ParseInteger(value.text);
        const auto raw = at + 2 < t.size() ? ParseInteger(t[at + 2].text) : std::nullopt;
        if (!tag || !raw) {
            error = "tag needs a type byte and a 32-bit value";
            return false;
        }
        Emit8(static_cast<std::uint8_t>(*tag));
        Emit32(static_cast<std::uint32_t>(*raw));
        return true;
    }
    const auto number = ParseInteger(value.text);
    if (!number) {
        error = "bad number " + value.text;
        return false;
    }
    if (kind == "int")
        Emit8(kScriptInteger);
    else if (kind == "floatbits")
        Emit8(kScriptFloat);
    else if (kind == "bool")
        Emit8(kScriptBoolean);
    else {
        error = "unknown operand type " + kind;
        return false;
    }
    Emit32(static_cast<std::uint32_t>(*number));
    return true;
}

bool Assembler::Target(const Token& token, std::string& error)
{
    if (const auto number = ParseInteger(token.text); number && !token.quoted) {
        if (*number < 0 || *number > 0xFFFF) {
            error = "jump target out of range";
            return false;
        }
        Emit16(static_cast<std::uint16_t>(*number));
        return true;
    }
    fixups_.push_back({out_.code.size(), token.text, line, false});
    Emit16(0);
    return true;
}

bool Assembler::Line(const std::vector<Token>& t, std::string& error)
{
    if (t.empty())
        return true;
    const std::string& head = t[0].text;
    if (!t[0].quoted && head.size() > 1 && head.back() == ':' && t.size() == 1) {
        labels_[head.substr(0, head.size() - 1)] = static_cast<std::uint32_t>(out_.code.size());
        return true;
    }
    if (head == "var") {
        if (t.size() < 3) {
            error = "var NAME TYPE";
            return false;
        }
        ScriptVariableRecord record;
        record.name = t[1].text;
        const auto type = ParseTypeName(t[2].text);
        if (!type) {
            error = "unknown type " + t[2].text;
            return false;
        }
        record.type = *type;
        for (std::size_t i = 3; i + 1 < t.size(); i += 2) {
            if (t[i].text == "class")
                record.className = t[i + 1].text;
            else if (t[i].text == "global")
                record.globalName = t[i + 1].text;
            else {
                error = "unknown var attribute " + t[i].text;
                return false;
            }
        }
        out_.variables.push_back(record);
        return true;
    }
    if (head == "callsite") {
        if (t.size() != 5) {
            error = "callsite NAME NATIVE ARGS RESULT";
            return false;
        }
        ScriptCallSite site;
        site.nativeName = t[2].text;
        const auto args = ParseInteger(t[3].text);
        const auto result = ParseTypeName(t[4].text);
        if (!args || !result) {
            error = "bad callsite counts";
            return false;
        }
        site.argumentCount = static_cast<std::uint32_t>(*args);
        site.resultType = *result;
        callSiteNames_[t[1].text] = static_cast<std::uint32_t>(out_.callSites.size());
        out_.callSites.push_back(site);
        return true;
    }
    if (head == "func") {
        if (t.size() < 2) {
            error = "func NAME [TARGET]";
            return false;
        }
        ScriptFunction function;
        function.name = t[1].text;
        function.offset = static_cast<std::uint32_t>(out_.code.size());
        if (t.size() > 2) {
            if (const auto number = ParseInteger(t[2].text); number && !t[2].quoted)
                function.offset = static_cast<std::uint32_t>(*number);
            else
                functionTargets_.push_back({out_.functions.size(), t[2].text});
        }
        out_.functions.push_back(function);
        return true;
    }
    if (const auto plain = PlainOpcodes().find(head); plain != PlainOpcodes().end()) {
        Emit8(plain->second);
        return true;
    }
    if (const auto withOperand = OperandOpcodes().find(head); withOperand != OperandOpcodes().end()) {
        Emit8(withOperand->second);
        return Operand(t, 1, error);
    }
    if (const auto jump = JumpOpcodes().find(head); jump != JumpOpcodes().end()) {
        if (t.size() != 2) {
            error = head + " TARGET";
            return false;
        }
        Emit8(jump->second);
        return Target(t[1], error);
    }
    if (head == "native") {
        if (t.size() != 3) {
            error = "native VAR CALLSITE";
            return false;
        }
        std::uint32_t variable = 0xFFFFFFFFu;
        if (t[1].text != "-" && !Variable(t[1], variable, error))
            return false;
        std::uint32_t site;
        if (const auto found = callSiteNames_.find(t[2].text); found != callSiteNames_.end())
            site = found->second;
        else if (t[2].text.size() > 1 && t[2].text[0] == '#' && ParseInteger(t[2].text.substr(1)))
            site = static_cast<std::uint32_t>(*ParseInteger(t[2].text.substr(1)));
        else {
            error = "unknown call site " + t[2].text;
            return false;
        }
        Emit8(kOpCallNative);
        Emit32(variable);
        Emit16(static_cast<std::uint16_t>(site));
        return true;
    }
    if (head == ".byte" || head == ".u16" || head == ".u32") {
        for (std::size_t i = 1; i < t.size(); ++i) {
            const auto number = ParseInteger(t[i].text);
            if (!number) {
                error = "bad number " + t[i].text;
                return false;
            }
            if (head == ".byte")
                Emit8(static_cast<std::uint8_t>(*number));
            else if (head == ".u16")
                Emit16(static_cast<std::uint16_t>(*number));
            else
                Emit32(static_cast<std::uint32_t>(*number));
        }
        return true;
    }
    error = "unknown statement " + head;
    return false;
}

bool Assembler::Finish(std::string& error)
{
    for (const Fixup& fixup : fixups_) {
        const auto found = labels_.find(fixup.label);
        if (found == labels_.end() || found->second > 0xFFFF) {
            error = "line " + std::to_string(fixup.line) + ": unknown or unreachable label " + fixup.label;
            return false;
        }
        out_.code[fixup.at] = static_cast<std::uint8_t>(found->second);
        out_.code[fixup.at + 1] = static_cast<std::uint8_t>(found->second >> 8);
    }
    for (const auto& [index, label] : functionTargets_) {
        const auto found = labels_.find(label);
        if (found == labels_.end()) {
            error = "unknown label " + label;
            return false;
        }
        out_.functions[index].offset = found->second;
    }
    return true;
}

} // namespace

bool AssembleScript(const std::string& source, ScriptStream& out, std::string& error)
{
    out = ScriptStream{};
    Assembler assembler(out);
    std::size_t start = 0;
    while (start <= source.size()) {
        std::size_t end = source.find('\n', start);
        if (end == std::string::npos)
            end = source.size();
        ++assembler.line;
        std::vector<Token> tokens;
        std::string lineError;
        if (!Tokenise(source.substr(start, end - start), tokens, lineError)
            || !assembler.Line(tokens, lineError)) {
            error = "line " + std::to_string(assembler.line) + ": " + lineError;
            return false;
        }
        start = end + 1;
    }
    return assembler.Finish(error);
}

std::vector<std::uint8_t> AssembleScriptBytes(const std::string& source)
{
    ScriptStream stream;
    std::string error;
    if (!AssembleScript(source, stream, error))
        throw std::runtime_error(error);
    return EncodeScriptStream(stream);
}

} // namespace vls::tools
