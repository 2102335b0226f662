#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launcher/wide_string_list.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/streams.h"
#include "platform/win32/kernel/paths.h"
#include "tests/support/temp_dir.h"

using namespace launcher;
using vcl::TMemoryStream;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (const int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

std::vector<WideString> Lines(const TWideStrings& list)
{
    std::vector<WideString> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list.Get(i));
    return lines;
}

void LoadBytes(TWideStrings& list, const std::string& bytes)
{
    vcl::TStringStream stream(bytes);
    list.LoadFromStream(&stream);
}

std::string SavedBytes(TWideStrings& list)
{
    TMemoryStream stream;
    list.SaveToStream(&stream);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// Counts the events of a list, in order.
struct EventLog {
    explicit EventLog(TWideStringList& list)
    {
        list.OnChanging = [this](vcl::TObject*) { events += "<"; };
        list.OnChange = [this](vcl::TObject*) { events += ">"; };
    }
    std::string events;
};

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<WideString> lines;
    bool unicode;
};

TEST(WideStringListTest, ReadsFilesInBothByteOrdersAndAnsi)
{
    const std::vector<ReadCase> cases = {
        {"only the mark", Bytes({0xFF, 0xFE}), {}, true},
        {"big-endian", Bytes({0xFE, 0xFF, 0x00, 'A', 0x00, 0x0D, 0x00, 0x0A, 0x00, 'B'}), {u"A", u"B"}, true},
        {"little-endian", Bytes({0xFF, 0xFE, 'A', 0x00, 0x0D, 0x00, 0x0A, 0x00, 'B', 0x00}), {u"A", u"B"}, true},
        {"ansi", "A\r\nB\r\n", {u"A", u"B"}, false},
        {"ansi upper half is code page 1252", Bytes({0x80, 0xE9}), {u"\u20AC\u00E9"}, false},
        {"one byte", "x", {u"x"}, false},
        {"one byte of a mark", Bytes({0xFF}), {u"\u00FF"}, false},
        {"odd byte after the mark is dropped", Bytes({0xFF, 0xFE, 'A', 0x00, 'B'}), {u"A"}, true},
        {"embedded zero ends the text", Bytes({0xFF, 0xFE, 'A', 0, 0x0A, 0, 0, 0, 'B', 0}), {u"A"}, true},
        {"lone surrogates are replaced", Bytes({0xFF, 0xFE, 0x00, 0xD8, 'A', 0, 0x3D, 0xD8, 0x00, 0xDE}),
         {u"\uFFFDA\U0001F600"}, true},
        {"low surrogate first", Bytes({0xFF, 0xFE, 0x00, 0xDC, 0x00, 0xD8}), {u"\uFFFD\uFFFD"}, true},
        {"empty", "", {}, false},
    };
    for (const auto& c : cases) {
        TWideStringList list;
        LoadBytes(list, c.bytes);
        EXPECT_EQ(Lines(list), c.lines) << c.name;
        EXPECT_EQ(list.SaveUnicode(), c.unicode) << c.name;
    }
}

TEST(WideStringListTest, SplitsAtEveryLineBreak)
{
    const struct {
        WideString text;
        std::vector<WideString> lines;
    } cases[] = {
        {u"a\r\nb", {u"a", u"b"}},
        {u"a\n\rb", {u"a", u"", u"b"}},
        {u"a\rb\nc\vd\fe\u2028f\u2029g", {u"a", u"b", u"c", u"d", u"e", u"f", u"g"}},
        {u"a\r\n", {u"a"}},
        {u"\r\n", {u""}},
        {u"a\r\n\r\n", {u"a", u""}},
        {u"", {}},
    };
    for (const auto& c : cases) {
        TWideStringList list;
        list.SetTextStr(c.text);
        EXPECT_EQ(Lines(list), c.lines);
    }
    TWideStringList one;
    one.Add(u"");
    EXPECT_EQ(one.GetTextStr(), u"\r\n");
}

TEST(WideStringListTest, FilesRoundTrip)
{
    vls::test::ScopedConfig config;
    vls::test::TempDir dir;
    const auto name = [&](const char* file) { return vls::win32::ToWindowsPath((dir / file).string()); };

    // Big-endian input comes back little-endian with its mark.
    dir.write("be.str", Bytes({0xFE, 0xFF, 0x04, 0x10, 0x00, 0x0D, 0x00, 0x0A, 0x00, 'B'}));
    TWideStringList list;
    list.LoadFromFile(name("be.str"));
    EXPECT_EQ(Lines(list), (std::vector<WideString>{u"\u0410", u"B"}));
    list.SaveToFile(name("le.str"));
    EXPECT_TRUE(list.Saved());
    EXPECT_EQ(dir.read("le.str"), Bytes({0xFF, 0xFE, 0x10, 0x04, 0x0D, 0, 0x0A, 0, 'B', 0, 0x0D, 0, 0x0A, 0}));
    TWideStringList again;
    again.LoadFromFile(name("le.str"));
    EXPECT_TRUE(again.Equals(&list));

    dir.write("ansi.str", "one\r\ntw\xE9\r\n");
    TWideStringList ansi;
    ansi.LoadFromFile(name("ansi.str"));
    EXPECT_EQ(Lines(ansi), (std::vector<WideString>{u"one", u"tw\u00E9"}));
    ansi.SaveToFile(name("ansi2.str"));
    EXPECT_EQ(dir.read("ansi2.str"), "one\r\ntw\xE9\r\n");
}

TEST(WideStringListTest, MissingFileRaisesTheWin32Error)
{
    vls::test::ScopedConfig config;
    vls::test::TempDir dir;
    TWideStringList list;
    list.Add(u"kept");
    try {
        list.LoadFromFile(vls::win32::ToWindowsPath((dir / "none.str").string()));
        FAIL() << "no exception";
    } catch (const vcl::EWin32Error& e) {
        EXPECT_EQ(e.Message.rfind("Win32-Fehler. Code: 2.\r\n", 0), 0u) << e.Message;
    }
    EXPECT_EQ(Lines(list), (std::vector<WideString>{u"kept"}));
}

TEST(WideStringListTest, AnsiSaveAsksBeforeLosingCharacters)
{
    TWideStringList list;
    list.Add(u"\u0416x");
    int asked = 0;
    list.OnConfirmConversion = [&](vcl::TObject* sender, bool& allowed) {
        EXPECT_EQ(sender, &list);
        ++asked;
        allowed = false;
    };
    EXPECT_EQ(SavedBytes(list), "");
    EXPECT_FALSE(list.Saved());
    EXPECT_EQ(asked, 1);

    list.OnConfirmConversion = nullptr;
    EXPECT_EQ(SavedBytes(list), "?x\r\n");
    EXPECT_TRUE(list.Saved());

    // Nothing lossy: the event is not asked.
    TWideStringList plain;
    plain.Add(u"\u00FCber");
    plain.OnConfirmConversion = [&](vcl::TObject*, bool&) { ++asked; };
    EXPECT_EQ(SavedBytes(plain), "\xFC" "ber\r\n");
    EXPECT_EQ(asked, 1);
}

TEST(WideStringListTest, RefusedSaveLeavesTheOldFile)
{
    vls::test::ScopedConfig config;
    vls::test::TempDir dir;
    dir.write("keep.str", "old\r\n");
    TWideStringList list;
    list.Add(u"\u0416");
    list.OnConfirmConversion = [](vcl::TObject*, bool& allowed) { allowed = false; };
    list.SaveToFile(vls::win32::ToWindowsPath((dir / "keep.str").string()));
    EXPECT_EQ(dir.read("keep.str"), "old\r\n");
}

TEST(WideStringListTest, ChangeEventsFrameEachChangeAndBrackets)
{
    TWideStringList list;
    EventLog log(list);
    list.Clear();
    EXPECT_EQ(log.events, "");
    list.Add(u"a");
    list.Insert(0, u"b");
    list.Put(0, u"c");
    list.Exchange(0, 1);
    list.Delete(0);
    EXPECT_EQ(log.events, "<><><><><>");
    log.events.clear();
    list.Clear();
    EXPECT_EQ(log.events, "<>");
    log.events.clear();
    list.SetTextStr(u"x\ny\nz");
    LoadBytes(list, "1\n2");
    EXPECT_EQ(log.events, "<><>");
    log.events.clear();
    list.Move(0, 1);
    EXPECT_EQ(Lines(list), (std::vector<WideString>{u"2", u"1"}));
    EXPECT_EQ(log.events, "<>");
}

TEST(WideStringListTest, IndexErrorsLeaveTheListAsItWas)
{
    TWideStringList list;
    list.Add(u"a");
    const struct {
        const char* name;
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {"get", [&] { list.Get(1); }, "Der Index der Liste überschreitet das Maximum (1)"},
        {"get negative", [&] { list.Get(-1); }, "Der Index der Liste überschreitet das Maximum (-1)"},
        {"object", [&] { list.GetObject(5); }, "Der Index der Liste überschreitet das Maximum (5)"},
        {"put", [&] { list.Put(1, u"x"); }, "Der Index der Liste überschreitet das Maximum (1)"},
        {"delete", [&] { list.Delete(1); }, "Der Index der Liste überschreitet das Maximum (1)"},
        {"exchange second", [&] { list.Exchange(0, 3); }, "Der Index der Liste überschreitet das Maximum (3)"},
        {"insert past the end", [&] { list.Insert(2, u"x"); }, "Der Index der Liste überschreitet das Maximum (2)"},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name;
        } catch (const vcl::EStringListError& e) {
            EXPECT_EQ(e.Message, c.message) << c.name;
        }
        EXPECT_EQ(Lines(list), (std::vector<WideString>{u"a"})) << c.name;
    }
    list.Insert(1, u"end");
    EXPECT_EQ(list.Get(1), u"end");
}

TEST(WideStringListTest, SortedModeFindsAndRefusesByDuplicates)
{
    TWideStringList list;
    list.SetTextStr(u"pear\napple\nFig\nbanana");
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), (std::vector<WideString>{u"apple", u"banana", u"Fig", u"pear"}));
    EXPECT_EQ(list.IndexOf(u"FIG"), 2);
    EXPECT_EQ(list.IndexOf(u"kiwi"), -1);
    EXPECT_EQ(list.Add(u"cherry"), 2);
    EXPECT_EQ(list.Add(u"APPLE"), 0);  // dupIgnore
    EXPECT_EQ(list.Count(), 5);
    EXPECT_THROW(list.Put(0, u"x"), vcl::EStringListError);
    EXPECT_THROW(list.Insert(0, u"x"), vcl::EStringListError);
    list.SetDuplicates(dupError);
    try {
        list.Add(u"pear");
        FAIL();
    } catch (const vcl::EStringListError& e) {
        EXPECT_EQ(e.Message, "In der Stringliste sind Duplikate nicht erlaubt");
    }
    list.SetDuplicates(dupAccept);
    list.Add(u"b");
    list.Add(u"B");
    list.Add(u"b");
    int index = -1;
    EXPECT_TRUE(list.Find(u"B", index));
    EXPECT_EQ(index, 1);  // the first of the run of equal strings
}

TEST(WideStringListTest, SortKeepsAllItemsWithManyDuplicates)
{
    TWideStringList list;
    std::vector<WideString> expected;
    for (int i = 0; i < 200; ++i) {
        const WideString s(1, static_cast<char16_t>(u'a' + (i * 7) % 5));
        list.AddObject(s, reinterpret_cast<void*>(static_cast<std::uintptr_t>(i + 1)));
        expected.push_back(s);
    }
    std::sort(expected.begin(), expected.end());
    list.Sort();
    EXPECT_EQ(Lines(list), expected);
    EXPECT_EQ(list.GetCapacity(), 228);  // 4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228
}

TEST(WideStringListTest, CaseInsensitiveLookupButExactEquals)
{
    TWideStringList a;
    TWideStringList b;
    a.Add(u"ABC");
    b.Add(u"abc");
    EXPECT_EQ(a.IndexOf(u"abc"), 0);
    EXPECT_FALSE(a.Equals(&b));
    EXPECT_EQ(WideCompareText(u"", u"", a.Language()), 0);
    EXPECT_LT(WideCompareText(u"a", u"B", a.Language()), 0);
    EXPECT_EQ(CompareTextWin95(u"\u00C4rger", u"\u00E4RGER", a.Language()), 0);
}

TEST(WideStringListTest, WideStringToAnsiGivesOneBytePerUnit)
{
    const AnsiString cyr = WideStringToAnsi(u"\u0410\u044F\u0416", 1251);
    EXPECT_EQ(cyr, "\xC0\xFF\xC6");
    EXPECT_EQ(WideStringToAnsi(u"\u4E2Dx", 1251), "?x");
    EXPECT_EQ(WideStringToAnsi(u"", 1251), "");
}

TEST(WideStringListTest, AssignsToAndFromClassLibraryLists)
{
    vcl::TStringList ansi;
    ansi.AddObject("gr\xFC\xDF", &ansi);
    TWideStringList wide;
    wide.Add(u"gone");
    wide.Assign(&ansi);
    EXPECT_EQ(Lines(wide), (std::vector<WideString>{u"gr\u00FC\u00DF"}));
    EXPECT_EQ(wide.GetObject(0), &ansi);

    wide.Add(u"\u00E9");
    vcl::TStringList back;
    back.Assign(&wide);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Get(1), "\xE9");
    EXPECT_EQ(back.GetObject(0), &ansi);

    TWideStringList copy;
    copy.Assign(&wide);
    EXPECT_TRUE(copy.Equals(&wide));
    vcl::TPersistent notAList;
    EXPECT_THROW(copy.Assign(&notAList), vcl::Exception);
}

// A component holding a list, to carry the stored property through a stream.
class THolder : public vcl::TComponent {
    VCL_DECLARE_CLASS(THolder, vcl::TComponent)
public:
    explicit THolder(vcl::TComponent* owner) : TComponent(owner) {}
    void DefineProperties(vcl::TFiler* filer) override { list.DefineProperties(filer); }
    TWideStringList list;
};
VCL_IMPLEMENT_CLASS(THolder, vcl::TComponent, [](auto& b) { b.Component(); })

TEST(WideStringListTest, WideStringsPropertyStreams)
{
    THolder source(nullptr);
    source.list.SetTextStr(u"\u041F\u0440\u0438\nsecond");
    TMemoryStream stream;
    stream.WriteComponent(&source);
    const auto& bytes = stream.Bytes();
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin("WideStrings"), std::end("WideStrings") - 1), bytes.end());

    THolder target(nullptr);
    target.list.Add(u"replaced");
    stream.SetPosition(0);
    stream.ReadComponent(&target);
    EXPECT_TRUE(target.list.Equals(&source.list));

    THolder empty(nullptr);
    TMemoryStream emptyStream;
    emptyStream.WriteComponent(&empty);
    const auto& emptyBytes = emptyStream.Bytes();
    EXPECT_EQ(std::search(emptyBytes.begin(), emptyBytes.end(), std::begin("WideStrings"), std::end("WideStrings") - 1),
              emptyBytes.end());
}

TEST(WideStringListTest, BaseClassPrimitivesAreAbstract)
{
    TWideStrings base;
    EXPECT_THROW(base.Get(0), EAbstractError);
    EXPECT_THROW(base.Clear(), EAbstractError);
    EXPECT_THROW(base.Add(u"x"), EAbstractError);
    EXPECT_EQ(base.GetObject(0), nullptr);
}

TEST(WideStringListTest, WideBufferHelpers)
{
    TWideStringList list;
    list.Add(u"ab");
    char16_t* text = list.GetText();
    EXPECT_EQ(StrLenW(text), 4u);
    EXPECT_EQ(WideString(text), u"ab\r\n");
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<std::uint8_t*>(text) - 4, 4);
    EXPECT_EQ(bytes, 5u * 2 + 4);
    StrMoveW(text + 1, text, 3);  // overlapping, forward
    EXPECT_EQ(WideString(text), u"aab\r");
    StrDisposeW(text);
    EXPECT_EQ(StrNewW(nullptr), nullptr);

    char16_t swapped[] = {0x4100, 0x4200, 0, 0x4300};
    StrSwapByteOrder(swapped);
    EXPECT_EQ(swapped[0], u'A');
    EXPECT_EQ(swapped[1], u'B');
    EXPECT_EQ(swapped[3], 0x4300);  // past the terminator
}

}  // namespace
