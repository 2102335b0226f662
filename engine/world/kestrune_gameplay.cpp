#include "engine/world/kestrune_gameplay.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/datafile_text_reader.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_format.h"
#include "engine/script/script_globals.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::int32_t kUiInfoChunk = 1023; // 1022 characters and the terminator
constexpr std::int32_t kExitBorder = 50;
constexpr std::uint32_t kItemNameSize = 64;
constexpr std::int32_t kBarHidden = 1;
constexpr std::int32_t kBarShown = 2;
constexpr std::int32_t kBarOpening = 3;
constexpr std::int32_t kBarClosing = 4;
constexpr std::int32_t kBarMargin = 64;
constexpr std::int32_t kMessengerPadCursor = 10;

cKestruneGameplay* g_current = nullptr;

bool BarShown(std::int32_t state) { return state == kBarShown || state == kBarOpening; }

} // namespace

ProjectHeader ParseProjectHeader(const std::uint8_t* bytes)
{
    DatafileByteReader reader(bytes, kProjectHeaderSize);
    ProjectHeader header;
    // At most 63 characters of each 64-byte field: a field may lack a terminator.
    header.name = reader.FixedText(63);
    reader.Take(1);
    header.build = reader.FixedText(63);
    reader.Take(1);
    header.cursorCount = reader.U8();
    reader.Take(2);
    for (std::string& name : header.itemNames) {
        name = reader.FixedText(kItemNameSize - 1);
        reader.Take(1);
    }
    reader.Take(1);
    for (auto& table : header.itemTables)
        for (std::uint32_t& value : table)
            value = reader.U32();
    return header;
}

void ReadUiInfoLines(cDatafileTextReader& reader, DynArray<cString>& lines)
{
    char line[kUiInfoChunk];
    while (reader.ReadLine(line, sizeof line)) {
        if (line[0] == '-')
            break;
        if (line[0] == '#')
            continue;
        const std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n')
            line[length - 1] = 0;
        lines.Add(cString(line));
    }
}

cKestruneGameplay::cKestruneGameplay(std::int32_t screenWidth, std::int32_t screenHeight)
{
    g_current = this;
    uiInfo.SetCapacity(5);
    mouseX = screenWidth / 2;
    mouseY = screenHeight / 2;
    mouseMaxX = screenWidth - 4;
    mouseMaxY = screenHeight - 4;
    if (cKestruneFileSystem* const files = cKestruneFileSystem::Current())
        Load(*files);
}

void cKestruneGameplay::Load(cKestruneFileSystem& files)
{
    const std::int32_t slot = files.Open("project");
    if (slot <= 0)
        return;
    std::vector<std::uint8_t> bytes(kProjectHeaderSize);
    if (files.Read(slot, bytes.data(), kProjectHeaderSize) != 0) {
        files.Close(slot);
        return;
    }
    project = ParseProjectHeader(bytes.data());
    std::printf("Project, Build: %s, %s\n", project.name.c_str(), project.build.c_str());
    std::fflush(stdout);
    projectScript = new cKestruneScript();
    projectScript->Load(slot);
    if (project.cursorCount == 0) {
        ReportError("gameplay", "", 1, "Project does not have any cursor.");
        files.Close(slot);
        return;
    }
    const std::int32_t info = files.Open("ui_info");
    if (info > 0) {
        cDatafileTextReader reader(files, info);
        ReadUiInfoLines(reader, uiInfo);
        files.Close(info);
    }
    if (cKestruneGraphics* const graphics = cKestruneGraphics::Current())
        graphics->LoadUIImages(slot, project.cursorCount);
    if (cKestruneFonts* const fonts = cKestruneFonts::Current())
        fonts->Load();
    WorldHost().TakeProjectItems(project);
    WorldHost().CreateDialogue();
    files.Close(slot);

    ScriptValue player(kScriptObject);
    player.name = "pc";
    player.globalName = "___playercharacter";
    GetScriptGlobalTable().entries.Add(player);

    exitHotspot = new cKestruneHotspot();
    exitHotspot->MakeScreenFrameHotspot(kExitBorder, 1);
    ok = 1;
}

cKestruneGameplay::~cKestruneGameplay()
{
    DeleteScript(projectScript);
    WorldHost().DeletePlayer();
    WorldHost().DeleteDialogue();
    WorldHost().DeleteScreenControl();
    delete exitHotspot;
    if (g_current == this)
        g_current = nullptr;
}

cKestruneGameplay* cKestruneGameplay::Current() { return g_current; }

cString cKestruneGameplay::GetUiInfo(const char* key) const
{
    const std::size_t length = std::strlen(key);
    for (std::int32_t i = 0; i < uiInfo.count; ++i) {
        const char* const line = uiInfo.data[i].GetText();
        if (std::strncmp(line, key, length) == 0 && line[length] == ' ')
            return cString(line + length + 1);
    }
    return cString("");
}

bool cKestruneGameplay::ScriptedWaitPending() const { return (gameState & kClickWait) != 0 || fadeActive != 0; }

bool cKestruneGameplay::ConsumeEvent(std::int32_t button, std::int32_t value)
{
    std::int32_t& slot = button == 0 ? leftEvent : rightEvent;
    if (slot != value)
        return false;
    slot = 0;
    return true;
}

bool cKestruneGameplay::FadeOver() const
{
    return GraphicsSecondsSince(fadeStart, fadeRate) >= 1.0;
}

std::int32_t cKestruneGameplay::HandleInput()
{
    cKestruneWorldHost& host = WorldHost();
    if (host.HasVideo())
        return 0;
    if (host.HasScreenControl()) {
        if (!host.ScreenControlDone())
            host.ScreenControlInput();
        else
            host.DeleteScreenControl();
        return 0;
    }
    if (gameState & kClickWait) {
        if (!ConsumeEvent(0, 1) && !ConsumeEvent(1, 1))
            return 0;
        cKestruneScript* const script = clickCallbackScript.Get();
        clickCallbackScript = nullptr;
        if (script)
            script->Run("CBCLICK");
        gameState &= ~kClickWait;
        return 0;
    }
    if (fadeActive && FadeOver()) {
        fadeActive = 0;
        cKestruneScript* const script = fadeScript.Get();
        fadeScript = nullptr;
        if (script)
            script->Run(fadeFunction.GetText());
        if (host.ScenePending())
            fadeActive = 1;
    }
    if (host.MenuOpen()) {
        host.MenuInput();
        return 0;
    }
    const std::int32_t dialogueState = host.DialogueState();
    if (dialogueState > 0) {
        host.UpdateDialogue();
        if (!(dialogueState == 2 && !(gameState & kInputLocked)))
            return 0;
    }

    host.SetCursor(0);
    const std::int32_t bar = host.InventoryBarState();
    cKestruneScene* const scene = host.CurrentScene();
    if (!BarShown(bar) && !(gameState & kMessengerOpen) && scene) {
        const bool over = host.UpdateHoverHotspot(*scene, mouseX, mouseY - host.LetterboxTop());
        if (gameState & kItemHeld) {
            const std::int32_t hovered = over ? host.HoverHotspotCursor(*scene) : -1;
            host.SetCursor(host.HeldItemCursor() + ((hovered == 10 || hovered == 12) ? 1 : 0));
        } else if (over) {
            host.SetCursor(host.HoverHotspotCursor(*scene));
        }
    }
    if (BarShown(bar) && (gameState & kItemHeld))
        host.SetCursor(host.HeldItemCursor() + (host.InventoryMouseOverItem() ? 1 : 0));
    if ((gameState & kMessengerOpen) && Enabled())
        host.SetCursor(host.MessengerOverPad() ? kMessengerPadCursor : 0);

    if ((gameState & kBarMayOpen) && (gameState & kInputEnabled) && !(gameState & (kMessengerOpen | kInputLocked))) {
        const std::int32_t bottom = host.LetterboxBottom();
        if (mouseY > bottom + kBarMargin && bar == kBarHidden) {
            host.SetInventoryBarState(kBarOpening);
            gameState ^= kBarOpen;
            host.SetCursor((gameState & kItemHeld) ? host.HeldItemCursor() : 0);
        } else if (mouseY < bottom && (gameState & kBarOpen)) {
            host.SetInventoryBarState(kBarClosing);
            gameState &= ~kBarOpen;
        }
    }
    if (host.InventoryBarState() == kBarShown && !Enabled()) {
        host.SetInventoryBarState(kBarClosing);
        gameState &= ~kBarOpen;
    }

    if (leftEvent == 1) {
        leftEvent = 0;
        OnLeftClick();
    } else if (leftEvent == 2) {
        leftEvent = 0;
        OnLeftDoubleClick();
    }
    if (rightEvent == 1) {
        rightEvent = 0;
        OnRightClick();
    } else if (rightEvent == 2) {
        rightEvent = 0;
        OnRightDoubleClick();
    }
    return 0;
}

namespace {

bool InDetailView(const cKestruneScene* scene) { return scene && scene->inDetailView; }

} // namespace

void cKestruneGameplay::OnLeftClick()
{
    if (!Enabled())
        return;
    cKestruneWorldHost& host = WorldHost();
    cKestruneScene* const scene = host.CurrentScene();
    if (gameState & kMessengerOpen) {
        host.MessengerClick();
    } else if ((gameState & kBarOpen) && BarShown(host.InventoryBarState())) {
        host.InventoryClick(false);
    } else if (scene && host.HasHoverHotspot(*scene)) {
        host.HotspotUse(*scene, false);
    } else if (!InDetailView(scene) && (gameState & kFloorWalks) && !(gameState & (kNoWalking | kBarOpen))) {
        host.WalkToScreenPoint(mouseX, mouseY, false);
    }
}

void cKestruneGameplay::OnLeftDoubleClick()
{
    if (!Enabled())
        return;
    cKestruneWorldHost& host = WorldHost();
    cKestruneScene* const scene = host.CurrentScene();
    if (gameState & kMessengerOpen) {
        host.MessengerClick();
    } else if ((gameState & kBarOpen) && BarShown(host.InventoryBarState())) {
        host.InventoryClick(false);
    } else if (runOnDoubleClick == 0) {
        if (scene && scene->script)
            scene->script->Run("ONWANTRUN");
    } else if (scene && host.HasHoverHotspot(*scene)) {
        host.HotspotUse(*scene, true);
    } else if (!InDetailView(scene) && !(gameState & (kNoWalking | kBarOpen | kItemHeld))) {
        host.WalkToScreenPoint(mouseX, mouseY, true);
    }
}

// Both right-button handlers: after the messenger test, a held item is only
// dropped; otherwise the inventory bar or the hovered hotspot takes the click.
void cKestruneGameplay::RightClick(bool run)
{
    if (!Enabled() || (gameState & kMessengerOpen))
        return;
    if (gameState & kItemHeld) {
        gameState &= ~kItemHeld;
        return;
    }
    cKestruneWorldHost& host = WorldHost();
    cKestruneScene* const scene = host.CurrentScene();
    if ((gameState & kBarOpen) && BarShown(host.InventoryBarState()))
        host.InventoryClick(true);
    else if (scene && host.HasHoverHotspot(*scene))
        host.HotspotLook(*scene, run);
}

void cKestruneGameplay::OnRightClick() { RightClick(false); }
void cKestruneGameplay::OnRightDoubleClick() { RightClick(true); }

std::int32_t cKestruneGameplay::Update()
{
    cKestruneWorldHost& host = WorldHost();
    host.UpdatePlayer();
    cKestruneScene* const scene = host.CurrentScene();
    if (!scene)
        return 0;
    scene->UpdateLayerTriggers();
    if (!host.HasVideo())
        scene->Update();
    return 0;
}
