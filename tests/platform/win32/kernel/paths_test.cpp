#include "platform/win32/kernel/paths.h"

#include "platform/win32/kernel/last_error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

using vls::win32::MapPath;

// A working folder and a drive c: inside a private config folder.
class PathMapping : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = get_current_dir_name();
        work_.write("Data/Scenes/Intro.Scene", "x");
        work_.write("Data/vls", "program");
        work_.write("Data/Setup.EXE", "setup");
        disc_.write("Resource.001", "archive");
        disc_.write("Movies/A.bik", "clip");
        std::filesystem::create_directories(config_.path() / "drives");
        std::filesystem::create_directory_symlink(disc_.path(), config_.path() / "drives" / "c:");
        ASSERT_EQ(chdir(work_.path().c_str()), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(previous_), 0);
        free(previous_);
    }

    std::string Disc(const std::string& rest) const { return (config_.path() / "drives" / "c:").string() + rest; }

    vls::test::ScopedConfig config_;
    vls::test::TempDir work_;
    vls::test::TempDir disc_;
    char* previous_ = nullptr;
};

TEST_F(PathMapping, ResolvesNamesAsWindowsWould)
{
    const struct {
        const char* windows;
        std::string linux;
    } cases[] = {
        {"data\\scenes\\intro.scene", "Data/Scenes/Intro.Scene"},
        {"DATA/SCENES/INTRO.SCENE", "Data/Scenes/Intro.Scene"},
        {".\\Data\\.\\Scenes\\..\\Scenes\\intro.scene", "Data/Scenes/Intro.Scene"},
        {"data\\\\scenes\\intro.scene", "Data/Scenes/Intro.Scene"},
        {"data\\scenes\\new.sav", "Data/Scenes/new.sav"},          // to be created: kept as written
        {"data\\nothing\\Deeper\\File", "Data/nothing/Deeper/File"}, // below a missing folder
        {"data\\vls.exe", "Data/vls"},                            // the ".exe" alias
        {"data\\VLS.EXE", "Data/vls"},
        {"data\\setup.exe", "Data/Setup.EXE"},                    // a real ".exe" wins
        {"data\\other.exe", "Data/other.exe"},
        {"..\\x", "../x"},                                        // relative names may leave the folder
        {".", "."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapPath(c.windows), c.linux) << c.windows;
}

TEST_F(PathMapping, DriveRootsGoThroughTheConfigLinks)
{
    EXPECT_EQ(MapPath("C:\\resource.001"), Disc("/Resource.001"));
    EXPECT_EQ(MapPath("c:\\movies\\a.BIK"), Disc("/Movies/A.bik"));
    EXPECT_EQ(MapPath("c:"), Disc(""));
    // ".." stops at the drive root.
    EXPECT_EQ(MapPath("c:\\..\\..\\resource.001"), Disc("/Resource.001"));
    EXPECT_EQ(MapPath("c:\\movies\\..\\..\\..\\etc\\passwd"), Disc("/etc/passwd"));
}

TEST_F(PathMapping, MissingDrivesAreNoPath)
{
    for (const char* name : {"d:\\resource.001", "z:\\x", "a:\\x", "b:\\"}) {
        SetLastError(0);
        EXPECT_EQ(MapPath(name), std::nullopt) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND)) << name;
    }
    EXPECT_EQ(MapPath(""), std::nullopt);
    // A drive link that points nowhere is no drive either.
    std::filesystem::create_symlink(work_.path() / "gone", config_.path() / "drives" / "e:");
    EXPECT_EQ(MapPath("e:\\x"), std::nullopt);
}

TEST_F(PathMapping, RootedNamesStartAtTheFileSystemRoot)
{
    const std::string inside = work_.path().string() + "/Data/vls";
    EXPECT_EQ(MapPath(vls::win32::ToWindowsPath(inside)), inside);
    EXPECT_EQ(MapPath("\\..\\..\\" + vls::win32::ToWindowsPath(inside).substr(1)), inside);
}

TEST(ConfigFolder, FollowsTheEnvironment)
{
    const auto keep = [](const char* name) {
        const char* value = std::getenv(name);
        return std::pair<std::string, bool>(value ? value : "", value != nullptr);
    };
    const auto restore = [](const char* name, const std::pair<std::string, bool>& value) {
        if (value.second)
            setenv(name, value.first.c_str(), 1);
        else
            unsetenv(name);
    };
    const auto config = keep("VEILSTRAND_CONFIG");
    const auto xdg = keep("XDG_CONFIG_HOME");
    const auto home = keep("HOME");

    setenv("VEILSTRAND_CONFIG", "/cfg/here", 1);
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(vls::win32::ConfigFolder(), "/cfg/here");
    unsetenv("VEILSTRAND_CONFIG");
    EXPECT_EQ(vls::win32::ConfigFolder(), "/xdg/veilstrand");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(vls::win32::ConfigFolder(), "/home/player/.config/veilstrand");

    restore("VEILSTRAND_CONFIG", config);
    restore("XDG_CONFIG_HOME", xdg);
    restore("HOME", home);
}

} // namespace

namespace {

TEST(RuntimeFolder, IsPrivateAndRefusesANameTakenByALink)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    const char* oldConfig = std::getenv("VEILSTRAND_CONFIG");
    const std::string savedConfig = oldConfig ? oldConfig : "";
    unsetenv("VEILSTRAND_CONFIG");
    vls::test::TempDir base;
    setenv("XDG_RUNTIME_DIR", base.path().c_str(), 1);
    const std::filesystem::path expected = base / ("veilstrand-" + std::to_string(getuid()));
    EXPECT_EQ(vls::win32::RuntimeFolder(), expected);
    EXPECT_EQ(std::filesystem::status(expected).permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_all);

    // Each settings folder has a world of its own below it.
    std::filesystem::path first, second;
    {
        vls::test::ScopedConfig config;
        first = vls::win32::RuntimeFolder();
    }
    {
        vls::test::ScopedConfig config;
        second = vls::win32::RuntimeFolder();
    }
    EXPECT_EQ(first.parent_path(), expected);
    EXPECT_EQ(second.parent_path(), expected);
    EXPECT_NE(first, second);
    if (oldConfig)
        setenv("VEILSTRAND_CONFIG", savedConfig.c_str(), 1);

    vls::test::TempDir other;
    vls::test::TempDir elsewhere;
    std::filesystem::create_directory_symlink(elsewhere.path(), other / ("veilstrand-" + std::to_string(getuid())));
    setenv("XDG_RUNTIME_DIR", other.path().c_str(), 1);
    EXPECT_EQ(vls::win32::RuntimeFolder(), std::filesystem::path());
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}

} // namespace
