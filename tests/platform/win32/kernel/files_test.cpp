#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/find_file.h"
#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = get_current_dir_name();
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(previous_), 0);
        free(previous_);
    }

    vls::test::ScopedConfig config_;
    vls::test::TempDir dir_;
    char* previous_ = nullptr;
};

TEST_F(Files, CreateWriteSeekRead)
{
    HANDLE file = CreateFileA("Report.log", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "Please return\r\n", 15, &written, nullptr));
    EXPECT_EQ(written, 15u);
    ASSERT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    file = CreateFileA("REPORT.LOG", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 15u);
    EXPECT_EQ(SetFilePointer(file, 7, nullptr, FILE_BEGIN), 7u);
    char bytes[32] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &read, nullptr));
    EXPECT_EQ(std::string(bytes, read), "return\r\n");
    ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &read, nullptr));
    EXPECT_EQ(read, 0u); // end of file is success with nothing read
    EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    FILETIME lastWrite{};
    EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &lastWrite));
    EXPECT_NE(lastWrite.dwHighDateTime, 0u);
    CloseHandle(file);
}

TEST_F(Files, CreationDispositions)
{
    EXPECT_EQ(CreateFileA("none", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CreateFileA("nofolder\\none", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HANDLE file = CreateFileA("a", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(CreateFileA("A", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    file = CreateFileA("A", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(file);
    EXPECT_EQ(CreateFileA("q:\\a", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, CopyDeleteMove)
{
    dir_.write("Saves/lastgame", "state");
    EXPECT_TRUE(CopyFileA("saves\\LASTGAME", "saves\\slot1.savegame", FALSE));
    EXPECT_EQ(dir_.read("Saves/slot1.savegame"), "state");
    dir_.write("Saves/lastgame", "newer");
    EXPECT_FALSE(CopyFileA("saves\\lastgame", "saves\\SLOT1.savegame", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(CopyFileA("saves\\lastgame", "saves\\SLOT1.savegame", FALSE)); // overwrites the existing entry
    EXPECT_EQ(dir_.read("Saves/slot1.savegame"), "newer");
    EXPECT_FALSE(CopyFileA("saves\\missing", "saves\\x", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileA("saves\\lastgame", "nofolder\\x", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // No temporary copies are left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ / "Saves"), {}), 2);

    EXPECT_FALSE(MoveFileA("saves\\lastgame", "saves\\slot1.savegame"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(MoveFileA("saves\\lastgame", "saves\\moved"));
    EXPECT_TRUE(MoveFileExA("saves\\moved", "saves\\slot1.savegame", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(dir_.read("Saves/slot1.savegame"), "newer");

    EXPECT_TRUE(DeleteFileA("SAVES\\Slot1.SaveGame"));
    EXPECT_FALSE(DeleteFileA("saves\\slot1.savegame"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA("saves"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Files, FoldersAttributesAndFreeSpace)
{
    EXPECT_TRUE(CreateDirectoryA("Install", nullptr));
    EXPECT_FALSE(CreateDirectoryA("install", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA("a\\b\\c", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA("install") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    dir_.write("Install/file", "1");
    EXPECT_EQ(GetFileAttributesA("install\\FILE") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesA("install\\none"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(RemoveDirectoryA("install"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));

    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("install\\", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(available.QuadPart, total.QuadPart);
    EXPECT_FALSE(GetDiskFreeSpaceExA("m:\\", &available, &total, &free));
    std::filesystem::create_directories(config_.path() / "drives");
    std::filesystem::create_directory_symlink(dir_.path(), config_.path() / "drives" / "m:");
    EXPECT_TRUE(GetDiskFreeSpaceExA("M:\\", &available, nullptr, nullptr));
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    EXPECT_TRUE(GetDiskFreeSpaceA("m:\\", &sectors, &bytes, &freeClusters, &clusters));
    EXPECT_EQ(bytes, 512u);
    EXPECT_GT(clusters, 0u);
}

std::vector<std::string> FindAll(const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.emplace_back(data.cFileName);
    while (FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    return names;
}

TEST_F(Files, FindFilesByWildcard)
{
    dir_.write("SaveGames/b.savegame", "12345");
    dir_.write("SaveGames/A.SAVEGAME", "1");
    dir_.write("SaveGames/c.demogame", "1");
    dir_.write("SaveGames/noext", "1");
    std::filesystem::create_directory(dir_ / "SaveGames" / "sub.savegame");

    using Names = std::vector<std::string>;
    EXPECT_EQ(FindAll(".\\savegames\\*.savegame"), (Names{"A.SAVEGAME", "b.savegame", "sub.savegame"}));
    EXPECT_EQ(FindAll("savegames\\?.demogame"), (Names{"c.demogame"}));
    EXPECT_EQ(FindAll("savegames\\*.*"), (Names{".", "..", "A.SAVEGAME", "b.savegame", "c.demogame", "noext", "sub.savegame"}));
    EXPECT_EQ(FindAll("savegames\\NOEXT"), (Names{"noext"})); // how long names are looked up
    EXPECT_EQ(FindAll("savegames\\*.image"), Names{});

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA("savegames\\b.*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    FindClose(search);
    search = FindFirstFileA("savegames\\sub.*", &data);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    FindClose(search);

    EXPECT_EQ(FindFirstFileA("savegames\\*.image", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA("nothere\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST(Wildcard, MatchesWindowsPatterns)
{
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*", "anything", true},      {"*.*", "noext", true},         {"*.savegame", "x.SaveGame", true},
        {"*.savegame", "x.savegame.bak", false}, {"a?c", "abc", true}, {"a?c", "ac", false},
        {"*b*", "abc", true},         {"*.b", "a.b.b", true},         {"abc", "ABC", true},
        {"", "a", false},             {"a*", "a", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vls::win32::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

} // namespace
