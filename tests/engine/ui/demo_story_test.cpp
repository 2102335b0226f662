// The demo's items and the fisherman's dialogue, played through the real
// natives.

#include "engine/natives/engine_natives.h"
#include "engine/natives/native_host.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_inventory.h"
#include "tests/engine/ui/ui_fixture.h"
#include "tools/demo/demo_story.h"

namespace vls::test {
namespace {

// Keeps the printed lines.
class PrintedLines : public cKestruneNullNativeHost {
public:
    PrintedLines() { SetNativeHost(this); }
    ~PrintedLines() override { SetNativeHost(nullptr); }
    void Print(const char* first, const char*, cKestruneScript*) override { lines.push_back(first); }
    std::vector<std::string> lines;
};

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
    PrintedLines printed;
};

TEST_F(DemoStoryTest, TheRopeTakenUpAndUsedOnTheLanternIsTiedToItsRing)
{
    inventory.LoadItem(inventory.FindItem("lantern"), 0);
    inventory.LoadItem(inventory.FindItem("rope"), 0);
    ASSERT_EQ(inventory.HasItem(inventory.FindItem("rope")), 1);
    inventory.barState = cKestruneInventory::kBarShown;
    gameplay->gameState |= cKestruneGameplay::kBarOpen;
    gameplay->mouseX = 100; // the newest item, the rope
    inventory.OnLeftClick();
    ASSERT_EQ(inventory.Held(), &inventory.items[inventory.FindItem("rope")]);
    gameplay->mouseX = 200; // the lantern
    inventory.OnLeftClick();
    EXPECT_EQ(printed.lines, std::vector<std::string>{"You tie the rope to the lantern's ring."});
    EXPECT_EQ(inventory.HasItem(inventory.FindItem("rope")), 1) << "nothing is used up";
    EXPECT_TRUE(reports.reports.empty()) << reports.reports.front().text;
}

TEST_F(DemoStoryTest, TheGreetingOffersThreeQuestionsAndGoodbye)
{
    const tools::DemoStory story = tools::MakeDemoStory();
    for (const auto& [name, bytes] : story.resources) {
        if (name != "greeting.dialogue")
            continue;
        ASSERT_EQ(dialogue.PlayFromMemory(bytes.data(), bytes.size(), "greeting"), 0);
    }
    dialogue.Start();
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kChoosing);
    ASSERT_EQ(dialogue.EntryCount(), 4);
    EXPECT_STREQ(dialogue.Entry(0).caption.GetText(), "Who keeps the light?");
    EXPECT_STREQ(dialogue.Entry(3).caption.GetText(), "Goodbye.");

    // Goodbye ends the talk.
    gameplay->mouseY = dialogue.Entry(3).y - 5;
    gameplay->leftEvent = 1;
    dialogue.Update();
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kIdle);
    EXPECT_EQ(dialogue.EntryCount(), 0);
    EXPECT_EQ(dialogue.levels.count, 0);
    EXPECT_TRUE(reports.reports.empty()) << reports.reports.front().text;
}

} // namespace
} // namespace vls::test
