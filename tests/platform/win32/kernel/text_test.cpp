#include "platform/win32/kernel/code_pages.h"
#include "platform/win32/kernel/compare_string.h"
#include "platform/win32/kernel/date_format.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/locale.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string ToWide(UINT codePage, const std::string& text, DWORD flags = 0)
{
    const int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(length), u'\0');
    if (length > 0) {
        EXPECT_EQ(MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(), length), length);
    }
    return out;
}

std::string ToBytes(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr)
{
    const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, usedDefault);
    std::string out(static_cast<size_t>(length), '\0');
    if (length > 0) {
        EXPECT_EQ(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, usedDefault), length);
    }
    return out;
}

TEST(CodePages, SingleByteTablesBothWays)
{
    const struct {
        UINT codePage;
        std::string bytes;
        std::u16string wide;
    } cases[] = {
        {1252, "Gr\xFC\xDF \x80 \x9C\x8A", u"Grüß € œŠ"},
        {CP_ACP, "\xE9t\xE9", u"été"},
        {1251, "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8 \xB9", u"Привет Ёё №"},
        {1252, "\x81\x8D", u"\u0081\u008D"},  // undefined bytes keep their value
        {1251, "\x98", u"\u0098"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToWide(c.codePage, c.bytes), c.wide) << c.codePage;
        BOOL usedDefault = TRUE;
        EXPECT_EQ(ToBytes(c.codePage, c.wide, &usedDefault), c.bytes) << c.codePage;
        EXPECT_FALSE(usedDefault);
    }
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToBytes(1251, u"Ωé", &usedDefault), "??");
    EXPECT_TRUE(usedDefault);
    char out[4] = {};
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"Ж", 1, out, 4, "#", nullptr), 1);
    EXPECT_EQ(out[0], '#');
}

TEST(CodePages, Utf8BothWays)
{
    EXPECT_EQ(ToWide(CP_UTF8, "Grüße €"), u"Grüße €");
    EXPECT_EQ(ToWide(CP_UTF8, "\xF0\x9F\x8E\xB2"), u"\U0001F3B2"); // a surrogate pair
    EXPECT_EQ(ToBytes(CP_UTF8, u"\U0001F3B2 Ё"), "\xF0\x9F\x8E\xB2 \xD0\x81");
    // Broken input becomes U+FFFD, or fails when asked to.
    EXPECT_EQ(ToWide(CP_UTF8, "a\xC3"), u"a\uFFFD");
    EXPECT_EQ(ToWide(CP_UTF8, "\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(ToWide(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3", 2, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(ToBytes(CP_UTF8, std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    // The helper other layers use gives the same bytes.
    EXPECT_EQ(vls::win32::Utf16ToUtf8(u"\U0001F3B2 \u0401"), "\xF0\x9F\x8E\xB2 \xD0\x81");
    EXPECT_EQ(vls::win32::Utf16ToUtf8(std::u16string(1, char16_t(0xDC00)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(CodePages, LengthsTerminatorsAndErrors)
{
    // -1 counts and converts the terminator.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, nullptr, 0), 3);
    WCHAR wide[3];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, wide, 3), 3);
    EXPECT_EQ(wide[2], u'\0');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"ab", -1, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "", 0, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(437, 0, "a", 1, nullptr, 0), 0);
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, nullptr, 0, nullptr, &used), 0); // no default character in UTF-8
}

TEST(CompareString, OrdersLikeTheWordSort)
{
    const struct {
        const char16_t* a;
        const char16_t* b;
        DWORD flags;
        int expected;
    } cases[] = {
        {u"apple", u"Banana", 0, CSTR_LESS_THAN},
        {u"apple", u"APPLE", NORM_IGNORECASE, CSTR_EQUAL},
        {u"apple", u"Apple", 0, CSTR_LESS_THAN},
        {u"Apple", u"apple", 0, CSTR_GREATER_THAN},
        {u"ab", u"abc", NORM_IGNORECASE, CSTR_LESS_THAN},
        {u"co-op", u"coop", 0, CSTR_GREATER_THAN}, // the hyphen only breaks the tie
        {u"co-op", u"cop", 0, CSTR_LESS_THAN},
        {u"co-op", u"cop", SORT_STRINGSORT, CSTR_LESS_THAN},
        {u"Ärger", u"ärger", NORM_IGNORECASE, CSTR_EQUAL},
        {u"ПРИВЕТ", u"привет", NORM_IGNORECASE, CSTR_EQUAL},
        {u"Ёлка", u"ёлка", NORM_IGNORECASE, CSTR_EQUAL},
        {u"a.b", u"ab", NORM_IGNORESYMBOLS, CSTR_EQUAL},
        {u"", u"", 0, CSTR_EQUAL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, c.flags, c.a, -1, c.b, -1), c.expected)
            << "case " << (&c - cases);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, u"abX", 2, u"ABY", 2), CSTR_EQUAL);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0x40000000, u"a", -1, u"a", -1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, nullptr, -1, u"a", -1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CompareString, AnsiFormReadsTheLocaleCodePage)
{
    const LCID russian = 0x0419;
    EXPECT_EQ(CompareStringA(russian, NORM_IGNORECASE, "\xCF\xD0\xC8", -1, "\xEF\xF0\xE8", -1), CSTR_EQUAL);
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "\xC4rger", -1, "\xE4rger", -1), CSTR_EQUAL);
    EXPECT_EQ(lstrcmpiA("Quib-Velt", "QUIB-VELT"), 0);
    EXPECT_LT(lstrcmpiA("a", "B"), 0);
    EXPECT_EQ(lstrlenA("abc"), 3);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

TEST(Locale, ReportsItsCodePageAndFormats)
{
    char text[16];
    EXPECT_EQ(GetLocaleInfoA(GetUserDefaultLCID(), LOCALE_IDEFAULTANSICODEPAGE, text, 6), 5);
    EXPECT_STREQ(text, "1252");
    EXPECT_EQ(GetLocaleInfoA(0x0419, LOCALE_IDEFAULTANSICODEPAGE, text, 6), 5);
    EXPECT_STREQ(text, "1251");
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, nullptr, 0), 11);
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, text, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetACP(), 1252u);
}

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wDayOfWeek = 6; // wrong on purpose: the date decides
    return t;
}

TEST(DateFormat, DefaultsAndPictures)
{
    const SYSTEMTIME when = At(2004, 3, 7, 9, 5, 3);
    const struct {
        DWORD flags;
        const char* picture;
        const char* expected;
    } dates[] = {
        {DATE_SHORTDATE, nullptr, "07.03.2004"},
        {DATE_LONGDATE, nullptr, "Sunday, 7. March 2004"},
        {0, "d/M/yy", "7/3/04"},
        {0, "ddd dd MMM yyyy", "Sun 07 Mar 2004"},
        {0, "'day' d 'o''clock' ''", "day 7 o'clock '"},
    };
    for (const auto& d : dates) {
        char text[64];
        const int length = GetDateFormatA(LOCALE_USER_DEFAULT, d.flags, &when, d.picture, text, sizeof text);
        EXPECT_STREQ(text, d.expected);
        EXPECT_EQ(length, static_cast<int>(std::string(d.expected).size()) + 1);
    }
    const struct {
        DWORD flags;
        const char* picture;
        SYSTEMTIME time;
        const char* expected;
    } times[] = {
        {0, nullptr, At(2004, 3, 7, 9, 5, 3), "09:05:03"},
        {TIME_NOSECONDS, nullptr, At(2004, 3, 7, 21, 5, 3), "21:05"},
        {TIME_NOMINUTESORSECONDS, nullptr, At(2004, 3, 7, 21, 5, 3), "21"},
        {0, "h:mm tt", At(2004, 3, 7, 0, 30, 0), "12:30 AM"},
        {0, "hh:mm t", At(2004, 3, 7, 13, 30, 0), "01:30 P"},
        {TIME_NOTIMEMARKER, "h:mm tt", At(2004, 3, 7, 13, 30, 0), "1:30"},
        {TIME_FORCE24HOURFORMAT, "h:mm", At(2004, 3, 7, 13, 30, 0), "13:30"},
    };
    for (const auto& t : times) {
        char text[64];
        GetTimeFormatA(LOCALE_USER_DEFAULT, t.flags, &t.time, t.picture, text, sizeof text);
        EXPECT_STREQ(text, t.expected);
    }
}

TEST(DateFormat, ErrorsAndLengths)
{
    const SYSTEMTIME when = At(2004, 3, 7, 9, 5, 3);
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, nullptr, 0), 11);
    char small[5];
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, small, sizeof small), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, "d", small, sizeof small), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    const SYSTEMTIME bad = At(2003, 2, 29, 0, 0, 0);
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &bad, nullptr, small, sizeof small), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const SYSTEMTIME late = At(2003, 2, 28, 24, 0, 0);
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &late, nullptr, small, sizeof small), 0);
    char now[32];
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, now, sizeof now), 9);
}

} // namespace
