// The datafile file system over folders built by the archive builder.

#include "engine/base/datafile_text_reader.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "platform/crt/crt_io.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace vls::test {
namespace {

class ReportLog : public cKestruneEngineLink {
public:
    struct Report {
        std::string module;
        std::string where;
        std::string text;
        int fatal;
    };
    ReportLog() { SetEngineLink(this); }
    ~ReportLog() override { SetEngineLink(nullptr); }
    char* GetErrorText() override { return text_; }
    int Error(const char* module, const char* where, int fatal) override
    {
        reports.push_back({module, where, text_, fatal});
        return 0;
    }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts_; }

    std::vector<Report> reports;

private:
    char text_[kErrorTextSize] = {};
    DynArray<cKestruneScript*> scripts_;
};

std::size_t OpenDescriptorCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// A working folder of its own, drive links in a private config folder.
class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(work_.path());
        std::filesystem::create_directories(config_.path() / "drives");
    }
    ~FileSystemTest() override { std::filesystem::current_path(previous_); }

    void AddDrive(char letter, const std::filesystem::path& folder)
    {
        std::filesystem::create_directory_symlink(folder, config_.path() / "drives" / (std::string(1, letter) + ":"));
    }

    std::string ReadAll(cKestruneFileSystem& files, std::int32_t slot)
    {
        std::string bytes(static_cast<std::size_t>(files.GetSize(slot)), '\0');
        EXPECT_EQ(files.Read(slot, bytes.data(), static_cast<std::int32_t>(bytes.size())), 0);
        return bytes;
    }

    ScopedConfig config_;
    TempDir work_;
    ReportLog log_;
    std::filesystem::path previous_;
};

TEST_F(FileSystemTest, OverrideWinsOverThePackedEntryAndNamesMatchInLowerCase)
{
    tools::ArchiveBuilder builder;
    builder.Add("project", "packed project");
    builder.Add("font1", "font bytes");
    builder.AddOverride("project", "loose");
    ASSERT_TRUE(builder.Write(work_.path()));

    cKestruneFileSystem files;
    ASSERT_EQ(files.ready, 1);
    EXPECT_EQ(files.count, 2);
    const std::int32_t project = files.Open("project");
    ASSERT_EQ(project, 1);
    EXPECT_EQ(files.recordIndex[project], -1);
    EXPECT_EQ(files.GetSize(project), 5);
    EXPECT_EQ(ReadAll(files, project), "loose");

    const std::int32_t font = files.Open("Font1");
    ASSERT_EQ(font, 2);
    EXPECT_STREQ(files.slotNames[font], "Font1");
    EXPECT_EQ(ReadAll(files, font), "font bytes");
    EXPECT_EQ(files.Exists("FONT1"), 1);
    EXPECT_EQ(files.Exists("font2"), 0);
    EXPECT_TRUE(log_.reports.empty());
    files.Close(project);
    files.Close(font);
}

TEST_F(FileSystemTest, WorkingFolderComesBeforeTheDriveRoots)
{
    TempDir discD;
    TempDir discE;
    AddDrive('d', discD.path());
    AddDrive('e', discE.path());
    tools::ArchiveBuilder here;
    here.Add("scene", "from the working folder", "001");
    here.Add("movie", "from the disc", "002");
    ASSERT_TRUE(here.WriteMap(work_.path()));
    tools::ArchiveBuilder local;
    local.Add("scene", "from the working folder", "001");
    ASSERT_TRUE(local.WriteArchives(work_.path()));
    tools::ArchiveBuilder disc;
    disc.Add("scene", "from drive d", "001");
    ASSERT_TRUE(disc.WriteArchives(discD.path()));
    ASSERT_TRUE(here.WriteArchives(discE.path()));

    cKestruneFileSystem files;
    std::string path = "scene";
    EXPECT_EQ(files.Locate(path), 0);
    EXPECT_EQ(path, "resource.001");
    path = "movie";
    EXPECT_EQ(files.Locate(path), 1);
    EXPECT_EQ(path, "e:\\resource.002");
    const std::int32_t slot = files.Open("movie");
    EXPECT_EQ(ReadAll(files, slot), "from the disc");
    EXPECT_TRUE(log_.reports.empty());
}

TEST_F(FileSystemTest, ArchiveOnNoDriveGivesTwoReportsButStillExists)
{
    tools::ArchiveBuilder builder;
    builder.Add("intro.image", "x", "002");
    ASSERT_TRUE(builder.WriteMap(work_.path()));
    cKestruneFileSystem files;
    EXPECT_EQ(files.Open("intro.image"), -1);
    ASSERT_EQ(log_.reports.size(), 2u);
    EXPECT_EQ(log_.reports[0].text, "File open failed.");
    EXPECT_EQ(log_.reports[0].module, "filesystem/sf");
    EXPECT_EQ(log_.reports[0].where, "z:\\resource.002");
    EXPECT_EQ(log_.reports[1].text, "File not found.");
    EXPECT_EQ(log_.reports[1].module, "filesystem");
    EXPECT_EQ(log_.reports[1].where, "intro.image");
    EXPECT_EQ(log_.reports[1].fatal, 0);
    EXPECT_EQ(files.Exists("intro.image"), 1);
}

TEST_F(FileSystemTest, FiftiethOpenFailsSilentlyAndLeavesNothingOpen)
{
    tools::ArchiveBuilder builder;
    builder.Add("a", "abc");
    ASSERT_TRUE(builder.Write(work_.path()));
    cKestruneFileSystem files;
    const std::size_t before = OpenDescriptorCount();
    for (std::int32_t i = 1; i <= 49; ++i)
        ASSERT_EQ(files.Open("a"), i);
    EXPECT_EQ(files.Open("a"), -1);
    EXPECT_TRUE(log_.reports.empty());
    EXPECT_EQ(OpenDescriptorCount(), before + 49);
    for (std::int32_t i = 1; i <= 49; ++i)
        EXPECT_EQ(files.Close(i), 0);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(files.Open("a"), 1);
    files.Close(1);
}

TEST_F(FileSystemTest, SeekAndPositionWorkWithinTheEntry)
{
    tools::ArchiveBuilder builder;
    builder.Add("first", "0123456789");
    builder.Add("second", "abcdef");
    ASSERT_TRUE(builder.Write(work_.path()));
    cKestruneFileSystem files;
    const std::int32_t slot = files.Open("second");
    EXPECT_EQ(files.GetPos(slot), 10);
    char bytes[3] = {};
    ASSERT_EQ(files.Seek(slot, 2), 0);
    EXPECT_EQ(files.GetPos(slot), 12);
    ASSERT_EQ(files.Read(slot, bytes, 2), 0);
    EXPECT_EQ(std::string(bytes, 2), "cd");
    ASSERT_EQ(files.Seek(slot, 0), 0);
    EXPECT_EQ(files.GetPos(slot), 10);
    EXPECT_EQ(files.GetRemaining(slot), 6);
    EXPECT_EQ(files.Seek(slot, -11), -1);
    EXPECT_EQ(log_.reports.back().text, "File seeking failed.");
    files.Close(slot);
}

TEST_F(FileSystemTest, ReadsStopAtTheEntrysEnd)
{
    tools::ArchiveBuilder builder;
    builder.Add("first", "1234");
    builder.Add("second", "NEXT");
    ASSERT_TRUE(builder.Write(work_.path()));
    cKestruneFileSystem files;
    const std::int32_t slot = files.Open("first");
    char bytes[8] = {};
    EXPECT_EQ(files.Read(slot, bytes, 6), -1);
    EXPECT_EQ(std::string(bytes, 6), std::string("1234\0\0", 6));
    EXPECT_EQ(log_.reports.back().text, "File reading failed.");
    ASSERT_EQ(files.Seek(slot, 0), 0);
    EXPECT_EQ(files.ReadAlloc(slot, 5), nullptr);
    EXPECT_EQ(files.ReadAlloc(slot, -1), nullptr);
    EXPECT_EQ(log_.reports.back().text, "Memory allocation of size -1 failed.");
    void* const whole = files.ReadAlloc(slot, 4);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(whole), 4), "1234");
    std::free(whole);
    files.Close(slot);
}

TEST_F(FileSystemTest, EmptyMapFindsOnlyOverrides)
{
    tools::ArchiveBuilder builder;
    builder.AddOverride("patch.txt", "p");
    ASSERT_TRUE(builder.Write(work_.path()));
    cKestruneFileSystem files;
    EXPECT_EQ(files.ready, 1);
    EXPECT_EQ(files.Exists("patch.txt"), 1);
    EXPECT_EQ(files.Exists("project"), 0);
    EXPECT_EQ(files.Open("project"), -1);
    EXPECT_EQ(log_.reports.back().text, "File not found.");
    const std::int32_t slot = files.Open("patch.txt");
    EXPECT_EQ(ReadAll(files, slot), "p");
    files.Close(slot);
}

TEST_F(FileSystemTest, BadSlotsAndLongNamesAreRefused)
{
    tools::ArchiveBuilder builder;
    builder.Add("a", "abc");
    ASSERT_TRUE(builder.Write(work_.path()));
    cKestruneFileSystem files;
    char byte;
    for (const std::int32_t slot : {-1, 0, 7, 50, 1000}) {
        EXPECT_EQ(files.Read(slot, &byte, 1), -1) << slot;
        EXPECT_EQ(files.ReadAlloc(slot, 1), nullptr) << slot;
        EXPECT_EQ(files.Seek(slot, 0), -1) << slot;
        EXPECT_EQ(files.GetPos(slot), 0) << slot;
        EXPECT_EQ(files.GetSize(slot), 0) << slot;
        EXPECT_EQ(files.Close(slot), 0) << slot;
    }
    EXPECT_EQ(log_.reports.back().where, "GetPos");
    const std::string longName(5000, 'q');
    EXPECT_EQ(files.Open(longName.c_str()), -1);
    EXPECT_EQ(files.Exists(longName.c_str()), 0);
    const std::string name39 = "a" + std::string(60, 'B');
    builder.AddOverride(name39, "loose");
    ASSERT_TRUE(builder.WriteOverrides(work_.path()));
    const std::int32_t slot = files.Open(name39.c_str());
    ASSERT_GT(slot, 0);
    EXPECT_EQ(std::string(files.slotNames[slot]), name39.substr(0, 39));
    files.Close(slot);
}

TEST_F(FileSystemTest, HandleAndDescriptorReachTheEntry)
{
    tools::ArchiveBuilder builder;
    builder.Add("first", "xxxx");
    builder.Add("clip", "VIDEO");
    ASSERT_TRUE(builder.Write(work_.path()));
    cKestruneFileSystem files;
    const HANDLE handle = files.OpenHandle("clip");
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    char bytes[5] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(handle, bytes, 5, &got, nullptr));
    EXPECT_EQ(std::string(bytes, got), "VIDEO");
    EXPECT_EQ(files.CloseHandle(handle), 0);
    EXPECT_EQ(files.OpenHandle("nothing"), INVALID_HANDLE_VALUE);

    const std::int32_t slot = files.Open("clip");
    const int fd = files.GetDescriptor(slot);
    ASSERT_GT(fd, 0);
    files.ReleaseDescriptor(slot);
    _close(fd);
    EXPECT_EQ(files.Close(slot), 0);
    EXPECT_EQ(files.Open("clip"), slot);
    files.Close(slot);
}

TEST_F(FileSystemTest, DamagedMapsAreAFatalReport)
{
    tools::ArchiveBuilder builder;
    builder.Add("one", "1");
    builder.Add("two", "22");
    const tools::MapDamage damages[] = {tools::MapDamage::kShortHeader, tools::MapDamage::kCountPastEnd,
        tools::MapDamage::kNegativeCount, tools::MapDamage::kTruncatedRecord};
    for (const tools::MapDamage damage : damages) {
        ASSERT_TRUE(
            tools::WriteFileReplacing(work_.path() / "resource.map", tools::DamageMap(builder.MapBytes(), damage)));
        log_.reports.clear();
        cKestruneFileSystem files;
        EXPECT_EQ(files.ready, 0);
        EXPECT_EQ(files.count, 0);
        ASSERT_EQ(log_.reports.size(), 1u);
        EXPECT_EQ(log_.reports[0].text, "Reading resource map file failed.");
        EXPECT_EQ(log_.reports[0].fatal, 1);
    }
    std::filesystem::remove(work_.path() / "resource.map");
    log_.reports.clear();
    cKestruneFileSystem missing;
    EXPECT_EQ(missing.ready, 0);
    EXPECT_EQ(log_.reports.size(), 1u);
}

TEST_F(FileSystemTest, UnterminatedNamesStayInsideTheirFields)
{
    tools::ArchiveBuilder builder;
    builder.Add("n", "1");
    ASSERT_TRUE(tools::WriteFileReplacing(
        work_.path() / "resource.map", tools::DamageMap(builder.MapBytes(), tools::MapDamage::kUnterminatedName)));
    ASSERT_TRUE(builder.WriteArchives(work_.path()));
    cKestruneFileSystem files;
    ASSERT_EQ(files.ready, 1);
    EXPECT_EQ(files.records[0].name, "n" + std::string(67, 'x'));
    EXPECT_EQ(files.records[0].archive, "001");
    // Only an unterminated record could hold such a name: it is not found.
    const std::string full = "n" + std::string(67, 'x');
    EXPECT_EQ(files.Exists(full.c_str()), 0);
    EXPECT_EQ(files.Open(full.c_str()), -1);
    EXPECT_EQ(log_.reports.back().text, "File not found.");
    EXPECT_EQ(files.Exists(("n" + std::string(68, 'x')).c_str()), 0);

    ASSERT_TRUE(tools::WriteFileReplacing(
        work_.path() / "resource.map", tools::DamageMap(builder.MapBytes(), tools::MapDamage::kUnterminatedSuffix)));
    cKestruneFileSystem suffixes;
    EXPECT_EQ(suffixes.records[0].archive, "0019");
}

TEST_F(FileSystemTest, NamesReachingOutsideAndUnreachableOffsetsAreNotFound)
{
    tools::ArchiveBuilder builder;
    builder.Add("far", "far entry");
    ASSERT_TRUE(builder.Write(work_.path()));
    work_.write("secret", "outside the game folder");
    std::vector<DatafileMapEntry> entries = builder.Entries();
    entries[0].offset = 0x80000000u;
    ASSERT_TRUE(tools::WriteFileReplacing(work_.path() / "resource.map", EncodeDatafileMap(entries)));
    cKestruneFileSystem files;
    for (const char* name : {"..\\secret", "..", "a\\..\\..\\secret", "../secret"}) {
        log_.reports.clear();
        EXPECT_EQ(files.Open(name), -1) << name;
        EXPECT_EQ(files.Exists(name), 0) << name;
        ASSERT_FALSE(log_.reports.empty()) << name;
        EXPECT_EQ(log_.reports.back().text, "File not found.") << name;
    }
    log_.reports.clear();
    EXPECT_EQ(files.OpenHandle("far"), INVALID_HANDLE_VALUE);
    ASSERT_FALSE(log_.reports.empty());
    EXPECT_EQ(log_.reports.back().text, "File not found.");
}

TEST_F(FileSystemTest, TextLinesFoldCrLfAndStopAtTheEntrysEnd)
{
    tools::ArchiveBuilder builder;
    builder.Add("ui_info", "KEY a\r\nlone\rcr\nlast");
    builder.Add("next", "NEXT ENTRY\n");
    ASSERT_TRUE(builder.Write(work_.path()));
    cKestruneFileSystem files;
    const std::int32_t slot = files.Open("ui_info");
    ASSERT_GT(slot, 0);
    cDatafileTextReader reader(files, slot);
    std::vector<std::string> lines;
    char line[8];
    while (reader.ReadLine(line, sizeof line))
        lines.push_back(line);
    // A line longer than the buffer arrives in pieces; the last line has no
    // line feed and the next entry's bytes never show.
    EXPECT_EQ(lines, (std::vector<std::string>{"KEY a\n", "lone\rcr", "\n", "last"}));
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "");
    files.Close(slot);
}

} // namespace
} // namespace vls::test
