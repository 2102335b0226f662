#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "launcher/launcher_controller.h"
#include "launcher/launcher_settings.h"
#include "launcher/launcher_shell.h"
#include "platform/vcl/registry.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/shell/shellapi.h"
#include "tests/launcher/text_table_file.h"
#include "tests/support/temp_dir.h"

using namespace launcher;
using launcher::test::WriteTable;
namespace fs = std::filesystem;

namespace {

// Records what the logic does to the form; combo boxes and the check box
// report changes back as the real controls do.
struct FakeView : LauncherView {
    LauncherController* controller = nullptr;
    std::map<LauncherControl, WideString> captions;
    std::map<LauncherControl, bool> enabled, visible;
    std::map<LauncherControl, int> blending;
    std::map<LauncherCombo, std::vector<AnsiString>> items;
    std::map<LauncherCombo, int> index;
    bool checked = false;
    bool closed = false;
    bool cyrillicSkin = false;
    AnsiString background;
    std::vector<WideString> messages;
    std::vector<WideString> problems;
    int position = 0;

    void SetCaption(LauncherControl c, const WideString& s) override { captions[c] = s; }
    void SetEnabled(LauncherControl c, bool e) override { enabled[c] = e; }
    void SetVisible(LauncherControl c, bool v) override { visible[c] = v; }
    void SetBlending(LauncherControl c, int v) override { blending[c] = v; }
    void ClearItems(LauncherCombo c) override { items[c].clear(); }
    void AddItem(LauncherCombo c, const AnsiString& s) override { items[c].push_back(s); }
    int ItemIndex(LauncherCombo c) const override { return index.count(c) ? index.at(c) : -1; }
    void SetItemIndex(LauncherCombo c, int i) override
    {
        index[c] = i;
        if (controller)
            (controller->*(c == kCbAA       ? &LauncherController::AntialiasingChange
                           : c == kCbSpeaker ? &LauncherController::SpeakerChange
                                             : &LauncherController::BufferSizeChange))();
    }
    bool NoHardwareChecked() const override { return checked; }
    void SetNoHardwareChecked(bool c) override
    {
        checked = c;
        if (controller)
            controller->NoHardwareClick();
    }
    void LoadBackground(const AnsiString& f) override
    {
        // As the picture does with a file it cannot read.
        if (std::ifstream(vls::win32::MapPath(f).value_or(""), std::ios::binary).peek() != 'B')
            throw vcl::Exception("Bitmap image is not valid");
        background = f;
    }
    void ReportStartProblem(const WideString& text) override { problems.push_back(text); }
    void UseCyrillicSkin() override { cyrillicSkin = true; }
    void Close() override { closed = true; }
    void ShowPanel(const WideString& caption) override
    {
        captions[kCopyPanel] = caption;
        position = 0;
    }
    void HidePanel() override {}
    void ShowFile(const AnsiString&) override {}
    void Step() override { ++position; }
    void ShowMessage(const WideString& text) override { messages.push_back(text); }
    void SetBusyCursor(bool) override {}
    void SetWorking(bool) override {}
};

std::vector<std::u16string> Table(const std::u16string& tag)
{
    std::vector<std::u16string> lines(kLauncherLineCount);
    for (int i = 0; i < kLauncherLineCount; ++i)
        lines[static_cast<size_t>(i)] = tag + u" " + vcl::AnsiToWide(std::to_string(i));
    lines[kLineInstallValue] = u"InstallPath";
    lines[kLineSetupProgram] = u"setup.exe";
    lines[kLineShapePage] = u"http://shape.example/";
    lines[kLineFlags] = u"x";
    return lines;
}

struct Fixture {
    vls::test::ScopedConfig config;
    vls::test::TempDir launcherDir, installDir;
    LauncherSound sound;
    FakeView view;
    LauncherController controller{view, sound};

    Fixture()
    {
        view.controller = &controller;
        vcl::TRegistry reg;
        reg.OpenKey(kRegistryKey, true);
        reg.WriteString("InstallPath", vls::win32::ToWindowsPath(installDir.path().string()));
        reg.CloseKey();
        vls::win32::SetShellLaunchMode(vls::win32::ShellLaunchMode::Record);
        vls::win32::TakeRecordedShellLaunches();
    }
    ~Fixture() { vls::win32::SetShellLaunchMode(vls::win32::ShellLaunchMode::Automatic); }
    void Create() { controller.FormCreate(vls::win32::ToWindowsPath(launcherDir.path().string()) + "\\"); }
    void InstallEngine(int datafiles)
    {
        installDir.write("vls", "#!/bin/sh\n");
        fs::permissions(installDir / "vls", fs::perms::owner_all);
        for (int i = 0; i < datafiles; ++i)
            installDir.write(DatafileName(i), "data");
    }
};

}  // namespace

TEST(LauncherForm, InstallFolderTableOverridesTheLaunchersOwn)
{
    Fixture f;
    WriteTable(f.launcherDir / "launcher.str", Table(u"own"));
    WriteTable(f.installDir / "launcher.str", Table(u"installed"));
    f.InstallEngine(kDatafileCount);
    f.Create();
    EXPECT_EQ(f.view.captions[kBtnStart], u"installed 0");
    EXPECT_EQ(f.view.captions[kBtnForum], u"installed 6");
    EXPECT_EQ(f.view.captions[kBtnFullInstall], u"installed 3");  // all sixteen there
    EXPECT_EQ(f.view.captions[kCopyPanel], u"installed 12");
    EXPECT_EQ(f.view.captions[kCbNoHardware], u"installed 32");
    EXPECT_EQ(f.view.items[kCbAA], (std::vector<AnsiString>{"installed 18", "installed 19", "installed 20"}));
    EXPECT_EQ(f.view.items[kCbSpeaker].size(), 6u);
    EXPECT_EQ(f.view.items[kCbSpeaker][0], "installed 22");
    EXPECT_TRUE(f.view.visible[kBtnFullInstall]);
    EXPECT_TRUE(f.controller.EngineInstalled());
    EXPECT_TRUE(f.view.enabled.empty());
    EXPECT_FALSE(f.view.cyrillicSkin);
    EXPECT_TRUE(f.sound.SoundReady);
}

TEST(LauncherForm, InstalledTestsDimWhatCannotWork)
{
    struct Case {
        bool engine, setup;
        int datafiles;
    };
    for (const Case& c : {Case{true, false, 15}, Case{false, true, 0}, Case{false, false, 0}}) {
        SCOPED_TRACE(std::to_string(c.engine) + std::to_string(c.setup));
        Fixture f;
        WriteTable(f.launcherDir / "launcher.str", Table(u"t"));
        if (c.engine)
            f.InstallEngine(c.datafiles);
        if (c.setup)
            f.launcherDir.write("setup", "#!/bin/sh\n");
        f.Create();
        EXPECT_EQ(f.view.captions[kBtnStart], c.engine ? u"t 0" : u"t 1");
        EXPECT_EQ(f.view.captions[kBtnFullInstall], u"t 2");
        for (LauncherControl dimmed : {kBtnFullInstall, kBtnOptions, kBtnUpdate}) {
            EXPECT_EQ(f.view.enabled.count(dimmed) ? f.view.enabled[dimmed] : true, c.engine);
            EXPECT_EQ(f.view.blending.count(dimmed) ? f.view.blending[dimmed] : kBlendingNormal,
                      c.engine ? kBlendingNormal : kBlendingDimmed);
        }
        EXPECT_EQ(f.view.enabled.count(kBtnStart) ? f.view.enabled[kBtnStart] : true, c.engine || c.setup);
        EXPECT_EQ(f.view.enabled.count(kBtnForum), 0u);
    }
}

TEST(LauncherForm, CyrillicTableSwitchesSkinAndListItems)
{
    Fixture f;
    auto lines = Table(u"t");
    lines[kLineFlags] = u"--x";
    lines[kLineAntialiasingItems] = u"\u041d\u0435\u0442";
    WriteTable(f.launcherDir / "launcher.str", lines);
    f.Create();
    EXPECT_TRUE(f.view.cyrillicSkin);
    EXPECT_FALSE(f.view.visible[kBtnFullInstall]);
    EXPECT_EQ(f.view.items[kCbAA][0], "\xCD\xE5\xF2");  // code page 1251
}

TEST(LauncherForm, WithoutAnyTableTheDefaultsServe)
{
    Fixture f;
    f.Create();
    EXPECT_EQ(f.view.captions[kBtnStart], u"Install Veilstrand");
    EXPECT_EQ(f.controller.InstallDir(),
              vls::win32::ToWindowsPath(f.installDir.path().string()) + "\\");
    EXPECT_TRUE(f.view.items[kCbAA].empty());  // the caption pass never ran
}

// A damaged picture or text table is said once and left out; the registry
// read and the installed tests still run, so Start starts the engine.
TEST(LauncherForm, DamagedStartFilesAreSaidOnceAndTheStartGoesOn)
{
    struct Case {
        const char* what;
        std::optional<std::string> picture, table;
        size_t problems;
    };
    std::string halfUtf16;
    for (char c : std::string("Go\r\n")) {
        halfUtf16 += c;
        halfUtf16 += '\0';
    }
    const Case cases[] = {
        {"a damaged picture", "not a bitmap", std::nullopt, 1},
        {"an empty text table", "BM", "", 1},
        {"a text table in UTF-16 without its mark", std::nullopt, halfUtf16, 1},
        {"both", "junk", "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        f.InstallEngine(0);
        if (c.picture)
            f.launcherDir.write("launcher.bmp", *c.picture);
        if (c.table)
            f.launcherDir.write("launcher.str", *c.table);
        f.Create();
        EXPECT_EQ(f.view.problems.size(), c.problems);
        EXPECT_EQ(f.view.captions[kBtnStart], u"Start Veilstrand");
        EXPECT_TRUE(f.controller.EngineInstalled());
        EXPECT_TRUE(f.view.enabled.empty());
        f.controller.StartClick();
        EXPECT_EQ(vls::win32::TakeRecordedShellLaunches().size(), 1u);
        EXPECT_TRUE(f.view.closed);
    }
}

TEST(LauncherForm, StartRunsTheEngineAndClosesOnlyWhenItStarted)
{
    Fixture f;
    WriteTable(f.launcherDir / "launcher.str", Table(u"t"));
    f.InstallEngine(0);
    f.Create();
    f.controller.StartClick();
    auto launches = vls::win32::TakeRecordedShellLaunches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].file, "vls.exe");
    EXPECT_EQ(launches[0].workingFolder, f.installDir.path().string());
    EXPECT_TRUE(f.view.closed);

    f.view.closed = false;
    fs::remove(f.installDir / "vls");
    f.controller.StartClick();
    EXPECT_FALSE(f.view.closed);
    ASSERT_EQ(f.view.messages.size(), 1u);

    f.controller.ForumClick();
    f.controller.UpdateClick();
    f.controller.ShapePageClick();
    launches = vls::win32::TakeRecordedShellLaunches();
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_EQ(launches[0].file, AnsiString(kSiteAddress) + "t 34");
    EXPECT_EQ(launches[1].file, AnsiString(kSiteAddress) + "t 33");
    EXPECT_EQ(launches[2].file, "http://shape.example/");
}

TEST(LauncherForm, SettingsPanelReadsWithoutWritingAndWritesEachChange)
{
    Fixture f;
    f.InstallEngine(0);
    f.Create();
    f.controller.OptionsClick();
    EXPECT_EQ(f.view.index[kCbAA], 1);
    EXPECT_EQ(f.view.index[kCbSpeaker], 0);
    EXPECT_EQ(f.view.index[kCbBufferSize], 0);
    EXPECT_FALSE(f.view.checked);
    EXPECT_TRUE(f.view.visible[kSettingsPanel]);
    EXPECT_EQ(f.view.captions[kSettingsPanel], u"   Hardware Settings");
    vcl::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kRegistryKey, false));
    for (const char* value : {"Antialiasing", "Speakermode", "SoundBuffer", "SoundChannelsHW"})
        EXPECT_FALSE(reg.ValueExists(value)) << value;

    f.view.SetItemIndex(kCbBufferSize, 6);
    f.view.SetNoHardwareChecked(true);
    EXPECT_EQ(reg.ReadInteger("SoundBuffer"), 8);
    EXPECT_EQ(reg.ReadInteger("SoundChannelsHW"), 0);
    f.controller.OptionsClick();
    EXPECT_EQ(f.view.index[kCbBufferSize], 6);
    EXPECT_TRUE(f.view.checked);
    reg.CloseKey();
}
