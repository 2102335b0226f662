#include "engine/natives/engine_natives.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/natives/native_host.h"
#include "engine/render/kestrune_hints.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_format.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/world_host.h"
#include "platform/crt/rand.h"
#include "platform/win32/kernel/time.h"

#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kMessengerAvailable = 0x200;
constexpr std::uint32_t kMessengerOpen = 0x400;
constexpr std::int32_t kSceneScript = -2;
constexpr std::int32_t kProjectScript = -1;
constexpr std::int32_t kCallingScript = 0;

cKestruneScene* Scene() { return WorldHost().CurrentScene(); }
cKestruneGameplay* Gameplay() { return cKestruneGameplay::Current(); }

void HideHints()
{
    if (cKestruneHints* const hints = NativeHost().Hints())
        hints->Show(0);
}

void ReturnText(ScriptCallFrame* frame, const char* text)
{
    frame->result.type = kScriptString;
    frame->result.SetText(text);
}

void ReturnInteger(ScriptCallFrame* frame, std::int32_t value)
{
    frame->result.type = kScriptInteger;
    frame->result.intValue = value;
    frame->result.SetTextFromInteger(value);
}

// The scene's layer at a script's index; null outside the list.
cKestruneEnvironmentLayer* Layer(const ScriptCallFrame* frame)
{
    cKestruneScene* const scene = Scene();
    const std::int32_t index = frame->Argument(0).intValue;
    return scene && index >= 0 && index < scene->layers.count ? scene->layers.data[index] : nullptr;
}

std::int32_t cSystem__GoTo(ScriptCallFrame* frame)
{
    const std::string resource = std::string(frame->Argument(0).GetText()) + ".scene";
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const std::int32_t slot = files ? files->Open(resource.c_str()) : 0;
    if (slot <= 0) {
        ReportError("script", "cSystem::GoTo", 1, "Scene file could not be loaded.");
        return -1;
    }
    auto* const scene = new cKestruneScene();
    scene->fileSlot = slot;
    HideHints();
    WorldHost().SetPendingScene(scene);
    return 0;
}

std::int32_t cSystem__GetRoom(ScriptCallFrame* frame)
{
    const cKestruneScene* const scene = Scene();
    ReturnText(frame, scene ? scene->RoomName() : "");
    return 0;
}

std::int32_t cSystem__GetPreviousRoom(ScriptCallFrame* frame)
{
    ReturnText(frame, NativeHost().PreviousSceneName());
    return 0;
}

std::int32_t cSystem__GetView(ScriptCallFrame* frame)
{
    const cKestruneScene* const scene = Scene();
    ReturnText(frame, scene && scene->currentView ? scene->currentView->Name() : "");
    return 0;
}

std::int32_t cSystem__GetPreviousView(ScriptCallFrame* frame)
{
    const cKestruneScene* const scene = Scene();
    ReturnText(frame, scene && scene->previousView ? scene->previousView->Name() : "");
    return 0;
}

std::int32_t cSystem__GoToDetailView(ScriptCallFrame* frame)
{
    if (cKestruneScene* const scene = Scene())
        scene->GoToDetailView(frame->Argument(0).GetText());
    return 0;
}

std::int32_t cSystem__LeaveDetailView(ScriptCallFrame*)
{
    if (cKestruneScene* const scene = Scene())
        scene->LeaveDetailView();
    return 0;
}

std::int32_t cSystem__CollapseDetailViewStack(ScriptCallFrame*)
{
    if (cKestruneScene* const scene = Scene())
        scene->CollapseDetailViewStack();
    return 0;
}

std::int32_t cSystem__SetEnvironmentLayerEnable(ScriptCallFrame* frame)
{
    cKestruneEnvironmentLayer* const layer = Layer(frame);
    if (!layer)
        return 0;
    layer->enabled = frame->Argument(1).boolValue;
    if (std::strncmp(layer->Name().GetText(), "walkmap", 7) == 0)
        WorldHost().BindWalkMaps(*Scene());
    return 0;
}

std::int32_t cSystem__SetEnvironmentLayerStairValue(ScriptCallFrame* frame)
{
    if (cKestruneEnvironmentLayer* const layer = Layer(frame)) {
        layer->SetStairValue(frame->Argument(1).intValue);
        WorldHost().BindWalkMaps(*Scene());
    }
    return 0;
}

std::int32_t cSystem__SetEnvironmentLayerView(ScriptCallFrame* frame)
{
    cKestruneEnvironmentLayer* const layer = Layer(frame);
    const cKestruneScene* const scene = Scene();
    if (!layer)
        return 0;
    const std::int32_t view = frame->Argument(1).intValue;
    if (view == -1 || scene->views.count == 0)
        layer->view = nullptr;
    else
        layer->view = scene->views.data[view >= 0 && view < scene->views.count ? view : scene->views.count - 1];
    return 0;
}

std::int32_t cSystem__SetEnvironmentLayerCallbacks(ScriptCallFrame* frame)
{
    if (cKestruneEnvironmentLayer* const layer = Layer(frame)) {
        layer->triggerActive = 1;
        layer->enterCallback = frame->Argument(1).GetText();
        layer->leaveCallback = frame->Argument(2).GetText();
    }
    return 0;
}

std::int32_t cSystem__CreateObject(ScriptCallFrame* frame)
{
    cKestruneScene* const scene = Scene();
    if (!scene)
        return 0;
    cKestruneObjectHandle* const handle = scene->CreateObjectHandle();
    handle->name = frame->Argument(0).GetText();
    handle->SetCursor(frame->Argument(2).intValue);
    const std::int32_t hotspot = frame->Argument(1).intValue;
    if (hotspot >= 0 && hotspot < scene->hotspots.count)
        handle->Bind(hotspot);
    frame->result.type = kScriptObject;
    frame->result.className = "cObject";
    frame->result.object = handle->Handle();
    return 0;
}

// The gameplay owns the character named "PC" as its player, the scene every
// other one; a character nobody could own is not made.
std::int32_t cSystem__CreateCharacter(ScriptCallFrame* frame)
{
    const std::string name = frame->Argument(0).GetText();
    const bool player = name == "PC";
    cKestruneGameplay* const gameplay = Gameplay();
    cKestruneScene* const scene = Scene();
    if (player ? !gameplay : !scene)
        return 0;
    auto* const character = new cKestruneCharacter();
    character->displayName = name.c_str();
    character->hotspotCursor = frame->Argument(1).intValue;
    character->model->Load(cString(frame->Argument(2).GetText()));
    character->idleMin = frame->Argument(3).floatValue;
    character->idleMax = frame->Argument(4).floatValue;
    if (player) {
        // A second "PC" without a player change first would otherwise leave
        // the previous player unowned; its own update may be the caller.
        cKestruneCharacter::Retire(gameplay->playerCharacter);
        gameplay->playerCharacter = character;
        character->visible = 1;
    } else {
        scene->characters.Add(character);
    }
    character->StartIdleTimer();
    frame->result.type = kScriptObject;
    frame->result.className = "cCharacter";
    frame->result.object = character->Handle();
    return 0;
}

std::int32_t cSystem__SetPlayerCharacter(ScriptCallFrame* frame)
{
    cKestruneGameplay* const gameplay = Gameplay();
    if (!gameplay)
        return 0;
    const std::string name = frame->Argument(0).GetText();
    // The new player stands where the old one stood.
    const cKestruneCharacter* const old = gameplay->playerCharacter;
    const bool replaced = old != nullptr;
    D3DXMATRIX world{};
    float position[3] = {};
    if (replaced) {
        world = old->model->world;
        std::memcpy(position, old->model->position, sizeof position);
        // The old player's own update may be running this (an arrival or
        // animation-end event), so it goes at the frame's safe point.
        cKestruneCharacter::Retire(gameplay->playerCharacter);
        gameplay->playerCharacter = nullptr;
    }
    if (frame->script) {
        frame->script->RunNested(("pc_" + name).c_str());
    }
    cKestruneCharacter* const made = gameplay->playerCharacter;
    if (!made)
        return 0;
    // A game saved from now on re-creates this player when it is loaded.
    gameplay->playerSetup = name.c_str();
    made->visible = 1;
    if (replaced) {
        made->model->world = world;
        std::memcpy(made->model->position, position, sizeof position);
    }
    return 0;
}

std::int32_t cSystem__RunScript(ScriptCallFrame* frame)
{
    cKestruneScript* target = nullptr;
    switch (frame->Argument(0).intValue) {
    case kSceneScript: target = Scene() ? Scene()->script : nullptr; break;
    case kProjectScript: target = Gameplay() ? Gameplay()->projectScript : nullptr; break;
    case kCallingScript: target = frame->script; break;
    default: break;
    }
    if (!target || !frame->script)
        return 0;
    // The run reads the name before it starts, so the argument's own text
    // serves.
    const char* const function = frame->Argument(1).GetText();
    if (target == frame->script) {
        target->RunNested(function);
        return 0;
    }
    frame->script->PushFrame();
    target->Run(function);
    frame->script->PopFrame();
    return 0;
}

std::int32_t cSystem__AddRoomTimer(ScriptCallFrame* frame)
{
    NativeHost().AddRoomTimer(frame->script, frame->Argument(1).GetText(), frame->Argument(0).floatValue);
    return 0;
}

std::int32_t cSystem__SetGameState(ScriptCallFrame* frame)
{
    if (cKestruneGameplay* const gameplay = Gameplay())
        gameplay->gameState |= static_cast<std::uint32_t>(frame->Argument(0).intValue);
    return 0;
}

std::int32_t cSystem__ClearGameState(ScriptCallFrame* frame)
{
    if (cKestruneGameplay* const gameplay = Gameplay())
        gameplay->gameState &= ~static_cast<std::uint32_t>(frame->Argument(0).intValue);
    return 0;
}

// Whether the messenger could open now: its bit and input on, and nothing
// else holding the screen or the player.
bool MessengerMayOpen(const cKestruneGameplay& gameplay)
{
    const std::uint32_t needed = kMessengerAvailable | cKestruneGameplay::kInputEnabled;
    cKestruneNativeHost& host = NativeHost();
    cKestruneWorldHost& world = WorldHost();
    return (gameplay.gameState & needed) == needed && !host.MenuOpen() && world.DialogueState() == 0
        && !world.PlayerWalking() && !host.CurrentVideo() && !gameplay.ScriptedWaitPending()
        && host.HasInventoryItem("Messenger");
}

std::int32_t cSystem__CheckGameState(ScriptCallFrame* frame)
{
    const cKestruneGameplay* const gameplay = Gameplay();
    const auto bits = static_cast<std::uint32_t>(frame->Argument(0).intValue);
    bool set = false;
    if (gameplay)
        set = bits == kMessengerAvailable ? MessengerMayOpen(*gameplay) : (gameplay->gameState & bits) != 0;
    frame->result.type = kScriptBoolean;
    frame->result.boolValue = set ? 1 : 0;
    frame->result.SetTextFromBoolean(set);
    return 0;
}

std::int32_t cSystem__Rand(ScriptCallFrame* frame)
{
    const float base = frame->Argument(0).floatValue;
    const float range = frame->Argument(1).floatValue;
    const auto r = static_cast<float>(rand());
    const float value = base + r / (32767.0f / range);
    frame->result.type = kScriptFloat;
    frame->result.floatValue = value;
    frame->result.SetTextFromFloat(value);
    return 0;
}

std::int32_t cSystem__GetSystemTimeHours(ScriptCallFrame* frame)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::int32_t hour = now.wHour % 12;
    ReturnInteger(frame, hour == 0 ? 12 : hour);
    return 0;
}

std::int32_t cSystem__GetSystemTimeMinutes(ScriptCallFrame* frame)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    ReturnInteger(frame, now.wMinute);
    return 0;
}

std::int32_t cSystem__OpenMessenger(ScriptCallFrame*)
{
    const cKestruneGameplay* const gameplay = Gameplay();
    if (gameplay && (gameplay->gameState & kMessengerAvailable) && !(gameplay->gameState & kMessengerOpen))
        NativeHost().OpenMessenger();
    return 0;
}

std::int32_t cSystem__CloseMessenger(ScriptCallFrame*)
{
    NativeHost().CloseMessenger();
    return 0;
}

std::int32_t cSystem__CloseMessengerConnection(ScriptCallFrame*)
{
    NativeHost().CloseMessengerConnection();
    return 0;
}

std::int32_t cSystem__AddMessengerItem(ScriptCallFrame* frame)
{
    const auto rgb = static_cast<std::uint32_t>(frame->Argument(4).intValue);
    const std::uint32_t colour = 0xFF000000u | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    NativeHost().AddMessengerItem(frame->Argument(0).GetText(), frame->Argument(1).GetText(),
                                  frame->Argument(2).GetText(), frame->Argument(3).GetText(), colour);
    return 0;
}

std::int32_t cSystem__CacheLinkObject(ScriptCallFrame* frame)
{
    if (cKestruneSprites* const sprites = cKestruneSprites::Current())
        sprites->CacheMeshSprite(cString(frame->Argument(0).GetText()), 0);
    return 0;
}

std::int32_t cSystem__EnableSpecialLunarBehavior(ScriptCallFrame*)
{
    if (cKestruneSprites* const sprites = cKestruneSprites::Current())
        sprites->lunarBehaviour = 1;
    // Every model on stage takes the new behaviour at once, where it stands.
    const auto replace = [](cKestruneCharacter* character) {
        if (character && character->model)
            character->model->RefreshPosition();
    };
    if (cKestruneGameplay* const gameplay = Gameplay())
        replace(gameplay->playerCharacter);
    if (cKestruneScene* const scene = Scene())
        for (std::int32_t i = 0; i < scene->characters.count; ++i)
            replace(scene->characters.data[i]);
    return 0;
}

std::int32_t cSystem__EndGame(ScriptCallFrame*)
{
    NativeHost().RequestNewGame();
    return 0;
}

// The one body that several exports share: nothing happens and the result
// stays as the call site preset it.
std::int32_t EmptyNative(ScriptCallFrame*) { return 0; }

} // namespace


void RegisterSystemNatives()
{
    struct Entry {
        const char* name;
        ScriptNative native;
    };
    static const Entry kNatives[] = {
        {"cSystem__GoTo", cSystem__GoTo},
        {"cSystem__GetRoom", cSystem__GetRoom},
        {"cSystem__GetPreviousRoom", cSystem__GetPreviousRoom},
        {"cSystem__GetView", cSystem__GetView},
        {"cSystem__GetPreviousView", cSystem__GetPreviousView},
        {"cSystem__GoToDetailView", cSystem__GoToDetailView},
        {"cSystem__LeaveDetailView", cSystem__LeaveDetailView},
        {"cSystem__CollapseDetailViewStack", cSystem__CollapseDetailViewStack},
        {"cSystem__SetEnvironmentLayerEnable", cSystem__SetEnvironmentLayerEnable},
        {"cSystem__SetEnvironmentLayerStairValue", cSystem__SetEnvironmentLayerStairValue},
        {"cSystem__SetEnvironmentLayerView", cSystem__SetEnvironmentLayerView},
        {"cSystem__SetEnvironmentLayerCallbacks", cSystem__SetEnvironmentLayerCallbacks},
        {"cSystem__CreateObject", cSystem__CreateObject},
        {"cSystem__CreateCharacter", cSystem__CreateCharacter},
        {"cSystem__SetPlayerCharacter", cSystem__SetPlayerCharacter},
        {"cSystem__RunScript", cSystem__RunScript},
        {"cSystem__AddRoomTimer", cSystem__AddRoomTimer},
        {"cSystem__SetGameState", cSystem__SetGameState},
        {"cSystem__ClearGameState", cSystem__ClearGameState},
        {"cSystem__CheckGameState", cSystem__CheckGameState},
        {"cSystem__Rand", cSystem__Rand},
        {"cSystem__GetSystemTimeHours", cSystem__GetSystemTimeHours},
        {"cSystem__GetSystemTimeMinutes", cSystem__GetSystemTimeMinutes},
        {"cSystem__OpenMessenger", cSystem__OpenMessenger},
        {"cSystem__CloseMessenger", cSystem__CloseMessenger},
        {"cSystem__CloseMessengerConnection", cSystem__CloseMessengerConnection},
        {"cSystem__AddMessengerItem", cSystem__AddMessengerItem},
        {"cSystem__CacheLinkObject", cSystem__CacheLinkObject},
        {"cSystem__EnableSpecialLunarBehavior", cSystem__EnableSpecialLunarBehavior},
        {"cSystem__EndGame", cSystem__EndGame},
        // The eight exports of the shared empty body.
        {"cSystem__PutRoom", EmptyNative},
        {"cSystem__PutView", EmptyNative},
        {"cSystem__PutPreviousRoom", EmptyNative},
        {"cSystem__PutPreviousView", EmptyNative},
        {"cInput__PutObject", EmptyNative},
        {"cInput__PutInvObject", EmptyNative},
        {"cOutput__GetCaption", EmptyNative},
        {"cCharacter__SetLipsyncValues", EmptyNative},
    };
    for (const Entry& entry : kNatives)
        RegisterScriptNative(entry.name, entry.native);
}
