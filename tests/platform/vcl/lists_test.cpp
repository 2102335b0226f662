#include <gtest/gtest.h>

#include "platform/vcl/lists.h"
#include "platform/vcl/streams.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

namespace {

TEST(Lists, IndexErrorsCarryTheGermanText)
{
    TStringList strings;
    strings.Add("a");
    try {
        strings.Get(5);
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_STREQ(e.what(), "Der Index der Liste überschreitet das Maximum (5)");
    }
    EXPECT_THROW(strings.Delete(-1), EStringListError);
    EXPECT_THROW(strings.Insert(3, "x"), EStringListError);
    TList list;
    try {
        list.Get(0);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message, "Der Index der Liste überschreitet das Maximum (0)");
    }
    EXPECT_THROW(list.SetCapacity(-1), EListError);
}

TEST(Lists, SortedStringListsAndDuplicates)
{
    TStringList s;
    s.SetSorted(true);
    for (const char* t : {"pear", "Apple", "fig", "apple"})
        s.Add(t);
    EXPECT_EQ(s.Text(), "Apple\r\nfig\r\npear\r\n");  // dupIgnore, case-insensitive
    s.SetDuplicates(dupError);
    try {
        s.Add("FIG");
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message, consts::SDuplicateString);
    }
    EXPECT_THROW(s.Insert(0, "x"), EStringListError);
    int index = -1;
    EXPECT_TRUE(s.Find("PEAR", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(s.Find("grape", index));
    EXPECT_EQ(index, 2);
    s.SetDuplicates(dupAccept);
    s.Add("fig");
    EXPECT_EQ(s.Count(), 4);
}

TEST(Lists, TextCommaTextAndValues)
{
    TStringList s;
    s.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(s.Count(), 4);
    s.SetCommaText("one, \"two words\",\"say \"\"hi\"\"\",,last");
    ASSERT_EQ(s.Count(), 5);
    EXPECT_EQ(s[1], "two words");
    EXPECT_EQ(s[2], "say \"hi\"");
    EXPECT_EQ(s[3], "");
    EXPECT_EQ(s.CommaText(), "one,\"two words\",\"say \"\"hi\"\"\",\"\",last");
    s.Clear();
    s.Add("Path=C:\\Games");
    s.SetValue("Mode", "1");
    EXPECT_EQ(s.Values("path"), "C:\\Games");
    EXPECT_EQ(s.Names(1), "Mode");
    s.SetValue("Mode", "");
    EXPECT_EQ(s.Count(), 1);

    int changes = 0;
    s.OnChange = [&](TObject*) { ++changes; };
    s.BeginUpdate();
    s.Add("x");
    s.Add("y");
    s.EndUpdate();
    EXPECT_EQ(changes, 1);
}

TEST(Streams, ShortReadsRaiseAndFilesWork)
{
    TMemoryStream m;
    const char data[] = "abcdef";
    m.WriteBuffer(data, 6);
    m.SetPosition(2);
    char buffer[8] = {};
    EXPECT_EQ(m.Read(buffer, 8), 4);
    m.SetPosition(4);
    EXPECT_THROW(m.ReadBuffer(buffer, 3), EReadError);
    try {
        m.SetPosition(5);
        m.ReadBuffer(buffer, 2);
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message, "Stream-Lesefehler");
    }

    vls::test::TempDir dir;
    const std::string name = (dir / "lines.txt").string();
    TStringList lines;
    lines.Add("one");
    lines.Add("two");
    lines.SaveToFile(name);
    EXPECT_EQ(dir.read("lines.txt"), "one\r\ntwo\r\n");
    TStringList back;
    back.LoadFromFile(name);
    EXPECT_TRUE(back.Equals(&lines));
    EXPECT_THROW(TFileStream((dir / "missing.txt").string(), fmOpenRead), EFOpenError);
    try {
        TFileStream f((dir / "missing.txt").string(), fmOpenRead);
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message, "Datei " + (dir / "missing.txt").string() + " kann nicht geöffnet werden");
    }
}

}  // namespace
