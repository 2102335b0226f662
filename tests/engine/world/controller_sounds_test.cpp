#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/player_control_infobot.h"
#include "engine/world/player_control_zodiac.h"
#include "platform/crt/crt_io.h"
#include "tests/engine/world/model_world_fixture.h"

#include <functional>
#include <vector>

namespace vls::test {
namespace {

struct SoundingKind {
    const char* name;
    std::function<cKestrunePlayerControl*(cKestruneCharacter*)> make;
    std::vector<std::int32_t> tags;
};

std::vector<SoundingKind> SoundingKinds()
{
    const auto boat = [](cKestruneCharacter* owner) -> cKestrunePlayerControl* {
        auto* control = new cKestrunePlayerControlZodiac(owner);
        const cString names[3] = {"wave", "nod", "Boat"};
        control->Setup(names);
        return control;
    };
    const auto robot = [](cKestruneCharacter* owner) -> cKestrunePlayerControl* {
        auto* control = new cKestrunePlayerControlInfobot(owner);
        control->Setup(nullptr);
        return control;
    };
    return {{"boat", boat,
             {cKestrunePlayerControlZodiac::kIdleEngineTag, cKestrunePlayerControlZodiac::kRunningEngineTag}},
            {"robot", robot, {cKestrunePlayerControlInfobot::kMotorTag}}};
}

// The looping sounds of the boat and the robot on water where both may go.
class ControllerSoundsTest : public ModelWorldTest {
protected:
    void SetUp() override
    {
        AddLayer(scene, LayerBuilder().Rect(0, 0, 40, 40));
        StartWorld();
        // Another sound of the scene, which no controller may touch.
        sound->PlayEmittedSound(1, 1.0f, 0, 0, 0, nullptr, "", 7);
        sound->Update();
    }
    // Channels tagged tag whose sound still sounds.
    int Count(std::int32_t tag) const
    {
        int n = 0;
        for (std::int32_t i = 0; i < sound->channels.count; ++i) {
            const SoundChannel& record = sound->channels.data[i];
            n += record.ownerTag == tag && FSOUND_IsPlaying(record.channel) ? 1 : 0;
        }
        return n;
    }
    bool Playing(std::int32_t tag) const { return Count(tag) > 0; }
    // A figure with the controller of that kind, its sounds started.
    std::unique_ptr<cKestruneCharacter> Sounding(const SoundingKind& kind)
    {
        auto character = Figure();
        character->ReplaceController(kind.make(character.get()));
        sound->Update();
        return character;
    }
    // Whether the kind's sounds play, after the sound object's update.
    void ExpectPlaying(const SoundingKind& kind, bool playing, const char* what)
    {
        sound->Update();
        for (const std::int32_t tag : kind.tags)
            EXPECT_EQ(Playing(tag), playing) << what << ", tag " << tag;
        EXPECT_TRUE(Playing(7)) << what;
    }
};

TEST_F(ControllerSoundsTest, ASoundingControllerStopsItsSoundsWhenReplacedOrDeleted)
{
    for (const SoundingKind& kind : SoundingKinds()) {
        SCOPED_TRACE(kind.name);
        auto character = Sounding(kind);
        ExpectPlaying(kind, true, "set up");
        character->ReplaceController(nullptr);
        ExpectPlaying(kind, false, "replaced");
        character = Sounding(kind);
        character.reset();
        ExpectPlaying(kind, false, "deleted with its character");
    }
}

// Loading runs the player's set-up (which starts fresh sounds), then the
// sound block (which restores the saved ones), then the character's block
// (which replaces the set-up's controller by the saved one): the restored
// sounds play on, once each, and belong to the loaded controller.
TEST_F(ControllerSoundsTest, LoadingKeepsTheRestoredSoundsForTheLoadedController)
{
    for (const SoundingKind& kind : SoundingKinds()) {
        SCOPED_TRACE(kind.name);
        auto saved = Sounding(kind);
        SavegameBlockHeader header;
        const int in = SaveAndReopen(
            [&](int out) {
                sound->SaveBlock(out);
                saved->SaveBlock(out, "$pc$");
            },
            header);
        saved.reset();

        auto player = Figure();
        player->ReplaceController(kind.make(player.get()));  // the set-up's own
        ASSERT_EQ(sound->LoadBlock(in, header), 0);
        ASSERT_TRUE(player->LoadBlock(in, header));
        _close(in);
        EXPECT_STREQ(header.tag, "END");
        sound->Update();
        for (const std::int32_t tag : kind.tags)
            EXPECT_EQ(Count(tag), 1) << "restored: " << tag;

        player->ReplaceController(nullptr);
        ExpectPlaying(kind, false, "the loaded controller stops them");
    }
}

} // namespace
} // namespace vls::test
