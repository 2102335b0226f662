#include "platform/win32/shell/shellapi.h"

#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using vls::win32::ShellLaunch;
using vls::win32::ShellLaunchMode;

INT_PTR Result(HINSTANCE instance)
{
    return reinterpret_cast<INT_PTR>(instance);
}

void MakeProgram(const std::filesystem::path& path, const std::string& script)
{
    std::filesystem::create_directories(path.parent_path());
    FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(script.c_str(), file);
    std::fclose(file);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = get_current_dir_name();
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
        vls::win32::TakeRecordedShellLaunches();
    }
    void TearDown() override
    {
        vls::win32::SetShellLaunchMode(ShellLaunchMode::Automatic);
        EXPECT_EQ(chdir(previous_), 0);
        free(previous_);
    }

    vls::test::ScopedConfig config_;
    vls::test::TempDir dir_;
    char* previous_ = nullptr;
};

TEST_F(Shell, HeadlessLaunchesAreRecordedNotRun)
{
    // The tests run with VEILSTRAND_BACKEND=headless; automatic mode records.
    setenv("VEILSTRAND_BACKEND", "headless", 1);
    MakeProgram(dir_ / "Install" / "vls", "#!/bin/sh\ntouch ran\n");
    EXPECT_GT(Result(ShellExecuteA(nullptr, "open", "vls.exe", nullptr, "install", 1)), 32);
    EXPECT_GT(Result(ShellExecuteA(nullptr, "open", "http://example.org/forum", "", "", 1)), 32);
    EXPECT_GT(Result(ShellExecuteA(nullptr, nullptr, "install", "", "", 1)), 32);

    const std::vector<ShellLaunch> launches = vls::win32::TakeRecordedShellLaunches();
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_EQ(launches[0].program, (dir_ / "Install" / "vls").string());
    EXPECT_EQ(launches[0].workingFolder, "Install");
    EXPECT_TRUE(launches[0].arguments.empty());
    EXPECT_EQ(launches[0].file, "vls.exe");
    EXPECT_EQ(launches[1].program, "xdg-open");
    EXPECT_EQ(launches[1].arguments, std::vector<std::string>{"http://example.org/forum"});
    EXPECT_EQ(launches[2].program, "xdg-open"); // a folder opens in the desktop's opener
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Install" / "ran"));
    EXPECT_TRUE(vls::win32::TakeRecordedShellLaunches().empty());
}

TEST_F(Shell, FailuresReturnCodesBelow33)
{
    vls::win32::SetShellLaunchMode(ShellLaunchMode::Record);
    MakeProgram(dir_ / "setup", "#!/bin/sh\n");
    const struct {
        const char* verb;
        const char* file;
        const char* directory;
        INT_PTR expected;
    } cases[] = {
        {"open", "missing.exe", "", SE_ERR_FNF},
        {"open", "nofolder\\setup.exe", "", SE_ERR_PNF},
        {"open", "setup.exe", "nofolder", SE_ERR_PNF},
        {"open", "q:\\setup.exe", "", SE_ERR_PNF},
        {"print", "setup.exe", "", SE_ERR_NOASSOC},
        {"open", "", "", SE_ERR_FNF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Result(ShellExecuteA(nullptr, c.verb, c.file, "", c.directory, 1)), c.expected) << c.file;
    EXPECT_TRUE(vls::win32::TakeRecordedShellLaunches().empty());

    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.lpFile = "missing.exe";
    EXPECT_FALSE(ShellExecuteExA(&info));
    EXPECT_EQ(Result(info.hInstApp), SE_ERR_FNF);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    info.cbSize = 12;
    EXPECT_FALSE(ShellExecuteExA(&info));
}

TEST_F(Shell, ProgramRunsInItsWorkingFolderWithSplitParameters)
{
    vls::win32::SetShellLaunchMode(ShellLaunchMode::Run);
    MakeProgram(dir_ / "Game" / "tool", "#!/bin/sh\npwd > out.txt\nfor a in \"$@\"; do echo \"[$a]\" >> out.txt; done\nexit 3\n");
    SHELLEXECUTEINFOA info{};
    info.cbSize = 60;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = "TOOL.exe";
    info.lpParameters = "one \"two words\" three\\\"quoted";
    info.lpDirectory = "game";
    ASSERT_TRUE(ShellExecuteExA(&info));
    EXPECT_GT(Result(info.hInstApp), 32);
    ASSERT_NE(info.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 3u);
    CloseHandle(info.hProcess);
    EXPECT_EQ(dir_.read("Game/out.txt"), (dir_ / "Game").string() + "\n[one]\n[two words]\n[three\"quoted]\n");
}

TEST_F(Shell, WebAddressesGoToTheOpener)
{
    vls::win32::SetShellLaunchMode(ShellLaunchMode::Run);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (dir_ / "bin").c_str(), 1);
    std::filesystem::create_directory(dir_ / "bin");
    EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", "https://example.org", "", "", 1)), SE_ERR_NOASSOC); // no opener

    MakeProgram(dir_ / "bin" / "xdg-open", "#!/bin/sh\necho \"$1\" > \"" + (dir_ / "opened").string() + "\"\n");
    EXPECT_GT(Result(ShellExecuteA(nullptr, "open", "https://example.org/update", "", "", 1)), 32);
    // The opener's shell makes the file before it writes the line.
    for (int i = 0; i < 500 && dir_.read("opened").find('\n') == std::string::npos; ++i)
        usleep(10000);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(dir_.read("opened"), "https://example.org/update\n");
}

TEST(CommandLine, SplitsAsWindowsPrograms)
{
    using Args = std::vector<std::string>;
    EXPECT_EQ(vls::win32::SplitCommandLine(""), Args{});
    EXPECT_EQ(vls::win32::SplitCommandLine("  a   b "), (Args{"a", "b"}));
    EXPECT_EQ(vls::win32::SplitCommandLine("\"C:\\Program Files\\x\" -f"), (Args{"C:\\Program Files\\x", "-f"}));
    EXPECT_EQ(vls::win32::SplitCommandLine("a\\\\\"b c\""), (Args{"a\\b c"}));
    EXPECT_EQ(vls::win32::SplitCommandLine("a\\b \"\""), (Args{"a\\b", ""}));
}

} // namespace
