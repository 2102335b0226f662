#include "engine/base/kestrune_string.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

char* HeapText(const char* text)
{
    char* const copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
    std::strcpy(copy, text);
    return copy;
}

TEST(cString, ConstructAssignAndCompare)
{
    EXPECT_STREQ(cString().GetText(), "");
    EXPECT_STREQ(cString(4294967295u).GetText(), "4294967295");
    EXPECT_STREQ(cString(static_cast<const char*>(nullptr)).GetText(), "");

    cString s("abc");
    s = -2147483647 - 1;
    EXPECT_STREQ(s.GetText(), "-2147483648");
    s = "Door";
    EXPECT_TRUE(s == "Door");
    EXPECT_TRUE(s != cString("door"));
    EXPECT_FALSE(s == cString("Doors"));

    const cString copy(s);
    s = "changed";
    EXPECT_STREQ(copy.GetText(), "Door");
}

TEST(cString, NumbersAsTheScriptMachineShowsThem)
{
    struct Case {
        double value;
        int32_t digits;
        const char* text;
    };
    const std::vector<Case> cases = {
        {12.0, 10, "12."},
        {0.5, 10, "0.5"},
        {-3.25, 10, "-3.25"},
        {1.0 / 3.0, 6, "0.333333"},
        {1e10, 6, "1.e+010"},
        {0.0, 10, "0."},
    };
    for (const Case& c : cases) {
        cString s("old text");
        s.Assign(c.value, c.digits);
        EXPECT_STREQ(s.GetText(), c.text) << c.value << " / " << c.digits;
    }
    // A digit count beyond what the buffer holds is capped, not overrun.
    cString s;
    s.Assign(1.0 / 7.0, 500);
    EXPECT_LE(s.GetLength(), 65);
    EXPECT_EQ(std::string(s.GetText()).rfind("0.142857142857", 0), 0u);
}

TEST(cString, ConcatenationAndAppend)
{
    const cString a("foo");
    const cString b("bar");
    EXPECT_STREQ((a + b).GetText(), "foobar");
    EXPECT_STREQ(("x" + b).GetText(), "xbar");
    EXPECT_STREQ((a + ".scene").GetText(), "foo.scene");

    cString s("ab");
    s.Append("");
    s.Append("cd");
    EXPECT_STREQ(s.GetText(), "abcd");
    EXPECT_EQ(s.GetLength(), 4);
}

TEST(cString, AppendingItsOwnTextSurvivesTheReallocation)
{
    cString s("0123456789");
    std::string expected = "0123456789";
    for (int i = 0; i < 4; ++i) {
        s.Append(s.GetText() + 5);
        expected += expected.substr(5);
    }
    EXPECT_EQ(std::string(s.GetText()), expected);

    s = s.GetText() + 60;
    EXPECT_EQ(std::string(s.GetText()), expected.substr(60));
    s = s;
    EXPECT_EQ(std::string(s.GetText()), expected.substr(60));
}

TEST(cString, CharAtReadsTheTerminatorAndNothingBeyond)
{
    const cString s("abc");
    EXPECT_EQ(s.CharAt(0), 'a');
    EXPECT_EQ(s.CharAt(2), 'c');
    EXPECT_EQ(s.CharAt(3), 0);
    EXPECT_EQ(s.CharAt(4), 0);
    EXPECT_EQ(s.CharAt(-1), 0);
}

TEST(cString, Latin1ToUtf8)
{
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"plain", "plain"},
        {"\xE9", "\xC3\xA9"},
        {"caf\xE9!", "caf\xC3\xA9!"},
        {"\x80\xFF", "\xC2\x80\xC3\xBF"},
    };
    for (const Case& c : cases) {
        cString s(c.in.c_str());
        s.ConvertLatin1ToUtf8();
        EXPECT_EQ(std::string(s.GetText()), c.out) << c.in;
    }
}

TEST(cString, ConvertsBetweenUtf8AndUtf16)
{
    struct Case {
        const char* utf8;
        std::u16string wide;
    };
    const std::vector<Case> cases = {
        {"", u""},
        {"Door", u"Door"},
        {"caf\xC3\xA9", u"caf\u00e9"},
        {"\xE2\x82\xAC 5", u"\u20ac 5"},
    };
    for (const Case& c : cases) {
        char16_t* const wide = cString(c.utf8).ToWide();
        EXPECT_EQ(std::u16string(wide), c.wide) << c.utf8;
        std::free(wide);
    }
    // Back to the system code page (1252), where the euro sign is 0x80.
    cWideString w;
    w.Assign(u"\u20ac caf\u00e9");
    char* const ansi = w.ToAnsi();
    EXPECT_STREQ(ansi, "\x80 caf\xE9");
    std::free(ansi);
}

TEST(cWideString, AssignAppendAndConcatenate)
{
    cWideString w;
    EXPECT_EQ(w.GetLength(), 0);
    w.Assign(u"Save");
    w.Append(u" 1");
    EXPECT_EQ(std::u16string(w.GetText()), u"Save 1");
    EXPECT_EQ(w.GetLength(), 6);

    const cWideString joined = w + u"\u00e9";
    EXPECT_EQ(std::u16string(joined.GetText()), u"Save 1\u00e9");
    EXPECT_EQ(std::u16string(w.GetText()), u"Save 1");

    w.Append(w.GetText());
    EXPECT_EQ(std::u16string(w.GetText()), u"Save 1Save 1");
}

TEST(SplitString, FieldsAtSeparators)
{
    struct Case {
        const char* text;
        std::vector<std::string> fields;
    };
    const std::vector<Case> cases = {
        {"a,,b", {"a", "", "b"}},
        {",a", {"", "a"}},
        {"a,b,", {"a", "b"}},
        {"", {""}},
        {",", {""}},
        {"one", {"one"}},
        {"x,y,,", {"x", "y", ""}},
    };
    DynArray<cString> list;
    for (const Case& c : cases) {
        // The list is reused: its old count must not leak into the next result.
        const int32_t n = SplitString(HeapText(c.text), list, ',');
        ASSERT_EQ(n, static_cast<int32_t>(c.fields.size())) << c.text;
        ASSERT_EQ(list.count, n) << c.text;
        for (int32_t i = 0; i < n; ++i)
            EXPECT_EQ(std::string(list.data[i].GetText()), c.fields[i]) << c.text << " field " << i;
    }
}

TEST(SplitString, ManyFieldsGrowTheList)
{
    DynArray<cString> list;
    EXPECT_EQ(SplitString(HeapText("a;b;c;d;e;f;g;h;i;j;k"), list, ';'), 11);
    EXPECT_EQ(list.capacity, 15);
    EXPECT_STREQ(list.At(10).GetText(), "k");
}

} // namespace
