#include "platform/user/ansi_codepage.h"

#include <gtest/gtest.h>

using vls::user::AnsiToUnicode;
using vls::user::UnicodeToAnsi;
using vls::user::Utf8ToUtf16;

TEST(AnsiCodePage, TypedTextDecodesSafely)
{
    const struct {
        std::string utf8;
        std::u16string expected;
    } cases[] = {
        {"abc", u"abc"},
        {"\xC3\xA9", u"\u00E9"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // beyond the BMP: a surrogate pair
        {"\xC3", u"\uFFFD"},                    // cut short at the end
        {"\xE2\x82", u"\uFFFD\uFFFD"},
        {"\xFF" "a", u"\uFFFDa"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate is not a character
        {"\xC3(", u"\uFFFD("},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.expected) << c.utf8;
}

TEST(AnsiCodePage, MapsTheWesternCodePageBothWays)
{
    const std::pair<char16_t, int> cases[] = {
        {u'A', 'A'}, {u'\u00E9', 0xE9}, {u'\u20AC', 0x80}, {u'\u2122', 0x99},
        {u'\u0178', 0x9F}, {u'\u0416', -1}, {u'\u0081', -1},
    };
    for (const auto& [unicode, ansi] : cases) {
        EXPECT_EQ(UnicodeToAnsi(unicode), ansi) << static_cast<int>(unicode);
        if (ansi >= 0) {
            EXPECT_EQ(AnsiToUnicode(static_cast<unsigned char>(ansi)), unicode);
        }
    }
}
