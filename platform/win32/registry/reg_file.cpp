#include "platform/win32/registry/reg_file.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace vls::win32 {

namespace {

constexpr DWORD kRegSz = 1;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegBinary = 3;
constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Trimmed(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string LowerCased(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = Lower(c);
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads a quoted, escaped string starting at text[pos] == '"'; pos ends past
// the closing quote.
bool ReadQuoted(std::string_view text, size_t& pos, std::string& out)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    ++pos;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (pos >= text.size() || (text[pos] != '\\' && text[pos] != '"'))
                return false;
            out += text[pos++];
        } else {
            out += c;
        }
    }
    return false;
}

bool ReadHexBytes(std::string_view text, std::vector<BYTE>& out)
{
    std::string compact;
    for (const char c : text)
        if (c != ' ' && c != '\t')
            compact += c;
    if (compact.empty())
        return true;
    size_t pos = 0;
    for (;;) {
        if (pos + 2 > compact.size())
            return false;
        const int high = HexDigit(compact[pos]);
        const int low = HexDigit(compact[pos + 1]);
        if (high < 0 || low < 0)
            return false;
        out.push_back(static_cast<BYTE>(high * 16 + low));
        pos += 2;
        if (pos == compact.size())
            return true;
        if (compact[pos++] != ',')
            return false;
    }
}

std::optional<RegistryValue> ReadValueData(std::string_view data, std::string* why)
{
    RegistryValue value;
    if (!data.empty() && data[0] == '"') {
        size_t pos = 0;
        std::string text;
        if (!ReadQuoted(data, pos, text) || pos != data.size()) {
            *why = "bad string";
            return std::nullopt;
        }
        value.type = kRegSz;
        value.data.assign(text.begin(), text.end());
        return value;
    }
    if (data.substr(0, 6) == "dword:") {
        const std::string_view digits = data.substr(6);
        if (digits.empty() || digits.size() > 8 || !std::all_of(digits.begin(), digits.end(), [](char c) { return HexDigit(c) >= 0; })) {
            *why = "bad dword";
            return std::nullopt;
        }
        DWORD number = 0;
        for (const char c : digits)
            number = number * 16 + static_cast<DWORD>(HexDigit(c));
        value.type = kRegDword;
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<BYTE>(number >> (8 * i)));
        return value;
    }
    std::string_view bytes;
    if (data.substr(0, 4) == "hex:") {
        value.type = kRegBinary;
        bytes = data.substr(4);
    } else if (data.substr(0, 4) == "hex(") {
        const size_t close = data.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) {
            *why = "bad value type";
            return std::nullopt;
        }
        DWORD type = 0;
        for (size_t i = 4; i < close; ++i) {
            const int digit = HexDigit(data[i]);
            if (digit < 0) {
                *why = "bad value type";
                return std::nullopt;
            }
            type = type * 16 + static_cast<DWORD>(digit);
        }
        value.type = type;
        bytes = data.substr(close + 2);
    } else {
        *why = "unknown value data";
        return std::nullopt;
    }
    if (!ReadHexBytes(bytes, value.data)) {
        *why = "bad hex bytes";
        return std::nullopt;
    }
    return value;
}

std::string Escaped(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string HexList(const std::vector<BYTE>& data)
{
    std::string out;
    char byte[4];
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%s%02x", i ? "," : "", data[i]);
        out += byte;
    }
    return out;
}

std::string FormatValue(const RegistryValue& value)
{
    std::string line = value.name.empty() ? "@" : Escaped(value.name);
    line += '=';
    const bool plainText = value.type == kRegSz
        && std::none_of(value.data.begin(), value.data.end(), [](BYTE b) { return b == '\n' || b == '\r' || b == 0; });
    if (plainText) {
        line += Escaped(std::string(value.data.begin(), value.data.end()));
    } else if (value.type == kRegDword && value.data.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%08x",
            value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (static_cast<DWORD>(value.data[3]) << 24));
        line += number;
    } else if (value.type == kRegBinary) {
        line += "hex:" + HexList(value.data);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        line += prefix + HexList(value.data);
    }
    return line;
}

bool StartsWithUserRoot(std::string_view path)
{
    return path.size() >= kUserRoot.size()
        && std::equal(kUserRoot.begin(), kUserRoot.end(), path.begin(), [](char x, char y) { return Lower(x) == Lower(y); })
        && (path.size() == kUserRoot.size() || path[kUserRoot.size()] == '\\');
}

// Values of HKEY_CURRENT_USER itself sit under the root's own name. A path
// the reader would take for something else (a deletion mark "-", or a path
// that itself starts with the root's name) is written below the root's name,
// so what is written reads back as the same key.
std::string KeyLinePath(const std::string& path)
{
    if (path.empty())
        return std::string(kUserRoot);
    if (path.front() == '-' || StartsWithUserRoot(path))
        return std::string(kUserRoot) + "\\" + path;
    return path;
}

} // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

RegistryKey* RegistryDocument::FindKey(std::string_view path)
{
    for (RegistryKey& key : keys)
        if (EqualsIgnoringAsciiCase(key.path, path))
            return &key;
    return nullptr;
}

const RegistryKey* RegistryDocument::FindKey(std::string_view path) const
{
    return const_cast<RegistryDocument*>(this)->FindKey(path);
}

bool RegistryDocument::HasKey(std::string_view path) const
{
    if (path.empty())
        return true;
    for (const RegistryKey& key : keys) {
        const std::string_view candidate = key.path;
        if (candidate.size() >= path.size() && EqualsIgnoringAsciiCase(candidate.substr(0, path.size()), path)
            && (candidate.size() == path.size() || candidate[path.size()] == '\\'))
            return true;
    }
    return false;
}

RegistryKey& RegistryDocument::AddKey(std::string_view path)
{
    if (RegistryKey* key = FindKey(path))
        return *key;
    keys.push_back(RegistryKey{std::string(path), {}});
    return keys.back();
}

RegistryValue* FindValue(RegistryKey& key, std::string_view name)
{
    for (RegistryValue& value : key.values)
        if (EqualsIgnoringAsciiCase(value.name, name))
            return &value;
    return nullptr;
}

const RegistryValue* FindValue(const RegistryKey& key, std::string_view name)
{
    return FindValue(const_cast<RegistryKey&>(key), name);
}

RegistryDocument ReadRegistryText(std::string_view text, std::vector<std::string>* skipped)
{
    RegistryDocument document;
    // Lower-cased names to their places, so that a file of many keys and
    // values is read in linear time.
    std::unordered_map<std::string, size_t> keyIndex;
    std::vector<std::unordered_map<std::string, size_t>> valueIndex;
    size_t current = 0;
    bool inKey = false;
    // Values under a key line that cannot be read have no key to go to.
    bool inUnreadableKey = false;
    size_t lineNumber = 0;
    size_t pos = 0;
    bool first = true;
    auto skip = [&](const std::string& why) {
        if (skipped)
            skipped->push_back("line " + std::to_string(lineNumber) + ": " + why);
    };
    while (pos < text.size()) {
        // A hex list may go on over lines that end in a backslash.
        std::string line;
        for (;;) {
            const size_t end = std::min(text.find('\n', pos), text.size());
            std::string piece = Trimmed(text.substr(pos, end - pos));
            pos = end + 1;
            ++lineNumber;
            // A line only goes on once its first piece began a hex value.
            const bool continues = !piece.empty() && piece.back() == '\\'
                && (!line.empty() || piece.find("=hex") != std::string::npos);
            if (continues)
                piece.pop_back();
            line += piece;
            if (!continues || pos >= text.size())
                break;
        }
        if (line.find('\0') != std::string::npos) {
            skip("binary data");
            continue;
        }
        if (first && !line.empty()) {
            first = false;
            if (line == kHeader || line == "Windows Registry Editor Version 5.00")
                continue;
        }
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3 || line[1] == '-') {
                skip("bad key line");
                inKey = false;
                inUnreadableKey = true;
                continue;
            }
            std::string path = line.substr(1, line.size() - 2);
            if (path.size() >= kUserRoot.size() && EqualsIgnoringAsciiCase(std::string_view(path).substr(0, kUserRoot.size()), kUserRoot)
                && (path.size() == kUserRoot.size() || path[kUserRoot.size()] == '\\'))
                path.erase(0, kUserRoot.size());
            const size_t begin = path.find_first_not_of('\\');
            path.erase(0, std::min(begin, path.size()));
            while (!path.empty() && path.back() == '\\')
                path.pop_back();
            const auto [at, added] = keyIndex.try_emplace(LowerCased(path), document.keys.size());
            if (added) {
                document.keys.push_back(RegistryKey{path, {}});
                valueIndex.emplace_back();
            }
            current = at->second;
            inKey = true;
            inUnreadableKey = false;
            continue;
        }
        if (!inKey) {
            skip(inUnreadableKey ? "value under an unreadable key" : "value outside a key");
            continue;
        }
        std::string name;
        size_t at = 0;
        if (line[0] == '@') {
            at = 1;
        } else if (!ReadQuoted(line, at, name)) {
            skip("bad value name");
            continue;
        }
        if (at >= line.size() || line[at] != '=') {
            skip("missing '='");
            continue;
        }
        std::string why;
        std::optional<RegistryValue> value = ReadValueData(std::string_view(line).substr(at + 1), &why);
        if (!value) {
            skip(why);
            continue;
        }
        value->name = name;
        std::vector<RegistryValue>& values = document.keys[current].values;
        const auto [slot, added] = valueIndex[current].try_emplace(LowerCased(name), values.size());
        if (added)
            values.push_back(std::move(*value));
        else
            values[slot->second] = std::move(*value);
    }
    return document;
}

std::optional<RegistryDocument> ParseRegistryText(std::string_view text, std::string* error)
{
    std::vector<std::string> skipped;
    RegistryDocument document = ReadRegistryText(text, &skipped);
    if (skipped.empty())
        return document;
    if (error)
        *error = skipped.front();
    return std::nullopt;
}

std::string FormatRegistryText(const RegistryDocument& document)
{
    std::string text = std::string(kHeader) + "\n";
    for (const RegistryKey& key : document.keys) {
        text += "\n[" + KeyLinePath(key.path) + "]\n";
        for (const RegistryValue& value : key.values)
            text += FormatValue(value) + "\n";
    }
    return text;
}

} // namespace vls::win32
