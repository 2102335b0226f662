#include "engine/base/dynarray.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct MenuEntry {
    int32_t a = 0, b = 0, c = 0, d = 0;
};

class RecordingLink : public cKestruneEngineLink {
public:
    RecordingLink() { SetEngineLink(this); }
    ~RecordingLink() override { SetEngineLink(nullptr); }

    char* GetErrorText() override { return text; }
    int Error(const char* module, const char* where, int fatal) override
    {
        reports.push_back(std::string(module) + "[" + where + "]" + (fatal ? "!" : "") + text);
        return 0;
    }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts; }

    char text[kErrorTextSize] = {};
    std::vector<std::string> reports;
    DynArray<cKestruneScript*> scripts;
};

TEST(DynArray, GrowsByFiveOrToTheCount)
{
    DynArray<uint32_t> a;
    EXPECT_EQ(a.capacity, 5);
    EXPECT_EQ(a.count, 0);
    std::vector<int32_t> capacities;
    for (uint32_t i = 0; i < 11; ++i) {
        EXPECT_EQ(a.Add(i * 10), static_cast<int32_t>(i));
        capacities.push_back(a.capacity);
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{5, 5, 5, 5, 5, 10, 10, 10, 10, 10, 15}));
    for (uint32_t i = 0; i < 11; ++i)
        EXPECT_EQ(a.data[i], i * 10);
}

TEST(DynArray, AddingOneOfItsOwnElementsSurvivesTheGrowth)
{
    DynArray<cString> a;
    for (const char* text : {"alpha", "beta", "gamma", "delta", "epsilon"})
        a.Add(text);
    ASSERT_EQ(a.count, a.capacity);
    EXPECT_EQ(a.Add(a.At(0)), 5);
    EXPECT_EQ(a.capacity, 10);
    EXPECT_STREQ(a.At(5).GetText(), "alpha");
    EXPECT_STREQ(a.At(0).GetText(), "alpha");
}

TEST(DynArray, AtClampsToTheLastElement)
{
    DynArray<uint32_t> a;
    a.Add(1);
    a.Add(2);
    a.Add(3);
    EXPECT_EQ(a.At(0), 1u);
    EXPECT_EQ(a.At(2), 3u);
    EXPECT_EQ(a.At(7), 3u);
    EXPECT_EQ(a.At(-4), 1u);
}

TEST(DynArray, SetCapacityNeverDropsElements)
{
    DynArray<MenuEntry> a;
    for (int32_t i = 0; i < 4; ++i)
        a.Add({i, i + 1, i + 2, i + 3});
    a.SetCapacity(2);
    EXPECT_EQ(a.capacity, 4);
    ASSERT_EQ(a.count, 4);
    EXPECT_EQ(a.At(3).d, 6);
    a.SetCapacity(12);
    EXPECT_EQ(a.capacity, 12);
    EXPECT_EQ(a.At(0).b, 1);
    // Full at a capacity that is not a multiple of five: grows by five again.
    DynArray<cString> s;
    s.SetCapacity(1);
    s.Add("x");
    s.Add("y");
    EXPECT_EQ(s.capacity, 6);
    EXPECT_STREQ(s.At(0).GetText(), "x");
    EXPECT_STREQ(s.At(1).GetText(), "y");
}

TEST(DynArray, ReadingAnEmptyArrayReportsAndYieldsADefault)
{
    RecordingLink link;
    DynArray<cString> strings;
    EXPECT_STREQ(strings.At(0).GetText(), "");
    DynArray<uint32_t> numbers;
    numbers.Add(9);
    numbers.count = 0;
    EXPECT_EQ(numbers.At(3), 0u);
    ASSERT_EQ(link.reports.size(), 2u);
    EXPECT_EQ(link.reports[0], "dynarray[At]Element read from an empty array.");
}

TEST(DynArray, RemoveAtKeepsOrder)
{
    DynArray<uint32_t> a;
    for (uint32_t i = 1; i <= 6; ++i)
        a.Add(i);
    a.RemoveAt(1);
    a.RemoveAt(9);
    ASSERT_EQ(a.count, 5);
    EXPECT_EQ(std::vector<uint32_t>(a.data, a.data + a.count), (std::vector<uint32_t>{1, 3, 4, 5, 6}));
}

TEST(EngineLink, ReportsGoToTheInstalledEngine)
{
    RecordingLink link;
    EXPECT_EQ(ReportError("filesystem", "resource.map", 1, "Cannot open %s (%d%%).", "x", 50), 0);
    ASSERT_EQ(link.reports.size(), 1u);
    EXPECT_EQ(link.reports[0], "filesystem[resource.map]!Cannot open x (50%).");
}

TEST(EngineLink, LongMessagesAreCutToTheBuffer)
{
    RecordingLink link;
    const std::string longText(600, 'x');
    ReportError("m", "", 0, "%s", longText.c_str());
    EXPECT_EQ(std::string(link.text).size(), static_cast<size_t>(kErrorTextSize - 1));
}

TEST(EngineLink, LiveScriptListFollowsTheEngine)
{
    auto* const s1 = reinterpret_cast<cKestruneScript*>(0x1000);
    auto* const s2 = reinterpret_cast<cKestruneScript*>(0x2000);
    auto* const s3 = reinterpret_cast<cKestruneScript*>(0x3000);
    {
        RecordingLink link;
        AddLiveScript(s1);
        AddLiveScript(s2);
        AddLiveScript(s3);
        RemoveLiveScript(s2);
        EXPECT_TRUE(IsLiveScript(s1));
        EXPECT_FALSE(IsLiveScript(s2));
        ASSERT_EQ(link.scripts.count, 2);
        EXPECT_EQ(link.scripts.data[1], s3);
    }
    // Without an engine the stand-in list serves.
    EXPECT_FALSE(IsLiveScript(s1));
    AddLiveScript(s1);
    EXPECT_TRUE(IsLiveScript(s1));
    RemoveLiveScript(s1);
    EXPECT_FALSE(IsLiveScript(s1));
}

} // namespace
