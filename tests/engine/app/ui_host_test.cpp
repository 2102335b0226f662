// The engine's answers to the dialogue, the screen controls and the messenger
// about characters, with real characters wearing the test figure: speakers'
// colours and lip sync, the player's walk, talking heads and close-ups.

#include "engine/app/default_members.h"
#include "engine/app/engine_ui_host.h"
#include "engine/app/kestrune_engine.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/natives/engine_natives.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/sprite_world.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_messenger.h"
#include "engine/ui/kestrune_screen_control.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_player_control.h"
#include "platform/granny/granny.h"
#include "tests/engine/app/fake_members.h"
#include "tests/engine/ui/ui_fixture.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tools/gr2_figure.h"
#include "tools/sound_writer.h"

#include <array>

namespace vls::test {
namespace {

cKestruneCharacter* Resolve(ObjectHandle handle)
{
    return ResolveObjectAs<cKestruneCharacter>(handle, ObjectKind::Character);
}

// The world matrix of one of the model's bones, as last posed.
std::array<float, 16> BoneMatrix(const cKestruneMeshSprite& model, const char* bone)
{
    granny_int32 index = -1;
    const granny_skeleton* const skeleton = GrannyGetSourceSkeleton(model.mainModel.instance);
    EXPECT_TRUE(GrannyFindBoneByNameLowercase(skeleton, bone, &index)) << bone;
    const granny_real32* const m = GrannyGetWorldPose4x4(model.mainModel.worldPose, index);
    std::array<float, 16> out;
    std::copy(m, m + 16, out.begin());
    return out;
}

std::array<float, 3> BonePosition(const cKestruneMeshSprite& model, const char* bone)
{
    const std::array<float, 16> m = BoneMatrix(model, bone);
    return {m[12], m[13], m[14]};
}

float Difference(const std::array<float, 16>& a, const std::array<float, 16>& b)
{
    float sum = 0.0f;
    for (int i = 0; i < 16; ++i)
        sum += std::abs(a[i] - b[i]);
    return sum;
}

class EngineUiHostTest : public UiWorld {
protected:
    EngineUiHostTest()
    {
        data.Add("figure.gr2", Bytes(tools::WriteGr2(tools::MakeFigureScene())));
        data.Add("line.ogg", Bytes(tools::EncodeOggVorbis(tools::MakeSine(22050, 1, 440.0, 2.0, 8000.0))));
        // Viseme 2 alone, strongly: the jaw turns by -34 x -10 / 1000 radians.
        data.Add("line.sync", "2\n0 0 -10 0 0 0 0 0\n0 0 -10 0 0 0 0 0\n");
        // The engine claims the error reporter and its members the graphics
        // host; the test's log and fake take them back.
        SetEngineLink(&reports);
        SetGraphicsHost(&host);
    }
    ~EngineUiHostTest() override
    {
        RemoveEngineUiHost();
        if (gameplay) {
            delete gameplay->playerCharacter;
            gameplay->playerCharacter = nullptr;
        }
        engine.gameplay = nullptr;
        for (KestruneMember member : {KestruneMember::Sound, KestruneMember::Sprites, KestruneMember::Timer})
            members.Destroy(engine, member);
    }

    // The data, the device, the clock, sprites and sound, a gameplay object
    // whose player wears the figure, and the engine's ui host.
    void StartEngine()
    {
        StartGame();
        for (KestruneMember member : {KestruneMember::Timer, KestruneMember::Sprites, KestruneMember::Sound})
            ASSERT_TRUE(members.Create(engine, member));
        engine.gameplay = gameplay.get();
        player = new cKestruneCharacter();
        player->model->Load("figure");
        player->visible = 1;
        player->speechColor = 0xFFA0B0C0;
        gameplay->playerCharacter = player;
        InstallEngineUiHost(engine);
    }

    std::unique_ptr<cKestruneCharacter> Figure(uint32_t colour = 0xFF102030)
    {
        auto figure = std::make_unique<cKestruneCharacter>();
        figure->model->Load("figure");
        figure->visible = 1;
        figure->speechColor = colour;
        return figure;
    }

    DWORD LineColour(const cKestruneDialogue& dialogue) const
    {
        const auto* text = ResolveObjectAs<cKestruneText>(dialogue.lineText, ObjectKind::Text);
        return text && text->quadCount > 0 ? text->vertices[0].colour & 0xFFF0F0F0 : 0;
    }

    int Draws() { return static_cast<int>(Calls("DrawIndexedPrimitive").size()); }
    std::vector<vls::d3d8::D3D8Call> Calls(const std::string& name)
    {
        std::vector<vls::d3d8::D3D8Call> out;
        for (const auto& call : Device().Calls())
            if (call.name == name)
                out.push_back(call);
        return out;
    }

    FakeMembers fake;
    cKestruneEngine engine{nullptr, nullptr, "", &fake};
    cKestruneDefaultMembers members{engine};
    cKestruneCharacter* player = nullptr;
};

TEST_F(EngineUiHostTest, LinesTakeTheSpeakersColourAndThePlayersWhenTheSpeakerIsNoneOrGone)
{
    StartEngine();
    cKestruneUiHost& host = UiHost();
    const auto npc = Figure(0xFF102030);
    ObjectHandle gone = kNoObject;
    {
        const cKestruneCharacter temporary;
        gone = temporary.Handle();
    }
    EXPECT_EQ(host.PlayerCharacter(), player->Handle());
    EXPECT_EQ(host.CharacterHandle(npc.get()), npc->Handle());
    EXPECT_EQ(host.CharacterHandle(nullptr), kNoObject);
    const std::pair<ObjectHandle, uint32_t> colours[] = {
        {npc->Handle(), 0xFF102030}, {player->Handle(), 0xFFA0B0C0}, {kNoObject, 0xFFA0B0C0}, {gone, 0xFFA0B0C0}};
    for (const auto& [speaker, colour] : colours)
        EXPECT_EQ(host.TextColour(speaker), colour) << speaker;

    cKestruneDialogue dialogue;
    dialogue.Say("hello there", "", nullptr, npc->Handle());
    EXPECT_EQ(LineColour(dialogue), 0xFF102030u & 0xFFF0F0F0);
    dialogue.EndLine();
    dialogue.Print("a note", nullptr);
    EXPECT_EQ(LineColour(dialogue), 0xFFA0B0C0u & 0xFFF0F0F0) << "a printed line speaks as the player";
    dialogue.EndLine();

    gameplay->playerCharacter = nullptr;
    EXPECT_EQ(host.PlayerCharacter(), kNoObject);
    EXPECT_EQ(host.TextColour(kNoObject), 0xFFFFFFFFu) << "no player: plain white";
    EXPECT_EQ(host.TextColour(npc->Handle()), 0xFF102030u);
    gameplay->playerCharacter = player;
}

TEST_F(EngineUiHostTest, ScriptsReachThePlayerAndTheHoveredCharacterByHandle)
{
    data.Add("talk.dialogue", Bytes(tools::WriteDialogueResource(
                                  1, Script("var c1 object\n var c2 object\n func onenter\n ret\n end\n"))));
    StartEngine();
    RegisterInputNatives();
    const std::unique_ptr<cKestruneScript> caller = LoadScript("func f\n ret\n end\n");
    auto call = [&](const char* name, std::vector<ScriptValue> arguments) {
        ScriptCallFrame frame;
        frame.script = caller.get();
        for (const ScriptValue& argument : arguments)
            frame.arguments.Add(argument);
        FindScriptNative(name)(&frame);
        return frame.result;
    };
    const auto npc = Figure();
    ScriptValue npcValue(kScriptObject);
    npcValue.object = npc->Handle();

    // A hotspot bound to a character names the character, even when it also
    // names an object.
    cKestruneScene scene;
    cKestruneHotspot hotspot;
    hotspot.character = npc.get();
    hotspot.object = scene.CreateObjectHandle();
    host.hotspot = &hotspot;
    EXPECT_EQ(call("cInput__GetObject", {}).object, npc->Handle());
    host.hotspot = nullptr;

    cKestruneDialogue dialogue;
    gameplay->dialogue = &dialogue;
    call("cInput__PlayDialogue", {ScriptValue::String("talk"), npcValue});
    ASSERT_NE(dialogue.script, nullptr);
    EXPECT_EQ(dialogue.script->Variable(0)->object, player->Handle()) << "c1 is the player";
    EXPECT_EQ(dialogue.script->Variable(1)->object, npc->Handle());
    gameplay->dialogue = nullptr;
}

TEST_F(EngineUiHostTest, ASpokenLineMovesOnlyItsSpeakersJawAndOnlyWhileItPlays)
{
    StartEngine();
    const auto npc = Figure();
    cKestruneMeshSprite& face = *npc->model;
    face.Update(0.0f, 0);
    const std::array<float, 16> resting = BoneMatrix(face, "bip_mandible");

    cKestruneDialogue dialogue;
    dialogue.Say("hello", "line", nullptr, npc->Handle());
    ASSERT_EQ(dialogue.lineIsSpeech, 1);
    EXPECT_EQ(face.syncKeys.count, 2) << "the speaker read the line's keys";
    EXPECT_EQ(player->model->syncKeys.count, 0);
    cKestruneSpriteWorld& world = SpriteWorld();
    EXPECT_TRUE(world.SpeechBelongsTo(&face));
    EXPECT_FALSE(world.SpeechBelongsTo(player->model));
    EXPECT_GE(world.SpeechTime(), 0);
    face.Update(0.0f, 0);
    EXPECT_GT(Difference(BoneMatrix(face, "bip_mandible"), resting), 0.1f) << "the jaw turned";

    dialogue.EndLine();
    EXPECT_FALSE(world.SpeechBelongsTo(&face));
    EXPECT_EQ(world.SpeechTime(), -1);
    face.Update(0.0f, 0);
    EXPECT_LT(Difference(BoneMatrix(face, "bip_mandible"), resting), 1e-4f) << "the mouth rests once the line is over";

    // A speaker deleted while it speaks is no longer the speech's owner.
    auto doomed = Figure();
    dialogue.Say("bye", "line", nullptr, doomed->Handle());
    ASSERT_NE(EngineSpeaker(), nullptr);
    doomed.reset();
    EXPECT_EQ(EngineSpeaker(), nullptr);
    EXPECT_FALSE(world.SpeechBelongsTo(&face));
    dialogue.EndLine();
}

TEST_F(EngineUiHostTest, TalkingHeadsAreFiguresWithTheirBrowsAtTheOrigin)
{
    StartEngine();
    cKestruneUiHost& host = UiHost();
    EXPECT_EQ(host.CreateHead("nobody", 0xFF000000), kNoObject);
    EXPECT_EQ(host.CreateHead("", 0xFF000000), kNoObject);

    const ObjectHandle handle = host.CreateHead("figure", 0xFF112233);
    cKestruneCharacter* const head = Resolve(handle);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->visible, 1);
    EXPECT_EQ(head->idleMin, 1000.0f);
    EXPECT_EQ(head->idleMax, 1000.0f);
    EXPECT_EQ(head->model->noShadow, 1);
    EXPECT_EQ(head->model->fixedAmbient, 0xFFFFFFFFu);
    EXPECT_EQ(host.TextColour(handle), 0xFF112233u) << "a contact speaks in its own colour";

    Device().ClearRecord();
    host.RenderHead(handle);
    EXPECT_GT(Draws(), 0);
    const std::array<float, 3> brows = BonePosition(*head->model, "bip_brows");
    for (float coordinate : brows)
        EXPECT_NEAR(coordinate, 0.0f, 0.02f);

    // Only heads are drawn and deleted as heads.
    Device().ClearRecord();
    host.RenderHead(player->Handle());
    host.DeleteHead(player->Handle());
    EXPECT_EQ(Draws(), 0);
    EXPECT_EQ(Resolve(player->Handle()), player);

    host.DeleteHead(handle);
    EXPECT_EQ(Resolve(handle), nullptr);
    host.DeleteHead(handle);
    host.RenderHead(handle);

    // Heads still made when the host goes, go with it.
    const ObjectHandle left = host.CreateHead("figure", 0);
    ASSERT_NE(Resolve(left), nullptr);
    RemoveEngineUiHost();
    EXPECT_EQ(Resolve(left), nullptr);
}

TEST_F(EngineUiHostTest, TheChatCloseUpCentresAndDrawsTheSceneCharacterInItsViewport)
{
    StartEngine();
    const auto npc = Figure();
    npc->model->SetPosition(5.0f, 0.0f, 5.0f);
    cKestruneChatControl chat("no such overlay", npc->Handle(), nullptr, "");
    EXPECT_LT(npc->model->position[1], -1.0f) << "the brows, high on the figure, moved to the origin";

    Device().ClearRecord();
    chat.Render();
    const std::vector<vls::d3d8::D3D8Call> all = Device().Calls();
    int viewport = -1, draw = -1, restored = -1;
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        const auto& call = all[i];
        if (call.name == "SetViewport" && call.args[0] == 298 && call.args[1] == 216 && call.args[2] == 340 &&
            call.args[3] == 290)
            viewport = i;
        else if (call.name == "DrawIndexedPrimitive" && viewport >= 0 && draw < 0)
            draw = i;
        else if (call.name == "SetViewport" && draw >= 0)
            restored = i;
    }
    EXPECT_GE(viewport, 0);
    EXPECT_GT(draw, viewport) << "the head is drawn inside the close-up's viewport";
    EXPECT_GT(restored, draw);
    const std::array<float, 3> brows = BonePosition(*npc->model, "bip_brows");
    for (float coordinate : brows)
        EXPECT_NEAR(coordinate, 0.0f, 0.02f);

    // A character gone with its scene is neither moved nor drawn.
    ObjectHandle gone = kNoObject;
    {
        const auto temporary = Figure();
        gone = temporary->Handle();
    }
    cKestruneChatControl orphan("no such overlay", gone, nullptr, "");
    Device().ClearRecord();
    orphan.Render();
    EXPECT_EQ(Draws(), 0);
}

TEST_F(EngineUiHostTest, AScreenControlStopsThePlayersWalk)
{
    StartEngine();
    WalkHost walk;
    cKestruneScene scene;
    walk.scene = &scene;
    AddLayer(scene, HoleFloor());
    player->controller->SetPosition(1.0f, 0.0f, 1.0f);
    player->controller->WalkTo(9.0f, 0.0f, 1.0f, 0.0f, 1.0f);
    ASSERT_EQ(player->controller->walking, 1);
    {
        const cKestruneImageControl control("nothing", nullptr, "");
    }
    walk.now += 1000;
    player->UpdateAnimation();
    EXPECT_EQ(player->model->position[0], 1.0f);
    EXPECT_EQ(player->controller->walking, 0);
}

TEST_F(EngineUiHostTest, TheMessengersCallShowsTheContactsHeadInItsViewport)
{
    for (const char* name : {"messenger_main", "messenger_start", "messenger_ready", "messenger_goodbye",
                             "messenger_connect", "messenger_disconnect", "messenger_overlay", "messenger_btnpadl",
                             "messenger_btnpadr", "messenger_btnconnect", "messenger_btndisconnect", "anna"})
        data.Add(std::string(name) + ".image", ImageBytes(Solid(16, 16, 0xFF506070)));
    StartEngine();
    cKestruneMessenger messenger;
    ASSERT_EQ(messenger.ok, 1u);
    messenger.AddItem("anna", "anna", "", "figure", 0xFF445566);
    messenger.Open();
    messenger.selectedContact = 0;
    messenger.connected = 1;
    messenger.currentImage = messenger.connectImage;
    messenger.connectImage->ended = 1;
    Device().ClearRecord();
    messenger.Render();

    cKestruneCharacter* const head = Resolve(messenger.contactFigure);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->speechColor, 0xFF445566u);
    bool inViewport = false;
    for (const auto& call : Calls("SetViewport"))
        inViewport |= call.args[0] == 121 && call.args[1] == 262 && call.args[2] == 114 && call.args[3] == 99;
    EXPECT_TRUE(inViewport);
    EXPECT_GT(Draws(), 0);

    const ObjectHandle figure = messenger.contactFigure;
    messenger.CloseConnection();
    EXPECT_EQ(Resolve(figure), nullptr) << "ending the call frees the head";
}

TEST_F(EngineUiHostTest, CachedSpritesAreKept)
{
    StartEngine();
    UiHost().CacheMeshSprite("figure");
    cKestruneMeshSprite* const cached = engine.sprites->FindCachedMeshSprite("figure");
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->keep, 1);
}

} // namespace
} // namespace vls::test
