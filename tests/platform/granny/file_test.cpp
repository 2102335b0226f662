#include <gtest/gtest.h>

#include <cstring>

#include "platform/granny/granny.h"
#include "tests/platform/granny/granny_fixture.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Glb(std::string json, std::vector<std::uint8_t> bin) {
    while (json.size() % 4) json += ' ';
    while (bin.size() % 4) bin.push_back(0);
    std::vector<std::uint8_t> out = {'g', 'l', 'T', 'F'};
    PutU32(out, 2);
    PutU32(out, static_cast<std::uint32_t>(28 + json.size() + bin.size()));
    PutU32(out, static_cast<std::uint32_t>(json.size()));
    PutU32(out, 0x4E4F534Au);
    out.insert(out.end(), json.begin(), json.end());
    PutU32(out, static_cast<std::uint32_t>(bin.size()));
    PutU32(out, 0x004E4942u);
    out.insert(out.end(), bin.begin(), bin.end());
    return out;
}

template <class T>
void Put(std::vector<std::uint8_t>& bin, std::size_t at, std::initializer_list<T> values) {
    for (T v : values) {
        std::memcpy(bin.data() + at, &v, sizeof(T));
        at += sizeof(T);
    }
}

// A triangle on a leaf node, spare joint/weight data and a two-key curve.
// Layout: positions 0..35, indices 36..41, joints 48..59, weights 60..107,
// key times 108..115, translations 116..139.
std::vector<std::uint8_t> BaseBin() {
    std::vector<std::uint8_t> bin(140, 0);
    Put<float>(bin, 0, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    Put<std::uint16_t>(bin, 36, {0, 1, 2});
    Put<std::uint8_t>(bin, 48, {0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0});
    Put<float>(bin, 60, {1, 0, 0, 0, 0.5f, 0.5f, 0, 0, 1, 0, 0, 0});
    Put<float>(bin, 108, {0, 1});
    Put<float>(bin, 116, {0, 0, 0, 1, 0, 0});
    return bin;
}

const char* kBaseJson = R"({"asset":{"version":"2.0"},
"buffers":[{"byteLength":140}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":12},
 {"buffer":0,"byteOffset":48,"byteLength":12},{"buffer":0,"byteOffset":60,"byteLength":48},
 {"buffer":0,"byteOffset":108,"byteLength":8},{"buffer":0,"byteOffset":116,"byteLength":24}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
 {"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"},
 {"bufferView":2,"componentType":5121,"count":3,"type":"VEC4"},
 {"bufferView":3,"componentType":5126,"count":3,"type":"VEC4"},
 {"bufferView":4,"componentType":5126,"count":2,"type":"SCALAR"},
 {"bufferView":5,"componentType":5126,"count":2,"type":"VEC3"}],
"meshes":[{"name":"Tri","primitives":[{"attributes":{"POSITION":0},"indices":1}]}],
"nodes":[{"name":"Root","children":[1]},{"name":"Leaf","mesh":0}]})";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The end of the JSON object, to append members.
std::string With(const std::string& members) {
    const std::string base = kBaseJson;
    return base.substr(0, base.size() - 1) + "," + members + "}";
}

const std::string kSkinnedAttributes = R"("attributes":{"POSITION":0,"JOINTS_0":2,"WEIGHTS_0":3})";
const std::string kAnimation =
    R"("animations":[{"channels":[{"sampler":0,"target":{"node":1,"path":"translation"}}],"samplers":[{"input":4,"output":5}]}])";

TEST(GrannyFileTest, FixtureBaseIsReadable) {
    FilePtr file = ReadBytes(Glb(kBaseJson, BaseBin()));
    ASSERT_NE(file, nullptr);
    const granny_file_info* info = GrannyGetFileInfo(file.get());
    ASSERT_EQ(info->ModelCount, 1);
    EXPECT_STREQ(info->Models[0]->Name, "Root");
    ASSERT_EQ(info->Models[0]->MeshBindingCount, 1);
    EXPECT_TRUE(GrannyMeshIsRigid(info->Models[0]->MeshBindings[0].Mesh));

    FilePtr animated = ReadBytes(Glb(With(kAnimation), BaseBin()));
    ASSERT_NE(animated, nullptr);
    const granny_animation* animation = GrannyGetFileInfo(animated.get())->Animations[0];
    EXPECT_FLOAT_EQ(animation->Duration, 1.0f);
    ASSERT_EQ(animation->TrackGroupCount, 1);
    EXPECT_STREQ(animation->TrackGroups[0]->Name, "Root");
    EXPECT_STREQ(animation->TrackGroups[0]->TransformTracks[0].Name, "Leaf");
}

TEST(GrannyFileTest, SkinnedMeshReadsItsJointsAndWeights) {
    const std::string json = Replace(With(R"("skins":[{"joints":[0,1]}])"), R"("attributes":{"POSITION":0})",
                                     kSkinnedAttributes);
    FilePtr file = ReadBytes(Glb(Replace(json, R"("name":"Leaf","mesh":0)", R"("name":"Leaf","mesh":0,"skin":0)"),
                                 BaseBin()));
    ASSERT_NE(file, nullptr);
    const granny_mesh* mesh = GrannyGetFileInfo(file.get())->Meshes[0];
    EXPECT_FALSE(GrannyMeshIsRigid(mesh));
    ASSERT_EQ(mesh->BoneBindingCount, 2);
    EXPECT_STREQ(mesh->BoneBindings[1].BoneName, "Leaf");
    ASSERT_EQ(GrannyGetMeshVertexType(mesh), GrannyPWNT3432VertexType);
    const auto* v = static_cast<const granny_pwnt3432_vertex*>(GrannyGetMeshVertices(mesh));
    EXPECT_EQ(v[1].BoneIndices[0], 0);
    EXPECT_EQ(v[1].BoneIndices[1], 1);
    EXPECT_FLOAT_EQ(v[1].BoneWeights[0], 0.5f);
    EXPECT_FLOAT_EQ(v[1].BoneWeights[1], 0.5f);
}

// The curve of kAnimation, sampled through a control as "LINEAR" and "STEP".
TEST(GrannyFileTest, SteppedCurvesHoldUntilTheNextKey) {
    struct Case {
        const char* interpolation;
        float clock;
        float x;
    };
    for (const Case& c : {Case{"LINEAR", 0.5f, 0.5f}, Case{"STEP", 0.5f, 0.0f}, Case{"STEP", 0.99f, 0.0f},
                          Case{"STEP", 1.0f, 1.0f}}) {
        const std::string json = Replace(With(kAnimation), R"("output":5)",
                                         std::string(R"("output":5,"interpolation":")") + c.interpolation + "\"");
        FilePtr file = ReadBytes(Glb(json, BaseBin()));
        ASSERT_NE(file, nullptr) << c.interpolation;
        const granny_file_info* info = GrannyGetFileInfo(file.get());
        granny_model_instance* instance = GrannyInstantiateModel(info->Models[0]);
        granny_controlled_animation_builder* builder = GrannyBeginControlledAnimation(0.0f, info->Animations[0]);
        GrannySetTrackGroupTarget(builder, 0, instance);
        granny_control* control = GrannyEndControlledAnimation(builder);
        GrannySetControlClock(control, c.clock);
        granny_local_pose* pose = GrannyNewLocalPose(2);
        GrannySampleModelAnimations(instance, 0, 2, pose);
        EXPECT_NEAR(GrannyGetLocalPoseTransform(pose, 1)->Position[0], c.x, 1e-5f) << c.interpolation << c.clock;
        GrannyFreeLocalPose(pose);
        GrannyFreeModelInstance(instance);
    }
}

struct HostileCase {
    const char* name;
    std::string json;
    std::vector<std::uint8_t> bin;
};

std::vector<std::uint8_t> BinWith(std::size_t at, std::vector<std::uint8_t> bytes) {
    std::vector<std::uint8_t> bin = BaseBin();
    std::copy(bytes.begin(), bytes.end(), bin.begin() + at);
    return bin;
}

TEST(GrannyFileTest, DamagedOrHostileContentIsRefused) {
    const std::string skinnedNode = R"("name":"Leaf","mesh":0,"skin":0)";
    auto skinned = [&](const std::string& skins) {
        return Replace(Replace(With(skins), R"("attributes":{"POSITION":0})", kSkinnedAttributes),
                       R"("name":"Leaf","mesh":0)", skinnedNode);
    };
    const std::vector<HostileCase> cases = {
        {"index past vertices", kBaseJson, BinWith(36, {0, 0, 1, 0, 7, 0})},
        {"accessor past its view", Replace(kBaseJson, R"("count":3,"type":"VEC3")", R"("count":4,"type":"VEC3")"),
         BaseBin()},
        {"view past buffer", Replace(kBaseJson, R"("byteOffset":0,"byteLength":36)", R"("byteOffset":0,"byteLength":400)"),
         BaseBin()},
        {"child out of range", Replace(kBaseJson, R"("children":[1])", R"("children":[9])"), BaseBin()},
        {"child is itself", Replace(kBaseJson, R"("children":[1])", R"("children":[0])"), BaseBin()},
        {"cycle", Replace(kBaseJson, R"("name":"Leaf","mesh":0)", R"("name":"Leaf","mesh":0,"children":[0])"),
         BaseBin()},
        {"missing mesh", Replace(kBaseJson, R"("mesh":0)", R"("mesh":4)"), BaseBin()},
        {"missing material", Replace(kBaseJson, R"("indices":1)", R"("indices":1,"material":2)"), BaseBin()},
        {"joints without skin", Replace(kBaseJson, R"("attributes":{"POSITION":0})", kSkinnedAttributes), BaseBin()},
        {"skin without joints attribute",
         Replace(With(R"("skins":[{"joints":[0,1]}])"), R"("name":"Leaf","mesh":0)", skinnedNode), BaseBin()},
        {"joint value past skin", skinned(R"("skins":[{"joints":[0]}])"), BaseBin()},
        {"joint outside the model",
         Replace(skinned(R"("skins":[{"joints":[0,2]}])"), R"("name":"Leaf","mesh":0,"skin":0})",
                 R"("name":"Leaf","mesh":0,"skin":0},{"name":"Other"})"),
         BaseBin()},
        {"partial triangle", Replace(kBaseJson, R"("count":3,"type":"SCALAR")", R"("count":2,"type":"SCALAR")"),
         BaseBin()},
        {"key times backwards", With(kAnimation), BinWith(108, {0, 0, 0x80, 0x3f, 0, 0, 0, 0})},
        {"key counts differ", Replace(With(kAnimation), R"("output":5)", R"("output":0)"), BaseBin()},
        {"animation targets a missing node", Replace(With(kAnimation), R"("node":1)", R"("node":7)"), BaseBin()},
        {"image that is not a picture",
         With(R"("images":[{"name":"x","mimeType":"image/png","bufferView":1}])"), BaseBin()},
    };
    for (const HostileCase& c : cases) {
        EXPECT_EQ(ReadBytes(Glb(c.json, c.bin)), nullptr) << c.name;
    }
}

TEST(GrannyFileTest, TruncatedAndForeignBytesAreRefused) {
    const std::vector<std::uint8_t> good = tools::WriteGr2(tools::MakeFigureScene());
    ASSERT_NE(ReadBytes(good), nullptr);
    for (std::size_t length : {std::size_t{0}, std::size_t{4}, std::size_t{12}, std::size_t{20}, good.size() / 2,
                               good.size() - 1}) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + length);
        EXPECT_EQ(ReadBytes(cut), nullptr) << length;
    }
    const std::string text = "not a model at all";
    EXPECT_EQ(ReadBytes(std::vector<std::uint8_t>(text.begin(), text.end())), nullptr);
    EXPECT_EQ(GrannyReadEntireFileFromMemory(0, nullptr), nullptr);
}

TEST(GrannyFileTest, MeshTooLargeForSixteenBitIndicesIsRefused) {
    tools::Gr2Scene scene = SkeletonScene({{"Root"}});
    tools::Gr2Mesh mesh;
    mesh.name = "Big";
    mesh.vertices.resize(65537);
    mesh.groups.push_back({-1, {0, 1, 65536}});
    scene.models[0].meshes.push_back(mesh);
    EXPECT_EQ(ReadScene(scene), nullptr);
    scene.models[0].meshes[0].vertices.resize(65536);
    scene.models[0].meshes[0].groups[0].indices = {0, 1, 65535};
    EXPECT_NE(ReadScene(scene), nullptr);
}

// One large mesh named by many nodes would multiply a small file into
// gigabytes of vertices; the file as a whole has a budget.
TEST(GrannyFileTest, SharedMeshCannotMultiplyPastTheFileBudget) {
    const int vertices = 65535;
    std::vector<std::uint8_t> bin(static_cast<std::size_t>(vertices) * 12, 0);
    auto json = [&](int nodes) {
        std::string text = R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":)" + std::to_string(bin.size()) +
                           R"(}],"bufferViews":[{"buffer":0,"byteLength":)" + std::to_string(bin.size()) +
                           R"(}],"accessors":[{"bufferView":0,"componentType":5126,"count":)" +
                           std::to_string(vertices) +
                           R"(,"type":"VEC3"}],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[)";
        for (int n = 0; n < nodes; ++n) text += std::string(n ? "," : "") + R"({"mesh":0})";
        return text + "]}";
    };
    EXPECT_NE(ReadBytes(Glb(json(2), bin)), nullptr);
    EXPECT_EQ(ReadBytes(Glb(json(40), bin)), nullptr);
}

// Vertex bone indices are 8-bit: a skin may name at most 256 joints.
TEST(GrannyFileTest, SkinWithMoreJointsThanVerticesCanNameIsRefused) {
    for (const int joints : {256, 257}) {
        std::vector<tools::Gr2Bone> bones = {{"Root"}};
        for (int b = 1; b < joints; ++b) bones.push_back({"Bone" + std::to_string(b), 0});
        tools::Gr2Scene scene = SkeletonScene(bones);
        tools::Gr2Mesh mesh;
        mesh.name = "Skin";
        mesh.skinned = true;
        for (int b = 0; b < joints; ++b) mesh.joints.push_back(b);
        tools::Gr2Vertex v;
        v.joints = {joints - 1, 0, 0, 0};
        mesh.vertices = {v, v, v};
        mesh.groups.push_back({-1, {0, 1, 2}});
        scene.models[0].meshes.push_back(mesh);
        EXPECT_EQ(ReadScene(scene) != nullptr, joints == 256) << joints;
    }
}

TEST(GrannyFileTest, FigureFileInformation) {
    FilePtr file = ReadScene(tools::MakeFigureScene());
    ASSERT_NE(file, nullptr);
    const granny_file_info* info = GrannyGetFileInfo(file.get());

    ASSERT_EQ(info->TextureCount, 1);
    const granny_texture* texture = info->Textures[0];
    EXPECT_STREQ(texture->FromFileName, "figure_skin");
    EXPECT_EQ(texture->TextureType, GrannyColorMapTextureType);
    EXPECT_EQ(texture->Encoding, GrannyRawTextureEncoding);
    EXPECT_EQ(texture->ImageCount, 1);
    EXPECT_EQ(texture->Images[0].MIPLevelCount, 1);
    EXPECT_EQ(texture->Images[0].MIPLevels[0].PixelByteCount, 8 * 8 * 4);

    ASSERT_EQ(info->ModelCount, 1);
    const granny_model* model = info->Models[0];
    EXPECT_STREQ(model->Name, "Bip01");
    const granny_skeleton* skeleton = model->Skeleton;
    ASSERT_EQ(skeleton->BoneCount, 16);  // 15 bones and the body's node
    for (granny_int32 b = 0; b < skeleton->BoneCount; ++b) EXPECT_LT(skeleton->Bones[b].ParentIndex, b);
    granny_int32 head = -1;
    ASSERT_TRUE(GrannyFindBoneByNameLowercase(skeleton, "bip01 head", &head));
    EXPECT_EQ(head, 3);
    EXPECT_TRUE(GrannyFindBoneByNameLowercase(skeleton, "Bip01 HEAD", &head));
    EXPECT_FALSE(GrannyFindBoneByNameLowercase(skeleton, "bip01 tail", &head));

    // Inverse rest world of the head: its rest origin (0, 1.55, 0) maps to zero.
    const float* inverse = skeleton->Bones[3].InverseWorld4x4;
    EXPECT_NEAR(inverse[13], -1.55f, 1e-5f);

    ASSERT_EQ(model->MeshBindingCount, 1);
    const granny_mesh* mesh = model->MeshBindings[0].Mesh;
    EXPECT_STREQ(mesh->Name, "Body");
    EXPECT_FALSE(GrannyMeshIsRigid(mesh));
    EXPECT_EQ(GrannyGetMeshVertexCount(mesh), 9 * 24);
    EXPECT_EQ(GrannyGetMeshIndexCount(mesh), 9 * 36);
    ASSERT_EQ(GrannyGetMeshTriangleGroupCount(mesh), 1);
    const granny_tri_material_group& group = GrannyGetMeshTriangleGroups(mesh)[0];
    EXPECT_EQ(group.MaterialIndex, 0);
    EXPECT_EQ(group.TriFirst, 0);
    EXPECT_EQ(group.TriCount, 9 * 12);
    ASSERT_EQ(mesh->MaterialBindingCount, 1);
    EXPECT_EQ(GrannyGetMaterialTextureByType(mesh->MaterialBindings[0].Material, GrannyDiffuseColorTexture), texture);
    EXPECT_EQ(GrannyGetMaterialTextureByType(mesh->MaterialBindings[0].Material, GrannyAmbientColorTexture), nullptr);

    // The head box's binding, in head space: x -0.1..0.1, y 0..0.25.
    const granny_bone_binding& headBinding = mesh->BoneBindings[3];
    EXPECT_STREQ(headBinding.BoneName, "Bip01 Head");
    ExpectPoint(headBinding.OBBMin, -0.1f, 0.0f, -0.1f);
    ExpectPoint(headBinding.OBBMax, 0.1f, 0.25f, 0.1f);

    ASSERT_EQ(info->AnimationCount, 1);
    EXPECT_STREQ(info->Animations[0]->Name, "idle");
    EXPECT_FLOAT_EQ(info->Animations[0]->Duration, 2.0f);
    granny_int32 group_index = -1;
    EXPECT_TRUE(GrannyFindTrackGroupForModel(info->Animations[0], "Bip01", &group_index));
    EXPECT_EQ(group_index, 0);
    EXPECT_FALSE(GrannyFindTrackGroupForModel(info->Animations[0], "Lantern", &group_index));
    for (granny_int32 section : {1, 2, 4, 5}) GrannyFreeFileSection(file.get(), section);
    EXPECT_EQ(GrannyGetMeshVertexCount(mesh), 9 * 24);
}

TEST(GrannyFileTest, TextureCopiesIntoBgraWithPitch) {
    tools::Gr2Scene scene = SkeletonScene({{"Root"}});
    scene.textures.push_back({"tex", 2, 2, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160}});
    FilePtr file = ReadScene(scene);
    ASSERT_NE(file, nullptr);
    const granny_texture* texture = GrannyGetFileInfo(file.get())->Textures[0];
    std::vector<std::uint8_t> out(2 * 12, 0xee);  // pitch 12: 4 bytes of slack per row
    ASSERT_TRUE(GrannyCopyTextureImage(texture, 0, 0, &GrannyBGRA8888PixelFormat, 2, 2, 12, out.data()));
    const std::vector<std::uint8_t> expected = {30,  20,  10,  40,  70,  60,  50,  80,  0xee, 0xee, 0xee, 0xee,
                                                110, 100, 90,  120, 150, 140, 130, 160, 0xee, 0xee, 0xee, 0xee};
    EXPECT_EQ(out, expected);
    EXPECT_FALSE(GrannyCopyTextureImage(texture, 0, 1, &GrannyBGRA8888PixelFormat, 1, 1, 4, out.data()));
    EXPECT_FALSE(GrannyCopyTextureImage(texture, 1, 0, &GrannyBGRA8888PixelFormat, 2, 2, 12, out.data()));
}

TEST(GrannyFileTest, VersionCheck) {
    EXPECT_TRUE(GrannyVersionsMatch(2, 4, 0, 4));
    EXPECT_FALSE(GrannyVersionsMatch(2, 4, 0, 5));
    EXPECT_FALSE(GrannyVersionsMatch(2, 5, 0, 4));
}

}  // namespace
}  // namespace vls::test
