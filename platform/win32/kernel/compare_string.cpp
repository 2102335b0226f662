#include "platform/win32/kernel/compare_string.h"

#include "platform/win32/kernel/code_pages.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/locale.h"

#include <cstring>
#include <string>

namespace vls::win32 {

namespace {

bool IsLetterOrDigit(char16_t unit)
{
    if ((unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z'))
        return true;
    return (unit >= 0xC0 && unit <= 0x24F && unit != 0xD7 && unit != 0xF7) || (unit >= 0x370 && unit <= 0x3FF)
        || (unit >= 0x400 && unit <= 0x52F);
}

std::u16string Filtered(const std::u16string& text, bool symbols, bool wordSort)
{
    std::u16string out;
    for (const char16_t unit : text) {
        if (symbols && !IsLetterOrDigit(unit))
            continue;
        if (wordSort && (unit == u'-' || unit == u'\''))
            continue;
        out += unit;
    }
    return out;
}

int Order(const std::u16string& a, const std::u16string& b, bool foldCase)
{
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const char16_t x = foldCase ? LowerCaseUnit(a[i]) : a[i];
        const char16_t y = foldCase ? LowerCaseUnit(b[i]) : b[i];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Lower case sorts before upper case at the first place where only case differs.
int CaseOrder(const std::u16string& a, const std::u16string& b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i])
            continue;
        const bool aLower = LowerCaseUnit(a[i]) == a[i];
        const bool bLower = LowerCaseUnit(b[i]) == b[i];
        if (aLower != bLower)
            return aLower ? -1 : 1;
        return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

int Compare(DWORD flags, const std::u16string& a, const std::u16string& b)
{
    constexpr DWORD kKnown = NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS | LINGUISTIC_IGNORECASE
        | NORM_IGNOREKANATYPE | NORM_IGNOREWIDTH | SORT_STRINGSORT;
    if (flags & ~kKnown) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const bool ignoreCase = flags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE);
    const bool symbols = flags & NORM_IGNORESYMBOLS;
    const bool wordSort = !(flags & SORT_STRINGSORT);
    int result = Order(Filtered(a, symbols, wordSort), Filtered(b, symbols, wordSort), true);
    if (result == 0 && wordSort) {
        // Equal but for hyphens and apostrophes: the plainer word comes first.
        const size_t aMarks = Filtered(a, symbols, false).size() - Filtered(a, symbols, true).size();
        const size_t bMarks = Filtered(b, symbols, false).size() - Filtered(b, symbols, true).size();
        result = aMarks < bMarks ? -1 : aMarks > bMarks ? 1 : Order(Filtered(a, symbols, false), Filtered(b, symbols, false), true);
    }
    if (result == 0 && !ignoreCase)
        result = CaseOrder(Filtered(a, symbols, false), Filtered(b, symbols, false));
    return result < 0 ? CSTR_LESS_THAN : result > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

std::u16string WideText(LPCWSTR text, int length)
{
    if (length < 0) {
        size_t count = 0;
        while (text[count])
            ++count;
        return std::u16string(text, count);
    }
    return std::u16string(text, static_cast<size_t>(length));
}

std::u16string AnsiText(UINT codePage, LPCSTR text, int length)
{
    const size_t count = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    std::u16string out;
    for (size_t i = 0; i < count; ++i)
        out += static_cast<char16_t>(SingleByteToWide(codePage, static_cast<unsigned char>(text[i])));
    return out;
}

} // namespace

char16_t LowerCaseUnit(char16_t unit)
{
    if (unit >= u'A' && unit <= u'Z')
        return static_cast<char16_t>(unit + 32);
    if (unit < 0xC0)
        return unit;
    if (unit <= 0xDE)
        return unit == 0xD7 ? unit : static_cast<char16_t>(unit + 32);
    if (unit >= 0x100 && unit <= 0x17F) { // Latin Extended-A: upper/lower pairs
        if (unit == 0x130)
            return u'i';
        if (unit == 0x178)
            return 0xFF;
        if (unit == 0x138 || unit == 0x149 || unit == 0x17F)
            return unit;
        const bool oddUpper = (unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E);
        const bool upper = oddUpper ? unit % 2 == 1 : unit % 2 == 0;
        return upper ? static_cast<char16_t>(unit + 1) : unit;
    }
    if (unit >= 0x391 && unit <= 0x3AB && unit != 0x3A2)
        return static_cast<char16_t>(unit + 32);
    if (unit >= 0x410 && unit <= 0x42F)
        return static_cast<char16_t>(unit + 32);
    if (unit >= 0x400 && unit <= 0x40F)
        return static_cast<char16_t>(unit + 80);
    if (unit >= 0x460 && unit <= 0x4FF && unit % 2 == 0 && !(unit >= 0x482 && unit <= 0x489))
        return static_cast<char16_t>(unit + 1);
    return unit;
}

} // namespace vls::win32

using namespace vls::win32;

int CompareStringW(LCID, DWORD flags, LPCWSTR first, int firstLength, LPCWSTR second, int secondLength)
{
    if (!first || !second || firstLength < -1 || secondLength < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Compare(flags, WideText(first, firstLength), WideText(second, secondLength));
}

int CompareStringA(LCID locale, DWORD flags, LPCSTR first, int firstLength, LPCSTR second, int secondLength)
{
    if (!first || !second || firstLength < -1 || secondLength < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const UINT codePage = AnsiCodePageOfLocale(locale);
    return Compare(flags, AnsiText(codePage, first, firstLength), AnsiText(codePage, second, secondLength));
}

int lstrlenA(LPCSTR text)
{
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

int lstrcmpiA(LPCSTR first, LPCSTR second)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, first ? first : "", -1, second ? second : "", -1) - 2;
}

int lstrcmpA(LPCSTR first, LPCSTR second)
{
    return CompareStringA(LOCALE_USER_DEFAULT, 0, first ? first : "", -1, second ? second : "", -1) - 2;
}
