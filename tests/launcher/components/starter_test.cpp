#include <gtest/gtest.h>

#include "launcher/components/kit_application.h"
#include "launcher/components/kit_paths.h"
#include "launcher/components/kit_starter.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/streams.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/shell/shellapi.h"
#include "tests/support/temp_dir.h"

using namespace kit;

namespace {

class StarterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        InitializeKitUnits();
        vls::win32::SetShellLaunchMode(vls::win32::ShellLaunchMode::Record);
        vls::win32::TakeRecordedShellLaunches();
    }
    void TearDown() override
    {
        FinalizeKitUnits();
        vcl::Application->ProcessMessages();
        vls::win32::SetShellLaunchMode(vls::win32::ShellLaunchMode::Automatic);
    }
    vls::test::ScopedConfig config;
};

TEST_F(StarterTest, ConstructionLeavesOneDisabledOneSecondTimer)
{
    {
        TKitStarter starter(nullptr);
        TKitTimerPool* pool = KitApplication->TimerPool();
        ASSERT_EQ(pool->Count(), 1);
        TKitTimerItem* item = pool->Items(0);
        EXPECT_EQ(item->Ident(), starter.StartTimer());
        EXPECT_EQ(item->Interval(), 1000);
        EXPECT_EQ(item->Divider(), 20);
        EXPECT_FALSE(item->Enabled());
        // The pool's window timer was started with the item and keeps going.
        EXPECT_TRUE(pool->Running());
        EXPECT_EQ(starter.StartOperation(), smOpen);
        EXPECT_EQ(starter.StartOption(), soSW_SHOW);
        EXPECT_EQ(starter.StartTime()->Year(), 1990);
        starter.SetAutoStart(true);
        EXPECT_TRUE(item->Enabled());
        starter.SetAutoStart(false);
        EXPECT_FALSE(item->Enabled());
    }
    EXPECT_EQ(KitApplication->TimerPool()->Count(), 0);
    EXPECT_TRUE(vls::win32::TakeRecordedShellLaunches().empty());
}

TEST_F(StarterTest, AutoStartInThePastNeverFires)
{
    TKitStarter starter(nullptr);
    starter.SetCommand("notepad.exe");
    int started = 0;
    starter.OnBeforeStart = [&](vcl::TObject*) { ++started; };
    starter.SetAutoStart(true);
    for (int i = 0; i < 60; ++i) {
        vls::headless::AdvanceClock(50);
        vcl::Application->ProcessMessages();
    }
    EXPECT_EQ(started, 0);
}

TEST_F(StarterTest, AutoStartAtTheCurrentSecondStarts)
{
    TKitStarter starter(nullptr);
    starter.SetCommand("doc.txt");
    int started = 0;
    starter.OnBeforeStart = [&](vcl::TObject*) { ++started; };
    starter.StartTime()->SetValue(Now());
    starter.CheckStartTime();
    EXPECT_EQ(started, 1);
}

TEST_F(StarterTest, ExecuteFillsTheShellRecord)
{
    vls::test::TempDir dir;
    dir.write("doc.txt", "x");
    const AnsiString folder = vls::win32::ToWindowsPath(dir.path().string());
    TKitStarter starter(nullptr);
    std::string order;
    starter.OnBeforeStart = [&](vcl::TObject*) { order += "B"; };
    starter.OnAfterStart = [&](vcl::TObject*) { order += "A"; };
    starter.OnError = [&](vcl::TObject*) { order += "E"; };
    starter.SetCommand(folder + "\\doc.txt");
    starter.SetParameters("-x");
    starter.SetDefaultDir(folder);
    starter.Execute();
    starter.SetStartOperation(smExplore);
    starter.Execute();
    EXPECT_EQ(order, "BABA");
    const auto launches = vls::win32::TakeRecordedShellLaunches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].verb, "open");
    EXPECT_EQ(launches[0].file, folder + "\\doc.txt");
    EXPECT_EQ(launches[0].parameters, "-x");
    EXPECT_EQ(launches[0].directory, folder);
    EXPECT_EQ(launches[0].showCommand, 5);
    EXPECT_EQ(launches[1].verb, "explore");
    EXPECT_EQ(launches[1].file, folder + "\\");
    EXPECT_EQ(launches[1].parameters, "");
    EXPECT_EQ(launches[1].directory, "");

    // A missing file is reported through OnError only.
    order.clear();
    starter.SetStartOperation(smOpen);
    starter.SetCommand(folder + "\\missing.txt");
    starter.Execute();
    EXPECT_EQ(order, "BEA");
    EXPECT_EQ(starter.LastError(), 2);
}

TEST(StarterTables, VerbsAndShowCommands)
{
    EXPECT_STREQ(StarterVerb(smProperties), "properties");
    EXPECT_STREQ(StarterVerb(smPrint), "print");
    const int expected[] = {0, 3, 6, 9, 5, 3, 2, 7, 8, 1};
    for (int i = 0; i <= soSW_SHOWNORMAL; ++i)
        EXPECT_EQ(StarterShowCommand(static_cast<TKitStarterOptions>(i)), expected[i]) << i;
}

TEST(KitDateTimeTest, SettersReplaceOneFieldAndDropMilliseconds)
{
    TKitDateTime dt;
    EXPECT_DOUBLE_EQ(dt.Value(), 32874.0);  // 1990-01-01
    int changes = 0;
    dt.OnChange = [&](vcl::TObject*) { ++changes; };
    dt.SetValue(EncodeDate(2004, 2, 29) + EncodeTime(23, 59, 58, 750));
    changes = 0;
    dt.SetMinute(59);  // unchanged: nothing happens, milliseconds stay
    EXPECT_EQ(changes, 0);
    dt.SetSecond(7);
    EXPECT_EQ(changes, 1);
    EXPECT_DOUBLE_EQ(dt.Value(), EncodeDate(2004, 2, 29) + EncodeTime(23, 59, 7, 0));
    dt.SetHour(1);
    dt.SetYear(2008);
    dt.SetMonth(3);
    dt.SetDay(31);
    EXPECT_EQ(dt.Year(), 2008);
    EXPECT_EQ(dt.Month(), 3);
    EXPECT_EQ(dt.Day(), 31);
    EXPECT_EQ(dt.Hour(), 1);
    EXPECT_EQ(dt.Minute(), 59);
    EXPECT_EQ(dt.Second(), 7);
    EXPECT_THROW(dt.SetMonth(2), vcl::EConvertError);  // 31 February
    EXPECT_THROW(dt.SetHour(24), vcl::EConvertError);
    EXPECT_EQ(dt.Month(), 3);

    TKitDateTime copy;
    copy.Assign(&dt);
    EXPECT_DOUBLE_EQ(copy.Value(), dt.Value());
}

TEST(KitDateTimeTest, CalendarRoundTrips)
{
    const struct {
        int y, m, d;
        double serial;
    } cases[] = {{1899, 12, 30, 0}, {1900, 1, 1, 2}, {2000, 2, 29, 36585}, {1601, 1, 1, -109205}, {9999, 12, 31, 2958465}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
        int y = 0, m = 0, d = 0;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d);
    }
}

TEST_F(StarterTest, LogFileNameRule)
{
    const AnsiString program = ProgramFolder(true);
    const AnsiString exe = vcl::ExtractFileName(ProgramFileName());
    const AnsiString base = vcl::ChangeFileExt(exe, ".LOG");
    const struct {
        AnsiString name;
        int location;
        AnsiString expected;
    } cases[] = {
        {"", kLogInProgramFolder, program + base},
        {"trace", kLogInProgramFolder, program + "trace.LOG"},
        {"trace.txt", kLogInProgramFolder, program + "trace.txt"},
        {"d:\\logs\\trace.txt", kLogInProgramFolder, program + "trace.txt"},
        {"d:\\logs\\trace", kLogAsGiven, "d:\\logs\\trace.LOG"},
        {"trace", kLogInWindowsFolder, WindowsFolder(true) + "trace.LOG"},
        {"trace", kLogInSystemFolder, SystemFolder(true) + "trace.LOG"},
    };
    EXPECT_EQ(KitApplication->LogFileName(), program + base);
    for (const auto& c : cases) {
        KitApplication->SetLogFileName(c.name);
        KitApplication->SetLogLocation(c.location);
        EXPECT_EQ(KitApplication->LogFileName(), c.expected) << c.name;
    }
}

TEST(KitPathsTest, BlankAndBackslashes)
{
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_FALSE(IsBlank(" a "));
    EXPECT_EQ(WithTrailingBackslash("c:\\x"), "c:\\x\\");
    EXPECT_EQ(WithTrailingBackslash("c:\\x\\"), "c:\\x\\");
    EXPECT_EQ(WithTrailingBackslash("  "), "  ");
    EXPECT_EQ(WithoutTrailingBackslash("c:\\x\\"), "c:\\x");
    EXPECT_EQ(WithoutTrailingBackslash("c:\\x"), "c:\\x");
    EXPECT_EQ(SystemFolder(false), WindowsFolder(false) + "\\system32");
    EXPECT_GT(DisplayColorDepth(), 0);
}

TEST(KitIniCtrlTest, DefaultsAndSetters)
{
    TKitIniCtrl ini(nullptr);
    EXPECT_EQ(ini.Target(), itAuto);
    EXPECT_EQ(ini.IniPrefix(), ppWindows);
    EXPECT_EQ(ini.RegRoot(), rpCurrentUser);
    EXPECT_TRUE(ini.Common());
    EXPECT_EQ(ini.MaxEntries(), 16);
    ini.SetIniFile("settings");
    EXPECT_EQ(ini.IniFile(), "settings.INI");
    ini.SetIniFile("settings.cfg");
    EXPECT_EQ(ini.IniFile(), "settings.cfg");
    ini.SetMaxEntries(40);
    ini.SetAlphaCounter(true);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetMaxEntries(30);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetNetUser(true);
    EXPECT_FALSE(ini.User().empty());
    EXPECT_LE(ini.User().size(), 63u);
}

// A form-like owner that carries a starter through the component stream.
TEST_F(StarterTest, StarterLoadsFromAStreamWithItsDefaults)
{
    vcl::RegisterClass(TKitStarter::StaticClass());
    vcl::TComponent root(nullptr);
    auto* starter = new TKitStarter(&root);
    starter->SetName("starter");
    vcl::TMemoryStream stream;
    stream.WriteComponent(starter);
    delete starter;
    EXPECT_EQ(KitApplication->TimerPool()->Count(), 0);

    stream.SetPosition(0);
    auto* loaded = dynamic_cast<TKitStarter*>(stream.ReadComponent(nullptr));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Command(), "");
    EXPECT_FALSE(loaded->AutoStart());
    ASSERT_EQ(KitApplication->TimerPool()->Count(), 1);
    EXPECT_FALSE(KitApplication->TimerPool()->Items(0)->Enabled());
    delete loaded;
}

}  // namespace
