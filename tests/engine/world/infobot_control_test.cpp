#include "engine/world/player_control_infobot.h"
#include "tests/engine/world/model_world_fixture.h"

namespace vls::test {
namespace {

class InfobotTest : public ModelWorldTest {
protected:
    void SetUp() override
    {
        StartWorld();
        robot = Figure();
        auto* control = new cKestrunePlayerControlInfobot(robot.get());
        control->Setup(nullptr);
        robot->ReplaceController(control);
        Robot().SetPosition(3, 1, 4);
        Robot().SetRotation(0, 0, 0);
    }
    cKestrunePlayerControl& Robot() { return *robot->controller; }
    cKestrunePlayerControlInfobot& Control() { return static_cast<cKestrunePlayerControlInfobot&>(*robot->controller); }
    // The heading in degrees, 0..360.
    float Heading()
    {
        float up[3], facing[3];
        Robot().GetAxes(up, facing);
        const float degrees = std::atan2(-facing[2], facing[0]) / 0.017453292f;
        return degrees < -0.01f ? degrees + 360.0f : degrees;
    }
    float Motor() { return Channel(cKestrunePlayerControlInfobot::kMotorTag)->volume; }
    void Step(std::uint32_t ms)
    {
        Frame(ms);
        robot->UpdateAnimation();
    }

    std::unique_ptr<cKestruneCharacter> robot;
};

TEST_F(InfobotTest, StaysStillAndSilentWithoutADialogue)
{
    ASSERT_NE(Channel(cKestrunePlayerControlInfobot::kMotorTag), nullptr) << "the motor sound runs from the set-up";
    for (int i = 0; i < 200; ++i)
        Step(25);
    EXPECT_NEAR(Heading(), 0.0f, 1e-3);
    EXPECT_EQ(Motor(), 0.0f);
    EXPECT_EQ(Control().idle, 1) << "the model is still animated by the character";
    EXPECT_EQ(robot->model->position[0], 3.0f);
}

TEST_F(InfobotTest, DuringADialogueItTurnsTo140DegreesInOneEasedTurn)
{
    soundHost.settings.SFXVolume = 255;
    clock.dialogueState = 1;
    Step(25);
    ASSERT_EQ(Control().turning, 1);
    // 140 degrees at 50 a second take 2.8 s; eased in over the first half
    // and out over the second, with the motor loudest in the middle.
    struct Case {
        std::uint32_t ms;
        float heading;
        float motor;
    };
    for (const Case& c : {Case{700, 17.5f, 0.25f}, Case{700, 70.0f, 1.0f}, Case{700, 122.5f, 0.25f},
                          Case{700, 140.0f, 0.0f}, Case{2000, 140.0f, 0.0f}}) {
        SCOPED_TRACE(c.heading);
        Step(c.ms);
        EXPECT_NEAR(Heading(), c.heading, 0.05f);
        EXPECT_NEAR(Motor(), c.motor, 1e-3);
    }
    EXPECT_EQ(Control().turning, 0) << "it keeps its heading for the rest of the dialogue";
}

// About 24.9 days after the system started, the tick clock passes 2^31 ms.
TEST_F(InfobotTest, TurnsWhenTheTickClockIsPast2To31Milliseconds)
{
    clock.now = 0x80000000u + 5000u;
    clock.dialogueState = 1;
    Step(25);
    EXPECT_EQ(Control().turning, 1);
    for (int i = 0; i < 5; ++i)
        Step(700);
    EXPECT_NEAR(Heading(), 140.0f, 0.05f);
}

TEST_F(InfobotTest, ALineOnScreenCountsOnlyWhileItLocksInput)
{
    cKestruneGameplay gameplay;
    clock.dialogueState = 2;
    Step(25);
    EXPECT_EQ(Control().turning, 0);
    gameplay.gameState = cKestruneGameplay::kInputLocked;
    Step(25);
    EXPECT_EQ(Control().turning, 1);
}

TEST_F(InfobotTest, AlreadyOnItsHeadingItDoesNotTurn)
{
    Robot().SetRotation(0, 140.0f * 0.017453292f, 0);
    clock.dialogueState = 1;
    for (int i = 0; i < 10; ++i)
        Step(25);
    EXPECT_EQ(Control().turning, 0);
    EXPECT_NEAR(Heading(), 140.0f, 0.01f);
    EXPECT_TRUE(std::isfinite(Control().turnRate));
}

TEST_F(InfobotTest, PcrBlockIsEmpty)
{
    SavegameBlockHeader header;
    const int in = SaveAndReopen([&](int out) { Robot().SaveBlock(out); }, header);
    EXPECT_STREQ(header.tag, "PCR");
    EXPECT_STREQ(header.name, "PCtrlInfobot");
    EXPECT_EQ(header.length, 0u);
    cKestrunePlayerControlInfobot loaded(robot.get());
    loaded.LoadBlock(in, header);
    _close(in);
    EXPECT_STREQ(header.tag, "END");
    EXPECT_TRUE(reports.reports.empty());
}

} // namespace
} // namespace vls::test
