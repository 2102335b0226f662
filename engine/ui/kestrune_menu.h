#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/object_handles.h"
#include "engine/base/kestrune_string.h"
#include "engine/ui/savegame_list.h"

#include <cstdint>
#include <vector>

class cKestruneImage;
class cKestruneText;
struct SoundDefinition;
struct IDirect3DSurface8;

// A clickable area in screen pixels; a point is inside when it lies strictly
// between the edges.
struct MenuEntry {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The in-game menu: main, keys, options, load and save screens and the two
// confirmations, drawn over the running game. Its pictures are datafile
// images and its areas come from "ui_info".
class cKestruneMenu {
public:
    static constexpr int32_t kMain = 1;
    static constexpr int32_t kKeys = 2;
    static constexpr int32_t kOptions = 3;
    static constexpr int32_t kLoad = 4;
    static constexpr int32_t kSave = 5;
    static constexpr int32_t kConfirmQuit = 101;
    static constexpr int32_t kConfirmNewGame = 102;

    cKestruneMenu();
    ~cKestruneMenu();
    cKestruneMenu(const cKestruneMenu&) = delete;
    cKestruneMenu& operator=(const cKestruneMenu&) = delete;

    // kestrune_menu.cpp
    void Open();
    void Close();
    void ReturnToMain();
    void HandleInput();
    void Render();
    int32_t StartNewGame();
    MenuEntry GetRect(const char* key) const;
    bool IsMouseIn(const MenuEntry& entry, int32_t dx = 0, int32_t dy = 0) const;

    // menu_options.cpp
    void OpenOptions();
    void HandleOptionsInput();
    void RenderOptions();
    void WriteSettings();
    // The slider a held left button drags: the hovered one, once the options
    // screen has taken a press of its own (the press that opened the screen
    // belongs to the main screen); 0 otherwise.
    int32_t DraggedSlider() const;

    // menu_loadsave.cpp
    void OpenLoadSave(int32_t screenId);
    void ShowSlot();
    void UpdateEditText();
    void TypeChar(uint32_t code);
    void HandleLoadSaveInput();
    void RenderLoadSave();

    // Fields, in the engine's order.
    uint8_t open = 0;
    int32_t screen = 0;
    int32_t hovered = -1;
    int32_t previousHovered = -1;
    int32_t slotIndex = 0;
    int32_t pressed = -1;
    uint8_t thumbnailShown = 0;
    DynArray<cKestruneImage*> mainImages;
    DynArray<cKestruneImage*> screenImages;
    DynArray<SoundDefinition*> sounds;
    MenuEntry back{736, 304, 791, 412};
    MenuEntry confirmYes{448, 379, 493, 444};
    MenuEntry confirmNo{531, 354, 576, 419};
    DynArray<MenuEntry> mainRects;
    DynArray<MenuEntry> screenRects;
    DynArray<SavegameSlot> savegames;
    // The menu's texts by handle: a load from the menu leaves the scene,
    // which releases every text behind the menu's back.
    ObjectHandle slotNameText = kNoObject;
    ObjectHandle dateText = kNoObject;
    ObjectHandle dateShadowText = kNoObject;
    cWideString typedName;
    cString allowedKeys;
    uint8_t nameConfirmed = 0;
    ObjectHandle editText = kNoObject;
    IDirect3DSurface8* capture = nullptr;
    // The savegame this engine wrote as "lastgame" when the menu opened; the
    // save screen stores these bytes, whatever another engine on the same
    // folder has written to "lastgame" since. Empty when that write failed.
    std::vector<uint8_t> openedGame;
    // Set when the options screen takes a left press, cleared when it opens.
    uint8_t optionsPressTaken = 0;

private:
    enum Sound { kMouseOver, kClick, kCloseMenu };

    // Appends the picture, placed with its own size and point sampling; a
    // picture the datafile lacks is appended as null.
    cKestruneImage* AddImage(DynArray<cKestruneImage*>& list, const char* name, int32_t x, int32_t y);
    static void DeleteImages(DynArray<cKestruneImage*>& list);
    // The picture at index, or null when the list is shorter (a missing picture).
    static cKestruneImage* ImageAt(const DynArray<cKestruneImage*>& list, int32_t index);
    void AddRect(DynArray<MenuEntry>& list, const char* key, int32_t dx = 0, int32_t dy = 0);
    static const MenuEntry& RectAt(const DynArray<MenuEntry>& list, int32_t index);
    void Play(Sound sound);
    void FreeSounds();
    void ReleaseCapture();
    void ReleaseTexts();
    void SetCursor(int32_t index);
    // The common end of every screen's hover test: cursor and mouse-over sound.
    void AfterHover(bool withSound);
    // Consumes this step's clicks: a left press or double click becomes the
    // pressed item; a right press is consumed, and true is returned for it.
    bool TakeClicks();
    void HandleMainInput();
    void HandleKeysInput();
    void HandleConfirmInput();
    void OpenConfirmation(int32_t screenId);
    void DrawPart(cKestruneImage* image, const MenuEntry& source, int32_t x, int32_t y);
    // Stores the game under the typed name; false, reported, when it could
    // not be written.
    bool SaveToSlot();
};
