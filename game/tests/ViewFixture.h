#pragma once

#include "Render/PPerspectiveCamera.h"

#include <d3dx9math.h>

namespace view_test {

// Points the view from the eye toward the target, 60 degrees wide, with z
// up, from 1 to 1000 units.
inline void Look(CPPerspectiveCamera& view, const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
{
    view.SetEye(eye);
    view.SetTarget(target);
    view.SetUp(D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    view.SetFieldOfView(1.0471976f);
    view.SetNearPlane(1.0f);
    view.SetFarPlane(1000.0f);
    view.UpdateMatrices();
}

} // namespace view_test
