#include "platform/win32/kernel/code_pages.h"

#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/locale.h"

#include <cstring>
#include <string>

namespace vls::win32 {

namespace {

// Bytes 0x80 to 0x9F of code page 1252; the rest is Latin-1.
constexpr char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Bytes 0x80 to 0xBF of code page 1251; 0xC0 to 0xFF are U+0410 to U+044F.
constexpr char16_t k1251High[64] = {0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401,
    0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

UINT Resolve(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ? GetACP() : codePage;
}

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

// Appends the UTF-16 form of `text` to `out`; false on invalid input when
// `strict`.
bool DecodeUtf8(const unsigned char* text, size_t length, bool strict, std::u16string& out)
{
    size_t i = 0;
    while (i < length) {
        const unsigned char lead = text[i];
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            code = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            code = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            code = lead & 0x07;
            minimum = 0x10000;
        } else {
            extra = -1;
        }
        bool valid = extra > 0;
        if (valid) {
            for (int k = 1; k <= extra; ++k) {
                if (i + static_cast<size_t>(k) >= length || (text[i + static_cast<size_t>(k)] & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                code = (code << 6) | (text[i + static_cast<size_t>(k)] & 0x3F);
            }
        }
        if (valid && (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            valid = false;
        if (!valid) {
            if (strict)
                return false;
            out += u'\uFFFD';
            ++i; // resynchronise on the next byte
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

bool EncodeUtf8(const char16_t* text, size_t length, bool strict, std::string& out)
{
    for (size_t i = 0; i < length; ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            if (strict)
                return false;
            code = 0xFFFD; // a lone surrogate
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return true;
}

int WideToSingleByte(UINT codePage, char16_t unit)
{
    if (unit < 0x80)
        return unit;
    for (int byte = 0x80; byte < 0x100; ++byte)
        if (SingleByteToWide(codePage, static_cast<unsigned char>(byte)) == unit)
            return byte;
    return -1;
}

} // namespace

int SingleByteToWide(UINT codePage, unsigned char byte)
{
    switch (codePage) {
    case 1252:
        return byte >= 0x80 && byte < 0xA0 ? k1252High[byte - 0x80] : byte;
    case 1251:
        return byte < 0x80 ? byte : byte < 0xC0 ? k1251High[byte - 0x80] : 0x0410 + (byte - 0xC0);
    default:
        return -1;
    }
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    EncodeUtf8(text.data(), text.size(), false, out);
    return out;
}

} // namespace vls::win32

using namespace vls::win32;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide, int wideLength)
{
    codePage = Resolve(codePage);
    if (!multiByte || multiByteLength == 0 || multiByteLength < -1 || wideLength < 0 || (wideLength > 0 && !wide))
        return Fail(ERROR_INVALID_PARAMETER);
    const size_t length = multiByteLength == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteLength);
    const auto* bytes = reinterpret_cast<const unsigned char*>(multiByte);
    std::u16string out;
    if (codePage == CP_UTF8) {
        if (flags & ~MB_ERR_INVALID_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        if (!DecodeUtf8(bytes, length, flags & MB_ERR_INVALID_CHARS, out))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
    } else {
        if (SingleByteToWide(codePage, 0) < 0)
            return Fail(ERROR_INVALID_PARAMETER);
        for (size_t i = 0; i < length; ++i)
            out += static_cast<char16_t>(SingleByteToWide(codePage, bytes[i]));
    }
    if (wideLength == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(wideLength))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(wide, out.data(), out.size() * sizeof(char16_t));
    return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte, int multiByteLength,
    LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    codePage = Resolve(codePage);
    if (!wide || wideLength == 0 || wideLength < -1 || multiByteLength < 0 || (multiByteLength > 0 && !multiByte))
        return Fail(ERROR_INVALID_PARAMETER);
    size_t length = 0;
    if (wideLength == -1) {
        while (wide[length])
            ++length;
        ++length;
    } else {
        length = static_cast<size_t>(wideLength);
    }
    std::string out;
    if (codePage == CP_UTF8) {
        if (defaultChar || usedDefaultChar)
            return Fail(ERROR_INVALID_PARAMETER);
        if (flags & ~WC_ERR_INVALID_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        if (!EncodeUtf8(wide, length, flags & WC_ERR_INVALID_CHARS, out))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
    } else {
        if (SingleByteToWide(codePage, 0) < 0)
            return Fail(ERROR_INVALID_PARAMETER);
        const char fallback = defaultChar ? *defaultChar : '?';
        bool usedDefault = false;
        for (size_t i = 0; i < length; ++i) {
            const int byte = WideToSingleByte(codePage, wide[i]);
            if (byte < 0) {
                usedDefault = true;
                out += fallback;
            } else {
                out += static_cast<char>(byte);
            }
        }
        if (usedDefaultChar)
            *usedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    if (multiByteLength == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(multiByteLength))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(multiByte, out.data(), out.size());
    return static_cast<int>(out.size());
}
