// The demo's lantern and its dialogue, played through the real natives.

#include "engine/natives/engine_natives.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_inventory.h"
#include "tests/engine/ui/ui_fixture.h"
#include "tools/demo/demo_story.h"

namespace vls::test {
namespace {

class DemoStoryTest : public UiWorld {
protected:
    DemoStoryTest()
    {
        RegisterInputNatives();
        RegisterOutputNatives();
        const tools::DemoStory story = tools::MakeDemoStory();
        for (const auto& [name, bytes] : story.resources)
            data.Add(name, Bytes(bytes));
        data.Add("ui_inventory_1.image", ImageBytes(Solid(1024, 64, 0xFF303030)));
        data.Add("ui_inventory_2.image", ImageBytes(Solid(256, 128, 0xFF808080)));
        StartGame();
        std::vector<uint8_t> header(kProjectHeaderSize, 0);
        tools::PutProjectItems(header, story.items, story.inventory);
        EXPECT_EQ(inventory.LoadProject(ParseProjectHeader(header.data())), 0);
        gameplay->dialogue = &dialogue;
    }
    ~DemoStoryTest() override { gameplay->dialogue = nullptr; }

    cKestruneInventory inventory;
    cKestruneDialogue dialogue;
};

TEST_F(DemoStoryTest, TheLanternIsPickedUpAndUsedToStartTheGreeting)
{
    inventory.LoadItem(inventory.FindItem("lantern"), 0);
    ASSERT_EQ(inventory.HasItem(0), 1);
    inventory.barState = cKestruneInventory::kBarShown;
    gameplay->gameState |= cKestruneGameplay::kBarOpen;
    gameplay->mouseX = 100;
    inventory.OnLeftClick();
    ASSERT_EQ(inventory.Held(), &inventory.items[0]);
    inventory.OnLeftClick();
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kChoosing);
    ASSERT_EQ(dialogue.EntryCount(), 3);
    EXPECT_STREQ(dialogue.Entry(0).caption.GetText(), "Who lit you?");

    gameplay->mouseY = dialogue.Entry(0).y - 5;
    gameplay->leftEvent = 1;
    dialogue.Update();
    ASSERT_EQ(dialogue.EntryCount(), 3);
    EXPECT_EQ(dialogue.Entry(1).number, -1) << "a way back up";
    EXPECT_TRUE(reports.reports.empty()) << reports.reports.front().text;
}

} // namespace
} // namespace vls::test
