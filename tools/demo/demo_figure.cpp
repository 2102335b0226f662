#include "tools/demo/demo_figure.h"

#include "tools/gr2_figure.h"

#include <cmath>

namespace vls::tools {
namespace {

// A quarter turn clockwise seen from above: the face, along -z in the
// writer's figure, goes to +x, the model's front that the engine walks and
// places it along.
constexpr float kTurn = -1.5707964f;
constexpr const char* kPelvis = "Bip01 Pelvis";

std::array<float, 3> Turned(const std::array<float, 3>& v)
{
    const float c = std::cos(kTurn), s = std::sin(kTurn);
    return {v[0] * c + v[2] * s, v[1], -v[0] * s + v[2] * c};
}

std::array<float, 4> TurnQuaternion() { return {0.0f, std::sin(kTurn / 2), 0.0f, std::cos(kTurn / 2)}; }

// q = turn * q (the turn applied after the bone's own rotation).
std::array<float, 4> Compose(const std::array<float, 4>& a, const std::array<float, 4>& b)
{
    return {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1], a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
            a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3], a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

void TurnSkeleton(Gr2Model& model)
{
    for (Gr2Bone& bone : model.bones)
        if (bone.name == kPelvis)
            bone.orientation = Compose(TurnQuaternion(), bone.orientation);
}

// Holds the pelvis in the turn for the animation's whole length.
void HoldPelvis(Gr2Animation& animation)
{
    Gr2Track hold;
    hold.bone = kPelvis;
    hold.rotationTimes = {0.0f, animation.duration};
    hold.rotations = {TurnQuaternion(), TurnQuaternion()};
    animation.tracks.push_back(hold);
}

Gr2Scene TurnAnimations(Gr2Scene scene)
{
    for (Gr2Model& model : scene.models)
        TurnSkeleton(model);
    for (Gr2Animation& animation : scene.animations)
        HoldPelvis(animation);
    return scene;
}

} // namespace

Gr2Scene TurnedFigureScene()
{
    Gr2Scene scene = TurnAnimations(MakeFigureScene());
    for (Gr2Model& model : scene.models)
        for (Gr2Mesh& mesh : model.meshes)
            for (Gr2Vertex& vertex : mesh.vertices) {
                vertex.position = Turned(vertex.position);
                vertex.normal = Turned(vertex.normal);
            }
    return scene;
}

Gr2Scene TurnedWalkScene() { return TurnAnimations(MakeWalkScene()); }

Gr2Scene TurnedIdleScene() { return TurnAnimations(MakeIdleScene()); }

} // namespace vls::tools
