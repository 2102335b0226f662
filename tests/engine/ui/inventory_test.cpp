// The inventory: its recent-first list, the bar's layout and clicks, push
// and pop, the held item, and its savegame block.

#include "engine/ui/kestrune_inventory.h"
#include "tests/engine/ui/ui_fixture.h"

#include <cstring>

namespace vls::test {
namespace {

class Inventory : public UiWorld {
protected:
    // Every project item shares one packed icon, cursor and script; the
    // script marks its two events.
    void StartInventory(bool damaged = false)
    {
        tools::InventoryItemDescription description;
        description.icon = tools::WriteImage({}, {Solid(32, 32, 0xFF2040A0)});
        description.cursor = tools::WriteImage({}, {Solid(16, 16, 0xFF2040A0)});
        description.script = MarkingScript({"inv_useinv", "inv_look"});
        const tools::InventoryResource packed = tools::WriteInventoryResource({description});
        data.Add("inventory", Bytes(packed.bytes));
        data.Add("ui_inventory_1.image", ImageBytes(Solid(1024, 128, 0xFF303030)));
        data.Add("ui_inventory_2.image", ImageBytes(Solid(256, 128, 0xFF808080)));
        StartGame();
        for (int32_t i = 0; i < cKestruneInventory::kItemCount; ++i) {
            project.itemNames[i] = "item" + std::to_string(i);
            for (int part = 0; part < 3; ++part)
                project.itemTables[part][i] = packed.offsets[part][0];
        }
        if (damaged)
            project.itemTables[0][7] = static_cast<uint32_t>(packed.bytes.size()) + 10;
        ASSERT_EQ(inventory.LoadProject(project), 0);
    }

    std::vector<int32_t> List() const
    {
        std::vector<int32_t> out;
        for (const InventoryItem* item : inventory.shown)
            if (item)
                out.push_back(static_cast<int32_t>(item - inventory.items));
        return out;
    }

    void OpenBar()
    {
        gameplay->gameState |= cKestruneGameplay::kBarOpen;
        inventory.barState = cKestruneInventory::kBarShown;
        inventory.Render();
    }

    ProjectHeader project;
    cKestruneInventory inventory;
};

TEST_F(Inventory, NewestFirstAndASixtySixthItemUnloadsTheOldest)
{
    StartInventory();
    EXPECT_EQ(inventory.FindItem("item12"), 12);
    EXPECT_EQ(inventory.FindItem("nothing"), -1);
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].text, "Inventory item not defined.");
    EXPECT_EQ(reports.reports[0].where, "nothing");
    EXPECT_EQ(inventory.LoadItem(-1, 0), -1);

    for (int32_t i = 0; i < 66; ++i)
        inventory.LoadItem(i, i == 65 ? 0 : 1);
    EXPECT_EQ(inventory.newestItem, 65);
    EXPECT_EQ(inventory.newestTime, ui.now);
    EXPECT_EQ(List().front(), 65);
    EXPECT_EQ(List().back(), 1);
    EXPECT_EQ(inventory.HasItem(0), 0);
    inventory.Render();
    EXPECT_EQ(inventory.items[0].loaded, 0) << "no longer present, so unloaded";
    // It can come back, first again.
    inventory.LoadItem(0, 1);
    EXPECT_EQ(List().front(), 0);
    EXPECT_EQ(inventory.HasItem(0), 1);
    EXPECT_EQ(inventory.HasItem(1), 0);

    // Adding a present item changes neither the order nor the announcement.
    const std::vector<int32_t> before = List();
    inventory.LoadItem(30, 0);
    EXPECT_EQ(List(), before);
    EXPECT_EQ(inventory.newestItem, 65);
}

TEST_F(Inventory, RemovedItemsStayLoadedUntilTheNextFrameAndComeBackWhenReAdded)
{
    StartInventory();
    inventory.LoadItem(3, 1);
    inventory.LoadItem(4, 1);
    inventory.RemoveItem(3);
    EXPECT_EQ(inventory.HasItem(3), 0);
    EXPECT_EQ(inventory.items[3].loaded, 1) << "its script may be running";
    inventory.LoadItem(3, 1);
    inventory.Render();
    EXPECT_EQ(List(), (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(inventory.items[3].loaded, 1) << "re-added in the same frame: kept";

    inventory.RemoveItem(4);
    inventory.RemoveItem(3);
    EXPECT_EQ(inventory.items[4].loaded, 0) << "the next removal frees the one before";
    EXPECT_EQ(inventory.items[3].loaded, 1);
    inventory.Render();
    EXPECT_EQ(inventory.items[3].loaded, 0);
}

TEST_F(Inventory, LayoutPullsTheScrollBackAfterARemoval)
{
    StartInventory();
    for (int32_t i = 0; i < 12; ++i)
        inventory.LoadItem(i, 1);
    inventory.slide = 128;
    inventory.scroll = 3;
    inventory.Layout();
    EXPECT_EQ(inventory.leftArrow, 1);
    EXPECT_EQ(inventory.rightArrow, 0);
    inventory.RemoveItem(5);
    EXPECT_EQ(inventory.scroll, 2);
    EXPECT_EQ(inventory.leftArrow, 1);
    // Column 0 holds the third item of the list (newest first: 11, 10, 9, ...).
    const InventoryItem& first = inventory.items[9];
    EXPECT_EQ(first.hidden, 0);
    EXPECT_EQ(TopLeft(first.icon), std::make_pair(56, 768 - 128 + 28));
    EXPECT_EQ(inventory.items[10].hidden, 1);
    // Removing down to five items stops the scroll at 0, not below.
    for (int32_t i : {0, 1, 2, 3, 4, 6})
        inventory.RemoveItem(i);
    EXPECT_EQ(inventory.scroll, 0);
    EXPECT_EQ(TopLeft(inventory.items[11].icon).first, 56);
}

TEST_F(Inventory, ClicksOnTheBarPickUpUseAndLook)
{
    StartInventory();
    for (int32_t i = 0; i < 11; ++i)
        inventory.LoadItem(i, 1);
    OpenBar();
    struct Case {
        int32_t x;
        int32_t item; // -1 none
    };
    // Newest first: column 0 is item 10; the strips of the arrows take no item.
    const Case cases[] = {{40, -1}, {56, 10}, {151, 10}, {152, 9}, {900, 2}, {968, 2}, {969, -1}};
    for (const Case& c : cases) {
        gameplay->mouseX = c.x;
        EXPECT_EQ(inventory.IsMouseOverItem(), c.item >= 0) << c.x;
    }
    gameplay->mouseX = 160;
    inventory.OnLeftClick();
    ASSERT_EQ(inventory.Held(), &inventory.items[9]);
    EXPECT_TRUE(gameplay->gameState & cKestruneGameplay::kItemHeld);
    gameplay->mouseX = 300;
    inventory.OnLeftClick();
    inventory.OnRightClick();
    EXPECT_EQ(Marks(), (std::vector<std::string>{"inv_useinv", "inv_look"}));
    EXPECT_EQ(inventory.Held(), &inventory.items[9]);

    // The right arrow scrolls; an empty place drops the held item.
    gameplay->mouseX = 1000;
    inventory.OnLeftClick();
    EXPECT_EQ(inventory.scroll, 1);
    inventory.OnLeftClick();
    EXPECT_EQ(inventory.scroll, 2);
    inventory.OnLeftClick();
    EXPECT_EQ(inventory.scroll, 2) << "no right arrow any more";
    for (int32_t i : {0, 1, 2})
        inventory.RemoveItem(i);
    gameplay->mouseX = 900;
    inventory.OnRightClick();
    EXPECT_EQ(inventory.Held(), nullptr);
    EXPECT_FALSE(gameplay->gameState & cKestruneGameplay::kItemHeld);
}

TEST_F(Inventory, UnloadingTheHeldItemDropsItFromTheCursor)
{
    StartInventory();
    inventory.LoadItem(2, 1);
    OpenBar();
    gameplay->mouseX = 100;
    inventory.OnLeftClick();
    ASSERT_EQ(inventory.Held(), &inventory.items[2]);
    inventory.Clear();
    EXPECT_EQ(inventory.Held(), nullptr);
    EXPECT_FALSE(gameplay->gameState & cKestruneGameplay::kItemHeld);
}

TEST_F(Inventory, ThePressedListComesBackOnceInItsOrder)
{
    StartInventory();
    for (int32_t i : {5, 6, 7})
        inventory.LoadItem(i, 1);
    inventory.Push();
    EXPECT_TRUE(List().empty());
    inventory.LoadItem(9, 1);
    inventory.Push();
    EXPECT_EQ(List(), std::vector<int32_t>{9}) << "a second push does nothing";
    inventory.Pop();
    EXPECT_EQ(List(), (std::vector<int32_t>{7, 6, 5}));
    EXPECT_EQ(inventory.pushed[0], cKestruneInventory::kNone);
    inventory.Pop();
    EXPECT_EQ(List(), (std::vector<int32_t>{7, 6, 5}));
}

TEST_F(Inventory, TheBarSlidesInAQuarterSecondAndDrawsItsArrows)
{
    StartInventory();
    for (int32_t i = 0; i < 10; ++i)
        inventory.LoadItem(i, 1);
    inventory.barState = cKestruneInventory::kBarOpening;
    ui.delta = 0.1f;
    inventory.Render();
    EXPECT_EQ(inventory.slide, 51);
    inventory.Render();
    inventory.Render();
    EXPECT_EQ(inventory.barState, cKestruneInventory::kBarShown);
    EXPECT_EQ(inventory.slide, 128);
    Device().ClearRecord();
    inventory.Render();
    // The bar, the right arrow and nine icons.
    int draws = 0;
    for (const auto& call : Device().Calls())
        draws += call.name == "DrawPrimitive" || call.name == "DrawPrimitiveUP";
    EXPECT_EQ(draws, 11);
    gameplay->gameState &= ~cKestruneGameplay::kBarMayOpen;
    Device().ClearRecord();
    inventory.Render();
    EXPECT_TRUE(Device().Calls().empty()) << "the bar needs game state 0x4";
    gameplay->gameState |= cKestruneGameplay::kBarMayOpen | cKestruneGameplay::kBarOpen;
    inventory.CloseBar();
    EXPECT_FALSE(gameplay->gameState & cKestruneGameplay::kBarOpen);
    EXPECT_EQ(inventory.barState, cKestruneInventory::kBarClosing);
}

TEST_F(Inventory, TheAnnouncementShowsTwoSecondsAndFadesDuringTheThird)
{
    StartInventory();
    inventory.LoadItem(4, 0);
    gameplay->gameState &= ~cKestruneGameplay::kBarMayOpen;
    cKestruneImage* icon = inventory.items[4].icon;
    ui.now += 1999;
    inventory.Render();
    EXPECT_EQ(TopLeft(icon), std::make_pair(1024 - 104, 24));
    EXPECT_EQ(inventory.newestItem, 4);
    ui.now += 501;
    Device().ClearRecord();
    inventory.Render();
    ASSERT_FALSE(Device().Calls().empty());
    ui.now += 500;
    inventory.Render();
    EXPECT_EQ(inventory.newestItem, -1);
}

TEST_F(Inventory, DamagedPackedDataLeavesTheItemAbsent)
{
    StartInventory(true);
    inventory.LoadItem(7, 0);
    EXPECT_EQ(inventory.HasItem(7), 0);
    EXPECT_EQ(inventory.items[7].loaded, 0);
    EXPECT_TRUE(reports.Has("Loading inventory item failed."));
    EXPECT_EQ(inventory.newestItem, -1);
}

TEST_F(Inventory, TheBlockKeepsOrderAndPushedItemsAndRefusesBadIndexes)
{
    StartInventory();
    for (int32_t i : {129, 3, 128})
        inventory.LoadItem(i, 1);
    inventory.Push();
    for (int32_t i : {1, 2})
        inventory.LoadItem(i, 1);
    SavegameBlockHeader header;
    const int file = SaveAndReopen([&](int f) { inventory.SaveBlock(f); }, header);
    EXPECT_EQ(header.length, 132u);
    inventory.Clear();
    std::memset(inventory.pushed, cKestruneInventory::kNone, sizeof inventory.pushed);
    inventory.LoadBlock(header, file);
    _close(file);
    EXPECT_EQ(std::string(header.tag), "END") << "the next header was read";
    EXPECT_EQ(List(), (std::vector<int32_t>{2, 1}));
    inventory.Pop();
    EXPECT_EQ(List(), (std::vector<int32_t>{128, 3, 129}));

    // Counts past the fields, indexes past the table and a short payload.
    std::vector<uint8_t> payload = {200, 70, 140, 5, 255, 6};
    inventory.ReadPayload(payload.data(), payload.size());
    EXPECT_EQ(List(), (std::vector<int32_t>{5, 6})) << "a gap of 255 is passed over";
    inventory.ReadPayload(payload.data(), 1);
    EXPECT_TRUE(List().empty());
}

} // namespace
} // namespace vls::test
