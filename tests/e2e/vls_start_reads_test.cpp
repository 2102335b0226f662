// What the engine reads from disk before its first frame on the demo.
#include "tests/e2e/driven_program.h"
#include "tests/support/bytes_read.h"
#include "tests/support/demo_data.h"
#include "tests/support/file_bytes.h"
#include "engine/base/datafile_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using vls::e2e::DrivenProgram;
using vls::e2e::FifoDriver;

// The demo's videos sit near the end of its archive; reading each to the
// archive's end, as a video that ignored its entry's bounds did, read more
// than the whole archive before the first frame.
TEST(VlsStartReads, TheFirstFrameReadsLessThanTheArchiveHolds)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    vls::test::CopyDemoArchive(program.work.path());
    FifoDriver driver(program.config);
    program.Start(driver.InputPath(), driver.AckPath());
    ASSERT_TRUE(driver.Connect());
    driver.Send("step 0\n");
    ASSERT_EQ(driver.NextAck().substr(0, 2), "1 ");
    const std::int64_t read = vls::test::BytesRead(std::to_string(program.Pid()));
    const auto archive = static_cast<std::int64_t>(std::filesystem::file_size(program.work / "resource.001"));
    driver.CloseInput();
    EXPECT_EQ(program.Wait(), 0) << program.Errors();
    ASSERT_GT(read, 0);
    EXPECT_LT(read, archive) << read << " bytes read of an archive of " << archive;
    // The harbour's views other than the one the game starts in are read
    // when they are first shown: the first frame reads less than the
    // scene's views hold together.
    std::vector<DatafileMapEntry> entries;
    const std::vector<std::uint8_t> map = vls::test::ReadFileBytes(program.work / "resource.map");
    ASSERT_TRUE(ParseDatafileMap(map.data(), map.size(), entries));
    std::int64_t views = 0;
    for (const DatafileMapEntry& entry : entries) {
        if (entry.name.rfind("harbour_", 0) == 0 && entry.name.ends_with(".view"))
            views += entry.size;
    }
    EXPECT_LT(read, views) << read << " bytes read; the harbour's views hold " << views;
}

} // namespace
