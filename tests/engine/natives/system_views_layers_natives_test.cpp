// cSystem natives for detail views, environment layers, room timers, the
// clock, the messenger and the sprite system, each called through a frame.

#include "tests/engine/natives/natives_fixture.h"

#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "tests/engine/world/layer_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <ctime>
#include <optional>

namespace vls::test {
namespace {

class SystemWorldNativesTest : public SystemOutputNativesTest {
protected:
    SystemWorldNativesTest()
    {
        auto* const closer = new cKestruneView();
        closer->header.name = "closer";
        scene.views.Add(closer);
    }

    // A layer read from bytes, as a scene file gives it, appended to the scene.
    cKestruneEnvironmentLayer* AddLayer(const std::string& name, float x1, float z1, float x2, float z2)
    {
        auto* const layer = new cKestruneEnvironmentLayer();
        const std::vector<std::uint8_t> bytes = LayerBuilder().Rect(x1, z1, x2, z2).Bytes(name);
        EXPECT_EQ(layer->LoadFromMemory(bytes.data(), bytes.size()), 0);
        scene.layers.Add(layer);
        return layer;
    }

    const char* CurrentViewName() const { return scene.currentView ? scene.currentView->Name() : "(none)"; }
};

TEST_F(SystemWorldNativesTest, DetailViewsStackAndReturnToWhereThePlayerStands)
{
    // The player stands in the floor of the wide view.
    cKestruneEnvironmentLayer* const floor = AddLayer("walkmap", -5, -5, 5, 5);
    Call("cSystem__SetEnvironmentLayerView", {Int(0), Int(0)});
    Call("cSystem__SetEnvironmentLayerEnable", {Int(0), ScriptValue::Boolean(true)});
    ASSERT_EQ(floor->view, scene.views.data[0]);
    world.hasPlayer = true;
    scene.SwitchView(0);

    Call("cSystem__GoToDetailView", {Text("close")});
    EXPECT_STREQ(CurrentViewName(), "close");
    EXPECT_EQ(scene.inDetailView, 1);
    Call("cSystem__GoToDetailView", {Text("closer")});
    EXPECT_STREQ(CurrentViewName(), "closer");
    EXPECT_EQ(scene.detailStack.count, 2);
    Call("cSystem__GoToDetailView", {Text("nowhere")});
    EXPECT_STREQ(CurrentViewName(), "closer") << "an unknown view changes nothing";
    EXPECT_EQ(scene.detailStack.count, 2);

    Call("cSystem__LeaveDetailView", {});
    EXPECT_STREQ(CurrentViewName(), "close") << "back to the view it was entered from";
    EXPECT_EQ(scene.detailStack.count, 1);
    EXPECT_EQ(scene.inDetailView, 0);

    Call("cSystem__GoToDetailView", {Text("closer")});
    Call("cSystem__CollapseDetailViewStack", {});
    EXPECT_EQ(scene.detailStack.count, 0);
    EXPECT_EQ(scene.inDetailView, 0);
    EXPECT_STREQ(CurrentViewName(), "wide") << "the view whose floor holds the player";

    // Without a scene the view natives do nothing.
    world.scene = nullptr;
    for (const char* name : {"cSystem__GoToDetailView", "cSystem__LeaveDetailView", "cSystem__CollapseDetailViewStack"})
        EXPECT_EQ(Call(name, {Text("close")}), 0) << name;
    world.scene = &scene;
}

TEST_F(SystemWorldNativesTest, LayerSwitchesViewsStairsAndTriggersByIndex)
{
    cKestruneEnvironmentLayer* const walk = AddLayer("walkmap_low", 0, 0, 4, 4);
    cKestruneEnvironmentLayer* const trigger = AddLayer("door", 0, 0, 1, 1);

    Call("cSystem__SetEnvironmentLayerEnable", {Int(0), ScriptValue::Boolean(true)});
    EXPECT_EQ(walk->enabled, 1);
    EXPECT_EQ(world.walkMapBinds, 1) << "a walk map switched on or off binds the walk maps again";
    Call("cSystem__SetEnvironmentLayerEnable", {Int(1), ScriptValue::Boolean(true)});
    EXPECT_EQ(trigger->enabled, 1);
    EXPECT_EQ(world.walkMapBinds, 1) << "other layers do not";
    Call("cSystem__SetEnvironmentLayerEnable", {Int(1), ScriptValue::Boolean(false)});
    EXPECT_EQ(trigger->enabled, 0);

    Call("cSystem__SetEnvironmentLayerStairValue", {Int(0), Int(4)});
    EXPECT_EQ(walk->stairCount, 4);
    EXPECT_EQ(world.walkMapBinds, 2);

    struct ViewCase {
        std::int32_t view;
        const cKestruneView* expected;
    };
    const ViewCase views[] = {
        {1, scene.views.data[1]},
        {9, scene.views.data[2]}, // past the end: the last view
        {-1, nullptr},            // clears
        {0, scene.views.data[0]},
    };
    for (const ViewCase& c : views) {
        Call("cSystem__SetEnvironmentLayerView", {Int(1), Int(c.view)});
        EXPECT_EQ(trigger->view, c.expected) << c.view;
    }

    Call("cSystem__SetEnvironmentLayerCallbacks", {Int(1), Text("in"), Text("out")});
    EXPECT_EQ(trigger->triggerActive, 1);
    EXPECT_STREQ(trigger->enterCallback.GetText(), "in");
    EXPECT_STREQ(trigger->leaveCallback.GetText(), "out");

    // An index outside the scene's layers touches nothing.
    for (std::int32_t index : {2, -1, 1000}) {
        SCOPED_TRACE(index);
        Call("cSystem__SetEnvironmentLayerEnable", {Int(index), ScriptValue::Boolean(true)});
        Call("cSystem__SetEnvironmentLayerStairValue", {Int(index), Int(2)});
        Call("cSystem__SetEnvironmentLayerView", {Int(index), Int(1)});
        Call("cSystem__SetEnvironmentLayerCallbacks", {Int(index), Text("x"), Text("y")});
        EXPECT_EQ(trigger->enabled, 0);
        EXPECT_EQ(walk->stairCount, 4);
        EXPECT_EQ(trigger->view, scene.views.data[0]);
        EXPECT_STREQ(trigger->enterCallback.GetText(), "in");
        EXPECT_EQ(world.walkMapBinds, 2);
    }
}

TEST_F(SystemWorldNativesTest, RoomTimersRunInTheCallingScript)
{
    Call("cSystem__AddRoomTimer", {Float(2.5f), Text("ring")});
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_EQ(host.timers[0].script, scene.script);
    EXPECT_EQ(host.timers[0].function, "ring");
    EXPECT_FLOAT_EQ(host.timers[0].seconds, 2.5f);
}

// Sets the process's time zone for as long as it lives.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", zone.c_str(), 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

std::tm LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
    localtime_r(&now, &fields);
    return fields;
}

TEST_F(SystemWorldNativesTest, SystemTimeIsTheLocalTimeOnATwelveHourClock)
{
    struct Case {
        int hour;
        int expected;
    };
    const Case cases[] = {{0, 12}, {1, 1}, {11, 11}, {12, 12}, {13, 1}, {23, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hour);
        // The clock may turn between two readings: read again until it did not.
        bool read = false;
        for (int attempt = 0; attempt < 3 && !read; ++attempt) {
            // A zone that puts the local clock at the hour asked for. POSIX
            // zones count west of Greenwich as positive.
            const std::time_t now = std::time(nullptr);
            std::tm utc{};
            gmtime_r(&now, &utc);
            int offset = (utc.tm_hour - c.hour + 24) % 24;
            if (offset > 12)
                offset -= 24;
            const ScopedTimeZone zone("XXX" + std::to_string(offset));
            const std::tm before = LocalNow();
            Call("cSystem__GetSystemTimeHours", {});
            const ScriptValue hours = frame.result;
            Call("cSystem__GetSystemTimeMinutes", {});
            const ScriptValue minutes = frame.result;
            const std::tm after = LocalNow();
            if (before.tm_min != after.tm_min || before.tm_hour != c.hour)
                continue;
            read = true;
            EXPECT_EQ(hours.type, static_cast<std::uint32_t>(kScriptInteger));
            EXPECT_EQ(hours.intValue, c.expected);
            EXPECT_STREQ(hours.GetText(), std::to_string(c.expected).c_str());
            EXPECT_EQ(minutes.intValue, after.tm_min);
        }
        EXPECT_TRUE(read);
    }
}

TEST_F(SystemWorldNativesTest, MessengerOpensOnlyWhenAvailableAndNotOpen)
{
    struct Case {
        std::uint32_t state;
        bool opens;
    };
    const Case cases[] = {{0x207, true}, {0x007, false}, {0x607, false}, {0x200, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        host.messengerCalls.clear();
        gameplay.gameState = c.state;
        Call("cSystem__OpenMessenger", {});
        EXPECT_EQ(host.messengerCalls, c.opens ? std::vector<std::string>{"open"} : std::vector<std::string>{});
    }
    host.messengerCalls.clear();
    Call("cSystem__CloseMessengerConnection", {});
    Call("cSystem__CloseMessenger", {});
    EXPECT_EQ(host.messengerCalls, (std::vector<std::string>{"close connection", "close"}));
}

TEST_F(SystemWorldNativesTest, CachedModelsAndTheLunarBehaviour)
{
    cKestruneSprites sprites;
    Call("cSystem__CacheLinkObject", {Text("lantern")});
    Call("cSystem__CacheLinkObject", {Text("lantern")});
    ASSERT_EQ(sprites.meshSpriteCache.count, 1) << "a model is cached once";
    EXPECT_STREQ(sprites.meshSpriteCache.data[0]->name.GetText(), "lantern");
    EXPECT_EQ(sprites.meshSpriteCache.data[0]->cached, 1);
    EXPECT_EQ(sprites.meshSpriteCache.data[0]->keep, 0) << "not kept past the scene";

    // The player and the room's characters stand where they stood, their
    // models now turned by the lunar adjustment.
    gameplay.playerCharacter = new cKestruneCharacter();
    auto* const npc = new cKestruneCharacter();
    scene.characters.Add(npc);
    const struct {
        cKestruneCharacter* character;
        float position[3];
    } models[] = {{gameplay.playerCharacter, {3.0f, 1.0f, -2.0f}}, {npc, {-4.0f, 2.0f, 6.0f}}};
    for (const auto& m : models)
        std::copy(std::begin(m.position), std::end(m.position), m.character->model->position);

    Call("cSystem__EnableSpecialLunarBehavior", {});
    EXPECT_EQ(sprites.lunarBehaviour, 1);
    for (const auto& m : models) {
        const D3DXMATRIX& matrix = m.character->model->world;
        EXPECT_EQ(matrix._41, m.position[0]);
        EXPECT_EQ(matrix._42, m.position[1]);
        EXPECT_EQ(matrix._43, m.position[2]);
        EXPECT_NE(matrix._22, 1.0f) << "the lunar adjustment tilts the model";
    }
    EXPECT_TRUE(world.placed.empty()) << "the controllers are not asked to walk anybody anywhere";

    scene.characters.count = 0;
    delete npc;
    delete gameplay.playerCharacter;
    gameplay.playerCharacter = nullptr;
}

} // namespace
} // namespace vls::test
