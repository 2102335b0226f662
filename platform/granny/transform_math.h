#pragma once

// Internal: transforms as matrices, in the d3dx maths' row-vector convention.

#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny_types.h"

namespace vls::granny {

granny_transform IdentityTransform();

// scale/shear x rotation x translation, as one row-vector matrix.
D3DXMATRIX TransformToMatrix(const granny_transform& transform);

// outer applied after inner.
granny_transform ComposeTransforms(const granny_transform& outer, const granny_transform& inner);

inline D3DXMATRIX LoadMatrix(const granny_real32* values) { return D3DXMATRIX(values); }
void StoreMatrix(const D3DXMATRIX& matrix, granny_real32* values);

D3DXMATRIX IdentityMatrix();

}  // namespace vls::granny
