#pragma once

// A scene with two views, one hotspot and a script, and fakes for the engine
// around the natives, so that each native is called as the script machine
// calls it: through a call frame.

#include "engine/natives/engine_natives.h"
#include "engine/natives/native_host.h"
#include "engine/render/kestrune_video.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/retired_objects.h"
#include "engine/world/world_host.h"
#include "tests/engine/world/world_fixture.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vls::test {

class FakeWorld : public cKestruneNullWorldHost {
public:
    FakeWorld() { SetWorldHost(this); }
    ~FakeWorld() override { SetWorldHost(nullptr); }
    cKestruneScene* CurrentScene() override { return scene; }
    int32_t DialogueState() override { return dialogue; }
    bool PlayerWalking() override { return walking; }
    bool PlayerPosition(float& x, float& y, float& z) override
    {
        x = player[0];
        y = player[1];
        z = player[2];
        return hasPlayer;
    }
    void SetPlayerPosition(float x, float y, float z) override { placed.push_back({x, y, z}); }
    void BindWalkMaps(cKestruneScene&) override { ++walkMapBinds; }
    // The characters the natives make are owned as in the engine.
    void DeletePlayer() override
    {
        if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current()) {
            delete gameplay->playerCharacter;
            gameplay->playerCharacter = nullptr;
        }
    }
    void DeleteSceneCharacters(cKestruneScene& owner) override
    {
        for (std::int32_t i = 0; i < owner.characters.count; ++i)
            delete owner.characters.data[i];
        owner.characters.count = 0;
    }
    cKestruneScene* scene = nullptr;
    int32_t dialogue = 0;
    bool walking = false;
    bool hasPlayer = false;
    float player[3] = {};
    std::vector<std::vector<float>> placed;
    int walkMapBinds = 0;
};

class FakeNatives : public cKestruneNullNativeHost {
public:
    struct Timer {
        cKestruneScript* script;
        std::string function;
        float seconds;
    };
    struct Printed {
        std::string first, second;
        cKestruneScript* script;
    };

    FakeNatives() { SetNativeHost(this); }
    ~FakeNatives() override { SetNativeHost(nullptr); }
    const char* PreviousSceneName() override { return "market"; }
    void RequestNewGame() override { newGame = true; }
    void AddRoomTimer(cKestruneScript* script, const char* function, float seconds) override
    {
        timers.push_back({script, function, seconds});
    }
    cKestruneHints* Hints() override { return hints; }
    bool MenuOpen() override { return menu; }
    bool HasInventoryItem(const char* name) override { return messenger && std::string(name) == "Messenger"; }
    cKestruneVideo* CurrentVideo() override { return videos.empty() ? nullptr : videos.front().get(); }
    void QueueVideo(cKestruneVideo* video) override { videos.emplace_back(video); }
    void OpenMessenger() override { messengerCalls.push_back("open"); }
    void CloseMessenger() override { messengerCalls.push_back("close"); }
    void CloseMessengerConnection() override { messengerCalls.push_back("close connection"); }
    void AddMessengerItem(const char* a, const char*, const char*, const char*, uint32_t colour) override
    {
        item = a;
        itemColour = colour;
    }
    void Print(const char* first, const char* second, cKestruneScript* script) override
    {
        printed.push_back({first, second, script});
    }
    bool newGame = false;
    bool menu = false;
    bool messenger = true;
    std::string item;
    uint32_t itemColour = 0;
    std::vector<Timer> timers;
    cKestruneHints* hints = nullptr;
    // Queued videos, the first one current.
    std::vector<std::unique_ptr<cKestruneVideo>> videos;
    std::vector<std::string> messengerCalls;
    std::vector<Printed> printed;
};

inline std::vector<std::string>* g_marks = nullptr;

inline std::int32_t MarkNative(ScriptCallFrame* frame)
{
    g_marks->push_back(frame->Argument(0).GetText());
    return 0;
}

inline ScriptValue Int(std::int32_t v) { return ScriptValue::Integer(v); }
inline ScriptValue Float(float v) { return ScriptValue::Float(v); }
inline ScriptValue Text(const char* v) { return ScriptValue::String(v); }

class SystemOutputNativesTest : public WorldTest {
protected:
    SystemOutputNativesTest()
    {
        RegisterSystemNatives();
        RegisterOutputNatives();
        RegisterScriptNative("test__Mark", MarkNative);
        g_marks = &marks;
        for (const char* name : {"wide", "close"}) {
            auto* const view = new cKestruneView();
            view->header.name = name;
            scene.views.Add(view);
        }
        scene.hotspots.Add(new cKestruneHotspot());
        scene.script = LoadScript(kScript).release();
        world.scene = &scene;
        gameplay.gameState = 0x207;
    }
    ~SystemOutputNativesTest() override
    {
        DeleteRetiredObjects();
        world.scene = nullptr;
        g_marks = nullptr;
    }

    // Calls a native the way the script machine does, through a call frame.
    std::int32_t Call(const char* name, std::initializer_list<ScriptValue> arguments, std::uint32_t resultType = 0)
    {
        const ScriptNative native = FindScriptNative(name);
        EXPECT_NE(native, nullptr) << name;
        frame.arguments.count = 0;
        frame.object = kNoObject;
        frame.script = scene.script;
        frame.result.Reset(resultType);
        for (const ScriptValue& argument : arguments)
            frame.arguments.Add(argument);
        return native ? native(&frame) : -99;
    }

    // pc_hero makes a player character the way project scripts do;
    // pc_nobody makes none.
    static constexpr const char* kScript =
        "callsite mark test__Mark 1 int\n callsite make cSystem__CreateCharacter 5 object\n"
        " callsite setpc cSystem__SetPlayerCharacter 1 int\n var n int\n"
        "func here\n push string \"here\"\n native - mark\n popreg\n ret\n"
        "func pc_hero\n push string \"PC\"\n push int 2\n push string \"hero\"\n push float 1\n push float 3\n"
        " native - make\n popreg\n ret\n"
        "func pc_nobody\n ret\n"
        "func swap\n push string \"hero\"\n native - setpc\n popreg\n ret\n";
    std::vector<std::string> marks;
    FakeWorld world;
    FakeNatives host;
    cKestruneScene scene;
    cKestruneGameplay gameplay;
    ScriptCallFrame frame;
};

} // namespace vls::test
