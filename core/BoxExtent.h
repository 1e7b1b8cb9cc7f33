#pragma once

#include <d3dx9.h>

// True when the matrix leaves w at 1 for every point: its last column is
// 0, 0, 0, 1, as in every placement made of turns, moves and scales.
bool IsAffine(const D3DXMATRIX& matrix);

// The point put through an affine matrix as D3DXVec3TransformCoord does
// (row vectors), with single-precision sums in a fixed order:
// x * _11 + y * _21 + z * _31 + _41 and so on.
D3DXVECTOR3 AffinePoint(const D3DXVECTOR3& point, const D3DXMATRIX& matrix);

// The least and greatest corner of the eight corners of the box from low to
// high once put through an affine matrix by AffinePoint, bit for bit. Each
// world coordinate is a sum, in a fixed order, of one term per box axis, and
// a rounded sum never falls when a term grows; so the least corner takes the
// least term of each axis, with no corner worked out. Every moving object
// bounds its boxes this way each frame.
void AffineBoxExtent(const D3DXVECTOR3& low, const D3DXVECTOR3& high, const D3DXMATRIX& matrix, D3DXVECTOR3& least,
                     D3DXVECTOR3& greatest);
