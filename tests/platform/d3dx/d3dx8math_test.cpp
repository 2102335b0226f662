#include "platform/d3dx/d3dx8math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kEps = 1e-4f;

void expectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float eps = kEps)
{
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

void expectNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float eps = kEps)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "at " << r << "," << c;
}

D3DXVECTOR3 transform(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

TEST(D3DXMath, RotationsAreLeftHandedRowVector)
{
    // A quarter turn about y takes +x to -z, about x takes +y to +z, about z takes +x to +y.
    const float quarter = D3DX_PI / 2;
    D3DXMATRIX m;
    expectNear(transform({1, 0, 0}, *D3DXMatrixRotationY(&m, quarter)), {0, 0, -1});
    expectNear(transform({0, 1, 0}, *D3DXMatrixRotationX(&m, quarter)), {0, 0, 1});
    expectNear(transform({1, 0, 0}, *D3DXMatrixRotationZ(&m, quarter)), {0, 1, 0});
    // The first row of RotationY is (cos, 0, -sin): callers read headings from it.
    D3DXMatrixRotationY(&m, 0.3f);
    EXPECT_NEAR(m._11, std::cos(0.3f), kEps);
    EXPECT_NEAR(m._13, -std::sin(0.3f), kEps);
}

TEST(D3DXMath, MultiplyAppliesLeftOperandFirst)
{
    D3DXMATRIX t, r;
    D3DXMatrixTranslation(&t, 5, 0, 0);
    D3DXMatrixRotationZ(&r, D3DX_PI / 2);
    expectNear(transform({1, 0, 0}, t * r), {0, 6, 0});
    expectNear(transform({1, 0, 0}, r * t), {5, 1, 0});
}

TEST(D3DXMath, AxisQuaternionAndYawPitchRollAgreeWithMatrices)
{
    const struct {
        float yaw, pitch, roll;
    } cases[] = {{0.3f, 0, 0}, {0, 0.4f, 0}, {0, 0, 0.5f}, {0.7f, -0.2f, 1.1f}, {-2.0f, 1.0f, 0.25f}};
    for (const auto& c : cases) {
        D3DXMATRIX rz, rx, ry, expected, fromYpr, fromQuat;
        D3DXMatrixRotationZ(&rz, c.roll);
        D3DXMatrixRotationX(&rx, c.pitch);
        D3DXMatrixRotationY(&ry, c.yaw);
        expected = rz * rx * ry;
        D3DXMatrixRotationYawPitchRoll(&fromYpr, c.yaw, c.pitch, c.roll);
        expectNear(fromYpr, expected);
        D3DXQUATERNION q;
        D3DXQuaternionRotationYawPitchRoll(&q, c.yaw, c.pitch, c.roll);
        expectNear(*D3DXMatrixRotationQuaternion(&fromQuat, &q), expected);
        // And back from the matrix, up to sign.
        D3DXQUATERNION back;
        D3DXQuaternionRotationMatrix(&back, &expected);
        EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&q, &back)), 1.0f, kEps);
    }
    const D3DXVECTOR3 axis(1, 2, 3);
    D3DXMATRIX fromAxis, fromQuat;
    D3DXQUATERNION q;
    D3DXMatrixRotationAxis(&fromAxis, &axis, 0.8f);
    D3DXQuaternionRotationAxis(&q, &axis, 0.8f);
    expectNear(fromAxis, *D3DXMatrixRotationQuaternion(&fromQuat, &q));
}

TEST(D3DXMath, QuaternionMultiplyAndSlerp)
{
    D3DXQUATERNION a, b, ab;
    D3DXQuaternionRotationYawPitchRoll(&a, 0.4f, 0.1f, 0);
    D3DXQuaternionRotationYawPitchRoll(&b, 0, 0.3f, 0.9f);
    D3DXQuaternionMultiply(&ab, &a, &b);
    D3DXMATRIX ma, mb, mab;
    D3DXMatrixRotationQuaternion(&ma, &a);
    D3DXMatrixRotationQuaternion(&mb, &b);
    expectNear(*D3DXMatrixRotationQuaternion(&mab, &ab), ma * mb);

    const D3DXVECTOR3 up(0, 1, 0);
    D3DXQUATERNION q0, q1, half, expected;
    D3DXQuaternionRotationAxis(&q0, &up, 0);
    D3DXQuaternionRotationAxis(&q1, &up, 1.0f);
    D3DXQuaternionRotationAxis(&expected, &up, 0.5f);
    D3DXQuaternionSlerp(&half, &q0, &q1, 0.5f);
    EXPECT_NEAR(D3DXQuaternionDot(&half, &expected), 1.0f, kEps);
    // The shorter way round is taken when the inputs lie in opposite hemispheres.
    const D3DXQUATERNION q1neg = q1 * -1.0f;
    D3DXQuaternionSlerp(&half, &q0, &q1neg, 0.5f);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&half, &expected)), 1.0f, kEps);
}

TEST(D3DXMath, InverseAndSingularMatrix)
{
    D3DXMATRIX m, inv, id;
    D3DXMatrixRotationYawPitchRoll(&m, 0.3f, 1.2f, -0.4f);
    m._41 = 3;
    m._42 = -2;
    m._43 = 7;
    m._11 *= 2;
    float det = 0;
    ASSERT_NE(D3DXMatrixInverse(&inv, &det, &m), nullptr);
    EXPECT_NEAR(det, D3DXMatrixDeterminant(&m), kEps);
    expectNear(m * inv, *D3DXMatrixIdentity(&id));

    D3DXMATRIX singular;
    D3DXMatrixScaling(&singular, 1, 0, 1);
    EXPECT_EQ(D3DXMatrixInverse(&inv, &det, &singular), nullptr);
    EXPECT_EQ(det, 0.0f);
}

TEST(D3DXMath, LookAtAndPerspective)
{
    const D3DXVECTOR3 eye(1, 2, 3), at(1, 2, 10), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    expectNear(transform(eye, view), {0, 0, 0});
    expectNear(transform({1, 2, 5}, view), {0, 0, 2});
    expectNear(transform({2, 2, 3}, view), {1, 0, 0});  // +x stays right in a left-handed view

    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 4.0f / 3.0f, 1.0f, 100.0f);
    EXPECT_NEAR(transform({0, 0, 1}, proj).z, 0.0f, kEps);
    EXPECT_NEAR(transform({0, 0, 100}, proj).z, 1.0f, kEps);
    EXPECT_NEAR(transform({0, 10, 10}, proj).y, 1.0f, kEps);   // fovy 90: top edge at y = z
    EXPECT_NEAR(transform({10, 0, 10}, proj).x, 0.75f, kEps);
}

TEST(D3DXMath, ProjectAndUnprojectRoundTrip)
{
    const D3DVIEWPORT8 viewport{0, 0, 1024, 768, 0.0f, 1.0f};
    D3DXMATRIX proj, view;
    const D3DXVECTOR3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.8f, 4.0f / 3.0f, 1.0f, 50.0f);

    D3DXVECTOR3 screen;
    const D3DXVECTOR3 origin(0, 0, 0);
    D3DXVec3Project(&screen, &origin, &viewport, &proj, &view, nullptr);
    EXPECT_NEAR(screen.x, 512, 1e-3);
    EXPECT_NEAR(screen.y, 384, 1e-3);

    const D3DXVECTOR3 point(1.5f, -0.5f, 3.0f);
    D3DXVec3Project(&screen, &point, &viewport, &proj, &view, nullptr);
    EXPECT_GT(screen.x, 512);  // right on screen
    EXPECT_GT(screen.y, 384);  // y grows downward
    D3DXVECTOR3 back;
    ASSERT_NE(D3DXVec3Unproject(&back, &screen, &viewport, &proj, &view, nullptr), nullptr);
    expectNear(back, point, 1e-3f);
}

TEST(D3DXMath, ReflectMirrorsAcrossPlane)
{
    D3DXPLANE plane;
    const D3DXVECTOR3 point(0, 2, 0), normal(0, 3, 0);  // unnormalized normal on purpose
    D3DXPlaneFromPointNormal(&plane, &point, &normal);
    EXPECT_NEAR(D3DXPlaneDotCoord(&plane, &point), 0.0f, kEps);
    D3DXMATRIX reflect;
    D3DXMatrixReflect(&reflect, &plane);
    expectNear(transform({4, 5, -1}, reflect), {4, -1, -1});
    expectNear(transform({4, 2, -1}, reflect), {4, 2, -1});
}

TEST(D3DXMath, ShadowProjectsOntoPlaneAlongLight)
{
    const D3DXVECTOR3 origin(0, 0, 0), up(0, 1, 0);
    D3DXPLANE ground;
    D3DXPlaneFromPointNormal(&ground, &origin, &up);
    D3DXMATRIX shadow;
    // Directional light shining down and along +x (w = 0: the direction to the light).
    const D3DXVECTOR4 directional(-1, 1, 0, 0);
    D3DXMatrixShadow(&shadow, &directional, &ground);
    expectNear(transform({0, 2, 0}, shadow), {2, 0, 0});
    // Point light at (0, 4, 0): a point at height 2 and x 1 lands at x 2.
    const D3DXVECTOR4 pointLight(0, 4, 0, 1);
    D3DXMatrixShadow(&shadow, &pointLight, &ground);
    expectNear(transform({1, 2, 0}, shadow), {2, 0, 0});
    // Points between the ground and the light keep a positive w, else the
    // drawn shadow would be clipped as if behind the eye.
    D3DXVECTOR4 homogeneous;
    const D3DXVECTOR3 body(1, 2, 0);
    D3DXVec3Transform(&homogeneous, &body, &shadow);
    EXPECT_GT(homogeneous.w, 0.0f);
    D3DXMatrixShadow(&shadow, &directional, &ground);
    D3DXVec3Transform(&homogeneous, &body, &shadow);
    EXPECT_GT(homogeneous.w, 0.0f);
}

TEST(D3DXMath, NormalizeZeroAndIntersect)
{
    D3DXVECTOR3 n;
    const D3DXVECTOR3 zero(0, 0, 0), v(3, 0, 4);
    expectNear(*D3DXVec3Normalize(&n, &zero), {0, 0, 0});
    expectNear(*D3DXVec3Normalize(&n, &v), {0.6f, 0, 0.8f});

    const D3DXPLANE ground(0, 1, 0, 0);
    const D3DXVECTOR3 a(1, 5, 1), b(1, -5, 3), c(4, 5, 1);
    D3DXVECTOR3 hit;
    ASSERT_NE(D3DXPlaneIntersectLine(&hit, &ground, &a, &b), nullptr);
    expectNear(hit, {1, 0, 2});
    EXPECT_EQ(D3DXPlaneIntersectLine(&hit, &ground, &a, &c), nullptr);
}

}  // namespace
