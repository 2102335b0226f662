#include "platform/user/winuser.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool IsAnsiLetter(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    if (c >= 0xC0)
        return c != 0xD7 && c != 0xF7;
    switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
        return true;
    default:
        return false;
    }
}

unsigned char ToUpper(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c != 0xF7 && c != 0xFF)
        return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E)
        return static_cast<unsigned char>(c - 16);
    if (c == 0xFF)
        return 0x9F;
    return c;
}

unsigned char ToLower(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E)
        return static_cast<unsigned char>(c + 16);
    if (c == 0x9F)
        return 0xFF;
    return c;
}

LPSTR MapCase(LPSTR text, unsigned char (*map)(unsigned char))
{
    // A pointer value below 0x10000 carries one character, not a string.
    const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(text);
    if ((value >> 16) == 0)
        return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(map(static_cast<unsigned char>(value & 0xFF))));
    for (char* p = text; *p; ++p)
        *p = static_cast<char>(map(static_cast<unsigned char>(*p)));
    return text;
}

// The original's output limit, terminator included.
constexpr std::size_t kPrintfLimit = 1024;

}  // namespace

LPSTR CharNextA(LPCSTR text)
{
    if (!text)
        return nullptr;
    return const_cast<LPSTR>(*text ? text + 1 : text);
}

LPSTR CharUpperA(LPSTR text) { return text ? MapCase(text, ToUpper) : nullptr; }

LPSTR CharLowerA(LPSTR text) { return text ? MapCase(text, ToLower) : nullptr; }

BOOL IsCharAlphaA(CHAR c) { return IsAnsiLetter(static_cast<unsigned char>(c)); }

BOOL IsCharAlphaNumericA(CHAR c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return IsAnsiLetter(u) || (u >= '0' && u <= '9');
}

// The conversions the original supports: c, d, i, u, x, X, s, p with the
// flags '-', '0', '#', a width and a precision, and the l and h sizes. No
// floating point, no '*' widths.
int wvsprintfA(LPSTR buffer, LPCSTR format, va_list args)
{
    if (!buffer || !format)
        return 0;
    std::string out;
    for (const char* f = format; *f && out.size() < kPrintfLimit - 1; ++f) {
        if (*f != '%') {
            out.push_back(*f);
            continue;
        }
        const char* start = f++;
        if (*f == '%') {
            out.push_back('%');
            continue;
        }
        std::string directive = "%";
        while (*f == '-' || *f == '0' || *f == '#') {
            directive.push_back(*f);
            ++f;
        }
        while (*f >= '0' && *f <= '9') {
            directive.push_back(*f);
            ++f;
        }
        if (*f == '.') {
            directive.push_back(*f++);
            while (*f >= '0' && *f <= '9') {
                directive.push_back(*f);
                ++f;
            }
        }
        bool isLong = false;
        if (*f == 'l' || *f == 'h') {
            isLong = *f == 'l';
            ++f;
        }
        char piece[kPrintfLimit];
        piece[0] = '\0';
        switch (*f) {
        case 'd':
        case 'i':
            directive.push_back('d');
            std::snprintf(piece, sizeof piece, directive.c_str(), isLong ? static_cast<int>(va_arg(args, long)) : va_arg(args, int));
            break;
        case 'u':
        case 'x':
        case 'X':
            directive.push_back(*f);
            std::snprintf(piece, sizeof piece, directive.c_str(),
                          isLong ? static_cast<unsigned>(va_arg(args, unsigned long)) : va_arg(args, unsigned));
            break;
        case 'c':
            directive.push_back('c');
            std::snprintf(piece, sizeof piece, directive.c_str(), va_arg(args, int));
            break;
        case 's': {
            const char* s = va_arg(args, const char*);
            directive.push_back('s');
            std::snprintf(piece, sizeof piece, directive.c_str(), s ? s : "(null)");
            break;
        }
        case 'p':
            std::snprintf(piece, sizeof piece, "%p", va_arg(args, void*));
            break;
        default:
            // Not a conversion: copy it through as the original does.
            out.append(start, static_cast<std::size_t>(f - start) + (*f ? 1 : 0));
            if (!*f)
                --f;
            continue;
        }
        out += piece;
        if (!*f)
            break;
    }
    if (out.size() > kPrintfLimit - 1)
        out.resize(kPrintfLimit - 1);
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return static_cast<int>(out.size());
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = wvsprintfA(buffer, format, args);
    va_end(args);
    return n;
}
