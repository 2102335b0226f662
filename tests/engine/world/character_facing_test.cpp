#include "engine/natives/engine_natives.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/player_control_diver.h"
#include "tests/engine/world/model_world_fixture.h"

#include <cmath>
#include <string>

namespace vls::test {
namespace {

constexpr float kPi = 3.14159265f;

// A figure on a 20 x 20 floor, placed, turned and walked through the
// cCharacter natives as a scene script does it.
class CharacterFacingTest : public ModelWorldTest {
protected:
    void SetUp() override
    {
        RegisterCharacterNatives();
        LayerBuilder floor;
        floor.Rect(0, 0, 20, 20, false, 1.0f).Triangle(0, 1, 2).Triangle(0, 2, 3);
        AddLayer(scene, floor);
        StartWorld();
        figure = Figure();
    }
    void UseDiver()
    {
        auto* control = new cKestrunePlayerControlDiver(figure.get());
        const cString names[3] = {"walk", "", ""};
        control->Setup(names);
        figure->ReplaceController(control);
    }
    // Calls the native cCharacter__<method> on the figure with x, z and an
    // angle in degrees.
    void Call(const std::string& method, float x, float z, float degrees)
    {
        auto script = LoadScript("var pc object class cCharacter\n callsite call cCharacter__" + method
                                 + " 3 int\n push float " + std::to_string(x) + "\n push float " + std::to_string(z)
                                 + "\n push float " + std::to_string(degrees) + "\n native pc call\n end\n");
        script->Variable(0)->object = figure->Handle();
        script->Run("");
    }
    void WalkToTheEnd()
    {
        for (int i = 0; i < 2000 && figure->controller->walking; ++i)
            Run(*figure, 1);
        ASSERT_EQ(figure->controller->walking, 0);
    }
    // Where the model's own forward axis (+x, the axis a turn by b about y
    // sends to (cos b, 0, -sin b)) and up axis point in the world.
    D3DXVECTOR3 ModelAxis(float x, float y, float z) const
    {
        const D3DXVECTOR3 local(x, y, z);
        D3DXVECTOR3 world;
        D3DXVec3TransformNormal(&world, &local, &figure->model->world);
        return world;
    }
    void ExpectRotation(const D3DXMATRIX& expected, const char* what) const
    {
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                EXPECT_NEAR(figure->model->world(row, column), expected(row, column), 1e-4f)
                    << what << ": row " << row << ", column " << column;
    }

    std::unique_ptr<cKestruneCharacter> figure;
};

// Place, a turn on the spot and a walk that ends with the same angle all
// leave the model facing (cos a, 0, -sin a), upright, with the same matrix.
TEST_F(CharacterFacingTest, PlaceAndAWalksFinalDirectionFaceTheSameWay)
{
    for (const bool diver : {false, true}) {
        if (diver)
            UseDiver();
        for (const float degrees : {0.0f, 45.0f, 90.0f, 150.0f, 180.0f, 225.0f, 270.0f, 330.0f, -60.0f}) {
            SCOPED_TRACE(std::string(diver ? "diver, " : "walker, ") + std::to_string(degrees) + " degrees");
            const float radians = degrees * kPi / 180.0f;
            const D3DXVECTOR3 expected(std::cos(radians), 0.0f, -std::sin(radians));

            Call("Place", 5, 10, degrees);
            const D3DXMATRIX placed = figure->model->world;
            const D3DXVECTOR3 forward = ModelAxis(1, 0, 0);
            EXPECT_NEAR(forward.x, expected.x, 1e-4f);
            EXPECT_NEAR(forward.y, 0.0f, 1e-4f);
            EXPECT_NEAR(forward.z, expected.z, 1e-4f);
            EXPECT_NEAR(ModelAxis(0, 1, 0).y, 1.0f, 1e-4f) << "upright";
            float up[3], facing[3];
            figure->controller->GetAxes(up, facing);
            EXPECT_NEAR(facing[0], expected.x, 1e-4f) << "the controllers read the same facing back";
            EXPECT_NEAR(facing[2], expected.z, 1e-4f);

            Call("Place", 5, 10, degrees + 90.0f);
            Call("MoveTo", 5, 10, degrees);
            EXPECT_EQ(figure->controller->walking, 0);
            ExpectRotation(placed, "turned on the spot");

            Call("Place", 5, 10, 0);
            Call("MoveTo", 15, 12, degrees);
            ASSERT_EQ(figure->controller->walking, 1);
            WalkToTheEnd();
            EXPECT_NEAR(figure->model->position[0], 15.0f, 1e-4f);
            ExpectRotation(placed, "at the end of a walk");
        }
    }
}

// On the way the model faces where it goes: its first row follows the
// curve, whichever way it stood before.
TEST_F(CharacterFacingTest, AWalkingFigureFacesWhereItGoes)
{
    struct Case {
        float startDegrees;
        float targetX, targetZ;
    };
    for (const Case& c : {Case{180.0f, 15.0f, 10.0f}, Case{0.0f, 15.0f, 10.0f}, Case{90.0f, 5.0f, 18.0f},
                          Case{0.0f, 2.0f, 3.0f}}) {
        SCOPED_TRACE(c.startDegrees);
        Call("Place", 5, 10, c.startDegrees);
        Call("MoveTo", c.targetX, c.targetZ, 0);
        int frames = 0;
        for (; frames < 2000 && figure->controller->walking; ++frames) {
            const float x = figure->model->position[0], z = figure->model->position[2];
            Run(*figure, 1);
            const float dx = figure->model->position[0] - x, dz = figure->model->position[2] - z;
            const float moved = std::hypot(dx, dz);
            if (!figure->controller->walking || moved == 0.0f)
                continue;
            const D3DXVECTOR3 forward = ModelAxis(1, 0, 0);
            ASSERT_GT((forward.x * dx + forward.z * dz) / moved, 0.9f) << "frame " << frames;
        }
        EXPECT_GT(frames, 10);
    }
}

} // namespace
} // namespace vls::test
