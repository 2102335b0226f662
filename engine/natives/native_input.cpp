#include "engine/natives/engine_natives.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/graphics_host.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_format.h"
#include "engine/script/script_natives.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_inventory.h"
#include "engine/ui/kestrune_messenger.h"
#include "engine/ui/kestrune_screen_control.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/retired_objects.h"
#include "engine/world/world_host.h"

#include <string>

namespace {

// An evaluation hook that asks for its own evaluation again would recurse
// without end; nesting deeper than this is cut off.
constexpr int32_t kMaxEvalDepth = 8;
int32_t g_evalDepth = 0;

cKestruneDialogue* Dialogue()
{
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    return gameplay ? gameplay->dialogue : nullptr;
}

// Item natives on an engine without an inventory do nothing.
int32_t ItemIndex(const ScriptCallFrame* frame, cKestruneInventory*& inventory)
{
    inventory = cKestruneInventory::Current();
    return inventory ? inventory->FindItem(frame->Argument(0).GetText()) : -1;
}

int32_t cInput__GetObject(ScriptCallFrame* frame)
{
    frame->result.Reset(kScriptObject);
    const char* name = nullptr;
    const auto* const hotspot = static_cast<const cKestruneHotspot*>(GraphicsHost().HoveredHotspot(&name));
    if (!hotspot)
        return 0;
    if (hotspot->character)
        frame->result.object = UiHost().CharacterHandle(hotspot->character);
    else if (hotspot->object)
        frame->result.object = hotspot->object->Handle();
    return 0;
}

int32_t cInput__GetInvObject(ScriptCallFrame* frame)
{
    frame->result.Reset(kScriptString);
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    const cKestruneInventory* const inventory = cKestruneInventory::Current();
    if (gameplay && (gameplay->gameState & cKestruneGameplay::kItemHeld) && inventory && inventory->Held())
        frame->result.SetText(inventory->Held()->name);
    return 0;
}

void AddItem(const ScriptCallFrame* frame, int32_t silent)
{
    cKestruneInventory* inventory = nullptr;
    const int32_t index = ItemIndex(frame, inventory);
    if (inventory)
        inventory->LoadItem(index, silent);
}

int32_t cInput__AddInventoryItem(ScriptCallFrame* frame)
{
    AddItem(frame, 0);
    return 0;
}

int32_t cInput__AddInventoryItemSilent(ScriptCallFrame* frame)
{
    AddItem(frame, 1);
    return 0;
}

int32_t cInput__RemoveInventoryItem(ScriptCallFrame* frame)
{
    if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current())
        gameplay->gameState &= ~cKestruneGameplay::kItemHeld;
    WorldHost().SetCursor(0);
    cKestruneInventory* inventory = nullptr;
    const int32_t index = ItemIndex(frame, inventory);
    if (inventory) {
        inventory->heldItem = nullptr;
        inventory->RemoveItem(index);
    }
    return 0;
}

int32_t cInput__ClearInventory(ScriptCallFrame*)
{
    if (cKestruneInventory* const inventory = cKestruneInventory::Current())
        inventory->Clear();
    return 0;
}

int32_t cInput__PushInventory(ScriptCallFrame*)
{
    if (cKestruneInventory* const inventory = cKestruneInventory::Current())
        inventory->Push();
    return 0;
}

int32_t cInput__PopInventory(ScriptCallFrame*)
{
    if (cKestruneInventory* const inventory = cKestruneInventory::Current())
        inventory->Pop();
    return 0;
}

// A control opens only over the plain game: input on, no menu, fade,
// dialogue or video.
cKestruneGameplay* ControlGuard()
{
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (!gameplay || !(gameplay->gameState & cKestruneGameplay::kInputEnabled) || gameplay->fadeActive)
        return nullptr;
    cKestruneWorldHost& host = WorldHost();
    if (host.MenuOpen() || host.HasVideo())
        return nullptr;
    if (const cKestruneDialogue* const dialogue = gameplay->dialogue; dialogue && dialogue->state != 0)
        return nullptr;
    return gameplay;
}

// The previous control may be the caller (its input step ran the script
// that opens the next one), so it goes at the frame's safe point.
void InstallControl(cKestruneGameplay& gameplay, cKestruneScreenControl* control)
{
    RetireForDeletion(static_cast<cKestruneScreenControl*>(gameplay.screenControl));
    gameplay.screenControl = control;
}

int32_t cInput__SetupImageControl(ScriptCallFrame* frame)
{
    if (cKestruneGameplay* const gameplay = ControlGuard())
        InstallControl(*gameplay, new cKestruneImageControl(frame->Argument(0).GetText(), nullptr, ""));
    return 0;
}

int32_t cInput__SetupDiaryControl(ScriptCallFrame* frame)
{
    if (cKestruneGameplay* const gameplay = ControlGuard())
        InstallControl(*gameplay, new cKestruneDiaryControl(frame->Argument(0).GetText(), frame->Argument(1).intValue,
                                                            nullptr, ""));
    return 0;
}

int32_t cInput__SetupLighterControl(ScriptCallFrame* frame)
{
    cKestruneGameplay* const gameplay = ControlGuard();
    if (!gameplay)
        return 0;
    // The control resumes the calling script after the call without
    // suspending it: the script runs on meanwhile.
    const std::string resume = frame->script ? '#' + std::to_string(frame->script->pc) : std::string();
    auto* const lighter = new cKestruneLighterControl(frame->Argument(3).GetText(), frame->Argument(2).GetText(),
                                                      frame->Argument(1).GetText(), frame->Argument(0).GetText(),
                                                      frame->script, resume.c_str());
    lighter->callResult = frame->result;
    InstallControl(*gameplay, lighter);
    return 0;
}

int32_t cInput__SetupChatControl(ScriptCallFrame* frame)
{
    if (cKestruneGameplay* const gameplay = ControlGuard())
        InstallControl(*gameplay, new cKestruneChatControl(frame->Argument(0).GetText(), frame->Argument(1).object,
                                                           frame->script, frame->Argument(2).GetText()));
    return 0;
}

int32_t cInput__EnableScreenControl(ScriptCallFrame* frame)
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (gameplay && gameplay->screenControl)
        static_cast<cKestruneScreenControl*>(gameplay->screenControl)->enabled = frame->Argument(0).boolValue;
    return 0;
}

// The messenger's contact figure stands in for the second participant
// while the messenger is open or calling.
ObjectHandle SecondParticipant(const ScriptCallFrame* frame)
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    const cKestruneMessenger* const messenger = cKestruneMessenger::Current();
    if (messenger && ((gameplay && (gameplay->gameState & cKestruneGameplay::kMessengerOpen)) ||
                      messenger->selectedContact >= 0))
        return messenger->contactFigure;
    return frame->Argument(1).object;
}

int32_t cInput__PlayDialogue(ScriptCallFrame* frame)
{
    cKestruneDialogue* const dialogue = Dialogue();
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    if (!dialogue || !files)
        return 0;
    const std::string name = frame->Argument(0).GetText();
    const std::string resource = name + ".dialogue";
    if (!files->Exists(resource.c_str()))
        return 0;
    const int32_t slot = files->Open(resource.c_str());
    if (slot <= 0)
        return 0;
    const int32_t loaded = dialogue->Play(slot, name.c_str());
    files->Close(slot);
    if (loaded != 0 || !dialogue->script)
        return 0;
    const ObjectHandle participants[4] = {UiHost().PlayerCharacter(), SecondParticipant(frame),
                                          frame->Argument(2).object, frame->Argument(3).object};
    const char* const names[4] = {"c1", "c2", "c3", "c4"};
    DynArray<ScriptValue>& variables = dialogue->script->variables;
    for (int32_t i = 0; i < variables.count; ++i)
        for (int k = 0; k < 4; ++k)
            if (variables.data[i].name == names[k])
                variables.data[i].object = participants[k];
    if (frame->script)
        frame->script->PushFrame();
    dialogue->Start();
    if (frame->script)
        frame->script->PopFrame();
    return 0;
}

int32_t cInput__AddDialogueOption(ScriptCallFrame* frame)
{
    if (cKestruneDialogue* const dialogue = Dialogue())
        dialogue->AddOption(frame->Argument(1).GetText(), frame->Argument(0).intValue);
    return 0;
}

int32_t cInput__SetupDialogueItem(ScriptCallFrame* frame)
{
    if (cKestruneDialogue* const dialogue = Dialogue())
        dialogue->levels.Add(frame->Argument(0).intValue);
    return 0;
}

int32_t cInput__EvalDialogueOption(ScriptCallFrame* frame)
{
    cKestruneDialogue* const dialogue = Dialogue();
    if (!dialogue)
        return 0;
    dialogue->ClearEvalIfUnchosen(frame->Argument(0).intValue);
    if (!frame->Argument(1).boolValue || !frame->script || g_evalDepth >= kMaxEvalDepth)
        return 0;
    ++g_evalDepth;
    frame->script->RunNested((std::string("eval") + frame->Argument(0).GetText()).c_str());
    --g_evalDepth;
    return 0;
}

int32_t cInput__SetDialogueGoodBye(ScriptCallFrame* frame)
{
    if (cKestruneDialogue* const dialogue = Dialogue()) {
        dialogue->exitEntry.number = frame->Argument(0).intValue;
        dialogue->exitEntry.caption = frame->Argument(1).GetText();
    }
    return 0;
}

int32_t cInput__SetDialogueGoUp(ScriptCallFrame* frame)
{
    if (cKestruneDialogue* const dialogue = Dialogue()) {
        dialogue->AddOption(frame->Argument(1).GetText(), frame->Argument(0).intValue);
        dialogue->MarkLastGoUp();
    }
    return 0;
}

int32_t cInput__LeaveDialogue(ScriptCallFrame*)
{
    if (cKestruneDialogue* const dialogue = Dialogue())
        dialogue->ClearLines();
    return 0;
}

int32_t cInput__LeaveDialogueLevel(ScriptCallFrame*)
{
    cKestruneDialogue* const dialogue = Dialogue();
    if (!dialogue)
        return 0;
    DynArray<int32_t>& levels = dialogue->levels;
    const int32_t keep = levels.count >= 2 ? levels.count - 2 : 0;
    while (levels.count > keep)
        levels.RemoveAt(levels.count - 1);
    return 0;
}

int32_t cInput__Nothing(ScriptCallFrame*) { return 0; }

} // namespace

void RegisterInputNatives()
{
    const struct {
        const char* name;
        ScriptNative function;
    } natives[] = {
        {"cInput__GetObject", cInput__GetObject},
        {"cInput__GetInvObject", cInput__GetInvObject},
        {"cInput__AddInventoryItem", cInput__AddInventoryItem},
        {"cInput__AddInventoryItemSilent", cInput__AddInventoryItemSilent},
        {"cInput__RemoveInventoryItem", cInput__RemoveInventoryItem},
        {"cInput__ClearInventory", cInput__ClearInventory},
        {"cInput__PushInventory", cInput__PushInventory},
        {"cInput__PopInventory", cInput__PopInventory},
        {"cInput__SetupImageControl", cInput__SetupImageControl},
        {"cInput__SetupDiaryControl", cInput__SetupDiaryControl},
        {"cInput__SetupLighterControl", cInput__SetupLighterControl},
        {"cInput__SetupChatControl", cInput__SetupChatControl},
        {"cInput__EnableScreenControl", cInput__EnableScreenControl},
        {"cInput__PlayDialogue", cInput__PlayDialogue},
        {"cInput__AddDialogueOption", cInput__AddDialogueOption},
        {"cInput__SetupDialogueItem", cInput__SetupDialogueItem},
        {"cInput__EvalDialogueOption", cInput__EvalDialogueOption},
        {"cInput__SetDialogueGoodBye", cInput__SetDialogueGoodBye},
        {"cInput__SetDialogueGoUp", cInput__SetDialogueGoUp},
        {"cInput__LeaveDialogue", cInput__LeaveDialogue},
        {"cInput__LeaveDialogueLevel", cInput__LeaveDialogueLevel},
        {"cInput__PutObject", cInput__Nothing},
        {"cInput__PutInvObject", cInput__Nothing},
    };
    for (const auto& native : natives)
        RegisterScriptNative(native.name, native.function);
}
