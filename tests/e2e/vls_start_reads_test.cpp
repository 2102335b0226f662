// What the engine reads from disk before its first frame on the demo.
#include "tests/e2e/driven_program.h"
#include "tests/support/demo_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using vls::e2e::DrivenProgram;
using vls::e2e::FifoDriver;

// The bytes a live process has read so far ("rchar" of /proc/<pid>/io).
std::int64_t BytesRead(pid_t pid)
{
    std::ifstream counters("/proc/" + std::to_string(pid) + "/io");
    std::string name;
    std::int64_t value = -1;
    while (counters >> name >> value) {
        if (name == "rchar:")
            return value;
    }
    return -1;
}

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
    const std::int64_t read = BytesRead(program.Pid());
    const auto archive = static_cast<std::int64_t>(std::filesystem::file_size(program.work / "resource.001"));
    driver.CloseInput();
    EXPECT_EQ(program.Wait(), 0) << program.Errors();
    ASSERT_GT(read, 0);
    EXPECT_LT(read, archive) << read << " bytes read of an archive of " << archive;
}

} // namespace
