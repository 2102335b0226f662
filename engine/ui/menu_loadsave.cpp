// The load and save screens: the list of savegames, paging, the typed name,
// the load request and the copy of "lastgame" with its picture.

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/ui/kestrune_menu.h"
#include "engine/ui/menu_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/savegame_file.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"
#include "platform/d3dx/d3dx8tex.h"
#include "platform/win32/kernel/date_format.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/locale.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int32_t kLeft = 256;
constexpr int32_t kTop = 128;
constexpr int32_t kArrowSize = 32;
constexpr int32_t kLongestName = 24;
constexpr int32_t kWidestName = 216;
constexpr int32_t kThumbWidth = 256;
constexpr int32_t kThumbHeight = 128;
constexpr int32_t kBandTop = 128;
constexpr int32_t kBandBottom = 640;
constexpr int32_t kPlayOnce = 2;
constexpr DWORD kGreyText = 0xFFC0C0C0;
constexpr DWORD kNameText = 0xFFD0D0D0;
constexpr DWORD kShadowText = 0xFF202020;
constexpr DWORD kEditText = 0xFFFFFFFF;

enum Rect { kWindow, kLeftArrow, kRightArrow, kEntry, kEditField };
enum Item { kBack, kEntryItem, kPrevious, kNext };
enum Picture { kPanel, kSidePicture, kLeftPicture, kRightPicture, kHighlight, kThumbnail, kInterference };

const char* const kRectKeys[] = {"MENU_SAVEGAME_WINDOW", "MENU_SAVEGAME_LARROW", "MENU_SAVEGAME_RARROW",
                                 "MENU_SAVEGAME_MOOFS", "MENU_SAVEGAME_EDITFIELD"};

cString UiText(const char* key)
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    return gameplay ? gameplay->GetUiInfo(key) : cString("");
}

// Latin-1 text (file names, typed keys) as UTF-16.
cWideString Latin1ToWide(const char* text)
{
    cString utf8(text);
    utf8.ConvertLatin1ToUtf8();
    char16_t* const wide = utf8.ToWide();
    cWideString result(wide);
    std::free(wide);
    return result;
}

// A text on the menu's layer, by handle (kNoObject without fonts).
ObjectHandle OnMenuLayer(cKestruneText* made)
{
    if (!made)
        return kNoObject;
    made->layer = 1;
    return made->Handle();
}

ObjectHandle MakeText(int32_t font, const char* text, int32_t x, int32_t y, DWORD colour, uint32_t flags)
{
    cKestruneFonts* const fonts = cKestruneFonts::Current();
    return OnMenuLayer(fonts ? fonts->CreateText(font, text, x, y, colour, flags) : nullptr);
}

} // namespace

void cKestruneMenu::OpenLoadSave(int32_t screenId)
{
    const bool save = screenId == kSave;
    screen = screenId;
    previousHovered = 0;
    nameConfirmed = 0;
    screenRects.count = 0;
    for (const char* key : kRectKeys)
        AddRect(screenRects, key);
    allowedKeys = UiText("MENU_SAVEGAME_ALLOWEDKEYS");

    const MenuEntry& window = RectAt(screenRects, kWindow);
    const MenuEntry& leftArrow = RectAt(screenRects, kLeftArrow);
    const MenuEntry& rightArrow = RectAt(screenRects, kRightArrow);
    const MenuEntry& entry = RectAt(screenRects, kEntry);
    DeleteImages(screenImages);
    const auto add = [this](const char* name, int32_t x, int32_t y, int32_t width = -1, int32_t height = -1) {
        cKestruneImage* const image = AddImage(screenImages, name, x, y);
        if (image && width > 0)
            image->SetPosition(x, y, width, height);
        return image;
    };
    add(save ? "menu_save.image" : "menu_load.image", kLeft, kTop);
    add("menu_right_down.image", 768, kTop);
    add("menu_loadsave_larrow.image", leftArrow.left + kLeft, leftArrow.top + kTop, kArrowSize, kArrowSize);
    add("menu_loadsave_rarrow.image", rightArrow.left + kLeft, rightArrow.top + kTop, kArrowSize, kArrowSize);
    add(save ? "menu_save_mo.image" : "menu_load_mo.image", entry.left + kLeft, entry.top + kTop);
    add("menu_loadsave_screen.image", window.left + kLeft + 1, window.top + kTop);
    if (cKestruneImage* const interference = add("menu_interference.image", window.left + kLeft + 1, window.top + kTop))
        interference->linearFiltering = 1;

    savegames.count = 0;
    if (save)
        savegames.Add(NewSavegameSlot());
    ListSavegames(kSavegameFolder, MenuHost().DemoData(), savegames);
    slotIndex = 0;
    ShowSlot();
    if (save) {
        const cKestruneScene* const scene = WorldHost().CurrentScene();
        cString caption(scene ? scene->saveName.GetText() : "");
        char16_t* const wide = caption.ToWide();
        typedName.Assign(wide);
        std::free(wide);
        UpdateEditText();
    }
    SetCursor(0);
    hovered = -1;
}

void cKestruneMenu::ShowSlot()
{
    thumbnailShown = 0;
    for (ObjectHandle* text : {&slotNameText, &dateText, &dateShadowText})
        ReleaseLiveText(*text);
    const MenuEntry& window = RectAt(screenRects, kWindow);
    const int32_t x = window.left + 261;
    const int32_t y = window.top + 122;
    if (savegames.count == 0) {
        slotNameText = MakeText(0, UiText("MENU_SAVEGAME_NOSAVEGAMES").GetText(), x, y, kGreyText, 0);
    } else if (screen == kSave && slotIndex == 0) {
        slotNameText = MakeText(0, UiText("MENU_SAVEGAME_NEWSAVEGAME").GetText(), x, y, kGreyText, 0);
    } else {
        const SavegameSlot& slot = savegames.data[slotIndex < savegames.count ? slotIndex : savegames.count - 1];
        cString name(slot.displayName);
        name.ConvertLatin1ToUtf8();
        slotNameText = MakeText(0, name.GetText(), x, y, kNameText, 0);
        char date[32] = {};
        char time[32] = {};
        GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &slot.saveTime, nullptr, date, 31);
        GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &slot.saveTime, nullptr, time, 31);
        char when[72];
        std::snprintf(when, sizeof when, "%s  %s", date, time);
        dateShadowText = MakeText(1, when, window.left + 386, window.top + 275, kShadowText, 1);
        dateText = MakeText(1, when, window.left + 384, window.top + 273, kNameText, 1);
        if (screen == kSave) {
            typedName = Latin1ToWide(slot.displayName);
            UpdateEditText();
        }
        const std::string thumbnail = SavegameThumbnailName(slot.fileName);
        cKestruneGraphics* const graphics = cKestruneGraphics::Current();
        cKestruneImage* const panel = ImageAt(screenImages, kThumbnail);
        if (!thumbnail.empty() && graphics && graphics->device && panel && panel->frames.count > 0) {
            const std::string path = kSavegameFolder + thumbnail;
            IDirect3DTexture8* texture = nullptr;
            if (SUCCEEDED(D3DXCreateTextureFromFileExA(graphics->device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                                       D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                       D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture))) {
                if (panel->frames.data[0])
                    panel->frames.data[0]->Release();
                panel->frames.data[0] = texture;
                thumbnailShown = 1;
            }
        }
    }
    if (cKestruneImage* const interference = ImageAt(screenImages, kInterference))
        interference->SetPlayMode(kPlayOnce, 0);
}

void cKestruneMenu::UpdateEditText()
{
    ReleaseLiveText(editText);
    cKestruneFonts* const fonts = cKestruneFonts::Current();
    if (!fonts)
        return;
    const cWideString shown = typedName + u"|";
    const MenuEntry& field = RectAt(screenRects, kEditField);
    editText = OnMenuLayer(fonts->CreateTextW(0, shown.GetText(), field.left + 261, field.top + 144, kEditText, 0));
}

void cKestruneMenu::TypeChar(uint32_t code)
{
    const auto character = static_cast<unsigned char>(code & 0xFF);
    if (character == 8) {
        const int32_t length = typedName.GetLength();
        if (length > 0) {
            std::u16string shorter(typedName.GetText(), static_cast<std::size_t>(length - 1));
            typedName.Assign(shorter.c_str());
        }
    } else if (character == 13) {
        nameConfirmed = 1;
    } else {
        const cWideString shown = typedName + u"|";
        cKestruneFonts* const fonts = cKestruneFonts::Current();
        const int32_t width = fonts ? fonts->GetTextWidth(0, shown.GetText()) : 0;
        const char typed[2] = {static_cast<char>(character), 0};
        if (typedName.GetLength() < kLongestName && width < kWidestName && character != 0
            && std::string(allowedKeys.GetText()).find(typed[0]) != std::string::npos)
            typedName.Append(Latin1ToWide(typed).GetText());
    }
    UpdateEditText();
}

void cKestruneMenu::HandleLoadSaveInput()
{
    if (IsMouseIn(back))
        hovered = kBack;
    if (savegames.count > 0 && IsMouseIn(RectAt(screenRects, kEntry), kLeft, kTop))
        hovered = kEntryItem;
    if (slotIndex > 0 && IsMouseIn(RectAt(screenRects, kLeftArrow), kLeft, kTop))
        hovered = kPrevious;
    if (slotIndex < savegames.count - 1 && IsMouseIn(RectAt(screenRects, kRightArrow), kLeft, kTop))
        hovered = kNext;
    AfterHover(true);
    TakeClicks();
    if (screen == kSave && nameConfirmed)
        pressed = kEntryItem;

    switch (pressed) {
    case kBack:
        Play(kCloseMenu);
        ReturnToMain();
        break;
    case kEntryItem:
        if (screen == kLoad) {
            if (savegames.count == 0)
                break;
            Play(kClick);
            const SavegameSlot& slot = savegames.data[slotIndex < savegames.count ? slotIndex : savegames.count - 1];
            MenuHost().RequestLoad((std::string(kSavegameFolder) + slot.fileName).c_str());
            ReturnToMain();
            Close();
        } else {
            // An empty or unusable name is dropped, not kept for later; a
            // save that failed leaves the screen open for another try.
            nameConfirmed = 0;
            if (SaveToSlot()) {
                ReturnToMain();
                Close();
            }
        }
        break;
    case kPrevious:
        Play(kClick);
        if (slotIndex > 0)
            --slotIndex;
        ShowSlot();
        break;
    case kNext:
        Play(kClick);
        if (slotIndex < savegames.count - 1)
            ++slotIndex;
        ShowSlot();
        break;
    default: break;
    }
    pressed = -1;
}

bool cKestruneMenu::SaveToSlot()
{
    char* const ansi = typedName.ToAnsi();
    const std::string name = ansi ? ansi : "";
    std::free(ansi);
    if (!IsSavegameNameAllowed(name))
        return false;
    Play(kClick);
    CreateDirectoryA(".\\savegames", nullptr);
    const std::string base = std::string(kSavegameFolder) + name;
    const std::string target = base + SavegameExtension(MenuHost().DemoData());
    std::string why = "no game was saved when the menu opened";
    if (openedGame.empty() || !ReplaceFileWith(target.c_str(), openedGame, why)) {
        std::printf("Savegame %s could not be written: %s.\n", target.c_str(), why.c_str());
        std::fflush(stdout);
        ReportError("gameplay", "SaveGame", 0, "Savegame could not be written.");
        return false;
    }
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    IDirect3DSurface8* picture = nullptr;
    if (capture && graphics && graphics->device
        && SUCCEEDED(graphics->device->CreateImageSurface(kThumbWidth, kThumbHeight, D3DFMT_A8R8G8B8, &picture))) {
        const RECT band = {0, kBandTop, 1024, kBandBottom};
        if (SUCCEEDED(D3DXLoadSurfaceFromSurface(picture, nullptr, nullptr, capture, nullptr, &band,
                                                 D3DX_FILTER_TRIANGLE, 0)))
            D3DXSaveSurfaceToFileA((base + ".bmp").c_str(), D3DXIFF_BMP, picture, nullptr, nullptr);
        picture->Release();
    }
    return true;
}

void cKestruneMenu::RenderLoadSave()
{
    const auto draw = [](cKestruneImage* image) {
        if (image)
            image->Render(1);
    };
    draw(ImageAt(screenImages, kPanel));
    draw(ImageAt(screenImages, kSidePicture));
    const auto arrow = [&](int32_t picture, int32_t item) {
        if (cKestruneImage* const image = ImageAt(screenImages, picture)) {
            const int32_t offset = hovered == item ? kArrowSize : 0;
            image->SetSourceRect(offset, 0, offset + kArrowSize, kArrowSize);
            image->Render(1);
        }
    };
    if (slotIndex > 0)
        arrow(kLeftPicture, kPrevious);
    if (slotIndex < savegames.count - 1)
        arrow(kRightPicture, kNext);
    if (thumbnailShown)
        draw(ImageAt(screenImages, kThumbnail));
    if (cKestruneImage* const interference = ImageAt(screenImages, kInterference); interference && !interference->ended)
        interference->Render(1);
    if (hovered == kEntryItem)
        draw(ImageAt(screenImages, kHighlight));
}
