#include "platform/granny/transform_math.h"

#include <cstring>

namespace vls::granny {
namespace {

using Mat3 = float[3][3];

void Multiply3(const Mat3 a, const Mat3 b, Mat3 out) {
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    std::memcpy(out, r, sizeof(r));
}

void RotationOf(const granny_transform& t, Mat3 out) {
    D3DXQUATERNION q(t.Orientation[0], t.Orientation[1], t.Orientation[2], t.Orientation[3]);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = m.m[i][j];
}

}  // namespace

granny_transform IdentityTransform() {
    granny_transform t{};
    t.Orientation[3] = 1.0f;
    t.ScaleShear[0][0] = t.ScaleShear[1][1] = t.ScaleShear[2][2] = 1.0f;
    return t;
}

D3DXMATRIX IdentityMatrix() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

D3DXMATRIX TransformToMatrix(const granny_transform& t) {
    Mat3 rotation;
    RotationOf(t, rotation);
    Mat3 upper;
    Multiply3(t.ScaleShear, rotation, upper);
    D3DXMATRIX m = IdentityMatrix();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = upper[i][j];
    m._41 = t.Position[0];
    m._42 = t.Position[1];
    m._43 = t.Position[2];
    return m;
}

// inner: v Si Ri + Ti; outer: u So Ro + To. Together:
// v (Si Ri So Ri^T) (Ri Ro) + (Ti So Ro + To).
granny_transform ComposeTransforms(const granny_transform& outer, const granny_transform& inner) {
    granny_transform result{};
    result.Flags = outer.Flags | inner.Flags;

    D3DXQUATERNION qi(inner.Orientation[0], inner.Orientation[1], inner.Orientation[2], inner.Orientation[3]);
    D3DXQUATERNION qo(outer.Orientation[0], outer.Orientation[1], outer.Orientation[2], outer.Orientation[3]);
    D3DXQUATERNION q;
    D3DXQuaternionMultiply(&q, &qi, &qo);
    D3DXQuaternionNormalize(&q, &q);
    result.Orientation[0] = q.x;
    result.Orientation[1] = q.y;
    result.Orientation[2] = q.z;
    result.Orientation[3] = q.w;

    Mat3 ri;
    RotationOf(inner, ri);
    Mat3 riT;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) riT[i][j] = ri[j][i];
    Mat3 scale;
    Multiply3(inner.ScaleShear, ri, scale);
    Multiply3(scale, outer.ScaleShear, scale);
    Multiply3(scale, riT, scale);
    std::memcpy(result.ScaleShear, scale, sizeof(scale));

    const D3DXMATRIX outerMatrix = TransformToMatrix(outer);
    const D3DXVECTOR3 ti(inner.Position[0], inner.Position[1], inner.Position[2]);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, &ti, &outerMatrix);
    result.Position[0] = p.x;
    result.Position[1] = p.y;
    result.Position[2] = p.z;
    return result;
}

void StoreMatrix(const D3DXMATRIX& matrix, granny_real32* values) {
    std::memcpy(values, &matrix.m[0][0], sizeof(float) * 16);
}

}  // namespace vls::granny
