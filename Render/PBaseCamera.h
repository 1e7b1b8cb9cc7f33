#pragma once

#include "core/PObject.h"

#include <d3dx9math.h>

// The matrices that the host draws one render-list view with. The screen
// camera keeps only its orthographic projection, in the view slot; the
// perspective views fill every matrix.
class CPBaseCamera : public IPObject {
public:
    // Every matrix starts as the identity.
    CPBaseCamera();

    int GetObjectSize() override;
    const char* GetTypeName() override;

    void SetViewMatrix(const D3DXMATRIX& matrix) { m_view = matrix; }

    const D3DXMATRIX& GetViewMatrix() const { return m_view; }
    const D3DXMATRIX& GetProjectionMatrix() const { return m_projection; }
    // The same projection with its far plane at 1000, for far-away geometry.
    const D3DXMATRIX& GetFarLimitedProjection() const { return m_farLimitedProjection; }
    // The view from the origin along the viewing direction, without the eye's
    // translation, and its inverse: for sky-like geometry around the viewer.
    const D3DXMATRIX& GetRotationView() const { return m_rotationView; }
    const D3DXMATRIX& GetInverseRotationView() const { return m_inverseRotationView; }

protected:
    D3DXMATRIX m_view;
    D3DXMATRIX m_projection;
    D3DXMATRIX m_farLimitedProjection;
    D3DXMATRIX m_rotationView;
    D3DXMATRIX m_inverseRotationView;
};
