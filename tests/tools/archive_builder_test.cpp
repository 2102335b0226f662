#include "engine/base/datafile_map.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"

#include <gtest/gtest.h>

namespace vls::tools {
namespace {

TEST(ArchiveBuilder, PacksEntriesPerArchiveInOrder)
{
    ArchiveBuilder builder;
    builder.Add("a", "12345");
    builder.Add("b", "xy", "002");
    builder.Add("C.Image", "678");
    const std::vector<DatafileMapEntry> entries = builder.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].name, "c.image");
    EXPECT_EQ(entries[1].archive, "002");
    EXPECT_EQ(entries[1].offset, 0u);
    EXPECT_EQ(entries[2].offset, 5u);
    EXPECT_EQ(entries[2].size, 3u);
    const std::vector<std::uint8_t> archive = builder.ArchiveBytes("001");
    EXPECT_EQ(std::string(archive.begin(), archive.end()), "12345678");

    const std::vector<std::uint8_t> map = builder.MapBytes();
    EXPECT_EQ(map.size(), 4 + 3 * kDatafileMapEntrySize);
    std::vector<DatafileMapEntry> parsed;
    ASSERT_TRUE(ParseDatafileMap(map.data(), map.size(), parsed));
    EXPECT_EQ(parsed[2].name, "c.image");
    EXPECT_EQ(parsed[2].offset, 5u);

    vls::test::TempDir dir;
    builder.AddOverride("project", "loose");
    ASSERT_TRUE(builder.Write(dir.path()));
    EXPECT_EQ(dir.read("resource.002"), "xy");
    EXPECT_EQ(dir.read("updates/project"), "loose");
}

TEST(ArchiveBuilder, DamagedMapsFailToParse)
{
    ArchiveBuilder builder;
    builder.Add("a", "1");
    builder.Add("b", "2");
    for (const MapDamage damage :
        {MapDamage::kShortHeader, MapDamage::kCountPastEnd, MapDamage::kNegativeCount, MapDamage::kTruncatedRecord}) {
        const std::vector<std::uint8_t> map = DamageMap(builder.MapBytes(), damage);
        std::vector<DatafileMapEntry> parsed;
        EXPECT_FALSE(ParseDatafileMap(map.data(), map.size(), parsed)) << static_cast<int>(damage);
    }
}

} // namespace
} // namespace vls::tools
