#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/script/script_identity.h"

#include <cstdint>
#include <string>
#include <vector>

class cKestruneScript;
class cKestruneCharacter;
class cKestruneHotspot;
class cKestruneDialogue;
class cKestruneFileSystem;

// The project header: 10076 bytes in front of the project's compiled script.
constexpr std::uint32_t kProjectHeaderSize = 10076;
constexpr std::uint32_t kProjectItemCount = 130;

struct ProjectHeader {
    std::string name;
    std::string build;
    std::uint8_t cursorCount = 0;
    std::string itemNames[kProjectItemCount];
    std::uint32_t itemTables[3][kProjectItemCount] = {};
};

ProjectHeader ParseProjectHeader(const std::uint8_t* bytes);

// The "ui_info" lines that are kept: '#' lines are skipped, a line starting
// with '-' ends the text, the trailing newline goes, and lines are taken 1022
// characters at a time.
void ReadUiInfoLines(class cDatafileTextReader& reader, DynArray<cString>& lines);

// What survives scene changes: the project script, the player character, the
// dialogue player, the user-interface texts, the mouse and the game-state
// word. Each frame the main loop calls HandleInput and the graphics frame
// calls Update.
class cKestruneGameplay {
public:
    static constexpr std::uint32_t kInputEnabled = 0x1;
    static constexpr std::uint32_t kFloorWalks = 0x2;
    static constexpr std::uint32_t kBarMayOpen = 0x4;
    static constexpr std::uint32_t kBarOpen = 0x8;
    static constexpr std::uint32_t kNoWalking = 0x20;
    static constexpr std::uint32_t kItemHeld = 0x40;
    static constexpr std::uint32_t kClickWait = 0x100;
    static constexpr std::uint32_t kMessengerOpen = 0x400;
    static constexpr std::uint32_t kInputLocked = 0x800;

    // The screen size gives the mouse's start and clamp.
    cKestruneGameplay(std::int32_t screenWidth = 1024, std::int32_t screenHeight = 768);
    ~cKestruneGameplay();
    cKestruneGameplay(const cKestruneGameplay&) = delete;
    cKestruneGameplay& operator=(const cKestruneGameplay&) = delete;

    // The gameplay object alive (the newest), or null.
    static cKestruneGameplay* Current();

    cString GetUiInfo(const char* key) const;
    std::int32_t HandleInput();
    std::int32_t Update();
    bool ConsumeEvent(std::int32_t button, std::int32_t value);
    void OnLeftClick();
    void OnLeftDoubleClick();
    void OnRightClick();
    void OnRightDoubleClick();
    // A script waits on the player or the screen: a click it armed (bit
    // 0x100) or a fade it started. The menu, the messenger and hint keys and
    // the scripts' own messenger test all hold back while it does.
    bool ScriptedWaitPending() const;

    // Savegames (gameplay_savegame.cpp). SaveGame writes a temporary file and
    // puts it in place only when it was written whole, handing the bytes it
    // put there to `written` when given; false (reported) when it was not,
    // and an older file of that name is kept. LoadGame is 0 when
    // loaded and -1 when there is no such file or it was refused: a damaged
    // file, or one naming a scene or player function that cannot be had, is
    // reported and changes nothing.
    bool SaveGame(const char* fileName, std::vector<std::uint8_t>* written = nullptr);
    std::int32_t LoadGame(const char* fileName);

    // Fields, in the engine's order.
    cKestruneScript* projectScript = nullptr;
    cKestruneCharacter* playerCharacter = nullptr;
    void* screenControl = nullptr; // held by the screen-control host
    std::uint32_t gameState = 0;
    std::uint32_t gameState2 = 0;
    std::int32_t leftEvent = 0;
    std::int32_t rightEvent = 0;
    std::int32_t mouseX = 0;
    std::int32_t mouseY = 0;
    std::int32_t mouseMaxX = 0;
    std::int32_t mouseMaxY = 0;
    cScriptRef clickCallbackScript;
    cKestruneHotspot* exitHotspot = nullptr;
    std::int32_t fadeActive = 0;
    std::uint32_t fadeStart = 0;
    float fadeRate = 0.0f;
    cScriptRef fadeScript;
    cString fadeFunction;
    std::uint8_t fadeSound = 0;
    cKestruneDialogue* dialogue = nullptr;
    std::int32_t runOnDoubleClick = 1;
    cString playerSetup;
    DynArray<cString> uiInfo;
    std::int32_t ok = 0;
    ProjectHeader project;

private:
    bool Enabled() const { return (gameState & kInputEnabled) && !(gameState & kInputLocked); }
    bool FadeOver() const;
    void RightClick(bool run);
    void Load(cKestruneFileSystem& files);
};
