// The component text form and its conversion to and from the binary form.

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/vcl/filer.h"

namespace vcl {

namespace {

// ------------------------------------------------------------ binary to text

class BinaryToText {
public:
    BinaryToText(TStream* in, TStream* out) : reader_(in), out_(out) {}

    void Run()
    {
        reader_.ReadSignature();
        Object(0);
    }

private:
    void Put(const AnsiString& s) { out_->WriteBuffer(s.data(), static_cast<std::int32_t>(s.size())); }
    void Line(int indent, const AnsiString& s) { Put(AnsiString(static_cast<size_t>(indent), ' ') + s + "\r\n"); }

    void Object(int indent)
    {
        std::uint8_t prefix = 0;
        reader_.Read(&prefix, 1);
        AnsiString keyword = "object";
        AnsiString position;
        if ((prefix & 0xF0) == 0xF0) {
            if (prefix & 0x01)
                keyword = "inherited";
            else if (prefix & 0x04)
                keyword = "inline";
            if (prefix & 0x02)
                position = " [" + IntToStr(reader_.ReadInteger()) + "]";
        } else {
            reader_.Stream()->Seek(-1, soFromCurrent);
        }
        const AnsiString className = reader_.ReadStr();
        const AnsiString name = reader_.ReadStr();
        Line(indent, keyword + " " + (name.empty() ? className : name + ": " + className) + position);
        while (!reader_.EndOfList()) {
            const AnsiString prop = reader_.ReadStr();
            Put(AnsiString(static_cast<size_t>(indent + 2), ' ') + prop + " = ");
            Value(indent + 2);
            Put("\r\n");
        }
        reader_.ReadListEnd();
        while (!reader_.EndOfList())
            Object(indent + 2);
        reader_.ReadListEnd();
        Line(indent, "end");
    }

    static AnsiString Quoted(const WideString& s)
    {
        if (s.empty())
            return "''";
        AnsiString out;
        bool inQuote = false;
        for (char16_t c : s) {
            if (c >= 0x20 && c < 0x7F) {
                if (!inQuote)
                    out += '\'';
                inQuote = true;
                out += c == u'\'' ? AnsiString("''") : AnsiString(1, static_cast<char>(c));
            } else {
                if (inQuote)
                    out += '\'';
                inQuote = false;
                out += '#' + IntToStr(c);
            }
        }
        if (inQuote)
            out += '\'';
        return out;
    }

    static AnsiString Number(double v)
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", v);
        AnsiString s = buffer;
        if (s.find_first_of(".en") == AnsiString::npos)
            s += ".0";
        return s;
    }

    void Value(int indent)
    {
        const TValueType type = reader_.NextValue();
        switch (type) {
        case vaList: {
            reader_.ReadValue();
            Put("(");
            while (!reader_.EndOfList()) {
                Put("\r\n" + AnsiString(static_cast<size_t>(indent + 2), ' '));
                Value(indent + 2);
            }
            reader_.ReadListEnd();
            Put(")");
            break;
        }
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64: Put(IntToStr(reader_.ReadInteger())); break;
        case vaExtended: Put(Number(reader_.ReadFloat())); break;
        case vaSingle: Put(Number(reader_.ReadFloat()) + "s"); break;
        case vaCurrency: Put(Number(reader_.ReadFloat()) + "c"); break;
        case vaDate: Put(Number(reader_.ReadFloat()) + "d"); break;
        case vaString:
        case vaLString: Put(Quoted(AnsiToWide(reader_.ReadString()))); break;
        case vaWString:
        case vaUTF8String: Put(Quoted(reader_.ReadWideString())); break;
        case vaIdent:
        case vaFalse:
        case vaTrue:
        case vaNil:
        case vaNull: Put(reader_.ReadIdent()); break;
        case vaBinary: {
            reader_.ReadValue();
            std::int32_t n = 0;
            reader_.Read(&n, 4);
            if (n < 0 || n > reader_.Stream()->Size() - reader_.Stream()->Position())
                throw EReadError(consts::SReadError);
            std::vector<std::uint8_t> bytes(static_cast<size_t>(n));
            if (n)
                reader_.Read(bytes.data(), n);
            Put("{");
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (i % 32 == 0)
                    Put("\r\n" + AnsiString(static_cast<size_t>(indent + 2), ' '));
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
                Put(hex);
            }
            Put("}");
            break;
        }
        case vaSet: {
            reader_.ReadValue();
            Put("[");
            bool first = true;
            while (true) {
                const AnsiString ident = reader_.ReadStr();
                if (ident.empty())
                    break;
                Put((first ? "" : ", ") + ident);
                first = false;
            }
            Put("]");
            break;
        }
        case vaCollection: {
            reader_.ReadValue();
            Put("<");
            while (!reader_.EndOfList()) {
                Put("\r\n" + AnsiString(static_cast<size_t>(indent + 2), ' ') + "item");
                const TValueType v = reader_.NextValue();
                if (v == vaInt8 || v == vaInt16 || v == vaInt32)
                    Put(" [" + IntToStr(reader_.ReadInteger()) + "]");
                Put("\r\n");
                reader_.ReadListBegin();
                while (!reader_.EndOfList()) {
                    Put(AnsiString(static_cast<size_t>(indent + 4), ' ') + reader_.ReadStr() + " = ");
                    Value(indent + 4);
                    Put("\r\n");
                }
                reader_.ReadListEnd();
                Put(AnsiString(static_cast<size_t>(indent + 2), ' ') + "end");
            }
            reader_.ReadListEnd();
            Put(">");
            break;
        }
        }
    }

    TReader reader_;
    TStream* out_;
};

// ------------------------------------------------------------ text to binary

enum class Tok { End, Symbol, String, Integer, Float, Char };

class TextParser {
public:
    explicit TextParser(const AnsiString& text) : text_(text) { Next(); }

    Tok Kind() const { return kind_; }
    const AnsiString& Text() const { return token_; }
    const WideString& StringValue() const { return string_; }
    char FloatSuffix() const { return suffix_; }
    bool IsChar(char c) const { return kind_ == Tok::Char && token_.size() == 1 && token_[0] == c; }
    bool IsSymbol(const char* s) const { return kind_ == Tok::Symbol && SameText(token_, s); }

    [[noreturn]] void Error(const char* message) const
    {
        throw EParserError(Format(consts::SParseError, AnsiString(message), static_cast<std::int64_t>(line_)));
    }
    void Expect(char c)
    {
        if (!IsChar(c))
            Error(Format(consts::SCharExpected, AnsiString(1, c)).c_str());
        Next();
    }
    // The integer token's value; a number past 64 bits is bad text like any other.
    std::int64_t IntegerValue() const
    {
        std::int64_t v = 0;
        const char* first = token_.data();
        const char* last = first + token_.size();
        const auto [end, error] = std::from_chars(first, last, v);
        if (error != std::errc() || end != last)
            Error(consts::SNumberExpected);
        return v;
    }
    AnsiString ExpectSymbol()
    {
        if (kind_ != Tok::Symbol)
            Error(consts::SIdentifierExpected);
        AnsiString s = token_;
        Next();
        return s;
    }

    void Next()
    {
        SkipBlanks();
        token_.clear();
        string_.clear();
        suffix_ = 0;
        if (pos_ >= text_.size()) {
            kind_ = Tok::End;
            return;
        }
        const char c = text_[pos_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            while (pos_ < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_' || text_[pos_] == '.'))
                token_ += text_[pos_++];
            kind_ = Tok::Symbol;
            return;
        }
        if (c == '\'' || c == '#') {
            ReadString();
            kind_ = Tok::String;
            return;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || (c == '-' && pos_ + 1 < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])))) {
            token_ += text_[pos_++];
            bool isFloat = false;
            while (pos_ < text_.size()) {
                const char d = text_[pos_];
                if (std::isdigit(static_cast<unsigned char>(d))) {
                    token_ += d;
                } else if (d == '.' || d == 'e' || d == 'E' || ((d == '+' || d == '-') && (token_.back() == 'e' || token_.back() == 'E'))) {
                    isFloat = true;
                    token_ += d;
                } else {
                    break;
                }
                ++pos_;
            }
            if (pos_ < text_.size() && (text_[pos_] == 's' || text_[pos_] == 'c' || text_[pos_] == 'd' ||
                                        text_[pos_] == 'S' || text_[pos_] == 'C' || text_[pos_] == 'D')) {
                suffix_ = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_++])));
                isFloat = true;
            }
            kind_ = isFloat ? Tok::Float : Tok::Integer;
            return;
        }
        token_ = AnsiString(1, c);
        ++pos_;
        kind_ = Tok::Char;
    }

    // The raw hexadecimal digits of a binary block up to its closing brace.
    std::vector<std::uint8_t> ReadHexBlock()
    {
        // The current token is the opening brace; read from the raw text.
        std::vector<std::uint8_t> bytes;
        int high = -1;
        while (pos_ < text_.size() && text_[pos_] != '}') {
            const char c = text_[pos_++];
            if (c == '\n')
                ++line_;
            if (std::isspace(static_cast<unsigned char>(c)))
                continue;
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                Error(consts::SInvalidBinary);
            const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10);
            if (high < 0) {
                high = v;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
                high = -1;
            }
        }
        if (pos_ >= text_.size() || high >= 0)
            Error(consts::SInvalidBinary);
        ++pos_;
        Next();
        return bytes;
    }

private:
    void SkipBlanks()
    {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') {
            if (text_[pos_] == '\n')
                ++line_;
            ++pos_;
        }
    }

    void ReadString()
    {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\'') {
                ++pos_;
                while (true) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
                        Error(consts::SInvalidString);
                    if (text_[pos_] == '\'') {
                        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                            string_ += u'\'';
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    string_ += AnsiToWide(AnsiString(1, text_[pos_++]));
                }
            } else if (c == '#') {
                ++pos_;
                unsigned value = 0;
                const size_t start = pos_;
                while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) && value < 0x10000)
                    value = value * 10 + static_cast<unsigned>(text_[pos_++] - '0');
                if (pos_ == start || value > 0xFFFF)
                    Error(consts::SInvalidString);
                string_ += static_cast<char16_t>(value);
            } else {
                break;
            }
        }
    }

    const AnsiString& text_;
    size_t pos_ = 0;
    int line_ = 1;
    Tok kind_ = Tok::End;
    AnsiString token_;
    WideString string_;
    char suffix_ = 0;
};

class TextToBinary {
public:
    TextToBinary(const AnsiString& text, TStream* out) : parser_(text), writer_(out) {}

    void Run()
    {
        writer_.WriteSignature();
        Object();
    }

private:
    void Object()
    {
        std::uint8_t flags = 0;
        if (parser_.IsSymbol("inherited"))
            flags |= 0x01;
        else if (parser_.IsSymbol("inline"))
            flags |= 0x04;
        else if (!parser_.IsSymbol("object"))
            parser_.Error("'object' erwartet");
        parser_.Next();
        AnsiString name;
        AnsiString className = parser_.ExpectSymbol();
        if (parser_.IsChar(':')) {
            parser_.Next();
            name = className;
            className = parser_.ExpectSymbol();
        }
        std::int64_t position = 0;
        bool hasPosition = false;
        if (parser_.IsChar('[')) {
            parser_.Next();
            if (parser_.Kind() != Tok::Integer)
                parser_.Error(consts::SNumberExpected);
            position = parser_.IntegerValue();
            hasPosition = true;
            parser_.Next();
            parser_.Expect(']');
        }
        if (hasPosition)
            flags |= 0x02;
        if (flags) {
            const std::uint8_t prefix = 0xF0 | flags;
            writer_.Write(&prefix, 1);
            if (hasPosition)
                writer_.WriteInteger(position);
        }
        writer_.WriteStr(className);
        writer_.WriteStr(name);
        while (!IsObjectStart() && !parser_.IsSymbol("end")) {
            if (parser_.Kind() == Tok::End)
                parser_.Error("'end' erwartet");
            Property();
        }
        writer_.WriteListEnd();
        while (IsObjectStart())
            Object();
        writer_.WriteListEnd();
        if (!parser_.IsSymbol("end"))
            parser_.Error("'end' erwartet");
        parser_.Next();
    }

    bool IsObjectStart() const
    {
        return parser_.IsSymbol("object") || parser_.IsSymbol("inherited") || parser_.IsSymbol("inline");
    }

    void Property()
    {
        writer_.WriteStr(parser_.ExpectSymbol());
        parser_.Expect('=');
        Value();
    }

    void WriteText(const WideString& s)
    {
        const bool wide = std::any_of(s.begin(), s.end(), [](char16_t c) { return c > 0xFF; });
        if (wide) {
            writer_.WriteWideString(s);
            return;
        }
        AnsiString bytes;
        for (char16_t c : s)
            bytes += static_cast<char>(c);
        writer_.WriteString(bytes);
    }

    void Value()
    {
        switch (parser_.Kind()) {
        case Tok::Integer: {
            writer_.WriteInteger(parser_.IntegerValue());
            parser_.Next();
            return;
        }
        case Tok::Float: {
            const double v = std::strtod(parser_.Text().c_str(), nullptr);
            switch (parser_.FloatSuffix()) {
            case 's': {
                writer_.WriteValue(vaSingle);
                const float f = static_cast<float>(v);
                writer_.Write(&f, 4);
                break;
            }
            case 'c': {
                writer_.WriteValue(vaCurrency);
                const auto c = static_cast<std::int64_t>(std::llround(v * 10000.0));
                writer_.Write(&c, 8);
                break;
            }
            case 'd': {
                writer_.WriteValue(vaDate);
                std::uint8_t e[10];
                DoubleToExtended(v, e);
                writer_.Write(e, 10);
                break;
            }
            default: writer_.WriteFloat(v); break;
            }
            parser_.Next();
            return;
        }
        case Tok::String: {
            WideString s = parser_.StringValue();
            parser_.Next();
            while (parser_.IsChar('+')) {
                parser_.Next();
                if (parser_.Kind() != Tok::String)
                    parser_.Error(consts::SStringExpected);
                s += parser_.StringValue();
                parser_.Next();
            }
            WriteText(s);
            return;
        }
        case Tok::Symbol:
            writer_.WriteIdent(parser_.Text());
            parser_.Next();
            return;
        case Tok::Char: break;
        case Tok::End: parser_.Error("Wert erwartet");
        }
        if (parser_.IsChar('[')) {
            parser_.Next();
            writer_.WriteValue(vaSet);
            while (!parser_.IsChar(']')) {
                writer_.WriteStr(parser_.ExpectSymbol());
                if (parser_.IsChar(','))
                    parser_.Next();
                else if (!parser_.IsChar(']'))
                    parser_.Error(Format(consts::SCharExpected, AnsiString("]")).c_str());
            }
            writer_.WriteStr("");
            parser_.Next();
        } else if (parser_.IsChar('(')) {
            parser_.Next();
            writer_.WriteListBegin();
            while (!parser_.IsChar(')')) {
                if (parser_.Kind() == Tok::End)
                    parser_.Error(Format(consts::SCharExpected, AnsiString(")")).c_str());
                Value();
            }
            writer_.WriteListEnd();
            parser_.Next();
        } else if (parser_.IsChar('{')) {
            const std::vector<std::uint8_t> bytes = parser_.ReadHexBlock();
            writer_.WriteValue(vaBinary);
            const auto n = static_cast<std::int32_t>(bytes.size());
            writer_.Write(&n, 4);
            if (n)
                writer_.Write(bytes.data(), n);
        } else if (parser_.IsChar('<')) {
            parser_.Next();
            writer_.WriteValue(vaCollection);
            while (!parser_.IsChar('>')) {
                if (!parser_.IsSymbol("item"))
                    parser_.Error("'item' erwartet");
                parser_.Next();
                if (parser_.IsChar('[')) {
                    parser_.Next();
                    if (parser_.Kind() != Tok::Integer)
                        parser_.Error(consts::SNumberExpected);
                    writer_.WriteInteger(parser_.IntegerValue());
                    parser_.Next();
                    parser_.Expect(']');
                }
                writer_.WriteListBegin();
                while (!parser_.IsSymbol("end")) {
                    if (parser_.Kind() == Tok::End)
                        parser_.Error("'end' erwartet");
                    Property();
                }
                parser_.Next();
                writer_.WriteListEnd();
            }
            writer_.WriteListEnd();
            parser_.Next();
        } else {
            parser_.Error("Wert erwartet");
        }
    }

    TextParser parser_;
    TWriter writer_;
};

}  // namespace

void ObjectBinaryToText(TStream* input, TStream* output)
{
    BinaryToText(input, output).Run();
}

void ObjectTextToBinary(TStream* input, TStream* output)
{
    const std::int64_t size = input->Size() - input->Position();
    AnsiString text(static_cast<size_t>(std::max<std::int64_t>(0, size)), '\0');
    if (!text.empty())
        input->ReadBuffer(text.data(), static_cast<std::int32_t>(text.size()));
    TextToBinary(text, output).Run();
}

}  // namespace vcl
