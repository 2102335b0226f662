#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"

#include "platform/win32/registry/registry.h"
#include "platform/user/winuser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using vls::test::FakeMembers;
using Calls = std::vector<std::string>;

const Calls kFullStart = {"create timer", "create fileSystem", "create graphics", "create sprites", "create sound",
    "create fonts", "create inventory", "create messenger", "create gameplay", "create hints", "create menu",
    "create video", "create queuedVideo"};

const Calls kShutDown = {"destroy messenger", "destroy menu", "destroy hints", "destroy inventory", "destroy scene",
    "destroy pendingScene", "destroy video", "destroy queuedVideo", "destroy gameplay", "destroy sound",
    "destroy fonts", "destroy sprites", "destroy graphics", "destroy fileSystem", "destroy timer"};

class EngineTest : public ::testing::Test {
protected:
    vls::test::ScopedConfig config;
    FakeMembers members;
};

TEST_F(EngineTest, StartsMembersInOrderAndLogsEachStage)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    testing::internal::CaptureStdout();
    EXPECT_EQ(engine.Init(), 0);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(members.calls, kFullStart);
    EXPECT_EQ(log,
        "Reading configuration...\n"
        "Initializing datafile...\n"
        "Initializing graphics...\n"
        "Initializing sprites...\n"
        "Initializing sound...\n"
        "Initializing text...\n"
        "Initializing messenger...\n"
        "Initializing gameplay...\n");
}

// A tested member that does not start, or any member that cannot be
// allocated, ends the start; shut-down still runs.
TEST_F(EngineTest, AMemberThatFailsEndsTheStartAndShutDownStillRuns)
{
    struct Case {
        KestruneMember failing;
        int32_t result;
        size_t created; // members asked for, including the failing one
    };
    const std::vector<Case> cases = {
        {KestruneMember::Timer, -1, 1},
        {KestruneMember::FileSystem, -1, 2},
        {KestruneMember::Graphics, -1, 3},
        {KestruneMember::Sprites, -1, 4},
        {KestruneMember::Sound, -1, 5},
        {KestruneMember::Fonts, -1, 6},
        {KestruneMember::Inventory, -1, 7},
        {KestruneMember::Messenger, -1, 8},
        {KestruneMember::Gameplay, -1, 9},
        {KestruneMember::Hints, -1, 10},
        {KestruneMember::Menu, -1, 11},
    };
    for (const Case& c : cases) {
        FakeMembers fake;
        fake.failing = {c.failing};
        {
            cKestruneEngine engine(nullptr, nullptr, "", &fake);
            testing::internal::CaptureStdout();
            EXPECT_EQ(engine.Init(), c.result) << FakeMembers::Name(c.failing);
            testing::internal::GetCapturedStdout();
            EXPECT_EQ(fake.calls, Calls(kFullStart.begin(), kFullStart.begin() + c.created))
                << FakeMembers::Name(c.failing);
            fake.calls.clear();
        }
        EXPECT_EQ(fake.calls, kShutDown) << FakeMembers::Name(c.failing);
    }
}

TEST_F(EngineTest, SettingsDefaultWithoutARegistryKey)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    testing::internal::CaptureStdout();
    engine.Init();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(engine.SimpleShadows, 0);
    EXPECT_EQ(engine.MaxActorRating, 10);
    EXPECT_EQ(engine.Antialiasing, 0);
    EXPECT_EQ(engine.Speakermode, 0);
    EXPECT_EQ(engine.SoundBuffer, 0);
    EXPECT_EQ(engine.SoundChannelsHW, 255);
    EXPECT_EQ(engine.MusicVolume, 127);
    EXPECT_EQ(engine.DialogueVolume, 127);
    EXPECT_EQ(engine.SFXVolume, 255);
    EXPECT_EQ(engine.Subtitle, 0);
    EXPECT_EQ(engine.Gamma, 127);
    EXPECT_EQ(engine.windows95, 0);
}

TEST_F(EngineTest, SettingsPresentInTheRegistryReplaceTheirDefaults)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Quarrybend\\Veilstrand", &key), ERROR_SUCCESS);
    const DWORD antialiasing = 4;
    const DWORD music = 20;
    RegSetValueExA(key, "Antialiasing", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&antialiasing), 4);
    RegSetValueExA(key, "MusicVolume", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&music), 4);
    // The type is not examined: four bytes of anything are taken as the value.
    RegSetValueExA(key, "Gamma", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x05\0\0\0"), 4);
    RegCloseKey(key);

    cKestruneEngine engine(nullptr, nullptr, "", &members);
    testing::internal::CaptureStdout();
    engine.Init();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(engine.Antialiasing, 4);
    EXPECT_EQ(engine.MusicVolume, 20);
    EXPECT_EQ(engine.Gamma, 5);
    EXPECT_EQ(engine.SFXVolume, 255);
    EXPECT_EQ(engine.MaxActorRating, 10);
}

TEST_F(EngineTest, DemoDataFollowsTheProbeFileInTheWorkingFolder)
{
    const vls::test::TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    {
        const cKestruneEngine engine(nullptr, nullptr, "", &members);
        EXPECT_EQ(engine.demoData, 0);
    }
    dir.write("Resource.DSG", "");
    {
        const cKestruneEngine engine(nullptr, nullptr, "", &members);
        EXPECT_EQ(engine.demoData, 1);
    }
    std::filesystem::current_path(previous);
}

TEST_F(EngineTest, RunStartsANewGameWithoutALastGame)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    engine.Run();
    EXPECT_EQ(members.calls,
        (Calls{"state 519", "load lastgame", "run initiate", "due", "sound", "input", "frame"}));

    FakeMembers resumed;
    resumed.lastgameResult = 0;
    cKestruneEngine again(nullptr, nullptr, "", &resumed);
    again.Run();
    EXPECT_EQ(resumed.calls, (Calls{"state 519", "load lastgame", "due", "sound", "input", "frame"}));
}

TEST_F(EngineTest, RequestsAreServedBeforeTheFrameGateAndTheSceneSwitchAfterIt)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    members.lastgameResult = 0;
    members.frameAnswers = {false, true, false};
    members.framesUntilQuit = 1;
    engine.newGameRequest = 1;
    engine.loadRequest = 1;
    engine.savegameName = "slot3";
    engine.pendingScene = FakeMembers::Object<cKestruneScene>(7);
    engine.Run();
    EXPECT_EQ(members.calls,
        (Calls{"state 519", "load lastgame", "new game", "load slot3", "not due", "due", "load scene 7", "close 7",
            "enter 7 0", "not due", "sound", "input", "frame"}));
    EXPECT_EQ(engine.scene, FakeMembers::Object<cKestruneScene>(7));
    EXPECT_EQ(engine.pendingScene, nullptr);
    engine.scene = nullptr;
}

TEST_F(EngineTest, SetSceneLoadsTheNewSceneBeforeTheOldOneGoesAndKeepsItWhenTheLoadFails)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    engine.scene = FakeMembers::Object<cKestruneScene>(1);
    EXPECT_EQ(engine.SetScene(FakeMembers::Object<cKestruneScene>(2), 1), 0);
    EXPECT_EQ(members.calls, (Calls{"load scene 2", "close 2", "leave 1 1", "delete 1", "enter 2 1"}));

    // A scene that does not load goes, and the game stays where it was.
    members.calls.clear();
    members.sceneLoadResult = -1;
    EXPECT_EQ(engine.SetScene(FakeMembers::Object<cKestruneScene>(3), 0), -1);
    EXPECT_EQ(members.calls, (Calls{"load scene 3", "close 3", "delete 3"}));
    EXPECT_EQ(engine.scene, FakeMembers::Object<cKestruneScene>(2));
    engine.scene = nullptr;
}

TEST_F(EngineTest, ASecondPendingSceneReplacesAndDeletesTheFirst)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    engine.SetPendingScene(FakeMembers::Object<cKestruneScene>(4));
    engine.SetPendingScene(FakeMembers::Object<cKestruneScene>(5));
    EXPECT_EQ(members.calls, (Calls{"delete 4"}));
    EXPECT_EQ(engine.pendingScene, FakeMembers::Object<cKestruneScene>(5));
    engine.pendingScene = nullptr;
}

TEST_F(EngineTest, LiveScriptListAnswersLookups)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    EXPECT_EQ(engine.scripts.capacity, 5);
    auto* const a = FakeMembers::Object<cKestruneScript>(11);
    auto* const b = FakeMembers::Object<cKestruneScript>(12);
    auto* const c = FakeMembers::Object<cKestruneScript>(13);
    members.scriptIds = {{a, 1}, {b, 12}, {c, 12}};
    AddLiveScript(a);
    AddLiveScript(b);
    AddLiveScript(c);
    EXPECT_TRUE(engine.IsScriptAlive(a));
    EXPECT_TRUE(IsLiveScript(b));
    EXPECT_EQ(engine.FindScriptById(12), b);
    EXPECT_EQ(engine.FindScriptById(13), nullptr);
    RemoveLiveScript(b);
    EXPECT_EQ(engine.FindScriptById(12), c);
    RemoveLiveScript(a);
    EXPECT_FALSE(engine.IsScriptAlive(a));
    EXPECT_EQ(engine.scripts.count, 1);
}

TEST_F(EngineTest, AQuitMessageEndsTheLoopAfterTheFramesDrawn)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    members.lastgameResult = 0;
    members.framesUntilQuit = 100;
    PostQuitMessage(0);
    engine.Run();
    EXPECT_EQ(members.calls, (Calls{"state 519", "load lastgame", "due", "sound", "input", "frame"}));
    EXPECT_EQ(engine.quit, 1);
}

TEST_F(EngineTest, TheFramesInactiveWaitEndsWhenTheProgramQuits)
{
    cKestruneEngine engine(nullptr, nullptr, "", &members);
    cKestruneEngineGraphicsHost host(engine);
    engine.inactive = 1;
    EXPECT_TRUE(host.Inactive());
    PostQuitMessage(0);
    host.PumpMessages();
    EXPECT_FALSE(host.Inactive());

    engine.quit = 0;
    engine.inactive = 1;
    engine.quit = 1;
    EXPECT_FALSE(host.Inactive());
}

} // namespace
