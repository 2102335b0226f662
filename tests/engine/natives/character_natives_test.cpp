#include "engine/natives/engine_natives.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/player_control_default.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tests/engine/world/world_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vls::test {
namespace {

class CharacterNativesTest : public WorldTest {
protected:
    CharacterNativesTest()
    {
        RegisterCharacterNatives();
        host.scene = &scene;
        AddLayer(scene, HoleFloor());
    }
    // Runs body (assembly) with the character in variable "pc" and the
    // values given by the declarations.
    std::unique_ptr<cKestruneScript> Run(const std::string& declarations, const std::string& body)
    {
        auto script = LoadScript("var pc object class cCharacter\n" + declarations + body + " end\n");
        script->Variable(0)->object = character.Handle();
        script->Run("");
        EXPECT_TRUE(link.reports.empty()) << (link.reports.empty() ? "" : link.reports.back().text);
        return script;
    }
    cKestrunePlayerControlDefault& Control() { return static_cast<cKestrunePlayerControlDefault&>(*character.controller); }

    WalkHost host;
    cKestruneScene scene;
    cKestruneCharacter character;
};

TEST_F(CharacterNativesTest, FlagsReadAndWrite)
{
    auto script = Run("var on bool\n var shadow bool\n var rating int\n"
                      "callsite pe cCharacter__PutEnabled 1 int\n callsite ge cCharacter__GetEnabled 0 bool\n"
                      "callsite pv cCharacter__PutVisible 1 int\n callsite gs cCharacter__GetShadow 0 bool\n"
                      "callsite ps cCharacter__PutShadow 1 int\n callsite pr cCharacter__PutRating 1 int\n"
                      "callsite gr cCharacter__GetRating 0 int\n",
                      "push bool 1\n native pc pe\n push bool 1\n native pc pe\n push ref on\n native pc ge\n assign\n"
                      "push bool 1\n native pc pv\n push bool 0\n native pc ps\n push ref shadow\n native pc gs\n assign\n"
                      "push int 7\n native pc pr\n push ref rating\n native pc gr\n assign\n"
                      "push bool 0\n native pc pe\n");
    EXPECT_EQ(script->Variable(1)->boolValue, 1);
    EXPECT_EQ(character.enabled, 0);
    EXPECT_EQ(scene.hotspots.count, 1) << "enabling twice makes one hotspot; disabling keeps it";
    EXPECT_EQ(scene.hotspots.data[0]->character, &character);
    EXPECT_EQ(character.visible, 1);
    EXPECT_EQ(character.model->noShadow, 1);
    EXPECT_EQ(script->Variable(2)->boolValue, 0);
    EXPECT_EQ(script->Variable(3)->intValue, 7);
}

TEST_F(CharacterNativesTest, PlacingTurningAndDestinations)
{
    Run("callsite place cCharacter__Place 3 int\n callsite dest cCharacter__SetPathfinderDest 3 int\n"
        "callsite color cCharacter__SetSpeechColor 3 int\n callsite idle cCharacter__AddIdleAnimation 2 int\n",
        "push float 3\n push float 4\n push float 90\n native pc place\n"
        "push float 2\n push float 6\n push float 180\n native pc dest\n"
        "push float 1\n push float 0.5\n push float 0\n native pc color\n"
        "push string \"wave\"\n push int 3\n native pc idle\n");
    EXPECT_EQ(character.model->position[0], 3.0f);
    EXPECT_EQ(character.model->position[2], 4.0f);
    float up[3], facing[3];
    character.controller->GetAxes(up, facing);
    EXPECT_NEAR(facing[0], 0.0f, 1e-5) << "turned 90 degrees about y";
    EXPECT_EQ(character.destX, 2.0f);
    EXPECT_NEAR(character.destDirX, -1.0f, 1e-5);
    EXPECT_EQ(character.speechColor, 0xFFFF7F00u);
    ASSERT_EQ(character.idleAnimations.count, 1);
    EXPECT_STREQ(character.idleAnimations.data[0].name.GetText(), "wave");
    EXPECT_EQ(character.idleAnimations.data[0].weight, 3);
}

TEST_F(CharacterNativesTest, WalksRunsAndTheirCallback)
{
    character.visible = 1;
    character.controller->SetPosition(1, 0, 1);
    auto script = Run("var hits int\n callsite run cCharacter__RunTo 3 int\n"
                      "callsite cb cCharacter__SetPathfinderCallback 1 int\n callsite speed cCharacter__SetWalkSpeedFactor 1 int\n",
                      "push float 2\n native pc speed\n push float 9\n push float 1\n push float 0\n native pc run\n"
                      "push string \"arrived\"\n native pc cb\n end\n func arrived\n push ref hits\n push int 1\n assign\n ret\n");
    EXPECT_EQ(Control().walkSpeedFactor, 2.0f);
    EXPECT_EQ(Control().walkMap.mode, 2) << "RunTo runs";
    host.now += 1000;
    character.UpdateAnimation();
    EXPECT_NEAR(character.model->position[0], 1.0f + 4.8f, 0.1f) << "2.4 a second at factor 2";
    for (int i = 0; i < 5; ++i) {
        host.now += 1000;
        character.UpdateAnimation();
    }
    EXPECT_EQ(script->Variable(1)->intValue, 1);
}

TEST_F(CharacterNativesTest, MovingToTheOwnPositionOnlyTurns)
{
    character.controller->SetPosition(1, 0, 1);
    Run("callsite move cCharacter__MoveTo 3 int\n", "push float 1\n push float 1\n push float 90\n native pc move\n");
    EXPECT_EQ(character.controller->walking, 0);
    float up[3], facing[3];
    character.controller->GetAxes(up, facing);
    EXPECT_NEAR(facing[0], 0.0f, 1e-4);
    EXPECT_NEAR(facing[2], -1.0f, 1e-4) << "faces (cos 90, -sin 90), as Place (90) does";
}

TEST_F(CharacterNativesTest, MissingAnimationsStartNothingButKeepTheEvent)
{
    Run("callsite play cCharacter__PlayAnimation 3 int\n callsite walk cCharacter__SetWalkNRunCycle 2 int\n",
        "push string \"nowhere\"\n push int 0x80\n push string \"done\"\n native pc play\n"
        "push string \"nowalk\"\n push string \"norun\"\n native pc walk\n");
    EXPECT_EQ(character.slot2, nullptr);
    EXPECT_EQ(character.oneShotPlaying, 0);
    EXPECT_STREQ(character.slot2EventName.GetText(), "done") << "flag 0x80 names the second slot";
    EXPECT_EQ(Control().walkCycle, nullptr);
}

TEST_F(CharacterNativesTest, TheLastArgumentStandsInForMissingOnes)
{
    Run("callsite pos cCharacter__SetPosition 1 int\n", "push float 5\n native pc pos\n");
    EXPECT_EQ(character.model->position[0], 5.0f);
    EXPECT_EQ(character.model->position[1], 5.0f);
    EXPECT_EQ(character.model->position[2], 5.0f);
}

TEST_F(CharacterNativesTest, SetupNativesInstallTheirKindAndTheWalkerNativesLeaveThemAlone)
{
    struct Case {
        const char* setup;
        int arguments;
        std::int32_t type;
    };
    for (const Case& c : {Case{"cCharacter__SetupZodiacControl", 3, cKestrunePlayerControl::kZodiac},
                          Case{"cCharacter__SetupDiverControl", 1, cKestrunePlayerControl::kDiver},
                          Case{"cCharacter__SetupInfoBotControl", 0, cKestrunePlayerControl::kInfobot}}) {
        SCOPED_TRACE(c.setup);
        character.ReplaceController(nullptr);
        std::string pushes;
        for (int i = 0; i < c.arguments; ++i)
            pushes += "push string \"none\"\n";
        Run(std::string("callsite setup ") + c.setup + " " + std::to_string(c.arguments) + " int\n"
                "callsite cycles cCharacter__SetWalkNRunCycle 2 int\n callsite speed cCharacter__SetWalkSpeedFactor 1 int\n"
                "callsite stairs cCharacter__SetStairCycles 6 int\n",
            pushes + "native pc setup\n push string \"walk\"\n push string \"run\"\n native pc cycles\n"
                     "push float 3\n native pc speed\n" +
                     "push string \"a\"\n push string \"b\"\n push string \"c\"\n push string \"d\"\n"
                     "push string \"e\"\n push string \"f\"\n native pc stairs\n");
        ASSERT_NE(character.controller, nullptr);
        EXPECT_EQ(character.controller->typeId, c.type);
        EXPECT_EQ(character.controller->owner, &character);
    }
}

TEST_F(CharacterNativesTest, AGoneCharacterIsNotReached)
{
    ObjectHandle stale;
    {
        cKestruneCharacter gone;
        stale = gone.Handle();
    }
    auto script = LoadScript("var pc object class cCharacter\n callsite pv cCharacter__PutVisible 1 int\n"
                             "push bool 1\n native pc pv\n end\n");
    script->Variable(0)->object = stale;
    script->Run("");
    EXPECT_TRUE(link.reports.empty());
}

} // namespace
} // namespace vls::test
