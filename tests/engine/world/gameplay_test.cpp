#include "engine/base/datafile_text_reader.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"
#include "tools/scene_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vls::test {
namespace {

// Each taker of the input step answers from its field and logs when asked
// to take the input.
class TakerHost : public cKestruneNullWorldHost {
public:
    TakerHost() { SetWorldHost(this); }
    ~TakerHost() override { SetWorldHost(nullptr); }

    bool HasVideo() override { return video; }
    bool HasScreenControl() override { return screenControl; }
    bool ScreenControlDone() override { return false; }
    void ScreenControlInput() override { log.push_back("control"); }
    bool MenuOpen() override { return menu; }
    void MenuInput() override { log.push_back("menu"); }
    int32_t DialogueState() override { return dialogue; }
    void UpdateDialogue() override { log.push_back("dialogue"); }
    cKestruneScene* CurrentScene() override { return scene; }
    bool UpdateHoverHotspot(cKestruneScene&, int32_t, int32_t) override { return hover; }
    bool HasHoverHotspot(cKestruneScene&) override { return hover; }
    int32_t HoverHotspotCursor(cKestruneScene&) override { return 5; }
    void HotspotUse(cKestruneScene&, bool run) override { log.push_back(run ? "use run" : "use"); }
    void HotspotLook(cKestruneScene&, bool run) override { log.push_back(run ? "look run" : "look"); }
    bool WalkToScreenPoint(int32_t, int32_t, bool run) override
    {
        log.push_back(run ? "run" : "walk");
        return true;
    }
    void SetCursor(int32_t c) override { cursor = c; }

    bool video = false, screenControl = false, menu = false, hover = false;
    int32_t dialogue = 0;
    int32_t cursor = -1;
    cKestruneScene* scene = nullptr;
    std::vector<std::string> log;
};

class GameplayTest : public WorldTest {
protected:
    GameplayTest() { gameplay.gameState = 0x207; }
    TakerHost host;
    cKestruneGameplay gameplay;
};

TEST_F(GameplayTest, TheFirstTakerInOrderGetsTheInput)
{
    cKestruneScene scene;
    host.scene = &scene;
    host.hover = true;
    gameplay.leftEvent = 1;
    host.video = true;
    host.screenControl = true;
    host.menu = true;
    host.dialogue = 1;
    const std::vector<std::pair<bool*, std::string>> takers = {
        {&host.video, ""}, {&host.screenControl, "control"}, {&host.menu, "menu"}};
    for (const auto& [flag, expected] : takers) {
        host.log.clear();
        gameplay.HandleInput();
        EXPECT_EQ(host.log, expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
        EXPECT_EQ(gameplay.leftEvent, 1) << "events wait for the later takers";
        *flag = false;
    }
    host.log.clear();
    gameplay.HandleInput();
    EXPECT_EQ(host.log, std::vector<std::string>{"dialogue"});
    // A dialogue in state 2 without a locked line lets the step go on.
    host.dialogue = 2;
    host.log.clear();
    gameplay.HandleInput();
    EXPECT_EQ(host.log, (std::vector<std::string>{"dialogue", "use"}));
    EXPECT_EQ(host.cursor, 5);
    EXPECT_EQ(gameplay.leftEvent, 0);
}

TEST_F(GameplayTest, AClickWaitRunsCbclickOnceAndTakesNothingElse)
{
    auto script = LoadScript("var hits int\n func cbclick\n push ref hits\n push int 1\n assign\n ret\n");
    cKestruneScene scene;
    host.scene = &scene;
    gameplay.gameState |= cKestruneGameplay::kClickWait;
    gameplay.clickCallbackScript = script.get();
    gameplay.leftEvent = 2;
    gameplay.HandleInput();
    EXPECT_EQ(gameplay.leftEvent, 2) << "a double click is neither consumed nor dispatched";
    EXPECT_EQ(script->Variable(0)->intValue, 0);
    gameplay.leftEvent = 1;
    gameplay.HandleInput();
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    EXPECT_TRUE(host.log.empty()) << "not also a walk";
    EXPECT_EQ(gameplay.gameState & cKestruneGameplay::kClickWait, 0u);
    EXPECT_EQ(gameplay.clickCallbackScript, nullptr);
}

TEST_F(GameplayTest, ClickHandlersFollowTheirTables)
{
    auto script = LoadScript("var wants int\n func onwantrun\n push ref wants\n push int 1\n assign\n ret\n");
    cKestruneScene scene;
    scene.script = script.get();
    host.scene = &scene;
    host.hover = true;
    gameplay.runOnDoubleClick = 0;
    gameplay.OnLeftDoubleClick();
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    EXPECT_TRUE(host.log.empty()) << "ONWANTRUN instead of the hotspot";
    gameplay.gameState |= cKestruneGameplay::kItemHeld;
    gameplay.OnRightClick();
    EXPECT_TRUE(host.log.empty()) << "a right click only drops the item";
    EXPECT_EQ(gameplay.gameState & cKestruneGameplay::kItemHeld, 0u);
    gameplay.OnRightClick();
    EXPECT_EQ(host.log, std::vector<std::string>{"look"});
    host.hover = false;
    host.log.clear();
    gameplay.OnLeftClick();
    EXPECT_EQ(host.log, std::vector<std::string>{"walk"});
    gameplay.gameState |= cKestruneGameplay::kInputLocked;
    host.log.clear();
    gameplay.OnLeftClick();
    EXPECT_TRUE(host.log.empty()) << "input locked";
    scene.script = nullptr;
}

TEST_F(GameplayTest, VideoKeepsEventsPendingUntilItEnds)
{
    host.video = true;
    gameplay.rightEvent = 1;
    gameplay.HandleInput();
    EXPECT_EQ(gameplay.rightEvent, 1);
    host.video = false;
    gameplay.HandleInput();
    EXPECT_EQ(gameplay.rightEvent, 0);
    EXPECT_TRUE(gameplay.ConsumeEvent(0, 0));
    gameplay.leftEvent = 2;
    EXPECT_FALSE(gameplay.ConsumeEvent(0, 1));
    EXPECT_TRUE(gameplay.ConsumeEvent(0, 2));
    EXPECT_EQ(gameplay.leftEvent, 0);
}

TEST_F(GameplayTest, UiInfoKeepsLinesUpToTheDash)
{
    const ScopedConfig config;
    const TempDir work;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    tools::ArchiveBuilder builder;
    builder.Add("ui_info", "# comment\r\nKEY a b\r\n-\r\nKEY c\r\n");
    ASSERT_TRUE(builder.Write(work.path()));
    {
        cKestruneFileSystem files;
        const std::int32_t slot = files.Open("ui_info");
        cDatafileTextReader reader(files, slot);
        ReadUiInfoLines(reader, gameplay.uiInfo);
        files.Close(slot);
    }
    std::filesystem::current_path(previous);
    ASSERT_EQ(gameplay.uiInfo.count, 1);
    EXPECT_STREQ(gameplay.GetUiInfo("KEY").GetText(), "a b");
    EXPECT_STREQ(gameplay.GetUiInfo("KE").GetText(), "");
    EXPECT_STREQ(gameplay.GetUiInfo("NONE").GetText(), "");
}

TEST_F(GameplayTest, ProjectHeaderFieldsAreCutToTheirWidth)
{
    const std::vector<std::uint8_t> bytes =
        tools::WriteProjectResource(std::string(70, 'n'), "build 7", {}, {}, 3);
    ASSERT_GE(bytes.size(), kProjectHeaderSize);
    const ProjectHeader header = ParseProjectHeader(bytes.data());
    EXPECT_EQ(header.name.size(), 63u);
    EXPECT_EQ(header.build, "build 7");
    EXPECT_EQ(header.cursorCount, 3);
}

} // namespace
} // namespace vls::test
