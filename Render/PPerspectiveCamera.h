#pragma once

#include "Render/PBaseCamera.h"

// A look-at view with a perspective projection and the six planes of its
// view frustum. Setting the eye, target or up vector marks the view dirty;
// setting the field of view or a clip plane marks the projection dirty;
// UpdateMatrices recomputes only what is dirty.
class CPPerspectiveCamera : public CPBaseCamera {
public:
    static const int kPlaneCount = 6;

    CPPerspectiveCamera();

    int GetObjectSize() override;
    const char* GetTypeName() override;

    void SetEye(const D3DXVECTOR3& eye);
    void SetTarget(const D3DXVECTOR3& target);
    void SetUp(const D3DXVECTOR3& up);
    // Radians.
    void SetFieldOfView(float fieldOfView);
    void SetNearPlane(float nearPlane);
    void SetFarPlane(float farPlane);

    const D3DXVECTOR3& GetEye() const { return m_eye; }
    const D3DXVECTOR3& GetTarget() const { return m_target; }
    const D3DXVECTOR3& GetUp() const { return m_up; }
    float GetFieldOfView() const { return m_fieldOfView; }
    float GetNearPlane() const { return m_nearPlane; }
    float GetFarPlane() const { return m_farPlane; }
    bool IsViewDirty() const { return m_viewDirty; }
    bool IsProjectionDirty() const { return m_projectionDirty; }

    // Recomputes the dirty matrices, then the products, their inverse and the
    // frustum planes. A look-at or projection that comes out degenerate (the
    // eye on the target, an up vector along the view, a zero field of view
    // or aspect, a near plane not between the eye and the far plane) keeps
    // the previous matrices and stays dirty, so no NaN or infinity ever
    // reaches the device or the visibility test.
    void UpdateMatrices();

    // Whether the box may be visible: false only when all eight corners lie
    // behind one frustum plane, so boxes near the frustum's edges may pass.
    bool IsBoxVisible(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum) const;

    const D3DXMATRIX& GetViewProjection() const { return m_viewProjection; }
    const D3DXMATRIX& GetInverseView() const { return m_inverseView; }
    const D3DXMATRIX& GetInverseViewProjection() const { return m_inverseViewProjection; }
    const D3DXMATRIX& GetRotationViewFarProjection() const { return m_rotationViewFarProjection; }
    // Inward normals, not normalised: only the signs of plane values count.
    const D3DXPLANE& GetFrustumPlane(int index) const { return m_planes[index]; }

private:
    bool UpdateView();
    bool UpdateProjection();
    bool UpdateProducts();
    void UpdateFrustumPlanes();

    D3DXPLANE m_planes[kPlaneCount];
    D3DXVECTOR3 m_target;
    D3DXVECTOR3 m_eye;
    D3DXVECTOR3 m_up;
    float m_fieldOfView;
    float m_nearPlane;
    float m_farPlane;
    bool m_projectionDirty;
    bool m_viewDirty;
    D3DXMATRIX m_viewProjection;
    D3DXMATRIX m_inverseView;
    D3DXMATRIX m_inverseViewProjection;
    D3DXMATRIX m_rotationViewFarProjection;
};
