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

// A plate over the front of the head (-z before the turn), down to the
// jaw, carrying the face, so a close-up of the head shows which way it
// looks.
void AddFace(Gr2Scene& scene)
{
    Gr2Model& model = scene.models.at(0);
    int head = 0;
    for (int b = 0; b < static_cast<int>(model.bones.size()); ++b)
        if (model.bones[static_cast<std::size_t>(b)].name == "Bip01 Head")
            head = b;
    scene.textures.push_back(
        FaceTexture("figure_face", {{196, 150, 116}, {70, 50, 36}, {24, 40, 110}, {166, 112, 84}, {120, 56, 48}}));
    scene.materials.push_back({"Face", static_cast<int>(scene.textures.size()) - 1});
    Gr2Group group;
    group.material = static_cast<int>(scene.materials.size()) - 1;
    const std::array<int, 4> joints = {head, 0, 0, 0};
    const std::array<float, 4> full = {1, 0, 0, 0};
    Gr2Mesh& body = model.meshes.at(0);
    AddBox(body, group, {-0.1f, 1.56f, -0.102f}, {0.1f, 1.78f, -0.1f}, joints, full, joints, full);
    body.groups.push_back(group);
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

Gr2Texture FaceTexture(const std::string& name, const FaceColours& colours)
{
    constexpr int kSide = 16;
    Gr2Texture face{name, kSide, kSide, {}};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            std::array<std::uint8_t, 3> c = colours.skin;
            if (y == 5 && ((x >= 3 && x <= 6) || (x >= 9 && x <= 12)))
                c = colours.brows;
            if (y == 7 && (x == 4 || x == 5 || x == 10 || x == 11))
                c = colours.eyes;
            if ((y == 8 || y == 9) && (x == 7 || x == 8))
                c = colours.nose;
            if (y == 12 && x >= 5 && x <= 10)
                c = colours.mouth;
            face.rgba.insert(face.rgba.end(), {c[0], c[1], c[2], 255});
        }
    return face;
}

Gr2Scene TurnedFigureScene()
{
    Gr2Scene figure = MakeFigureScene();
    AddFace(figure);
    Gr2Scene scene = TurnAnimations(figure);
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
