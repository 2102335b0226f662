#include "platform/d3dx/d3dx8math.h"

#include <cmath>

D3DXMATRIX::D3DXMATRIX(const float* values) : D3DMATRIX{}
{
    for (int i = 0; i < 16; ++i) {
        m[i / 4][i % 4] = values[i];
    }
}

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14,
                       float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34,
                       float f41, float f42, float f43, float f44)
    : D3DMATRIX{}
{
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const
{
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, this, &other);
    return out;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other)
{
    D3DXMatrixMultiply(this, this, &other);
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX& other) const
{
    D3DXMATRIX out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = m[r][c] + other.m[r][c];
    return out;
}

D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX& other) const
{
    D3DXMATRIX out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = m[r][c] - other.m[r][c];
    return out;
}

D3DXMATRIX D3DXMATRIX::operator*(float f) const
{
    D3DXMATRIX out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = m[r][c] * f;
    return out;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != other.m[r][c]) return false;
    return true;
}

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const
{
    D3DXQUATERNION out;
    D3DXQuaternionMultiply(&out, this, &q);
    return out;
}

D3DXCOLOR::D3DXCOLOR(D3DCOLOR argb)
    : r(((argb >> 16) & 0xFF) / 255.0f),
      g(((argb >> 8) & 0xFF) / 255.0f),
      b((argb & 0xFF) / 255.0f),
      a(((argb >> 24) & 0xFF) / 255.0f)
{
}

D3DXCOLOR::operator D3DCOLOR() const
{
    auto channel = [](float v) -> DWORD {
        if (v <= 0.0f) return 0;
        if (v >= 1.0f) return 255;
        return static_cast<DWORD>(v * 255.0f + 0.5f);
    };
    return D3DCOLOR_ARGB(channel(a), channel(r), channel(g), channel(b));
}

float D3DXVec2Length(const D3DXVECTOR2* v) { return std::sqrt(v->x * v->x + v->y * v->y); }
float D3DXVec2Dot(const D3DXVECTOR2* a, const D3DXVECTOR2* b) { return a->x * b->x + a->y * b->y; }

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v)
{
    const float length = D3DXVec2Length(v);
    *out = length > 0.0f ? D3DXVECTOR2(v->x / length, v->y / length) : D3DXVECTOR2(0, 0);
    return out;
}

float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }
float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    const D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *out = *a + *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *out = *a - *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s)
{
    *out = *v * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float s)
{
    *out = *a + (*b - *a) * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *out = D3DXVECTOR3(std::fmin(a->x, b->x), std::fmin(a->y, b->y), std::fmin(a->z, b->z));
    return out;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *out = D3DXVECTOR3(std::fmax(a->x, b->x), std::fmax(a->y, b->y), std::fmax(a->z, b->z));
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v)
{
    const float length = D3DXVec3Length(v);
    *out = length > 0.0f ? *v / length : D3DXVECTOR3(0, 0, 0);
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 in(v->x, v->y, v->z, 1.0f);
    return D3DXVec4Transform(out, &in, m);
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, v, m);
    const float inv = r.w != 0.0f ? 1.0f / r.w : 1.0f;
    *out = D3DXVECTOR3(r.x * inv, r.y * inv, r.z * inv);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31,
                        v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                        v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
    *out = r;
    return out;
}

static D3DXMATRIX combined(const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world)
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (world) m = m * *world;
    if (view) m = m * *view;
    if (projection) m = m * *projection;
    return m;
}

D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT8* viewport,
                             const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world)
{
    const D3DXMATRIX m = combined(projection, view, world);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, v, &m);
    if (viewport) {
        p.x = viewport->X + (1.0f + p.x) * viewport->Width * 0.5f;
        p.y = viewport->Y + (1.0f - p.y) * viewport->Height * 0.5f;
        p.z = viewport->MinZ + p.z * (viewport->MaxZ - viewport->MinZ);
    }
    *out = p;
    return out;
}

D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT8* viewport,
                               const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world)
{
    const D3DXMATRIX m = combined(projection, view, world);
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &m)) return nullptr;
    D3DXVECTOR3 p = *v;
    if (viewport) {
        p.x = 2.0f * (p.x - viewport->X) / viewport->Width - 1.0f;
        p.y = 1.0f - 2.0f * (p.y - viewport->Y) / viewport->Height;
        const float depth = viewport->MaxZ - viewport->MinZ;
        p.z = depth != 0.0f ? (p.z - viewport->MinZ) / depth : 0.0f;
    }
    return D3DXVec3TransformCoord(out, &p, &inverse);
}

float D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + v->w * m->_41,
                        v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + v->w * m->_42,
                        v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + v->w * m->_43,
                        v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + v->w * m->_44);
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out)
{
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* m)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return *m == identity ? TRUE : FALSE;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b)
{
    D3DXMATRIX r;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            r.m[row][col] = a->m[row][0] * b->m[0][col] + a->m[row][1] * b->m[1][col] +
                            a->m[row][2] * b->m[2][col] + a->m[row][3] * b->m[3][col];
        }
    }
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m)
{
    D3DXMATRIX r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[row][col] = m->m[col][row];
    *out = r;
    return out;
}

// Cofactor expansion over 2 x 2 minors of the upper and lower row pairs.
static float inverseInto(float inv[16], const D3DXMATRIX* mat)
{
    const float* a = &mat->m[0][0];
    const float s0 = a[0] * a[5] - a[4] * a[1];
    const float s1 = a[0] * a[6] - a[4] * a[2];
    const float s2 = a[0] * a[7] - a[4] * a[3];
    const float s3 = a[1] * a[6] - a[5] * a[2];
    const float s4 = a[1] * a[7] - a[5] * a[3];
    const float s5 = a[2] * a[7] - a[6] * a[3];
    const float c5 = a[10] * a[15] - a[14] * a[11];
    const float c4 = a[9] * a[15] - a[13] * a[11];
    const float c3 = a[9] * a[14] - a[13] * a[10];
    const float c2 = a[8] * a[15] - a[12] * a[11];
    const float c1 = a[8] * a[14] - a[12] * a[10];
    const float c0 = a[8] * a[13] - a[12] * a[9];
    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (inv == nullptr) return det;
    inv[0] = a[5] * c5 - a[6] * c4 + a[7] * c3;
    inv[1] = -a[1] * c5 + a[2] * c4 - a[3] * c3;
    inv[2] = a[13] * s5 - a[14] * s4 + a[15] * s3;
    inv[3] = -a[9] * s5 + a[10] * s4 - a[11] * s3;
    inv[4] = -a[4] * c5 + a[6] * c2 - a[7] * c1;
    inv[5] = a[0] * c5 - a[2] * c2 + a[3] * c1;
    inv[6] = -a[12] * s5 + a[14] * s2 - a[15] * s1;
    inv[7] = a[8] * s5 - a[10] * s2 + a[11] * s1;
    inv[8] = a[4] * c4 - a[5] * c2 + a[7] * c0;
    inv[9] = -a[0] * c4 + a[1] * c2 - a[3] * c0;
    inv[10] = a[12] * s4 - a[13] * s2 + a[15] * s0;
    inv[11] = -a[8] * s4 + a[9] * s2 - a[11] * s0;
    inv[12] = -a[4] * c3 + a[5] * c1 - a[6] * c0;
    inv[13] = a[0] * c3 - a[1] * c1 + a[2] * c0;
    inv[14] = -a[12] * s3 + a[13] * s1 - a[14] * s0;
    inv[15] = a[8] * s3 - a[9] * s1 + a[10] * s0;
    return det;
}

float D3DXMatrixDeterminant(const D3DXMATRIX* m) { return inverseInto(nullptr, m); }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m)
{
    float inv[16];
    const float det = inverseInto(inv, m);
    if (determinant) *determinant = det;
    if (det == 0.0f || !std::isfinite(det)) return nullptr;
    const float scale = 1.0f / det;
    for (float& v : inv) v *= scale;
    *out = D3DXMATRIX(inv);
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z)
{
    D3DXMatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float x, float y, float z)
{
    *out = D3DXMATRIX(x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    *out = D3DXMATRIX(t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0,
                      t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0,
                      t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q)
{
    const float x = q->x, y = q->y, z = q->z, w = q->w;
    *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                      2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                      2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll)
{
    D3DXMATRIX rz, rx, ry;
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    *out = rz * rx * ry;
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up)
{
    D3DXVECTOR3 zaxis = *at - *eye;
    D3DXVec3Normalize(&zaxis, &zaxis);
    D3DXVECTOR3 xaxis;
    D3DXVec3Cross(&xaxis, up, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVECTOR3 yaxis;
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *out = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                      xaxis.y, yaxis.y, zaxis.y, 0,
                      xaxis.z, yaxis.z, zaxis.z, 0,
                      -D3DXVec3Dot(&xaxis, eye), -D3DXVec3Dot(&yaxis, eye), -D3DXVec3Dot(&zaxis, eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf)
{
    const float yscale = 1.0f / std::tan(fovy * 0.5f);
    const float xscale = yscale / aspect;
    const float q = zf / (zf - zn);
    *out = D3DXMATRIX(xscale, 0, 0, 0, 0, yscale, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf)
{
    *out = D3DXMATRIX(2 / w, 0, 0, 0, 0, 2 / h, 0, 0, 0, 0, 1 / (zf - zn), 0, 0, 0, zn / (zn - zf), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn, float zf)
{
    *out = D3DXMATRIX(2 / (r - l), 0, 0, 0,
                      0, 2 / (t - b), 0, 0,
                      0, 0, 1 / (zf - zn), 0,
                      (l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixShadow(D3DXMATRIX* out, const D3DXVECTOR4* light, const D3DXPLANE* plane)
{
    D3DXPLANE p;
    D3DXPlaneNormalize(&p, plane);
    // dot(P, L) on the diagonal minus the outer product: a point between the
    // plane and the light keeps a positive w, so the flattened triangles are
    // not clipped away behind the eye.
    const float d = p.a * light->x + p.b * light->y + p.c * light->z + p.d * light->w;
    const float pl[4] = {p.a, p.b, p.c, p.d};
    const float l[4] = {light->x, light->y, light->z, light->w};
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            out->m[row][col] = (row == col ? d : 0.0f) - pl[row] * l[col];
        }
    }
    return out;
}

D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* out, const D3DXPLANE* plane)
{
    D3DXPLANE p;
    D3DXPlaneNormalize(&p, plane);
    const float a = p.a, b = p.b, c = p.c, d = p.d;
    *out = D3DXMATRIX(1 - 2 * a * a, -2 * a * b, -2 * a * c, 0,
                      -2 * a * b, 1 - 2 * b * b, -2 * b * c, 0,
                      -2 * a * c, -2 * b * c, 1 - 2 * c * c, 0,
                      -2 * a * d, -2 * b * d, -2 * c * d, 1);
    return out;
}

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out)
{
    *out = D3DXQUATERNION(0, 0, 0, 1);
    return out;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q) { return std::sqrt(D3DXQuaternionDot(q, q)); }

float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    const float length = D3DXQuaternionLength(q);
    *out = length > 0.0f ? *q * (1.0f / length) : D3DXQUATERNION(0, 0, 0, 0);
    return out;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    *out = D3DXQUATERNION(-q->x, -q->y, -q->z, q->w);
    return out;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    const float norm = D3DXQuaternionDot(q, q);
    D3DXQUATERNION conjugate;
    D3DXQuaternionConjugate(&conjugate, q);
    *out = norm > 0.0f ? conjugate * (1.0f / norm) : D3DXQUATERNION(0, 0, 0, 0);
    return out;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b)
{
    // The Hamilton product b * a, so that a's rotation comes first.
    const D3DXQUATERNION r(b->w * a->x + b->x * a->w + b->y * a->z - b->z * a->y,
                           b->w * a->y - b->x * a->z + b->y * a->w + b->z * a->x,
                           b->w * a->z + b->x * a->y - b->y * a->x + b->z * a->w,
                           b->w * a->w - b->x * a->x - b->y * a->y - b->z * a->z);
    *out = r;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    const float s = std::sin(angle * 0.5f);
    *out = D3DXQUATERNION(n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f));
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m)
{
    const float trace = m->_11 + m->_22 + m->_33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;
        q = D3DXQUATERNION((m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s);
    } else if (m->_11 > m->_22 && m->_11 > m->_33) {
        const float s = std::sqrt(1.0f + m->_11 - m->_22 - m->_33) * 2.0f;
        q = D3DXQUATERNION(0.25f * s, (m->_12 + m->_21) / s, (m->_13 + m->_31) / s, (m->_23 - m->_32) / s);
    } else if (m->_22 > m->_33) {
        const float s = std::sqrt(1.0f + m->_22 - m->_11 - m->_33) * 2.0f;
        q = D3DXQUATERNION((m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s);
    } else {
        const float s = std::sqrt(1.0f + m->_33 - m->_11 - m->_22) * 2.0f;
        q = D3DXQUATERNION((m->_13 + m->_31) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s);
    }
    *out = q;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch, float roll)
{
    const float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
    const float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
    const float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
    *out = D3DXQUATERNION(cy * sp * cr + sy * cp * sr,
                          sy * cp * cr - cy * sp * sr,
                          cy * cp * sr - sy * sp * cr,
                          cy * cp * cr + sy * sp * sr);
    return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t)
{
    float cosine = D3DXQuaternionDot(a, b);
    D3DXQUATERNION end = *b;
    if (cosine < 0.0f) {
        cosine = -cosine;
        end = end * -1.0f;
    }
    float wa = 1.0f - t, wb = t;
    if (cosine < 0.9999f) {
        const float angle = std::acos(cosine);
        const float inv = 1.0f / std::sin(angle);
        wa = std::sin((1.0f - t) * angle) * inv;
        wb = std::sin(t * angle) * inv;
    }
    *out = *a * wa + end * wb;
    return out;
}

void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* q, D3DXVECTOR3* axis, float* angle)
{
    if (axis) *axis = D3DXVECTOR3(q->x, q->y, q->z);
    if (angle) *angle = 2.0f * std::acos(std::fmax(-1.0f, std::fmin(1.0f, q->w)));
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point, const D3DXVECTOR3* normal)
{
    *out = D3DXPLANE(normal->x, normal->y, normal->z, -D3DXVec3Dot(point, normal));
    return out;
}

D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, const D3DXVECTOR3* c)
{
    const D3DXVECTOR3 e1 = *b - *a, e2 = *c - *a;
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &e1, &e2);
    D3DXVec3Normalize(&n, &n);
    return D3DXPlaneFromPointNormal(out, a, &n);
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p)
{
    const float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    const float inv = length > 0.0f ? 1.0f / length : 0.0f;
    *out = D3DXPLANE(p->a * inv, p->b * inv, p->c * inv, p->d * inv);
    return out;
}

float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v) { return p->a * v->x + p->b * v->y + p->c * v->z + p->d; }
float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v) { return p->a * v->x + p->b * v->y + p->c * v->z; }

D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* out, const D3DXPLANE* p, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    const D3DXVECTOR3 direction = *b - *a;
    const float denominator = D3DXPlaneDotNormal(p, &direction);
    if (denominator == 0.0f) return nullptr;
    const float t = -D3DXPlaneDotCoord(p, a) / denominator;
    *out = *a + direction * t;
    return out;
}
