#include "platform/vcl/sysutils.h"

#include "platform/win32/kernel/code_pages.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/win32/kernel/last_error.h"

namespace vcl {

namespace {

std::int64_t AsInt(const FormatArg& a)
{
    if (const auto* i = std::get_if<std::int64_t>(&a))
        return *i;
    throw EConvertError("Format: ungültiges Argument");
}

double AsFloat(const FormatArg& a)
{
    if (const auto* d = std::get_if<double>(&a))
        return *d;
    if (const auto* i = std::get_if<std::int64_t>(&a))
        return static_cast<double>(*i);
    throw EConvertError("Format: ungültiges Argument");
}

}  // namespace

AnsiString FormatList(const AnsiString& format, const std::vector<FormatArg>& args)
{
    AnsiString out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out.push_back(format[i]);
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        size_t j = i + 1;
        std::string directive = "%";
        while (j < format.size() && (format[j] == '-' || std::isdigit(static_cast<unsigned char>(format[j])) || format[j] == '.'))
            directive.push_back(format[j++]);
        if (j >= format.size())
            throw EConvertError("Format '" + format + "' ungültig oder nicht kompatibel mit Argument");
        const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(format[j])));
        if (next >= args.size())
            throw EConvertError("Format '" + format + "' ungültig oder nicht kompatibel mit Argument");
        const FormatArg& arg = args[next++];
        char buffer[512];
        switch (type) {
        case 'd':
            std::snprintf(buffer, sizeof buffer, (directive + "lld").c_str(), static_cast<long long>(AsInt(arg)));
            break;
        case 'u':
            std::snprintf(buffer, sizeof buffer, (directive + "llu").c_str(), static_cast<unsigned long long>(AsInt(arg)) & 0xFFFFFFFFull);
            break;
        case 'x':
            std::snprintf(buffer, sizeof buffer, (directive + "llX").c_str(), static_cast<unsigned long long>(AsInt(arg)));
            break;
        case 'f':
        case 'g':
        case 'e':
            std::snprintf(buffer, sizeof buffer, (directive + type).c_str(), AsFloat(arg));
            break;
        case 's': {
            const auto* s = std::get_if<AnsiString>(&arg);
            if (!s)
                throw EConvertError("Format '" + format + "' ungültig oder nicht kompatibel mit Argument");
            std::snprintf(buffer, sizeof buffer, (directive + "s").c_str(), "");
            AnsiString text = *s;
            // Width and precision on strings, applied here so long texts are not cut at the buffer.
            const size_t dot = directive.find('.');
            if (dot != std::string::npos)
                text = text.substr(0, static_cast<size_t>(std::atoi(directive.c_str() + dot + 1)));
            const bool left = directive.find('-') != std::string::npos;
            const int width = std::atoi(directive.c_str() + 1 + (left ? 1 : 0));
            if (static_cast<int>(text.size()) < width)
                text = left ? text + AnsiString(width - text.size(), ' ') : AnsiString(width - text.size(), ' ') + text;
            out += text;
            i = j;
            continue;
        }
        default: throw EConvertError("Format '" + format + "' ungültig oder nicht kompatibel mit Argument");
        }
        out += buffer;
        i = j;
    }
    return out;
}

AnsiString IntToStr(std::int64_t value) { return std::to_string(value); }

AnsiString IntToHex(std::int64_t value, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

bool TryStrToInt(const AnsiString& s, int& value)
{
    const AnsiString t = Trim(s);
    if (t.empty())
        return false;
    char* end = nullptr;
    long long v;
    if (t[0] == '$')
        v = std::strtoll(t.c_str() + 1, &end, 16);
    else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        v = std::strtoll(t.c_str() + 2, &end, 16);
    else
        v = std::strtoll(t.c_str(), &end, 10);
    if (!end || *end != 0 || end == t.c_str() || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const AnsiString& s)
{
    int v = 0;
    if (!TryStrToInt(s, v))
        throw EConvertError("'" + s + "' ist kein gültiger Integerwert");
    return v;
}

int StrToIntDef(const AnsiString& s, int fallback)
{
    int v = 0;
    return TryStrToInt(s, v) ? v : fallback;
}

AnsiString FloatToStr(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

AnsiString TrimLeft(const AnsiString& s)
{
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
        ++i;
    return s.substr(i);
}

AnsiString TrimRight(const AnsiString& s)
{
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ')
        --n;
    return s.substr(0, n);
}

AnsiString Trim(const AnsiString& s) { return TrimLeft(TrimRight(s)); }

AnsiString LowerCase(const AnsiString& s)
{
    AnsiString r = s;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return r;
}

AnsiString UpperCase(const AnsiString& s)
{
    AnsiString r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return r;
}

namespace {

unsigned char AnsiLower(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E)
        return static_cast<unsigned char>(c + 16);
    if (c == 0x9F)
        return 0xFF;
    return c;
}

unsigned char AnsiUpper(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E)
        return static_cast<unsigned char>(c - 16);
    if (c == 0xFF)
        return 0x9F;
    return c;
}

}  // namespace

AnsiString AnsiLowerCase(const AnsiString& s)
{
    AnsiString r = s;
    for (char& c : r)
        c = static_cast<char>(AnsiLower(static_cast<unsigned char>(c)));
    return r;
}

AnsiString AnsiUpperCase(const AnsiString& s)
{
    AnsiString r = s;
    for (char& c : r)
        c = static_cast<char>(AnsiUpper(static_cast<unsigned char>(c)));
    return r;
}

int CompareStr(const AnsiString& a, const AnsiString& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
        if (d)
            return d;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareText(const AnsiString& a, const AnsiString& b) { return CompareStr(UpperCase(a), UpperCase(b)); }
bool SameText(const AnsiString& a, const AnsiString& b) { return CompareText(a, b) == 0; }
int AnsiCompareStr(const AnsiString& a, const AnsiString& b) { return CompareStr(a, b); }
int AnsiCompareText(const AnsiString& a, const AnsiString& b) { return CompareStr(AnsiLowerCase(a), AnsiLowerCase(b)); }

AnsiString QuotedStr(const AnsiString& s) { return '\'' + StringReplaceAll(s, "'", "''") + '\''; }

AnsiString StringReplaceAll(const AnsiString& s, const AnsiString& from, const AnsiString& to)
{
    if (from.empty())
        return s;
    AnsiString out;
    size_t pos = 0;
    while (true) {
        const size_t hit = s.find(from, pos);
        if (hit == AnsiString::npos)
            break;
        out += s.substr(pos, hit - pos) + to;
        pos = hit + from.size();
    }
    return out + s.substr(pos);
}

int Pos(const AnsiString& sub, const AnsiString& s)
{
    const size_t p = s.find(sub);
    return p == AnsiString::npos ? 0 : static_cast<int>(p) + 1;
}

bool IsValidIdent(const AnsiString& ident)
{
    if (ident.empty() || !(std::isalpha(static_cast<unsigned char>(ident[0])) || ident[0] == '_'))
        return false;
    return std::all_of(ident.begin(), ident.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

namespace {

constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

WideString AnsiToWide(const AnsiString& s)
{
    WideString out;
    out.reserve(s.size());
    for (char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        out.push_back(b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

AnsiString WideToAnsi(const WideString& s)
{
    AnsiString out;
    out.reserve(s.size());
    for (char16_t c : s) {
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        const auto* hit = std::find(std::begin(k1252High), std::end(k1252High), c);
        out.push_back(hit != std::end(k1252High) ? static_cast<char>(0x80 + (hit - std::begin(k1252High))) : '?');
    }
    return out;
}

WideString Utf8ToWide(const std::string& s)
{
    WideString out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        size_t n = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 6 && i + 1 < s.size()) {
            cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F);
            n = 2;
        } else if ((c >> 4) == 14 && i + 2 < s.size()) {
            cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
            n = 3;
        } else if ((c >> 3) == 30 && i + 3 < s.size()) {
            cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
            n = 4;
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string WideToUtf8(const WideString& s)
{
    return vls::win32::Utf16ToUtf8(s);
}

namespace {

size_t LastSeparator(const AnsiString& path)
{
    return path.find_last_of("\\/:");
}

}  // namespace

AnsiString ExtractFileName(const AnsiString& path)
{
    const size_t p = LastSeparator(path);
    return p == AnsiString::npos ? path : path.substr(p + 1);
}

AnsiString ExtractFilePath(const AnsiString& path)
{
    const size_t p = LastSeparator(path);
    return p == AnsiString::npos ? AnsiString() : path.substr(0, p + 1);
}

AnsiString ExtractFileDir(const AnsiString& path)
{
    const size_t p = LastSeparator(path);
    if (p == AnsiString::npos)
        return AnsiString();
    if (p > 0 && path[p] != ':' && path[p - 1] != ':')
        return path.substr(0, p);
    return path.substr(0, p + 1);
}

AnsiString ExtractFileExt(const AnsiString& path)
{
    const size_t p = path.find_last_of(".\\/:");
    return p == AnsiString::npos || path[p] != '.' ? AnsiString() : path.substr(p);
}

AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext)
{
    const size_t p = path.find_last_of(".\\/:");
    if (p == AnsiString::npos || path[p] != '.')
        return path + ext;
    return path.substr(0, p) + ext;
}

AnsiString IncludeTrailingBackslash(const AnsiString& path)
{
    return !path.empty() && (path.back() == '\\' || path.back() == '/') ? path : path + "\\";
}

AnsiString ExcludeTrailingBackslash(const AnsiString& path)
{
    return !path.empty() && (path.back() == '\\' || path.back() == '/') ? path.substr(0, path.size() - 1) : path;
}

AnsiString SysErrorMessage(int code)
{
    return std::strerror(code > 0 && code < 200 ? code : 0);
}

void RaiseLastWin32Error()
{
    const DWORD code = GetLastError();
    if (code == 0)
        throw EWin32Error(consts::SUnkWin32Error);
    throw EWin32Error(Format(consts::SWin32Error, static_cast<std::int64_t>(code), SysErrorMessage(static_cast<int>(code))));
}

void RaiseLastOSError() { RaiseLastWin32Error(); }

std::int64_t Round(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    // Rounded to the nearest, halves away from zero, as the system call does.
    const std::int64_t q = (p >= 0) == (c > 0) ? (p + (c > 0 ? c : -c) / 2 * (c > 0 ? 1 : -1)) / c
                                               : (p - (c > 0 ? c : -c) / 2 * (c > 0 ? 1 : -1)) / c;
    return static_cast<int>(q);
}

}  // namespace vcl
