// 3D channels: inverse-distance roll-off and panning from the listener's
// orientation, checked against hand-computed gains.

#include "fmod_fixture.h"

#include <cmath>

using vls::test::FmodTest;

namespace {

struct Placement {
    const char* name;
    float listener[3];
    float forward[3];
    float up[3];
    float source[3];
    int left;
    int right;
};

} // namespace

TEST_F(FmodTest, ThreeDimensionalSourceFallsOffAndPansByTheListener)
{
    FSOUND_SAMPLE* sample = LoadSample(vls::tools::WriteWav(Clip({10000})), FSOUND_HW3D | FSOUND_LOOP_NORMAL);
    ASSERT_NE(sample, nullptr);
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    const Placement cases[] = {
        // Facing +z, up +y: +x is to the right (left-handed).
        {"at the listener", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}, 10000, 10000},
        {"inside one unit", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0.5f}, 10000, 10000},
        {"two ahead", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 0, 2}, 5000, 5000},
        {"four behind", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 0, -4}, 2500, 2500},
        {"four right", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {4, 0, 0}, 0, 2500},
        {"two left", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {-2, 0, 0}, 5000, 0},
        // 45 degrees to the right at distance 5: side 0.7071, gain 0.2.
        {"ahead right", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {3.5355339f, 0, 3.5355339f}, 586, 2000},
        {"listener moved", {10, 0, 10}, {0, 0, 1}, {0, 1, 0}, {10, 0, 12}, 5000, 5000},
        // Facing +x: +z is now to the left.
        {"turned to +x", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 2}, 5000, 0},
        // Upside down: left and right swap.
        {"upside down", {0, 0, 0}, {0, 0, 1}, {0, -1, 0}, {2, 0, 0}, 5000, 0},
        {"no orientation", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 2}, 5000, 5000},
        {"not a number", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {NAN, 0, 0}, 0, 0},
        {"infinitely far", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {INFINITY, 0, 0}, 0, 0},
    };
    for (const Placement& c : cases) {
        FSOUND_3D_Listener_SetAttributes(c.listener, nullptr, c.forward[0], c.forward[1], c.forward[2], c.up[0],
                                         c.up[1], c.up[2]);
        ASSERT_TRUE(FSOUND_3D_SetAttributes(channel, c.source, nullptr));
        const auto out = Render(1);
        EXPECT_NEAR(out[0], c.left, 1) << c.name;
        EXPECT_NEAR(out[1], c.right, 1) << c.name;
    }
}

TEST_F(FmodTest, ThreeDimensionalAttributesReadBackAndTwoDimensionalSoundsIgnoreThem)
{
    FSOUND_SAMPLE* flat = LoadSample(vls::tools::WriteWav(Clip({10000})), FSOUND_2D | FSOUND_LOOP_NORMAL);
    const int channel = FSOUND_PlaySound(FSOUND_FREE, flat);
    const float far[3] = {100, 0, 0};
    const float velocity[3] = {1, 2, 3};
    ASSERT_TRUE(FSOUND_3D_SetAttributes(channel, far, velocity));
    float position[3] = {}, readVelocity[3] = {};
    ASSERT_TRUE(FSOUND_3D_GetAttributes(channel, position, readVelocity));
    EXPECT_EQ(position[0], 100);
    EXPECT_EQ(readVelocity[2], 3);
    const auto out = Render(1);
    EXPECT_EQ(out[0], 10000);
    EXPECT_EQ(out[1], 10000);
}
