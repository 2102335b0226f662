#include "engine/ui/kestrune_menu.h"

#include "engine/audio/kestrune_sound.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_particle_system.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_format.h"
#include "engine/script/script_globals.h"
#include "engine/ui/menu_host.h"
#include "engine/world/kestrune_gameplay.h"

#include <cstdio>

namespace {

constexpr int32_t kScreenWidth = 1024;
constexpr int32_t kScreenHeight = 768;
constexpr int32_t kLeft = 256;
constexpr int32_t kTop = 128;
constexpr int32_t kSide = 768;
constexpr int32_t kConfirmTop = 256;
constexpr int32_t kHoverCursor = 10;
constexpr int32_t kDarkening = 128;
constexpr uint32_t kStopFlags = 2;

const char* const kSoundNames[] = {"generic_ui_mouse_over", "generic_ui_mouse_onclick", "generic_ui_close_menu"};
const char* const kMainKeys[] = {"MENU_MAIN_MOOFS",   "MENU_MAIN_NEWGAME", "MENU_MAIN_LOADGAME", "MENU_MAIN_SAVEGAME",
                                 "MENU_MAIN_OPTIONS", "MENU_MAIN_KEYS",    "MENU_MAIN_QUIT"};
enum MainItem { kClose, kNewGame, kLoadGame, kSaveGame, kOptionsItem, kKeysItem, kQuit };

cKestruneGameplay* Gameplay() { return cKestruneGameplay::Current(); }

} // namespace

cKestruneMenu::cKestruneMenu()
{
    mainImages.SetCapacity(5);
    screenImages.SetCapacity(5);
    sounds.SetCapacity(5);
    mainRects.SetCapacity(5);
    screenRects.SetCapacity(5);
    savegames.SetCapacity(5);
}

cKestruneMenu::~cKestruneMenu()
{
    ReleaseCapture();
    DeleteImages(mainImages);
    DeleteImages(screenImages);
    FreeSounds();
}

cKestruneImage* cKestruneMenu::AddImage(DynArray<cKestruneImage*>& list, const char* name, int32_t x, int32_t y)
{
    // A missing picture keeps its place in the list as null, so the pictures
    // after it are still found at their own index.
    cKestruneImage* image = nullptr;
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const int32_t slot = files && files->Exists(name) ? files->Open(name) : 0;
    if (slot > 0) {
        image = new cKestruneImage();
        const int32_t loaded = image->Load(slot);
        files->Close(slot);
        if (loaded != 0) {
            delete image;
            image = nullptr;
        }
    }
    if (image) {
        image->SetPosition(x, y, -1, -1);
        image->linearFiltering = 0;
    }
    list.Add(image);
    return image;
}

void cKestruneMenu::DeleteImages(DynArray<cKestruneImage*>& list)
{
    for (int32_t i = 0; i < list.count; ++i)
        delete list.data[i];
    list.count = 0;
}

cKestruneImage* cKestruneMenu::ImageAt(const DynArray<cKestruneImage*>& list, int32_t index)
{
    return index >= 0 && index < list.count ? list.data[index] : nullptr;
}

MenuEntry cKestruneMenu::GetRect(const char* key) const
{
    MenuEntry entry;
    if (const cKestruneGameplay* const gameplay = Gameplay()) {
        const cString value = gameplay->GetUiInfo(key);
        // A missing or malformed key gives an empty area, which nothing is inside.
        if (std::sscanf(value.GetText(), "%d,%d,%d,%d", &entry.left, &entry.top, &entry.right, &entry.bottom) != 4)
            entry = MenuEntry{};
    }
    return entry;
}

void cKestruneMenu::AddRect(DynArray<MenuEntry>& list, const char* key, int32_t dx, int32_t dy)
{
    MenuEntry entry = GetRect(key);
    entry.left += dx;
    entry.top += dy;
    list.Add(entry);
}

const MenuEntry& cKestruneMenu::RectAt(const DynArray<MenuEntry>& list, int32_t index)
{
    static const MenuEntry kNone;
    return index >= 0 && index < list.count ? list.data[index] : kNone;
}

bool cKestruneMenu::IsMouseIn(const MenuEntry& entry, int32_t dx, int32_t dy) const
{
    const cKestruneGameplay* const gameplay = Gameplay();
    if (!gameplay)
        return false;
    const int32_t x = gameplay->mouseX;
    const int32_t y = gameplay->mouseY;
    return entry.left + dx < x && x < entry.right + dx && entry.top + dy < y && y < entry.bottom + dy;
}

void cKestruneMenu::Play(Sound sound)
{
    cKestruneSound* const player = cKestruneSound::Current();
    if (player && sound < sounds.count && sounds.data[sound])
        player->PlayUISound(sounds.data[sound], 1.0f);
}

void cKestruneMenu::FreeSounds()
{
    cKestruneSound* const player = cKestruneSound::Current();
    for (int32_t i = 0; i < sounds.count; ++i)
        if (player && sounds.data[i])
            player->FreeUISound(sounds.data[i]);
    sounds.count = 0;
}

void cKestruneMenu::ReleaseCapture()
{
    if (capture)
        capture->Release();
    capture = nullptr;
}

void cKestruneMenu::ReleaseTexts()
{
    for (ObjectHandle* text : {&slotNameText, &dateText, &dateShadowText, &editText})
        ReleaseLiveText(*text);
}

void cKestruneMenu::SetCursor(int32_t index)
{
    if (cKestruneGraphics* const graphics = cKestruneGraphics::Current())
        graphics->cursorIndex = index;
}

void cKestruneMenu::Open()
{
    cKestruneMenuHost& host = MenuHost();
    cKestruneGameplay* const gameplay = Gameplay();
    if (!gameplay || host.VideoPlaying() || gameplay->screenControl || host.DialogueState() > 0)
        return;
    const uint32_t state = gameplay->gameState;
    if ((state & cKestruneGameplay::kMessengerOpen) || !(state & cKestruneGameplay::kInputEnabled)
        || gameplay->ScriptedWaitPending())
        return;
    if (!gameplay->SaveGame("lastgame", &openedGame))
        openedGame.clear();
    screen = kMain;
    // The last visit's sounds were kept so that its closing sound was heard.
    FreeSounds();
    if (cKestruneSound* const player = cKestruneSound::Current())
        for (const char* name : kSoundNames)
            sounds.Add(player->LoadUISound(name, 0));
    AddImage(mainImages, "menu_main.image", kLeft, kTop);
    AddImage(mainImages, "menu_right_up.image", kSide, kTop);
    AddImage(mainImages, "menu_main_mo.image", kSide, kTop);
    mainRects.count = 0;
    AddRect(mainRects, kMainKeys[0], kLeft, kTop);
    for (int32_t i = 1; i <= kQuit; ++i)
        AddRect(mainRects, kMainKeys[i]);
    SetCursor(0);
    hovered = -1;
    open = 1;

    ReleaseCapture();
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    IDirect3DDevice8* const device = graphics ? graphics->device : nullptr;
    if (device && SUCCEEDED(device->CreateImageSurface(kScreenWidth, kScreenHeight, D3DFMT_A8R8G8B8, &capture))) {
        if (SUCCEEDED(device->GetFrontBuffer(capture))) {
            Play(kClick);
            previousHovered = -1;
        } else {
            ReleaseCapture();
        }
    }
}

// The sounds stay until the next Open or the menu's end: freeing them now
// would cut off the closing sound that was just started.
void cKestruneMenu::Close()
{
    DeleteImages(mainImages);
    DeleteImages(screenImages);
    open = 0;
    ReleaseCapture();
}

void cKestruneMenu::ReturnToMain()
{
    previousHovered = 0;
    if (screen > 100) {
        if (screenImages.count > 0) {
            delete screenImages.data[screenImages.count - 1];
            screenImages.RemoveAt(screenImages.count - 1);
        }
    } else {
        if (screen == kOptions)
            WriteSettings();
        DeleteImages(screenImages);
    }
    ReleaseTexts();
    savegames.count = 0;
    screen = kMain;
}

// Leaving every item is remembered too, so coming back to the same item
// sounds again.
void cKestruneMenu::AfterHover(bool withSound)
{
    if (hovered >= 0)
        SetCursor(kHoverCursor);
    if (!withSound)
        return;
    if (hovered > 0 && hovered != previousHovered)
        Play(kMouseOver);
    previousHovered = hovered;
}

bool cKestruneMenu::TakeClicks()
{
    cKestruneGameplay* const gameplay = Gameplay();
    if (!gameplay)
        return false;
    if (gameplay->ConsumeEvent(0, 1) || gameplay->ConsumeEvent(0, 2))
        pressed = hovered;
    return gameplay->ConsumeEvent(1, 1);
}

void cKestruneMenu::HandleInput()
{
    hovered = -1;
    SetCursor(0);
    switch (screen) {
    case kMain: HandleMainInput(); break;
    case kKeys: HandleKeysInput(); break;
    case kOptions: HandleOptionsInput(); break;
    case kLoad:
    case kSave: HandleLoadSaveInput(); break;
    case kConfirmQuit:
    case kConfirmNewGame: HandleConfirmInput(); break;
    default: break;
    }
}

void cKestruneMenu::OpenConfirmation(int32_t screenId)
{
    previousHovered = 0;
    screen = screenId;
    AddImage(screenImages, "menu_confirm.image", kLeft, kConfirmTop);
    hovered = -1;
}

void cKestruneMenu::HandleMainInput()
{
    if (IsMouseIn(back))
        hovered = kClose;
    const MenuEntry& offset = RectAt(mainRects, 0);
    for (int32_t i = kNewGame; i <= kQuit; ++i)
        if (IsMouseIn(RectAt(mainRects, i), offset.left, offset.top))
            hovered = i;
    AfterHover(true);
    TakeClicks();
    const int32_t item = pressed;
    if (item < 0)
        return;
    pressed = -1;
    switch (item) {
    case kClose:
        Play(kCloseMenu);
        Close();
        break;
    case kNewGame:
        Play(kClick);
        OpenConfirmation(kConfirmNewGame);
        break;
    case kLoadGame:
        Play(kClick);
        OpenLoadSave(kLoad);
        break;
    case kSaveGame:
        Play(kClick);
        OpenLoadSave(kSave);
        break;
    case kOptionsItem:
        Play(kClick);
        OpenOptions();
        break;
    case kKeysItem:
        Play(kClick);
        screen = kKeys;
        AddImage(screenImages, "menu_keys.image", kLeft, kTop);
        AddImage(screenImages, "menu_right_down.image", kSide, kTop);
        previousHovered = 0;
        hovered = -1;
        break;
    case kQuit:
        Play(kClick);
        OpenConfirmation(kConfirmQuit);
        break;
    default: break;
    }
}

void cKestruneMenu::HandleKeysInput()
{
    if (IsMouseIn(back))
        hovered = 0;
    AfterHover(true);
    TakeClicks();
    if (pressed == 0) {
        Play(kCloseMenu);
        ReturnToMain();
    }
    pressed = -1;
}

void cKestruneMenu::HandleConfirmInput()
{
    if (IsMouseIn(confirmNo))
        hovered = 0;
    if (IsMouseIn(confirmYes))
        hovered = 1;
    AfterHover(false);
    TakeClicks();
    if (pressed < 0)
        return;
    const int32_t confirmed = screen;
    Play(kCloseMenu);
    ReturnToMain();
    if (pressed == 1) {
        Close();
        if (confirmed == kConfirmQuit)
            MenuHost().RequestQuit();
        else
            MenuHost().RequestNewGame();
    }
    pressed = -1;
}

void cKestruneMenu::DrawPart(cKestruneImage* image, const MenuEntry& source, int32_t x, int32_t y)
{
    if (!image)
        return;
    image->SetSourceRect(source.left, source.top, source.right, source.bottom);
    image->SetPosition(x, y, source.right - source.left, source.bottom - source.top);
    image->Render(1);
}

void cKestruneMenu::Render()
{
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    if (graphics && graphics->device) {
        // Pictures draw with their alpha; what the frame drew last may have
        // left other blend factors.
        graphics->device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        graphics->device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    if (graphics && graphics->blackScreen) {
        cKestruneImage* const black = graphics->blackScreen;
        black->SetPosition(0, 0, kScreenWidth, kScreenHeight);
        black->SetAlpha(kDarkening);
        black->vertexAlpha = 1;
        black->Render(0);
        black->vertexAlpha = 0;
    }
    auto draw = [](cKestruneImage* image) {
        if (image)
            image->Render(1);
    };
    switch (screen) {
    case kMain: {
        draw(ImageAt(mainImages, 0));
        draw(ImageAt(mainImages, 1));
        if (hovered > 0) {
            const MenuEntry& offset = RectAt(mainRects, 0);
            const MenuEntry& item = RectAt(mainRects, hovered);
            DrawPart(ImageAt(mainImages, 2), item, item.left + offset.left, item.top + offset.top);
        }
        break;
    }
    case kKeys:
        draw(ImageAt(screenImages, 0));
        draw(ImageAt(screenImages, 1));
        break;
    case kOptions: RenderOptions(); break;
    case kLoad:
    case kSave: RenderLoadSave(); break;
    case kConfirmQuit:
    case kConfirmNewGame:
        if (screenImages.count > 0)
            draw(screenImages.data[screenImages.count - 1]);
        break;
    default: break;
    }
}

int32_t cKestruneMenu::StartNewGame()
{
    cKestruneMenuHost& host = MenuHost();
    DeleteImages(mainImages);
    DeleteImages(screenImages);
    open = 0;
    ReleaseCapture();
    host.ClearInventory();
    GetScriptGlobalTable().Clear();
    host.DeleteScene();
    cKestruneGameplay* const gameplay = Gameplay();
    if (gameplay)
        gameplay->gameState = 0;
    if (cKestruneSound* const player = cKestruneSound::Current()) {
        player->StopMusic(1.0f, kStopFlags);
        player->StopSounds();
        player->PurgeStopped();
    }
    host.ClearMessengerItems();
    if (cKestruneGraphics* const graphics = cKestruneGraphics::Current()) {
        for (int32_t i = 0; i < graphics->objects.count; ++i)
            graphics->objects.data[i]->Destroy();
        graphics->objects.count = 0;
    }
    host.SetPreviousSceneName("");
    host.ClearDialogueRecords();
    if (!gameplay || !gameplay->projectScript)
        return 0;
    cKestruneScript& project = *gameplay->projectScript;
    for (int32_t i = 0; i < project.variables.count; ++i) {
        ScriptValue& variable = project.variables.data[i];
        variable.intValue = 0;
        variable.floatValue = 0.0f;
        variable.boolValue = 0;
        variable.object = kNoObject;
        variable.SetText("");
    }
    ScriptValue player(kScriptObject);
    player.name = "pc";
    player.globalName = "___playercharacter";
    GetScriptGlobalTable().entries.Add(player);
    project.Run("initiate");
    return 0;
}
