#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "launcher/launcher_install.h"
#include "launcher/launcher_instance.h"
#include "launcher/launcher_settings.h"
#include "launcher/launcher_shell.h"
#include "platform/vcl/registry.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/shell/shellapi.h"
#include "platform/user/winuser.h"
#include "tests/launcher/text_table_file.h"
#include "tests/support/temp_dir.h"

using namespace launcher;
using launcher::test::WriteTable;
namespace fs = std::filesystem;

namespace {

AnsiString WinPath(const fs::path& p) { return vls::win32::ToWindowsPath(p.string()); }

void LinkDrive(const vls::test::ScopedConfig& config, char letter, const fs::path& target)
{
    fs::create_directories(config.path() / "drives");
    fs::create_directory_symlink(target, config.path() / "drives" / (std::string(1, letter) + ":"));
}

}  // namespace

TEST(LauncherTexts, LaterTablesWinLineByLineAndShortOnesFallBack)
{
    vls::test::TempDir dir;
    LauncherTexts texts;
    EXPECT_EQ(texts.Line(kLineStartEngine), u"Start Veilstrand");
    EXPECT_EQ(texts.Line(99), u"");
    EXPECT_EQ(texts.Load((dir / "missing.str").string()), TableRead::kMissing);

    std::vector<std::u16string> full(kLauncherLineCount, u"first");
    full[kLineFlags] = u'x';
    WriteTable(dir / "first.str", full);
    ASSERT_EQ(texts.Load((dir / "first.str").string()), TableRead::kRead);
    EXPECT_EQ(texts.Line(kLineForum), u"first");
    EXPECT_TRUE(texts.ShowInstallButton());
    EXPECT_FALSE(texts.Cyrillic());

    // A short second table overrides the lines it has.
    WriteTable(dir / "short.str", {u"\u0417\u0430\u043f\u0443\u0441\u043a", u"two"});
    ASSERT_EQ(texts.Load((dir / "short.str").string()), TableRead::kRead);
    EXPECT_EQ(texts.Line(0), u"\u0417\u0430\u043f\u0443\u0441\u043a");
    EXPECT_EQ(texts.Line(kLineForum), u"first");

    struct FlagCase {
        const char16_t* line;
        bool install, cyrillic;
    };
    for (const FlagCase& c : {FlagCase{u"x", true, false}, FlagCase{u"--x", false, true}, FlagCase{u"", false, false},
                              FlagCase{u"X-X", false, false}, FlagCase{u"x-x", true, true}}) {
        std::vector<std::u16string> lines(kLauncherLineCount);
        lines[kLineFlags] = c.line;
        WriteTable(dir / "flags.str", lines);
        LauncherTexts t;
        t.Load((dir / "flags.str").string());
        EXPECT_EQ(t.ShowInstallButton(), c.install);
        EXPECT_EQ(t.Cyrillic(), c.cyrillic);
    }
}

// A table that is empty or holds lines that are not text
// says so; the lines it cannot give come from the defaults, one by one.
TEST(LauncherTexts, DamagedTablesFallBackLineByLine)
{
    vls::test::TempDir dir;
    std::string utf16WithoutMark;
    for (char c : std::string("Start it\r\nInstall it\r\n")) {
        utf16WithoutMark += c;
        utf16WithoutMark += '\0';
    }
    std::string oneBadLine = "Go\r\nSet\x01up\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        const char16_t* line0;
        const char16_t* line1;
    };
    const Case cases[] = {
        {"empty", "", u"Start Veilstrand", u"Install Veilstrand"},
        {"UTF-16 without its mark", utf16WithoutMark, u"Start Veilstrand", u"Install Veilstrand"},
        {"one line with a control character", oneBadLine, u"Go", u"Install Veilstrand"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto file = dir.write("launcher.str", c.bytes);
        LauncherTexts texts;
        EXPECT_EQ(texts.Load(file.string()), TableRead::kDamaged);
        EXPECT_EQ(texts.Line(kLineStartEngine), c.line0);
        EXPECT_EQ(texts.Line(kLineStartSetup), c.line1);
        EXPECT_EQ(texts.Line(kLineInstallValue), u"InstallPath");
    }
}

TEST(LauncherInstance, RunningEngineOrLauncherWindowStopsASecondLauncher)
{
    vls::test::ScopedConfig config;
    {
        SingleInstance first;
        EXPECT_FALSE(first.OtherRunning());
        // Started together: the second finds the first's claim, though
        // neither has a window yet.
        SingleInstance second;
        EXPECT_TRUE(second.OtherRunning());
    }
    {
        SingleInstance again;
        EXPECT_FALSE(again.OtherRunning());
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "Quib-Velt";
    RegisterClassA(&wc);
    wc.lpszClassName = "SomethingElse";
    RegisterClassA(&wc);
    HWND other = CreateWindowExA(0, "SomethingElse", "Veilstrand", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    EXPECT_FALSE(SingleInstance().OtherRunning());
    HWND engine =
        CreateWindowExA(0, "Quib-Velt", "Veilstrand", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(SingleInstance().OtherRunning());
    DestroyWindow(engine);
    DestroyWindow(other);
    EXPECT_FALSE(SingleInstance().OtherRunning());
}

TEST(LauncherShell, LongPathsAndAddresses)
{
    vls::test::TempDir dir;
    fs::create_directories(dir / "Games" / "Veilstrand Data");
    const AnsiString base = WinPath(dir.path());
    EXPECT_EQ(ExpandLongPath(base + "\\GAMES\\veilstrand data\\"), base + "\\Games\\Veilstrand Data");
    EXPECT_EQ(ExpandLongPath(base + "\\Games\\Nowhere\\Deeper"), base + "\\Games\\Nowhere\\Deeper");
    EXPECT_EQ(ExpandLongPath("C:\\"), "C:\\");

    AnsiString unc = "\\\\server\\share\\folder\\";
    EXPECT_EQ(SplitFirstComponent(unc), "\\\\server\\share");
    EXPECT_EQ(unc, "folder\\");
    EXPECT_EQ(ExpandLongPath("\\\\server\\share\\folder\\"), "\\\\server\\share\\folder");

    EXPECT_EQ(ForumAddress("http://forum.example/x"), "http://forum.example/x");
    EXPECT_EQ(ForumAddress("/board"), AnsiString(kSiteAddress) + "/board");
    EXPECT_EQ(ForumAddress("HTTP://forum.example"), AnsiString(kSiteAddress) + "HTTP://forum.example");
}

TEST(LauncherShell, EngineStartsInTheInstallFolderAndSetupBesideTheLauncher)
{
    vls::test::TempDir dir;
    fs::create_directories(dir / "Install");
    dir.write("Install/vls", "#!/bin/sh\n");
    fs::permissions(dir / "Install" / "vls", fs::perms::owner_all);
    dir.write("Launcher/setup", "#!/bin/sh\n");
    fs::permissions(dir / "Launcher" / "setup", fs::perms::owner_all);
    vls::win32::SetShellLaunchMode(vls::win32::ShellLaunchMode::Record);
    vls::win32::TakeRecordedShellLaunches();

    EXPECT_TRUE(StartEngine(WinPath(dir / "install") + "\\"));
    EXPECT_TRUE(StartSetup(WinPath(dir / "Launcher") + "\\", "setup.exe"));
    OpenWebPage(ForumAddress("/board"));
    const auto launches = vls::win32::TakeRecordedShellLaunches();
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_EQ(launches[0].file, "vls.exe");
    EXPECT_EQ(launches[0].directory, WinPath(dir / "Install"));
    EXPECT_EQ(launches[0].workingFolder, (dir / "Install").string());
    EXPECT_TRUE(launches[0].arguments.empty());
    EXPECT_EQ(launches[1].program, (dir / "Launcher" / "setup").string());
    EXPECT_EQ(launches[2].file, AnsiString(kSiteAddress) + "/board");
    EXPECT_FALSE(StartEngine(WinPath(dir / "nowhere") + "\\"));
    vls::win32::SetShellLaunchMode(vls::win32::ShellLaunchMode::Automatic);
}

TEST(LauncherSettings, PanelValuesFromTheRegistryAndWrites)
{
    vls::test::ScopedConfig config;
    // No key: the defaults, and reading writes nothing.
    HardwareSettings s = ReadHardwareSettings();
    EXPECT_EQ(s.antialiasingItem, 1);
    EXPECT_EQ(s.speakerItem, 0);
    EXPECT_EQ(s.bufferItem, 0);
    EXPECT_FALSE(s.noHardwareMixing);
    EXPECT_FALSE(vcl::TRegistry().KeyExists(kRegistryKey));

    WriteAntialiasing(2);
    WriteSpeakerMode(5);
    WriteSoundBuffer(3);
    WriteNoHardwareMixing(true);
    vcl::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kRegistryKey, false));
    EXPECT_EQ(reg.ReadInteger("Antialiasing"), 4);
    EXPECT_EQ(reg.ReadInteger("Speakermode"), 5);
    EXPECT_EQ(reg.ReadInteger("SoundBuffer"), 5);
    EXPECT_EQ(reg.ReadInteger("SoundChannelsHW"), 0);
    s = ReadHardwareSettings();
    EXPECT_EQ(s.antialiasingItem, 2);
    EXPECT_EQ(s.speakerItem, 5);
    EXPECT_EQ(s.bufferItem, 3);
    EXPECT_TRUE(s.noHardwareMixing);
    WriteNoHardwareMixing(false);
    EXPECT_EQ(reg.ReadInteger("SoundChannelsHW"), 255);

    struct Case {
        int aa, buffer;
        int aaItem, bufferItem;
    };
    for (const Case& c : {Case{3, 1, 1, 0}, Case{4, 20, 2, 6}, Case{0, 2, 0, 0}}) {
        reg.WriteInteger("Antialiasing", c.aa);
        reg.WriteInteger("SoundBuffer", c.buffer);
        s = ReadHardwareSettings();
        EXPECT_EQ(s.antialiasingItem, c.aaItem);
        EXPECT_EQ(s.bufferItem, c.bufferItem);
    }
    // A value of another type ends the reading: the first two go back to
    // their defaults, what the others read stays.
    reg.WriteInteger("Antialiasing", 4);
    reg.WriteInteger("Speakermode", 3);
    reg.WriteInteger("SoundBuffer", 6);
    reg.WriteString("SoundChannelsHW", "none");
    s = ReadHardwareSettings();
    EXPECT_EQ(s.antialiasingItem, 1);
    EXPECT_EQ(s.speakerItem, 0);
    EXPECT_EQ(s.bufferItem, 4);

    EXPECT_EQ(ReadInstallDir("InstallPath"), "");
    reg.WriteString("InstallPath", "");
    EXPECT_EQ(ReadInstallDir("InstallPath"), "");
    reg.WriteString("InstallPath", "C:\\Games\\Veilstrand");
    EXPECT_EQ(ReadInstallDir("InstallPath"), "C:\\Games\\Veilstrand\\");
    reg.CloseKey();
}

namespace {

struct RecordedProgress : DatafileProgress {
    std::vector<std::string> events;
    int position = 0;
    void ShowPanel(const WideString& caption) override
    {
        position = 0;
        events.push_back("panel " + vcl::WideToAnsi(caption));
    }
    void HidePanel() override { events.push_back("hide at " + std::to_string(position)); }
    void ShowFile(const AnsiString& name) override { events.push_back("file " + name); }
    void Step() override { ++position; }
    void ShowMessage(const WideString& text) override { events.push_back("message " + vcl::WideToAnsi(text)); }
    void SetBusyCursor(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
    void SetWorking(bool working) override { events.push_back(working ? "working" : "done"); }
    bool Has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
};

struct InstallFixture {
    vls::test::ScopedConfig config;
    vls::test::TempDir disc, install;
    LauncherTexts texts;
    RecordedProgress progress;
    InstallFixture()
    {
        LinkDrive(config, 'c', install.path());
        for (int i = 0; i < kDatafileCount; ++i)
            disc.write(DatafileName(i), "archive " + std::to_string(i));
    }
    int Installed() const
    {
        int n = 0;
        for (const auto& e : fs::directory_iterator(install.path()))
            n += e.path().filename().string().rfind("resource.", 0) == 0;
        return n;
    }
};

}  // namespace

TEST(LauncherInstall, CopiesFromTheFirstDiscWithProgressAndRemoves)
{
    InstallFixture f;
    LinkDrive(f.config, 'e', f.disc.path());
    DatafileInstaller installer(f.texts, f.progress, "C:\\");
    installer.DiskFree = [](int drive) { return drive == 3 ? kSpaceNeeded : -1; };  // exactly enough
    EXPECT_EQ(installer.FindDisc(), 'E');
    EXPECT_TRUE(installer.Install());
    EXPECT_EQ(f.Installed(), kDatafileCount);
    EXPECT_EQ(f.install.read("resource.016"), "archive 15");
    EXPECT_TRUE(f.progress.Has("panel    Copying data files"));
    EXPECT_TRUE(f.progress.Has("file E:\\resource.001"));
    EXPECT_TRUE(f.progress.Has("hide at 16"));
    EXPECT_TRUE(f.progress.Has("working") && f.progress.Has("done"));

    // Two deleted by hand: the rest go, the bar still reaches 16.
    fs::remove(f.install / "resource.003");
    fs::remove(f.install / "resource.009");
    f.progress.events.clear();
    EXPECT_FALSE(installer.Remove());
    EXPECT_EQ(f.Installed(), 0);
    EXPECT_TRUE(f.progress.Has("panel    Removing data files"));
    EXPECT_TRUE(f.progress.Has("hide at 16"));
}

TEST(LauncherInstall, FailuresLeaveNoHalfArchives)
{
    InstallFixture f;
    // Drive D holds a damaged set: the fifth archive cannot be read.
    fs::remove(f.disc / "resource.005");
    fs::create_directory(f.disc / "resource.005");
    LinkDrive(f.config, 'd', f.disc.path());
    DatafileInstaller installer(f.texts, f.progress, "c:\\");
    installer.DiskFree = [](int) { return kSpaceNeeded; };
    EXPECT_FALSE(installer.Install());
    EXPECT_EQ(f.Installed(), 4);
    for (const auto& e : fs::directory_iterator(f.install.path()))
        EXPECT_EQ(e.path().extension().string().find("part"), std::string::npos) << e.path();
    EXPECT_TRUE(f.progress.Has("message A data file could not be copied."));
    EXPECT_TRUE(f.progress.Has("hide at 5"));

    // Too little space, or no drive letter, copies nothing.
    f.progress.events.clear();
    installer.DiskFree = [](int) { return kSpaceNeeded - 1; };
    EXPECT_FALSE(installer.Install());
    EXPECT_TRUE(f.progress.Has("message The install drive has too little free space.\r\nInstalling the data files "
                               "needs 3 GB."));
}

// A drive letter asks its drive; a folder without one (a Linux path) asks
// the file system that holds it; no folder at all is too little.
TEST(LauncherInstall, FreeSpaceIsMeasuredWhereTheFolderLies)
{
    InstallFixture f;
    struct Case {
        const char* folder;
        std::int64_t driveFree, folderFree;
        bool enough;
        const char* asked;
    };
    const Case cases[] = {
        {"C:\\Games\\", kSpaceNeeded, -1, true, "drive 3"},
        {"e:\\", kSpaceNeeded - 1, kSpaceNeeded, false, "drive 5"},
        {"\\home\\player\\veilstrand\\", -1, kSpaceNeeded, true, "folder \\home\\player\\veilstrand\\"},
        {"/srv/games/vs\\", -1, kSpaceNeeded - 1, false, "folder /srv/games/vs\\"},
        {"games\\", -1, kSpaceNeeded, true, "folder games\\"},
        {"", kSpaceNeeded, kSpaceNeeded, false, ""},
    };
    for (const Case& c : cases) {
        DatafileInstaller installer(f.texts, f.progress, c.folder);
        std::string asked;
        installer.DiskFree = [&](int drive) {
            asked = "drive " + std::to_string(drive);
            return c.driveFree;
        };
        installer.FolderFree = [&](const AnsiString& folder) {
            asked = "folder " + folder;
            return c.folderFree;
        };
        EXPECT_EQ(installer.EnoughSpace(), c.enough) << c.folder;
        EXPECT_EQ(asked, c.asked) << c.folder;
    }
    EXPECT_GT(FreeSpaceOfFolder(vls::win32::ToWindowsPath(f.install.path().string()) + "\\"), 0);
    EXPECT_EQ(FreeSpaceOfFolder(vls::win32::ToWindowsPath((f.install / "missing").string()) + "\\"), -1);
}

// A copy that fails in the middle of an archive (the file-size limit stops
// its writes) leaves neither a piece of it nor a spare file, and an older
// complete copy of that archive stays whole.
TEST(LauncherInstall, AWriteFailingInsideAnArchiveLeavesNoPieceOfIt)
{
    InstallFixture f;
    LinkDrive(f.config, 'd', f.disc.path());
    f.disc.write(DatafileName(2), std::string(64 * 1024, 'x'));
    f.install.write(DatafileName(2), "old");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16 * 1024, 16 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        DatafileInstaller installer(f.texts, f.progress, "C:\\");
        installer.DiskFree = [](int) { return kSpaceNeeded; };
        const bool installed = installer.Install();
        const bool told = f.progress.Has("message A data file could not be copied.");
        _exit(!installed && told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(f.install.path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{DatafileName(0), DatafileName(1), DatafileName(2)}));
    EXPECT_EQ(f.install.read(DatafileName(2)), "old");
}

TEST(LauncherInstall, NoDiscNoCopy)
{
    InstallFixture f;
    DatafileInstaller installer(f.texts, f.progress, "C:\\");
    installer.DiskFree = [](int) { return kSpaceNeeded; };
    EXPECT_FALSE(installer.Install());
    EXPECT_EQ(f.progress.events.front(), "busy");
    EXPECT_EQ(f.progress.events[1], "idle");
    EXPECT_TRUE(f.progress.Has("message No drive holds the Veilstrand data files.\r\nPlease insert the Veilstrand "
                               "disc and try again."));
    EXPECT_EQ(f.Installed(), 0);
}
