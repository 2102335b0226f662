#include "engine/ui/kestrune_inventory.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/image_resource.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/ui/ui_block.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"

#include <algorithm>
#include <cstring>

namespace {

cKestruneInventory* g_current = nullptr;

constexpr float kBarDepth = 1.1f;
constexpr int32_t kArrowStrip = 56;
constexpr int32_t kArrowWidth = 60;
constexpr int32_t kArrowHeight = 128;
constexpr int32_t kRightArrowX = 964;
constexpr int32_t kLeftHighlightBelow = 50;
constexpr int32_t kRightHighlightAbove = 974;
constexpr int32_t kAnnounceInset = 104;
constexpr int32_t kAnnounceY = 24;
constexpr double kAnnounceSeconds = 2.0;
constexpr double kAnnounceFadeEnd = 3.0;

int32_t ScreenWidth()
{
    const cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    return graphics ? graphics->screenWidth : cKestruneGraphics::kScreenWidth;
}

int32_t ScreenHeight()
{
    const cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    return graphics ? graphics->screenHeight : cKestruneGraphics::kScreenHeight;
}


void RunItemScript(cKestruneScript* script, const char* function)
{
    if (script)
        script->Run(function);
}

// A picture of the packed entry at offset, or null when it lies outside the
// entry or does not load.
cKestruneImage* ReadItemImage(cKestruneFileSystem& files, int32_t slot, uint32_t offset, int32_t size)
{
    if (size <= 0 || offset >= static_cast<uint32_t>(size) || files.Seek(slot, static_cast<int32_t>(offset)) != 0)
        return nullptr;
    auto* image = new cKestruneImage(0);
    if (image->Load(slot) != 0) {
        delete image;
        return nullptr;
    }
    image->SetPlayMode(kImageLoop, 0);
    image->linearFiltering = 0;
    return image;
}

} // namespace

cKestruneInventory::cKestruneInventory()
{
    std::memset(pushed, kNone, sizeof pushed);
    g_current = this;
}

cKestruneInventory::~cKestruneInventory()
{
    heldItem = nullptr;
    for (InventoryItem& item : items)
        Unload(item);
    delete barImage;
    delete arrowImage;
    if (g_current == this)
        g_current = nullptr;
}

cKestruneInventory* cKestruneInventory::Current() { return g_current; }

int32_t cKestruneInventory::LoadProject(const ProjectHeader& project)
{
    delete barImage;
    delete arrowImage;
    barImage = LoadImageResource("ui_inventory_1.image");
    arrowImage = LoadImageResource("ui_inventory_2.image");
    if (!barImage || !arrowImage)
        return -1;
    barImage->SetPosition(0, ScreenHeight() - static_cast<int32_t>(barImage->header.height) - 1, -1, -1);
    for (cKestruneImage* image : {barImage, arrowImage}) {
        image->SetDepth(kBarDepth);
        image->linearFiltering = 0;
    }
    TakeItems(project);
    return 0;
}

void cKestruneInventory::TakeItems(const ProjectHeader& project)
{
    RemoveAll();
    for (int32_t i = 0; i < kItemCount; ++i) {
        InventoryItem& item = items[i];
        item.name = project.itemNames[i].c_str();
        item.iconOffset = project.itemTables[0][i];
        item.cursorOffset = project.itemTables[1][i];
        item.scriptOffset = project.itemTables[2][i];
    }
    std::fill(std::begin(shown), std::end(shown), nullptr);
}

int32_t cKestruneInventory::FindItem(const char* name) const
{
    for (int32_t i = 0; i < kItemCount; ++i)
        if (items[i].name == name)
            return i;
    ReportError("inventory", name, 0, "Inventory item not defined.");
    return -1;
}

bool cKestruneInventory::ReadItem(InventoryItem& item)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const int32_t slot = files ? files->Open("inventory") : -1;
    if (slot <= 0)
        return false;
    const int32_t size = files->GetSize(slot);
    item.icon = ReadItemImage(*files, slot, item.iconOffset, size);
    item.cursorImage = item.icon ? ReadItemImage(*files, slot, item.cursorOffset, size) : nullptr;
    if (item.cursorImage && item.scriptOffset < static_cast<uint32_t>(size) &&
        files->Seek(slot, static_cast<int32_t>(item.scriptOffset)) == 0) {
        item.script = new cKestruneScript();
        if (item.script->Load(slot) != 0) {
            DeleteScript(item.script);
            item.script = nullptr;
        }
    }
    files->Close(slot);
    item.loaded = 1;
    if (item.script)
        return true;
    // Damaged packed data leaves the item absent rather than half made.
    Unload(item);
    return false;
}

int32_t cKestruneInventory::LoadItem(int32_t index, int32_t silent)
{
    if (index < 0 || index >= kItemCount)
        return -1;
    InventoryItem& item = items[index];
    if (&item == pendingRemoval) {
        // Removed and added again before the removal was carried out: it
        // stays loaded and comes back into the list.
        pendingRemoval = nullptr;
    } else if (item.loaded) {
        return 0;
    } else if (!ReadItem(item)) {
        ReportError("inventory", "", 0, "Loading inventory item failed.");
        return 0;
    }
    if (!silent) {
        newestItem = index;
        newestTime = UiHost().FrameTime();
    }
    InventoryItem* const dropped = shown[kShownCount - 1];
    std::memmove(shown + 1, shown, (kShownCount - 1) * sizeof shown[0]);
    shown[0] = &item;
    if (dropped) {
        // An item pushed off the end is no longer present, so it is unloaded
        // like a removed one; otherwise it could never be added again.
        if (IndexOf(dropped) == newestItem)
            newestItem = -1;
        FreePending();
        pendingRemoval = dropped;
    }
    Layout();
    return 0;
}

int32_t cKestruneInventory::ShownPosition(const InventoryItem* item) const
{
    for (int32_t k = 0; k < kShownCount; ++k)
        if (shown[k] == item)
            return k;
    return -1;
}

int32_t cKestruneInventory::RemoveItem(int32_t index)
{
    if (index < 0 || index >= kItemCount)
        return 0;
    if (index == newestItem)
        newestItem = -1;
    InventoryItem& item = items[index];
    const int32_t at = ShownPosition(&item);
    if (at >= 0) {
        std::memmove(shown + at, shown + at + 1, (kShownCount - 1 - at) * sizeof shown[0]);
        shown[kShownCount - 1] = nullptr;
    }
    if (item.loaded && &item != pendingRemoval) {
        // A script of the item may be running now: it is freed at the next
        // frame or the next removal.
        FreePending();
        pendingRemoval = &item;
    }
    Layout();
    return 0;
}

int32_t cKestruneInventory::HasItem(int32_t index) const
{
    if (index < 0 || index >= kItemCount)
        return 0;
    return ShownPosition(&items[index]) >= 0 ? 1 : 0;
}

int32_t cKestruneInventory::PresentCount() const
{
    int32_t n = 0;
    for (const InventoryItem* entry : shown)
        n += entry ? 1 : 0;
    return n;
}

void cKestruneInventory::Unload(InventoryItem& item)
{
    if (&item == heldItem)
        DropHeld();
    delete item.icon;
    delete item.cursorImage;
    DeleteScript(item.script);
    item.icon = nullptr;
    item.cursorImage = nullptr;
    item.script = nullptr;
    item.loaded = 0;
    item.hidden = 1;
}

void cKestruneInventory::FreePending()
{
    if (!pendingRemoval)
        return;
    InventoryItem* const item = pendingRemoval;
    pendingRemoval = nullptr;
    // A pending item that came back into the list is no longer pending.
    if (ShownPosition(item) < 0)
        Unload(*item);
}

void cKestruneInventory::DropHeld()
{
    heldItem = nullptr;
    if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current()) {
        if (gameplay->gameState & cKestruneGameplay::kItemHeld) {
            gameplay->gameState &= ~cKestruneGameplay::kItemHeld;
            WorldHost().SetCursor(0);
        }
    }
}

void cKestruneInventory::RemoveAll()
{
    for (int32_t i = 0; i < kItemCount; ++i)
        RemoveItem(i);
    FreePending();
}

int32_t cKestruneInventory::Clear()
{
    RemoveAll();
    return 0;
}

int32_t cKestruneInventory::Push()
{
    if (pushed[0] != kNone)
        return 0;
    for (int32_t k = 0; k < kShownCount; ++k)
        pushed[k] = shown[k] ? static_cast<uint8_t>(IndexOf(shown[k])) : kNone;
    RemoveAll();
    return 0;
}

void cKestruneInventory::RestoreFromList(const uint8_t* list, int32_t count)
{
    for (int32_t k = count - 1; k >= 0; --k)
        if (list[k] < kItemCount)
            LoadItem(list[k], 1);
}

int32_t cKestruneInventory::Pop()
{
    if (pushed[0] == kNone)
        return 0;
    RemoveAll();
    uint8_t list[kShownCount];
    std::memcpy(list, pushed, sizeof list);
    std::memset(pushed, kNone, sizeof pushed);
    RestoreFromList(list, kShownCount);
    return 0;
}

int32_t cKestruneInventory::CloseBar()
{
    if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current())
        gameplay->gameState &= ~cKestruneGameplay::kBarOpen;
    barState = kBarClosing;
    slide = barImage ? static_cast<int32_t>(barImage->header.height) : 0;
    return Render();
}

int32_t cKestruneInventory::Layout()
{
    const int32_t n = PresentCount();
    // Fewer items than the scrolled columns pull the scroll back; it stops
    // at 0 so the icons never move right of the first column.
    if (n < scroll + kColumns && scroll >= 1)
        scroll = std::max(0, n - kColumns);
    const int32_t y = ScreenHeight() - slide + iconY;
    for (int32_t k = 0; k < n; ++k) {
        InventoryItem& item = *shown[k];
        const int32_t column = k - scroll;
        item.hidden = column >= 0 && column < kColumns ? 0 : 1;
        if (!item.hidden && item.icon)
            item.icon->SetPosition(slotWidth * column + firstSlotX, y, -1, -1);
    }
    leftArrow = scroll > 0 ? 1 : 0;
    rightArrow = n - scroll > kColumns ? 1 : 0;
    return 0;
}

int32_t cKestruneInventory::Render()
{
    FreePending();
    cKestruneUiHost& host = UiHost();
    const int32_t width = ScreenWidth(), height = ScreenHeight();
    if (newestItem >= 0) {
        const uint32_t now = host.FrameTime();
        const double t = static_cast<int32_t>(now - newestTime) > 0 ? (now - newestTime) / 1000.0 : 0.0;
        cKestruneImage* const icon = items[newestItem].icon;
        if (t >= kAnnounceFadeEnd || !icon) {
            newestItem = -1;
        } else {
            icon->SetPosition(width - kAnnounceInset, kAnnounceY, -1, -1);
            if (t < kAnnounceSeconds) {
                icon->Render(1);
            } else {
                icon->SetAlpha(static_cast<int32_t>((t - kAnnounceFadeEnd) * -255.0));
                icon->vertexAlpha = 1;
                icon->Render(1);
                icon->vertexAlpha = 0;
            }
        }
    }
    if (slide < 0)
        slide = 0;
    if (!(UiGameState() & cKestruneGameplay::kBarMayOpen) || !barImage || !arrowImage)
        return 0;
    const int32_t barHeight = static_cast<int32_t>(barImage->header.height);
    const int32_t step = static_cast<int32_t>(barHeight * host.FrameDeltaSeconds() * 4.0f);
    switch (barState) {
    case kBarOpening:
        slide += step;
        if (slide >= barHeight) {
            slide = barHeight;
            barState = kBarShown;
        }
        break;
    case kBarClosing:
        slide -= step;
        if (slide < 1) {
            barState = kBarHidden;
            return 0;
        }
        break;
    case kBarShown:
        slide = barHeight;
        break;
    default:
        return 0;
    }
    const int32_t top = height - slide;
    barImage->SetPosition(0, top, -1, -1);
    barImage->Render(1);
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    const int32_t mouseX = gameplay ? gameplay->mouseX : 0;
    if (leftArrow) {
        if (mouseX < kLeftHighlightBelow)
            arrowImage->SetSourceRect(128, 0, 188, 128);
        else
            arrowImage->SetSourceRect(0, 0, 60, 128);
        arrowImage->SetPosition(0, top, kArrowWidth, kArrowHeight);
        arrowImage->Render(1);
    }
    if (rightArrow) {
        if (mouseX > kRightHighlightAbove)
            arrowImage->SetSourceRect(196, 0, 256, 128);
        else
            arrowImage->SetSourceRect(68, 0, 128, 128);
        arrowImage->SetPosition(kRightArrowX, top, kArrowWidth, kArrowHeight);
        arrowImage->Render(1);
    }
    Layout();
    for (InventoryItem* item : shown)
        if (item && item->loaded && !item->hidden && item->icon)
            item->icon->Render(1);
    return 0;
}

bool cKestruneInventory::Scroll(int32_t x)
{
    if (x > ScreenWidth() - kArrowStrip)
        scroll += rightArrow ? 1 : 0;
    else if (x < kArrowStrip)
        scroll -= leftArrow ? 1 : 0;
    else
        return false;
    Layout();
    return true;
}

InventoryItem* cKestruneInventory::ItemAtMouse() const
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (!gameplay)
        return nullptr;
    const int32_t x = gameplay->mouseX;
    if (x > ScreenWidth() - kArrowStrip || x < kArrowStrip)
        return nullptr;
    const int32_t position = (x + firstSlotX) / slotWidth + scroll - 1;
    return position >= 0 && position < kShownCount ? shown[position] : nullptr;
}

bool cKestruneInventory::IsMouseOverItem() const { return ItemAtMouse() != nullptr; }

bool cKestruneInventory::BarClick(cKestruneGameplay*& gameplay, InventoryItem*& item)
{
    gameplay = cKestruneGameplay::Current();
    if (!gameplay || Scroll(gameplay->mouseX))
        return false;
    item = ItemAtMouse();
    return true;
}

void cKestruneInventory::OnLeftClick()
{
    cKestruneGameplay* gameplay = nullptr;
    InventoryItem* item = nullptr;
    if (!BarClick(gameplay, item) || !item)
        return;
    if (gameplay->gameState & cKestruneGameplay::kItemHeld) {
        RunItemScript(item->script, "inv_useinv");
        return;
    }
    heldItem = item;
    gameplay->gameState |= cKestruneGameplay::kItemHeld;
    WorldHost().SetCursor(WorldHost().HeldItemCursor());
}

void cKestruneInventory::OnRightClick()
{
    cKestruneGameplay* gameplay = nullptr;
    InventoryItem* item = nullptr;
    if (!BarClick(gameplay, item))
        return;
    if (item)
        RunItemScript(item->script, "inv_look");
    else if (gameplay->gameState & cKestruneGameplay::kItemHeld)
        DropHeld();
}

void cKestruneInventory::SaveBlock(int file) const
{
    uint8_t payload[kBlockSize];
    payload[0] = kShownCount;
    payload[1] = kShownCount;
    for (int32_t k = 0; k < kShownCount; ++k)
        payload[2 + k] = shown[k] ? static_cast<uint8_t>(IndexOf(shown[k])) : kNone;
    std::memcpy(payload + 2 + kShownCount, pushed, kShownCount);
    WriteSavegameBlockHeader(file, "INV", "", kBlockSize);
    _write(file, payload, kBlockSize);
}

void cKestruneInventory::ReadPayload(const uint8_t* bytes, size_t size)
{
    // Counts larger than the fields, and a payload shorter than its counts,
    // are held to what is there; indexes past the item table read as none.
    const size_t listBytes = size >= 1 ? bytes[0] : 0;
    const size_t pushedBytes = size >= 2 ? bytes[1] : 0;
    RemoveAll();
    uint8_t list[kShownCount];
    std::memset(list, kNone, sizeof list);
    std::memset(pushed, kNone, sizeof pushed);
    size_t at = std::min<size_t>(2, size);
    for (size_t k = 0; k < listBytes && at < size; ++k, ++at)
        if (k < kShownCount)
            list[k] = bytes[at];
    for (size_t k = 0; k < pushedBytes && at < size; ++k, ++at)
        if (k < kShownCount && bytes[at] < kItemCount)
            pushed[k] = bytes[at];
    RestoreFromList(list, kShownCount);
}

void cKestruneInventory::LoadBlock(SavegameBlockHeader& header, int file)
{
    if (!CheckSavegameBlockTag(header, "INV"))
        return;
    const std::vector<uint8_t> payload = ReadBlockPayload(file, header);
    ReadPayload(payload.data(), payload.size());
    ReadSavegameBlockHeader(file, header);
}
