#include "tools/gr2_figure.h"

#include <cmath>

namespace vls::tools {
namespace {

std::array<float, 4> RotationX(float angle) { return {std::sin(angle / 2), 0, 0, std::cos(angle / 2)}; }
std::array<float, 4> RotationZ(float angle) { return {0, 0, std::sin(angle / 2), std::cos(angle / 2)}; }

Gr2Texture Checker(const std::string& name, int size, std::array<std::uint8_t, 3> a, std::array<std::uint8_t, 3> b) {
    Gr2Texture texture{name, size, size, {}};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const auto& c = ((x + y) % 2 == 0) ? a : b;
            texture.rgba.insert(texture.rgba.end(), {c[0], c[1], c[2], 255});
        }
    return texture;
}

enum Bone {
    kRoot, kPelvis, kSpine, kHead, kHeadNub, kMandible, kSmileLeft, kSmileRight, kBrows,
    kLeftThigh, kLeftCalf, kRightThigh, kRightCalf, kLeftArm, kRightArm,
};

}  // namespace

void AddBox(Gr2Mesh& mesh, Gr2Group& group, std::array<float, 3> low, std::array<float, 3> high,
            std::array<int, 4> bottomJoints, std::array<float, 4> bottomWeights, std::array<int, 4> topJoints,
            std::array<float, 4> topWeights) {
    static const int kFaces[6][4][3] = {
        {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}},  // -z
        {{1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0, 0, 1}},  // +z
        {{0, 0, 1}, {0, 1, 1}, {0, 1, 0}, {0, 0, 0}},  // -x
        {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}},  // +x
        {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},  // +y
        {{0, 0, 1}, {0, 0, 0}, {1, 0, 0}, {1, 0, 1}},  // -y
    };
    static const float kNormals[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    static const float kUV[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int f = 0; f < 6; ++f) {
        const auto base = static_cast<std::uint32_t>(mesh.vertices.size());
        for (int k = 0; k < 4; ++k) {
            Gr2Vertex v;
            for (int c = 0; c < 3; ++c) v.position[c] = kFaces[f][k][c] ? high[c] : low[c];
            v.normal = {kNormals[f][0], kNormals[f][1], kNormals[f][2]};
            v.uv = {kUV[k][0], kUV[k][1]};
            const bool top = kFaces[f][k][1] == 1;
            v.joints = top ? topJoints : bottomJoints;
            v.weights = top ? topWeights : bottomWeights;
            mesh.vertices.push_back(v);
        }
        // Clockwise seen from outside: front faces in a left-handed system.
        group.indices.insert(group.indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
    }
}

Gr2Model MakeFigureSkeleton() {
    Gr2Model model;
    auto bone = [&](const char* name, int parent, float x, float y, float z) {
        model.bones.push_back({name, parent, {x, y, z}, {0, 0, 0, 1}, {1, 1, 1}});
    };
    bone("Bip01", -1, 0, 0.9f, 0);
    bone("Bip01 Pelvis", kRoot, 0, 0, 0);
    bone("Bip01 Spine", kPelvis, 0, 0.1f, 0);
    bone("Bip01 Head", kSpine, 0, 0.55f, 0);
    bone("Bip01 HeadNub", kHead, 0, 0.25f, 0);
    bone("bip_mandible", kHead, 0, 0.02f, -0.06f);
    bone("bip_smile_left", kHead, 0.04f, 0.05f, -0.09f);
    bone("bip_smile_right", kHead, -0.04f, 0.05f, -0.09f);
    bone("bip_brows", kHead, 0, 0.14f, -0.1f);
    bone("Bip01 L Thigh", kPelvis, 0.1f, -0.05f, 0);
    bone("Bip01 L Calf", kLeftThigh, 0, -0.42f, 0);
    bone("Bip01 R Thigh", kPelvis, -0.1f, -0.05f, 0);
    bone("Bip01 R Calf", kRightThigh, 0, -0.42f, 0);
    bone("Bip01 L UpperArm", kSpine, 0.2f, 0.45f, 0);
    bone("Bip01 R UpperArm", kSpine, -0.2f, 0.45f, 0);
    return model;
}

Gr2Scene MakeFigureScene() {
    Gr2Scene scene;
    scene.textures.push_back(Checker("figure_skin", 8, {200, 160, 130}, {90, 60, 40}));
    scene.materials.push_back({"Skin", 0});
    Gr2Model model = MakeFigureSkeleton();

    Gr2Mesh body;
    body.name = "Body";
    body.skinned = true;
    for (int b = 0; b < static_cast<int>(model.bones.size()); ++b) body.joints.push_back(b);
    Gr2Group group;
    group.material = 0;
    auto one = [](int b) { return std::array<int, 4>{b, 0, 0, 0}; };
    const std::array<float, 4> full = {1, 0, 0, 0};
    // Heights in model space: pelvis 0.9, knees 0.43, head 1.55, arms at 1.45.
    AddBox(body, group, {-0.15f, 0.95f, -0.1f}, {0.15f, 1.5f, 0.1f}, one(kSpine), full, one(kSpine), full);
    AddBox(body, group, {-0.1f, 1.55f, -0.1f}, {0.1f, 1.8f, 0.1f}, one(kHead), full, one(kHead), full);
    AddBox(body, group, {-0.05f, 1.5f, -0.12f}, {0.05f, 1.58f, -0.02f}, one(kMandible), full, one(kMandible), full);
    AddBox(body, group, {0.05f, 0.45f, -0.06f}, {0.15f, 0.85f, 0.06f}, one(kLeftThigh), full, one(kLeftThigh), full);
    AddBox(body, group, {-0.15f, 0.45f, -0.06f}, {-0.05f, 0.85f, 0.06f}, one(kRightThigh), full, one(kRightThigh), full);
    // Calves: their tops (the knees) blend half thigh, half calf.
    AddBox(body, group, {0.05f, 0.0f, -0.05f}, {0.15f, 0.45f, 0.05f}, one(kLeftCalf), full,
           {kLeftThigh, kLeftCalf, 0, 0}, {0.5f, 0.5f, 0, 0});
    AddBox(body, group, {-0.15f, 0.0f, -0.05f}, {-0.05f, 0.45f, 0.05f}, one(kRightCalf), full,
           {kRightThigh, kRightCalf, 0, 0}, {0.5f, 0.5f, 0, 0});
    AddBox(body, group, {0.15f, 1.0f, -0.04f}, {0.23f, 1.45f, 0.04f}, one(kLeftArm), full, one(kLeftArm), full);
    AddBox(body, group, {-0.23f, 1.0f, -0.04f}, {-0.15f, 1.45f, 0.04f}, one(kRightArm), full, one(kRightArm), full);
    body.groups.push_back(group);
    model.meshes.push_back(body);
    scene.models.push_back(model);
    scene.animations = MakeIdleScene().animations;
    return scene;
}

Gr2Scene MakeWalkScene() {
    Gr2Scene scene;
    scene.models.push_back(MakeFigureSkeleton());
    Gr2Animation walk;
    walk.name = "walk";
    walk.duration = 1.0f;
    const std::vector<float> times = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    auto swing = [&](const char* bone, float sign) {
        Gr2Track track;
        track.bone = bone;
        track.rotationTimes = times;
        for (float s : {0.0f, 0.4f, 0.0f, -0.4f, 0.0f}) track.rotations.push_back(RotationX(s * sign));
        walk.tracks.push_back(track);
    };
    swing("Bip01 L Thigh", 1.0f);
    swing("Bip01 R Thigh", -1.0f);
    swing("Bip01 R UpperArm", 1.0f);
    swing("Bip01 L UpperArm", -1.0f);
    Gr2Track bob;
    bob.bone = "Bip01";
    bob.positionTimes = times;
    for (float y : {0.9f, 0.88f, 0.9f, 0.88f, 0.9f}) bob.positions.push_back({0.0f, y, 0.0f});
    walk.tracks.push_back(bob);
    scene.animations.push_back(walk);
    return scene;
}

Gr2Scene MakeIdleScene() {
    Gr2Scene scene;
    scene.models.push_back(MakeFigureSkeleton());
    Gr2Animation idle;
    idle.name = "idle";
    idle.duration = 2.0f;
    Gr2Track spine;
    spine.bone = "Bip01 Spine";
    spine.rotationTimes = {0.0f, 1.0f, 2.0f};
    spine.rotations = {RotationZ(0.0f), RotationZ(0.05f), RotationZ(0.0f)};
    Gr2Track jaw;
    jaw.bone = "bip_mandible";
    jaw.rotationTimes = {0.0f, 1.0f, 2.0f};
    jaw.rotations = {RotationX(0.0f), RotationX(0.2f), RotationX(0.0f)};
    idle.tracks = {spine, jaw};
    scene.animations.push_back(idle);
    return scene;
}

Gr2Scene MakePropScene() {
    Gr2Scene scene;
    scene.textures.push_back(Checker("lantern", 4, {230, 200, 60}, {40, 40, 40}));
    scene.materials.push_back({"Brass", 0});
    Gr2Model prop;
    prop.bones.push_back({"Lantern", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}});
    Gr2Mesh box;
    box.name = "LanternBody";
    box.bone = 0;
    Gr2Group group;
    group.material = 0;
    const std::array<int, 4> none = {0, 0, 0, 0};
    const std::array<float, 4> full = {1, 0, 0, 0};
    AddBox(box, group, {-0.05f, -0.15f, -0.05f}, {0.05f, 0.0f, 0.05f}, none, full, none, full);
    box.groups.push_back(group);
    prop.meshes.push_back(box);
    scene.models.push_back(prop);
    return scene;
}

}  // namespace vls::tools
