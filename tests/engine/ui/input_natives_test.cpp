// Every cInput native through a call-frame harness: the frame a script's
// call would make, handed straight to the registered function.

#include "engine/natives/engine_natives.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_inventory.h"
#include "engine/ui/kestrune_screen_control.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/retired_objects.h"
#include "tests/engine/ui/ui_fixture.h"

namespace vls::test {
namespace {

ScriptValue Text(const char* text) { return ScriptValue::String(text); }
ScriptValue Int(int32_t value) { return ScriptValue::Integer(value); }
ScriptValue Bool(bool value) { return ScriptValue::Boolean(value); }
ScriptValue Object(ObjectHandle handle)
{
    ScriptValue value(kScriptObject);
    value.object = handle;
    return value;
}

class InputNatives : public UiWorld {
protected:
    InputNatives()
    {
        RegisterInputNatives();
        tools::InventoryItemDescription description;
        description.icon = tools::WriteImage({}, {Solid(8, 8, 0xFF000000)});
        description.cursor = description.icon;
        description.script = Script("end\n");
        const tools::InventoryResource packed = tools::WriteInventoryResource({description});
        data.Add("inventory", Bytes(packed.bytes));
        data.Add("ui_inventory_1.image", ImageBytes(Solid(64, 64, 0xFF303030)));
        data.Add("ui_inventory_2.image", ImageBytes(Solid(64, 64, 0xFF808080)));
        data.Add("talk.dialogue", Bytes(tools::WriteDialogueResource(
                                      2, Script("var c1 object\n var c2 object\n var c3 object\n var c4 object\n"
                                                "var other object\n callsite mark test__Mark 1 int\n"
                                                "func onenter\n push string \"onenter\"\n native - mark\n ret\n"
                                                "func eval2\n push string \"eval2\"\n native - mark\n ret\n end\n"))));
        data.Add("photo.image", ImageBytes(Solid(32, 32, 0xFF00FF00)));
        StartGame();
        for (int32_t i = 0; i < cKestruneInventory::kItemCount; ++i) {
            project.itemNames[i] = "item" + std::to_string(i);
            for (int part = 0; part < 3; ++part)
                project.itemTables[part][i] = packed.offsets[part][0];
        }
        inventory.LoadProject(project);
        gameplay->dialogue = &dialogue;
        caller = LoadScript("callsite mark test__Mark 1 int\n func eval5\n push string \"eval5\"\n native - mark\n ret\n end\n");
    }
    ~InputNatives() override
    {
        DeleteRetiredObjects();
        delete static_cast<cKestruneScreenControl*>(gameplay->screenControl);
        gameplay->screenControl = nullptr;
        gameplay->dialogue = nullptr;
    }

    // Calls the native as a script's call site would; the frame's result is kept.
    ScriptValue Call(const char* name, std::vector<ScriptValue> arguments = {})
    {
        const ScriptNative native = FindScriptNative(name);
        EXPECT_NE(native, nullptr) << name;
        ScriptCallFrame frame;
        frame.script = caller.get();
        for (const ScriptValue& argument : arguments)
            frame.arguments.Add(argument);
        if (native) {
            EXPECT_EQ(native(&frame), 0) << name;
        }
        return frame.result;
    }

    std::vector<int32_t> Levels() const
    {
        return std::vector<int32_t>(dialogue.levels.data, dialogue.levels.data + dialogue.levels.count);
    }

    ProjectHeader project;
    cKestruneInventory inventory;
    cKestruneDialogue dialogue;
    std::unique_ptr<cKestruneScript> caller;
};

TEST_F(InputNatives, TheInventoryNatives)
{
    Call("cInput__AddInventoryItem", {Text("item4")});
    EXPECT_EQ(inventory.newestItem, 4);
    Call("cInput__AddInventoryItemSilent", {Text("item5")});
    EXPECT_EQ(inventory.newestItem, 4);
    Call("cInput__AddInventoryItem", {Text("no such item")});
    EXPECT_TRUE(reports.Has("Inventory item not defined."));
    EXPECT_EQ(inventory.PresentCount(), 2);

    ScriptValue held = Call("cInput__GetInvObject");
    EXPECT_EQ(held.type, static_cast<uint32_t>(kScriptString));
    EXPECT_STREQ(held.GetText(), "") << "nothing held: an empty string, never none";
    inventory.heldItem = &inventory.items[5];
    gameplay->gameState |= cKestruneGameplay::kItemHeld;
    EXPECT_STREQ(Call("cInput__GetInvObject").GetText(), "item5");

    graphics->cursorIndex = 7;
    Call("cInput__RemoveInventoryItem", {Text("item5")});
    EXPECT_FALSE(gameplay->gameState & cKestruneGameplay::kItemHeld);
    EXPECT_EQ(graphics->cursorIndex, 0);
    EXPECT_EQ(inventory.HasItem(5), 0);

    Call("cInput__PushInventory");
    EXPECT_EQ(inventory.PresentCount(), 0);
    Call("cInput__AddInventoryItem", {Text("item9")});
    Call("cInput__PopInventory");
    EXPECT_EQ(inventory.HasItem(4), 1);
    EXPECT_EQ(inventory.HasItem(9), 0);
    Call("cInput__ClearInventory");
    EXPECT_EQ(inventory.PresentCount(), 0);
    Call("cInput__PutObject", {Int(1)});
    Call("cInput__PutInvObject", {Int(1)});
}

TEST_F(InputNatives, GetObjectNamesTheHoveredHotspotsObject)
{
    EXPECT_EQ(Call("cInput__GetObject").type, static_cast<uint32_t>(kScriptObject));
    EXPECT_EQ(Call("cInput__GetObject").object, kNoObject);
    cKestruneScene scene;
    cKestruneHotspot hotspot;
    hotspot.object = scene.CreateObjectHandle();
    host.hotspot = &hotspot;
    EXPECT_EQ(Call("cInput__GetObject").object, hotspot.object->Handle());
    host.hotspot = nullptr;
}

TEST_F(InputNatives, TheDialogueNatives)
{
    // A dialogue that does not exist changes nothing.
    Call("cInput__PlayDialogue", {Text("missing")});
    EXPECT_EQ(dialogue.script, nullptr);

    cKestruneScene scene;
    const ObjectHandle second = scene.CreateObjectHandle()->Handle();
    const ObjectHandle third = scene.CreateObjectHandle()->Handle();
    Call("cInput__PlayDialogue", {Text("talk"), Object(second), Object(third), Object(kNoObject)});
    ASSERT_NE(dialogue.script, nullptr);
    EXPECT_EQ(Marks(), std::vector<std::string>{"onenter"});
    EXPECT_EQ(dialogue.script->Variable(1)->object, second);
    EXPECT_EQ(dialogue.script->Variable(2)->object, third);
    EXPECT_EQ(dialogue.script->Variable(4)->object, kNoObject) << "only c1 to c4 are bound";

    Marks().clear();
    Call("cInput__AddDialogueOption", {Int(2), Text("ask")});
    EXPECT_EQ(Marks(), std::vector<std::string>{"eval2"});
    Call("cInput__SetDialogueGoUp", {Int(7), Text("up")});
    ASSERT_EQ(dialogue.EntryCount(), 2);
    EXPECT_EQ(dialogue.Entry(1).number, -1);
    Call("cInput__SetDialogueGoodBye", {Int(6), Text("bye")});
    EXPECT_EQ(dialogue.exitEntry.number, 6);
    EXPECT_STREQ(dialogue.exitEntry.caption.GetText(), "bye");

    // Evaluation: an unchosen option clears the result; the hook runs in
    // the calling script only when asked.
    dialogue.evalResult = 1;
    Marks().clear();
    Call("cInput__EvalDialogueOption", {Int(1), Bool(false)});
    EXPECT_EQ(dialogue.evalResult, 0);
    EXPECT_TRUE(Marks().empty());
    dialogue.evalResult = 1;
    Call("cInput__EvalDialogueOption", {Int(99), Bool(false)});
    EXPECT_EQ(dialogue.evalResult, 1) << "an index past the record is checked, not read";
    Call("cInput__EvalDialogueOption", {Int(5), Bool(true)});
    EXPECT_EQ(Marks(), std::vector<std::string>{"eval5"});

    for (int32_t level : {5, 7, 9})
        Call("cInput__SetupDialogueItem", {Int(level)});
    EXPECT_EQ(Levels(), (std::vector<int32_t>{5, 7, 9}));
    Call("cInput__LeaveDialogueLevel");
    EXPECT_EQ(Levels(), std::vector<int32_t>{5});
    Call("cInput__LeaveDialogueLevel");
    EXPECT_TRUE(Levels().empty());

    Call("cInput__LeaveDialogue");
    EXPECT_EQ(dialogue.EntryCount(), 0);
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kIdle);
}

TEST_F(InputNatives, ScreenControlsOpenOnlyOverThePlainGame)
{
    auto control = [&] { return static_cast<cKestruneScreenControl*>(gameplay->screenControl); };
    dialogue.state = cKestruneDialogue::kChoosing;
    Call("cInput__SetupImageControl", {Text("photo")});
    EXPECT_EQ(control(), nullptr) << "not during a dialogue";
    dialogue.state = cKestruneDialogue::kIdle;
    gameplay->fadeActive = 1;
    Call("cInput__SetupImageControl", {Text("photo")});
    EXPECT_EQ(control(), nullptr) << "not during a fade";
    gameplay->fadeActive = 0;
    gameplay->gameState &= ~cKestruneGameplay::kInputEnabled;
    Call("cInput__SetupImageControl", {Text("photo")});
    EXPECT_EQ(control(), nullptr) << "not without input";
    gameplay->gameState |= cKestruneGameplay::kInputEnabled;

    Call("cInput__SetupImageControl", {Text("photo")});
    auto* image = dynamic_cast<cKestruneImageControl*>(control());
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->image, nullptr);
    EXPECT_EQ(ui.log, std::vector<std::string>{"stop walk"});
    Call("cInput__EnableScreenControl", {Bool(false)});
    EXPECT_EQ(control()->enabled, 0);

    Call("cInput__SetupDiaryControl", {Text("book"), Int(3)});
    auto* diary = dynamic_cast<cKestruneDiaryControl*>(control());
    ASSERT_NE(diary, nullptr);
    EXPECT_EQ(diary->pageCount, 3);

    caller->pc = 42;
    Call("cInput__SetupLighterControl", {Text("a"), Text("b"), Text("c"), Text("d")});
    auto* lighter = dynamic_cast<cKestruneLighterControl*>(control());
    ASSERT_NE(lighter, nullptr);
    EXPECT_STREQ(lighter->resume.GetText(), "#42");
    EXPECT_EQ(lighter->script, caller.get());
    EXPECT_EQ(caller->suspendCount, 0) << "the caller runs on";

    Call("cInput__SetupChatControl", {Text("head"), Object(5), Text("done")});
    auto* chat = dynamic_cast<cKestruneChatControl*>(control());
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(chat->character, 5u);
    EXPECT_STREQ(chat->function.GetText(), "done");
}

// The code after the lighter's call drops the call's result, both in the
// run that made the call and when the closing click resumes it there.
TEST_F(InputNatives, TheLighterResumesItsScriptWithTheCallsResultToDrop)
{
    auto script = LoadScript("callsite light cInput__SetupLighterControl 4 int\n"
                             "callsite mark test__Mark 1 int\n"
                             "func go\n push string \"dark\"\n push string \"mask\"\n push string \"glow\"\n"
                             " push string \"flame\"\n native - light\n popreg\n"
                             " push string \"after\"\n native - mark\n popreg\n ret\nend\n");
    gameplay->gameState |= cKestruneGameplay::kInputEnabled;
    EXPECT_EQ(script->Run("go"), 0);
    auto* const lighter = dynamic_cast<cKestruneLighterControl*>(static_cast<cKestruneScreenControl*>(gameplay->screenControl));
    ASSERT_NE(lighter, nullptr);
    EXPECT_EQ(Marks(), std::vector<std::string>{"after"});

    gameplay->mouseX = 20;
    gameplay->mouseY = 20;
    gameplay->leftEvent = 1;
    lighter->Input();
    EXPECT_EQ(lighter->done, 1);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"after", "after"})) << "the code after the call ran again";
    EXPECT_TRUE(reports.reports.empty()) << reports.reports.front().text;
    EXPECT_EQ(script->suspendCount, 0);
}

// The lighter's closing click runs its script, which opens the next control:
// the lighter's input step runs to its end, and the lighter goes at the
// frame's safe point.
TEST_F(InputNatives, AControlOpenedByTheRunningControlsScriptRetiresIt)
{
    auto opener = LoadScript("callsite open cInput__SetupImageControl 1 int\n"
                             "func open_photo\n push string \"photo\"\n native - open\n ret\n end\n");
    auto* const lighter = new cKestruneLighterControl("a", "b", "c", "d", opener.get(), "open_photo");
    gameplay->screenControl = lighter;
    gameplay->mouseX = 20;
    gameplay->mouseY = 20;
    gameplay->leftEvent = 1;
    lighter->Input();

    const auto* const image = dynamic_cast<cKestruneImageControl*>(static_cast<cKestruneScreenControl*>(gameplay->screenControl));
    ASSERT_NE(image, nullptr) << "the script opened the picture";
    EXPECT_EQ(lighter->done, 1) << "still there to finish its step";
    EXPECT_EQ(RetiredObjectCount(), 1u);
    DeleteRetiredObjects();
    EXPECT_EQ(RetiredObjectCount(), 0u);
}

} // namespace
} // namespace vls::test
