#pragma once

#include "core/PObject.h"

#include <d3dx9math.h>

class CPGameObject;
class CPPhysicData;

// A decal that follows the ground: a flat frame in the ground plane
// (origin, edges u and v, each 2D) laid over the road triangles under an
// object. The frame's coordinates (s, t), with p = origin + s u + t v,
// place the decal texture.

// Widens the frame so that it covers its own unit rectangle and the
// rectangle from the reference point along u and v. A degenerate frame is
// rebuilt towards the reference point instead.
void FitDecalFrame(D3DXVECTOR2& origin, D3DXVECTOR2& u, D3DXVECTOR2& v, D3DXVECTOR2& reference);

// Rebuilds the decal object's mesh from the candidate road triangles of the
// physics data: each distinct triangle whole, 0.03 above the ground, facing
// up, with the frame coordinates (s - 1, t) as its texture coordinates. A
// frame that stays degenerate after fitting leaves the mesh as it was.
void ProjectDecalOnGround(RefPtr<CPGameObject> decal, D3DXVECTOR2 origin, D3DXVECTOR2 reference,
                          D3DXVECTOR2 u, D3DXVECTOR2 v, RefPtr<CPPhysicData> candidates);
