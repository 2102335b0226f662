#include <cmath>
#include <cstring>
#include <limits>

#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny.h"
#include "platform/granny/transform_math.h"

using vls::granny::LoadMatrix;
using vls::granny::StoreMatrix;

namespace {

D3DXMATRIX InverseOrIdentity(const D3DXMATRIX& m) {
    D3DXMATRIX inverse;
    if (D3DXMatrixInverse(&inverse, nullptr, &m) == nullptr) return vls::granny::IdentityMatrix();
    return inverse;
}

// Camera frame to world, without translation.
D3DXMATRIX CameraRotation(const granny_camera& camera) {
    D3DXMATRIX roll, elevation, azimuth, orientation;
    D3DXMatrixRotationZ(&roll, camera.ElevAzimRoll[2]);
    D3DXMatrixRotationX(&elevation, camera.ElevAzimRoll[0]);
    D3DXMatrixRotationY(&azimuth, camera.ElevAzimRoll[1]);
    D3DXQUATERNION q(camera.Orientation[0], camera.Orientation[1], camera.Orientation[2], camera.Orientation[3]);
    if (D3DXQuaternionLength(&q) > 1e-6f)
        D3DXQuaternionNormalize(&q, &q);
    else
        q = D3DXQUATERNION(0, 0, 0, 1);
    D3DXMatrixRotationQuaternion(&orientation, &q);
    return roll * elevation * azimuth * orientation;
}

}  // namespace

void GrannyInitializeDefaultCamera(granny_camera* Camera) {
    if (Camera == nullptr) return;
    std::memset(Camera, 0, sizeof(*Camera));
    Camera->WpOverHp = 1.0f;
    Camera->WrOverHr = 1.0f;
    Camera->WwOverHw = 1.0f;
    Camera->FOVY = D3DX_PI / 4.0f;
    Camera->NearClipPlane = 1.0f;
    Camera->FarClipPlane = 1000.0f;
    Camera->Orientation[3] = 1.0f;
    GrannyBuildCameraMatrices(Camera);
}

void GrannySetCameraAspectRatios(granny_camera* Camera, granny_real32 PhysicalAspectRatio, granny_real32 ScreenWidth,
                                 granny_real32 ScreenHeight, granny_real32 WindowWidth, granny_real32 WindowHeight) {
    if (Camera == nullptr) return;
    Camera->WpOverHp = PhysicalAspectRatio;
    Camera->WrOverHr = ScreenHeight != 0.0f ? ScreenWidth / ScreenHeight : 1.0f;
    Camera->WwOverHw = WindowHeight != 0.0f ? WindowWidth / WindowHeight : 1.0f;
}

granny_real32 GrannyGetMostLikelyPhysicalAspectRatio(granny_int32 ScreenWidth, granny_int32 ScreenHeight) {
    const float shapes[] = {4.0f / 3.0f, 16.0f / 10.0f, 16.0f / 9.0f};
    if (ScreenWidth <= 0 || ScreenHeight <= 0) return shapes[0];
    const float ratio = static_cast<float>(ScreenWidth) / static_cast<float>(ScreenHeight);
    float best = shapes[0];
    for (float shape : shapes)
        if (std::fabs(shape - ratio) < std::fabs(best - ratio)) best = shape;
    return best;
}

void GrannyBuildCameraMatrices(granny_camera* Camera) {
    if (Camera == nullptr) return;
    D3DXMATRIX toFocus, toCamera;
    D3DXMatrixTranslation(&toFocus, -Camera->Position[0], -Camera->Position[1], -Camera->Position[2]);
    D3DXMatrixTranslation(&toCamera, -Camera->Offset[0], -Camera->Offset[1], Camera->Offset[2]);
    D3DXMATRIX rotation = CameraRotation(*Camera);
    D3DXMATRIX unrotate;
    D3DXMatrixTranspose(&unrotate, &rotation);
    const D3DXMATRIX view = toFocus * unrotate * toCamera;

    // The window's shape on the display: its pixel shape times the display's
    // physical shape over its pixel shape.
    float aspect = Camera->WrOverHr != 0.0f ? Camera->WpOverHp * Camera->WwOverHw / Camera->WrOverHr : 1.0f;
    if (!(aspect > 0.0f) || !std::isfinite(aspect)) aspect = 1.0f;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, Camera->FOVY, aspect, Camera->NearClipPlane, Camera->FarClipPlane);

    StoreMatrix(view, Camera->View4x4);
    StoreMatrix(InverseOrIdentity(view), Camera->InverseView4x4);
    StoreMatrix(projection, Camera->Projection4x4);
    StoreMatrix(InverseOrIdentity(projection), Camera->InverseProjection4x4);
}

void GrannyGetPickingRay(granny_camera const* Camera, granny_real32 WindowWidth, granny_real32 WindowHeight,
                         granny_real32 MouseX, granny_real32 MouseY, granny_real32* Origin3, granny_real32* Normal3) {
    if (Camera == nullptr || Origin3 == nullptr || Normal3 == nullptr) return;
    const float x = WindowWidth != 0.0f ? 2.0f * MouseX / WindowWidth - 1.0f : 0.0f;
    const float y = WindowHeight != 0.0f ? 2.0f * MouseY / WindowHeight - 1.0f : 0.0f;
    const D3DXMATRIX unproject = InverseOrIdentity(LoadMatrix(Camera->View4x4) * LoadMatrix(Camera->Projection4x4));
    const D3DXVECTOR3 nearPoint(x, y, 0.0f);
    const D3DXVECTOR3 farPoint(x, y, 1.0f);
    D3DXVECTOR3 origin, end;
    D3DXVec3TransformCoord(&origin, &nearPoint, &unproject);
    D3DXVec3TransformCoord(&end, &farPoint, &unproject);
    D3DXVECTOR3 direction = end - origin;
    if (D3DXVec3LengthSq(&direction) > 0.0f) D3DXVec3Normalize(&direction, &direction);
    Origin3[0] = origin.x, Origin3[1] = origin.y, Origin3[2] = origin.z;
    Normal3[0] = direction.x, Normal3[1] = direction.y, Normal3[2] = direction.z;
}

granny_bool32 GrannyRayIntersectsBox(granny_real32 const* Transform4x4, granny_real32 const* Origin3,
                                     granny_real32 const* Normal3, granny_real32 const* Min3,
                                     granny_real32 const* Max3) {
    if (Transform4x4 == nullptr || Origin3 == nullptr || Normal3 == nullptr || Min3 == nullptr || Max3 == nullptr)
        return false;
    D3DXMATRIX toBox;
    const D3DXMATRIX transform = LoadMatrix(Transform4x4);
    if (D3DXMatrixInverse(&toBox, nullptr, &transform) == nullptr) return false;
    const D3DXVECTOR3 worldOrigin(Origin3[0], Origin3[1], Origin3[2]);
    const D3DXVECTOR3 worldDirection(Normal3[0], Normal3[1], Normal3[2]);
    D3DXVECTOR3 origin, direction;
    D3DXVec3TransformCoord(&origin, &worldOrigin, &toBox);
    D3DXVec3TransformNormal(&direction, &worldDirection, &toBox);
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    float enter = 0.0f;
    float leave = std::numeric_limits<float>::infinity();
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(d[axis]) < 1e-12f) {
            if (o[axis] < Min3[axis] || o[axis] > Max3[axis]) return false;
            continue;
        }
        float t0 = (Min3[axis] - o[axis]) / d[axis];
        float t1 = (Max3[axis] - o[axis]) / d[axis];
        if (t0 > t1) std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
        if (enter > leave) return false;
    }
    return true;
}
