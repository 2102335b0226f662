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

// A one-second walk's keys, and its root's bob up and down on them.
const std::vector<float> kWalkTimes = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};

Gr2Track BobTrack() {
    Gr2Track bob;
    bob.bone = "Bip01";
    bob.positionTimes = kWalkTimes;
    for (float y : {0.9f, 0.88f, 0.9f, 0.88f, 0.9f}) bob.positions.push_back({0.0f, y, 0.0f});
    return bob;
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
    const std::vector<float>& times = kWalkTimes;
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
    walk.tracks.push_back(BobTrack());
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

namespace {

// The bones the detailed figure adds to the small figure's fifteen: name,
// parent name, offset from the parent.
struct ExtraBone {
    const char* name;
    const char* parent;
    std::array<float, 3> offset;
};

const ExtraBone kExtraBones[] = {
    {"Bip01 Spine1", "Bip01 Spine", {0, 0.15f, 0}},
    {"Bip01 Spine2", "Bip01 Spine1", {0, 0.15f, 0}},
    {"Bip01 Neck", "Bip01 Spine2", {0, 0.15f, 0}},
    {"Bip01 L Clavicle", "Bip01 Spine2", {0.08f, 0.1f, 0}},
    {"Bip01 R Clavicle", "Bip01 Spine2", {-0.08f, 0.1f, 0}},
    {"Bip01 L Forearm", "Bip01 L UpperArm", {0, -0.28f, 0}},
    {"Bip01 R Forearm", "Bip01 R UpperArm", {0, -0.28f, 0}},
    {"Bip01 L Hand", "Bip01 L Forearm", {0, -0.25f, 0}},
    {"Bip01 R Hand", "Bip01 R Forearm", {0, -0.25f, 0}},
    {"Bip01 L Finger0", "Bip01 L Hand", {0.03f, -0.05f, -0.02f}},
    {"Bip01 L Finger1", "Bip01 L Hand", {0.01f, -0.08f, 0}},
    {"Bip01 L Finger2", "Bip01 L Hand", {-0.01f, -0.08f, 0}},
    {"Bip01 L Finger3", "Bip01 L Hand", {-0.03f, -0.07f, 0}},
    {"Bip01 R Finger0", "Bip01 R Hand", {-0.03f, -0.05f, -0.02f}},
    {"Bip01 R Finger1", "Bip01 R Hand", {-0.01f, -0.08f, 0}},
    {"Bip01 R Finger2", "Bip01 R Hand", {0.01f, -0.08f, 0}},
    {"Bip01 R Finger3", "Bip01 R Hand", {0.03f, -0.07f, 0}},
    {"Bip01 L Foot", "Bip01 L Calf", {0, -0.4f, 0}},
    {"Bip01 R Foot", "Bip01 R Calf", {0, -0.4f, 0}},
    {"Bip01 L Toe0", "Bip01 L Foot", {0, -0.03f, -0.12f}},
    {"Bip01 R Toe0", "Bip01 R Foot", {0, -0.03f, -0.12f}},
    {"Bip01 L Eye", "Bip01 Head", {0.03f, 0.1f, -0.09f}},
    {"Bip01 R Eye", "Bip01 Head", {-0.03f, 0.1f, -0.09f}},
    {"Bip01 Ponytail1", "Bip01 Head", {0, 0.12f, 0.1f}},
    {"Bip01 Ponytail2", "Bip01 Ponytail1", {0, -0.1f, 0.03f}},
};

constexpr int kSlicesPerBone = 3;

Gr2Model MakeDetailedSkeleton() {
    Gr2Model model = MakeFigureSkeleton();
    for (const ExtraBone& extra : kExtraBones) {
        int parent = 0;
        for (int b = 0; b < static_cast<int>(model.bones.size()); ++b)
            if (model.bones[static_cast<std::size_t>(b)].name == extra.parent) parent = b;
        model.bones.push_back({extra.name, parent, extra.offset, {0, 0, 0, 1}, {1, 1, 1}});
    }
    return model;
}

}  // namespace

Gr2Scene MakeDetailedFigureScene() {
    Gr2Scene scene;
    scene.textures.push_back(Checker("figure_skin", 8, {200, 160, 130}, {90, 60, 40}));
    scene.materials.push_back({"Skin", 0});
    Gr2Model model = MakeDetailedSkeleton();
    const int boneCount = static_cast<int>(model.bones.size());
    // Each bone's place in model space, parents coming first.
    std::vector<std::array<float, 3>> place(static_cast<std::size_t>(boneCount));
    for (int b = 0; b < boneCount; ++b) {
        const Gr2Bone& bone = model.bones[static_cast<std::size_t>(b)];
        place[static_cast<std::size_t>(b)] = bone.position;
        if (bone.parent >= 0)
            for (int c = 0; c < 3; ++c)
                place[static_cast<std::size_t>(b)][c] += place[static_cast<std::size_t>(bone.parent)][c];
    }
    Gr2Mesh body;
    body.name = "Body";
    body.skinned = true;
    for (int b = 0; b < boneCount; ++b) body.joints.push_back(b);
    Gr2Group group;
    group.material = 0;
    // Slices of every bone from its parent's place to its own: a slice's
    // corners nearer the parent lean on the parent.
    for (int b = 1; b < boneCount; ++b) {
        const int parent = model.bones[static_cast<std::size_t>(b)].parent;
        const auto& from = place[static_cast<std::size_t>(parent)];
        const auto& to = place[static_cast<std::size_t>(b)];
        for (int slice = 0; slice < kSlicesPerBone; ++slice) {
            const float t0 = float(slice) / kSlicesPerBone, t1 = float(slice + 1) / kSlicesPerBone;
            std::array<float, 3> low{}, high{};
            for (int c = 0; c < 3; ++c) {
                const float a = from[c] + (to[c] - from[c]) * t0, z = from[c] + (to[c] - from[c]) * t1;
                low[c] = std::fmin(a, z) - 0.03f;
                high[c] = std::fmax(a, z) + 0.03f;
            }
            const std::array<int, 4> joints = {parent, b, 0, 0};
            AddBox(body, group, low, high, joints, {1 - t0, t0, 0, 0}, joints, {1 - t1, t1, 0, 0});
        }
    }
    body.groups.push_back(group);
    model.meshes.push_back(body);
    scene.models.push_back(model);
    return scene;
}

Gr2Scene MakeDetailedWalkScene() {
    Gr2Scene scene;
    scene.models.push_back(MakeDetailedSkeleton());
    Gr2Animation walk;
    walk.name = "walk";
    walk.duration = 1.0f;
    walk.tracks.push_back(BobTrack());
    const auto& bones = scene.models[0].bones;
    for (std::size_t b = 1; b < bones.size(); ++b) {
        Gr2Track track;
        track.bone = bones[b].name;
        track.rotationTimes = kWalkTimes;
        // Every bone swings, each a little out of step with the others.
        const float sign = (b % 2 == 0) ? 1.0f : -1.0f;
        const float size = 0.1f + 0.02f * float(b % 7);
        for (float s : {0.0f, 1.0f, 0.0f, -1.0f, 0.0f})
            track.rotations.push_back(b % 3 == 0 ? RotationZ(s * sign * size) : RotationX(s * sign * size));
        walk.tracks.push_back(track);
    }
    scene.animations.push_back(walk);
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
