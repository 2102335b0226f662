#include "engine/app/refused_savegame.h"

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace vls::test {
namespace {

class RefusedSavegame : public ::testing::Test {
protected:
    RefusedSavegame() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(work_.path()); }
    ~RefusedSavegame() override { std::filesystem::current_path(previous_); }

    TempDir work_;
    std::filesystem::path previous_;
};

// Each refused start keeps its file under the next free name, and the log
// says where; an earlier kept file is never replaced.
TEST_F(RefusedSavegame, KeepsEachRefusedFileUnderAFreeName)
{
    EXPECT_EQ(KeepRefusedSavegame("lastgame"), "") << "nothing there, nothing moved";
    const std::vector<std::uint8_t> first{1, 2, 3};
    const std::vector<std::uint8_t> second{4, 5};
    WriteFileBytes(work_.path() / "lastgame", first);
    testing::internal::CaptureStdout();
    EXPECT_EQ(KeepRefusedSavegame("lastgame"), "lastgame.refused");
    WriteFileBytes(work_.path() / "lastgame", second);
    EXPECT_EQ(KeepRefusedSavegame("lastgame"), "lastgame.refused.2");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(std::filesystem::exists(work_.path() / "lastgame"));
    EXPECT_EQ(ReadFileBytes(work_.path() / "lastgame.refused"), first);
    EXPECT_EQ(ReadFileBytes(work_.path() / "lastgame.refused.2"), second);
    EXPECT_NE(log.find("Savegame lastgame was not loaded; it is kept as lastgame.refused.\n"), std::string::npos) << log;
    EXPECT_NE(log.find("it is kept as lastgame.refused.2.\n"), std::string::npos) << log;

    // A FIFO in its place is moved aside unopened as well.
    ASSERT_EQ(mkfifo((work_.path() / "lastgame").c_str(), 0644), 0);
    EXPECT_EQ(KeepRefusedSavegame("lastgame"), "lastgame.refused.3");
}

} // namespace
} // namespace vls::test
