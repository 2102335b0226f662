#pragma once

#include "engine/base/kestrune_string.h"

#include <cstddef>
#include <cstdint>

class cKestruneGameplay;
class cKestruneImage;
class cKestruneScript;
struct ProjectHeader;
struct SavegameBlockHeader;

// One of the project's items: its offsets in the packed entry "inventory",
// and while present its icon, its cursor picture and its own small script.
struct InventoryItem {
    cString name;
    uint32_t iconOffset = 0;
    uint32_t cursorOffset = 0;
    uint32_t scriptOffset = 0;
    cKestruneImage* icon = nullptr;
    cKestruneImage* cursorImage = nullptr;
    int32_t loaded = 0;
    int32_t hidden = 1;
    cKestruneScript* script = nullptr;
};

// The player's items and the bar that slides up from the bottom of the
// screen: the newest present items first, nine columns at a time.
class cKestruneInventory {
public:
    static constexpr int32_t kItemCount = 130;
    static constexpr int32_t kShownCount = 65;
    static constexpr int32_t kColumns = 9;
    static constexpr uint8_t kNone = 255;
    static constexpr uint32_t kBlockSize = 2 + 2 * kShownCount;

    enum BarState : int32_t { kBarHidden = 1, kBarShown = 2, kBarOpening = 3, kBarClosing = 4 };

    cKestruneInventory();
    ~cKestruneInventory();
    cKestruneInventory(const cKestruneInventory&) = delete;
    cKestruneInventory& operator=(const cKestruneInventory&) = delete;

    // The inventory the engine created (the newest one alive), or null.
    static cKestruneInventory* Current();

    // The bar pictures and the project's item table. -1 when a bar picture is missing.
    int32_t LoadProject(const ProjectHeader& project);
    // The item table alone (the bar pictures are loaded by LoadProject).
    void TakeItems(const ProjectHeader& project);

    int32_t FindItem(const char* name) const;
    int32_t LoadItem(int32_t index, int32_t silent);
    int32_t RemoveItem(int32_t index);
    int32_t HasItem(int32_t index) const;
    int32_t Clear();
    int32_t Push();
    int32_t Pop();
    int32_t CloseBar();
    int32_t Render();
    int32_t Layout();
    void OnLeftClick();
    void OnRightClick();
    bool IsMouseOverItem() const;

    // The item picked up as the cursor, or null.
    InventoryItem* Held() const { return heldItem; }
    // Drops the item in hand (the cursor goes back to the arrow).
    void DropHeld();
    // The number of present items.
    int32_t PresentCount() const;

    // The "INV" savegame block on a C run-time descriptor; LoadBlock takes the
    // header its caller has read and leaves the next block's header in it.
    void SaveBlock(int file) const;
    void LoadBlock(SavegameBlockHeader& header, int file);
    // The payload alone (fuzzing and tests).
    void ReadPayload(const uint8_t* bytes, size_t size);

    // Fields, in the engine's order.
    cKestruneImage* barImage = nullptr;
    cKestruneImage* arrowImage = nullptr;
    int32_t newestItem = -1;
    uint32_t newestTime = 0;
    int32_t barState = kBarHidden;
    InventoryItem items[kItemCount];
    InventoryItem* shown[kShownCount] = {};
    uint8_t pushed[kShownCount];
    InventoryItem* heldItem = nullptr;
    int32_t slotWidth = 104;
    int32_t iconY = 28;
    int32_t firstSlotX = 56;
    int32_t slide = 0;
    InventoryItem* pendingRemoval = nullptr;
    int32_t scroll = 0;
    int32_t leftArrow = 0;
    int32_t rightArrow = 0;

private:
    int32_t IndexOf(const InventoryItem* item) const { return item ? static_cast<int32_t>(item - items) : -1; }
    int32_t ShownPosition(const InventoryItem* item) const;
    // The present item under the mouse on the open bar, or null; the arrows' strips answer null.
    InventoryItem* ItemAtMouse() const;
    // A click on an arrow's strip scrolls (when that arrow shows); false elsewhere.
    bool Scroll(int32_t x);
    // A click on the open bar: false when there is no gameplay object or an
    // arrow's strip took it; else item is the item under the mouse, or null.
    bool BarClick(cKestruneGameplay*& gameplay, InventoryItem*& item);
    bool ReadItem(InventoryItem& item);
    void Unload(InventoryItem& item);
    void FreePending();
    void RemoveAll();
    void RestoreFromList(const uint8_t* list, int32_t count);
};
