#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <type_traits>

#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny.h"
#include "tests/platform/granny/granny_fixture.h"

namespace vls::test {
namespace {

constexpr float kHalfPi = 1.5707963f;

// Looks along +z at the origin from 10 units away; near 1, far 101.
granny_camera OrbitCamera() {
    granny_camera camera;
    GrannyInitializeDefaultCamera(&camera);
    GrannySetCameraAspectRatios(&camera, 4.0f / 3.0f, 1024, 768, 1024, 768);
    camera.NearClipPlane = 1.0f;
    camera.FarClipPlane = 101.0f;
    camera.Offset[2] = 10.0f;
    GrannyBuildCameraMatrices(&camera);
    return camera;
}

D3DXVECTOR3 ToView(const granny_camera& camera, D3DXVECTOR3 point) {
    const D3DXMATRIX view(camera.View4x4);
    D3DXVec3TransformCoord(&point, &point, &view);
    return point;
}

float Depth(const granny_camera& camera, D3DXVECTOR3 point) {
    const D3DXMATRIX viewProjection = D3DXMATRIX(camera.View4x4) * D3DXMATRIX(camera.Projection4x4);
    D3DXVec3TransformCoord(&point, &point, &viewProjection);
    return point.z;
}

TEST(GrannyCameraTest, RecordIsFlatAndOfTheStoredSize) {
    EXPECT_EQ(sizeof(granny_camera), 380u);
    EXPECT_TRUE(std::is_trivially_copyable_v<granny_camera>);
    // Saved and restored byte for byte, it still builds the same matrices.
    const granny_camera camera = OrbitCamera();
    unsigned char saved[380];
    std::memcpy(saved, &camera, sizeof(saved));
    granny_camera restored;
    std::memcpy(&restored, saved, sizeof(saved));
    GrannyBuildCameraMatrices(&restored);
    EXPECT_EQ(std::memcmp(&restored, &camera, sizeof(camera)), 0);
}

TEST(GrannyCameraTest, MatricesAreLeftHandedWithDepthZeroToOne) {
    const granny_camera camera = OrbitCamera();
    const D3DXVECTOR3 origin = ToView(camera, {0, 0, 0});
    EXPECT_NEAR(origin.z, 10.0f, 1e-5f);
    EXPECT_NEAR(Depth(camera, {0, 0, -9}), 0.0f, 1e-5f);   // on the near plane
    EXPECT_NEAR(Depth(camera, {0, 0, 91}), 1.0f, 1e-5f);   // on the far plane
    EXPECT_NEAR(Depth(camera, {0, 0, 0}), 101.0f / 100.0f - 101.0f / (100.0f * 10.0f), 1e-5f);

    D3DXMATRIX expected;
    D3DXMatrixPerspectiveFovLH(&expected, camera.FOVY, 4.0f / 3.0f, 1.0f, 101.0f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(camera.Projection4x4[i], expected.m[i / 4][i % 4], 1e-5f) << i;

    const D3DXMATRIX product = D3DXMATRIX(camera.View4x4) * D3DXMATRIX(camera.InverseView4x4);
    const D3DXMATRIX projectionProduct =
        D3DXMATRIX(camera.Projection4x4) * D3DXMATRIX(camera.InverseProjection4x4);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(product.m[i / 4][i % 4], i % 5 == 0 ? 1.0f : 0.0f, 1e-5f);
        EXPECT_NEAR(projectionProduct.m[i / 4][i % 4], i % 5 == 0 ? 1.0f : 0.0f, 1e-4f);
    }
}

TEST(GrannyCameraTest, OrbitAnglesTurnTheView) {
    granny_camera camera = OrbitCamera();
    camera.ElevAzimRoll[1] = kHalfPi;  // azimuth: looks along +x
    GrannyBuildCameraMatrices(&camera);
    EXPECT_NEAR(ToView(camera, {5, 0, 0}).z, 15.0f, 1e-4f);
    EXPECT_NEAR(ToView(camera, {0, 0, 5}).z, 10.0f, 1e-4f);

    camera.ElevAzimRoll[1] = 0.0f;
    camera.ElevAzimRoll[0] = kHalfPi;  // elevation: from above, looking down
    GrannyBuildCameraMatrices(&camera);
    EXPECT_NEAR(ToView(camera, {0, -5, 0}).z, 15.0f, 1e-4f);

    // The offset's x and y shift the picture: the focus sits below the centre.
    camera = OrbitCamera();
    camera.Offset[1] = 0.05f;
    GrannyBuildCameraMatrices(&camera);
    EXPECT_NEAR(ToView(camera, {0, 0, 0}).y, -0.05f, 1e-5f);
}

TEST(GrannyCameraTest, AspectRatios) {
    struct Case {
        granny_int32 width, height;
        float ratio;
    };
    for (const Case& c : {Case{1024, 768, 4.0f / 3.0f}, Case{1920, 1080, 16.0f / 9.0f}, Case{1280, 800, 1.6f},
                          Case{114, 99, 4.0f / 3.0f}, Case{340, 290, 4.0f / 3.0f}, Case{0, 0, 4.0f / 3.0f}}) {
        EXPECT_FLOAT_EQ(GrannyGetMostLikelyPhysicalAspectRatio(c.width, c.height), c.ratio) << c.width;
    }
    // A 114 x 99 window on a 4:3 display of 1024 x 768 square pixels.
    granny_camera camera = OrbitCamera();
    GrannySetCameraAspectRatios(&camera, GrannyGetMostLikelyPhysicalAspectRatio(114, 99), 1024, 768, 114, 99);
    GrannyBuildCameraMatrices(&camera);
    EXPECT_NEAR(camera.Projection4x4[5] / camera.Projection4x4[0], 114.0f / 99.0f, 1e-4f);
}

TEST(GrannyCameraTest, PickingRayHitsAndMissesABoneBox) {
    const granny_camera camera = OrbitCamera();
    float origin[3], direction[3];
    GrannyGetPickingRay(&camera, 1024, 768, 512, 384, origin, direction);
    ExpectPoint(origin, 0, 0, -9);
    ExpectPoint(direction, 0, 0, 1);

    const float low[3] = {-1, -1, -1};
    const float high[3] = {1, 1, 1};
    struct Case {
        const char* what;
        D3DXVECTOR3 at;
        bool hit;
    };
    for (const Case& c : {Case{"ahead", {0, 0, 0}, true}, Case{"beside", {5, 0, 0}, false},
                          Case{"far ahead", {0.5f, -0.5f, 60}, true}, Case{"behind", {0, 0, -20}, false}}) {
        D3DXMATRIX bone;
        D3DXMatrixTranslation(&bone, c.at.x, c.at.y, c.at.z);
        EXPECT_EQ(GrannyRayIntersectsBox(&bone.m[0][0], origin, direction, low, high) != 0, c.hit) << c.what;
    }

    // Rows counted from the bottom: three quarters up the window looks up.
    GrannyGetPickingRay(&camera, 1024, 768, 512, 576, origin, direction);
    EXPECT_GT(direction[1], 0.0f);
    // A small box where that ray crosses z = 0, held by a bone turned a
    // quarter about z: the bone's x axis points up.
    const float tanHalf = std::tan(camera.FOVY / 2);
    const float up = 0.5f * tanHalf * 10.0f;  // where the ray crosses z = 0
    D3DXMATRIX turned;
    D3DXMatrixRotationZ(&turned, kHalfPi);
    const float boneLow[3] = {up - 0.1f, -0.1f, -0.1f};
    const float boneHigh[3] = {up + 0.1f, 0.1f, 0.1f};
    EXPECT_TRUE(GrannyRayIntersectsBox(&turned.m[0][0], origin, direction, boneLow, boneHigh));
    const float wrongLow[3] = {-up - 0.1f, -0.1f, -0.1f};
    const float wrongHigh[3] = {-up + 0.1f, 0.1f, 0.1f};
    EXPECT_FALSE(GrannyRayIntersectsBox(&turned.m[0][0], origin, direction, wrongLow, wrongHigh));
}

}  // namespace
}  // namespace vls::test
