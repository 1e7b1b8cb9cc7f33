#include "Render/PPerspectiveCamera.h"

#include "core/Settings.h"

#include <cmath>

namespace {

// The far plane of the far-limited projection.
const float kFarLimit = 1000.0f;

const int kCornerCount = 8;

// The frustum's corners in clip space, near face first: x and y at -1 or 1,
// z at 0 (near) or 1 (far).
const D3DXVECTOR3 kClipCorners[kCornerCount] = {
    D3DXVECTOR3(-1.0f, -1.0f, 0.0f), D3DXVECTOR3(1.0f, -1.0f, 0.0f),
    D3DXVECTOR3(-1.0f, 1.0f, 0.0f),  D3DXVECTOR3(1.0f, 1.0f, 0.0f),
    D3DXVECTOR3(-1.0f, -1.0f, 1.0f), D3DXVECTOR3(1.0f, -1.0f, 1.0f),
    D3DXVECTOR3(-1.0f, 1.0f, 1.0f),  D3DXVECTOR3(1.0f, 1.0f, 1.0f),
};

// Each plane passes through three corners wound so that the normal
// (p2 - p1) x (p3 - p1) points into the frustum: near, far, left, right,
// bottom, top.
const int kPlaneCorners[CPPerspectiveCamera::kPlaneCount][3] = {
    {0, 1, 2}, {4, 6, 5}, {0, 2, 4}, {1, 5, 3}, {0, 4, 1}, {2, 3, 6},
};

bool IsFinite(const float* values, int count)
{
    for (int index = 0; index < count; ++index) {
        if (!std::isfinite(values[index])) return false;
    }
    return true;
}

bool IsFiniteMatrix(const D3DXMATRIX& matrix)
{
    return IsFinite(&matrix._11, 16);
}

// A left-handed look-at and its inverse; false, touching neither, when the
// eye sits on the target or the up vector runs along the view.
bool LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up,
            D3DXMATRIX& view, D3DXMATRIX& inverse)
{
    D3DXVECTOR3 direction = target - eye;
    D3DXVECTOR3 side;
    D3DXVec3Cross(&side, &up, &direction);
    if (D3DXVec3LengthSq(&direction) == 0.0f || D3DXVec3LengthSq(&side) == 0.0f) return false;

    D3DXMATRIX candidate;
    D3DXMATRIX candidateInverse;
    D3DXMatrixLookAtLH(&candidate, &eye, &target, &up);
    if (!IsFiniteMatrix(candidate)) return false;
    if (!D3DXMatrixInverse(&candidateInverse, nullptr, &candidate)) return false;
    if (!IsFiniteMatrix(candidateInverse)) return false;
    view = candidate;
    inverse = candidateInverse;
    return true;
}

// An unnormalised plane through three points, normal (p2 - p1) x (p3 - p1).
D3DXPLANE PlaneThrough(const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, const D3DXVECTOR3& p3)
{
    D3DXVECTOR3 normal;
    D3DXVECTOR3 edge1 = p2 - p1;
    D3DXVECTOR3 edge2 = p3 - p1;
    D3DXVec3Cross(&normal, &edge1, &edge2);
    return D3DXPLANE(normal.x, normal.y, normal.z, -D3DXVec3Dot(&normal, &p1));
}

float PlaneValue(const D3DXPLANE& plane, float x, float y, float z)
{
    return plane.a * x + plane.b * y + plane.c * z + plane.d;
}

} // namespace

CPPerspectiveCamera::CPPerspectiveCamera()
    : m_target(0.0f, 0.0f, 0.0f),
      m_eye(0.0f, 0.0f, 0.0f),
      m_up(0.0f, 0.0f, 0.0f),
      m_fieldOfView(0.0f),
      m_nearPlane(0.0f),
      m_farPlane(0.0f),
      m_projectionDirty(false),
      m_viewDirty(false)
{
    for (D3DXPLANE& plane : m_planes) plane = D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    D3DXMatrixIdentity(&m_viewProjection);
    D3DXMatrixIdentity(&m_inverseView);
    D3DXMatrixIdentity(&m_inverseViewProjection);
    D3DXMatrixIdentity(&m_rotationViewFarProjection);
}

int CPPerspectiveCamera::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPPerspectiveCamera::GetTypeName()
{
    return "CPPerspectiveCamera";
}

void CPPerspectiveCamera::SetEye(const D3DXVECTOR3& eye)
{
    m_eye = eye;
    m_viewDirty = true;
}

void CPPerspectiveCamera::SetTarget(const D3DXVECTOR3& target)
{
    m_target = target;
    m_viewDirty = true;
}

void CPPerspectiveCamera::SetUp(const D3DXVECTOR3& up)
{
    m_up = up;
    m_viewDirty = true;
}

void CPPerspectiveCamera::SetFieldOfView(float fieldOfView)
{
    m_fieldOfView = fieldOfView;
    m_projectionDirty = true;
}

void CPPerspectiveCamera::SetNearPlane(float nearPlane)
{
    m_nearPlane = nearPlane;
    m_projectionDirty = true;
}

void CPPerspectiveCamera::SetFarPlane(float farPlane)
{
    m_farPlane = farPlane;
    m_projectionDirty = true;
}

void CPPerspectiveCamera::UpdateMatrices()
{
    bool changed = false;
    if (m_viewDirty && UpdateView()) changed = true;
    if (m_projectionDirty && UpdateProjection()) changed = true;
    if (changed && UpdateProducts()) UpdateFrustumPlanes();
}

bool CPPerspectiveCamera::UpdateView()
{
    D3DXMATRIX view;
    D3DXMATRIX inverseView;
    D3DXMATRIX rotationView;
    D3DXMATRIX inverseRotationView;
    if (!LookAt(m_eye, m_target, m_up, view, inverseView)) return false;
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 direction;
    D3DXVECTOR3 offset = m_target - m_eye;
    D3DXVec3Normalize(&direction, &offset);
    if (!LookAt(origin, direction, m_up, rotationView, inverseRotationView)) return false;

    m_view = view;
    m_inverseView = inverseView;
    m_rotationView = rotationView;
    m_inverseRotationView = inverseRotationView;
    m_viewDirty = false;
    return true;
}

// The near plane must lie in front of the eye and before the far plane,
// and the projection must be invertible into frustum corners; otherwise
// the previous projection stays with the products and planes made from it.
bool CPPerspectiveCamera::UpdateProjection()
{
    if (!(m_nearPlane > 0.0f && m_nearPlane < m_farPlane)) return false;
    float aspect = static_cast<float>(g_screenWidth) / static_cast<float>(g_screenHeight);
    D3DXMATRIX projection;
    D3DXMATRIX farLimited;
    D3DXMATRIX inverse;
    D3DXMatrixPerspectiveFovLH(&projection, m_fieldOfView, aspect, m_nearPlane, m_farPlane);
    D3DXMatrixPerspectiveFovLH(&farLimited, m_fieldOfView, aspect, m_nearPlane, kFarLimit);
    if (!IsFiniteMatrix(projection) || !IsFiniteMatrix(farLimited)) return false;
    if (!D3DXMatrixInverse(&inverse, nullptr, &projection) || !IsFiniteMatrix(inverse)) {
        return false;
    }

    m_projection = projection;
    m_farLimitedProjection = farLimited;
    m_projectionDirty = false;
    return true;
}

// The products and the inverse that the frustum corners come from; a
// product that cannot be inverted leaves the previous ones in place.
bool CPPerspectiveCamera::UpdateProducts()
{
    D3DXMATRIX viewProjection;
    D3DXMATRIX inverse;
    D3DXMatrixMultiply(&viewProjection, &m_view, &m_projection);
    if (!D3DXMatrixInverse(&inverse, nullptr, &viewProjection)) return false;
    if (!IsFiniteMatrix(viewProjection) || !IsFiniteMatrix(inverse)) return false;

    m_viewProjection = viewProjection;
    m_inverseViewProjection = inverse;
    D3DXMatrixMultiply(&m_rotationViewFarProjection, &m_rotationView, &m_farLimitedProjection);
    return true;
}

void CPPerspectiveCamera::UpdateFrustumPlanes()
{
    D3DXVECTOR3 corners[kCornerCount];
    for (int index = 0; index < kCornerCount; ++index) {
        D3DXVECTOR4 transformed;
        D3DXVec3Transform(&transformed, &kClipCorners[index], &m_inverseViewProjection);
        corners[index] = D3DXVECTOR3(transformed.x / transformed.w, transformed.y / transformed.w,
                                     transformed.z / transformed.w);
    }
    D3DXPLANE planes[kPlaneCount];
    for (int index = 0; index < kPlaneCount; ++index) {
        const int* points = kPlaneCorners[index];
        planes[index] = PlaneThrough(corners[points[0]], corners[points[1]], corners[points[2]]);
    }
    if (!IsFinite(&planes[0].a, 4 * kPlaneCount)) return;
    for (int index = 0; index < kPlaneCount; ++index) m_planes[index] = planes[index];
}

bool CPPerspectiveCamera::IsBoxVisible(const D3DXVECTOR3& minimum,
                                       const D3DXVECTOR3& maximum) const
{
    const D3DXVECTOR3& lo = minimum;
    const D3DXVECTOR3& hi = maximum;
    const D3DXVECTOR3 corners[kCornerCount] = {
        D3DXVECTOR3(lo.x, lo.y, lo.z), D3DXVECTOR3(lo.x, hi.y, lo.z),
        D3DXVECTOR3(hi.x, hi.y, lo.z), D3DXVECTOR3(hi.x, lo.y, lo.z),
        D3DXVECTOR3(lo.x, lo.y, hi.z), D3DXVECTOR3(lo.x, hi.y, hi.z),
        D3DXVECTOR3(hi.x, hi.y, hi.z), D3DXVECTOR3(hi.x, lo.y, hi.z),
    };
    for (const D3DXPLANE& plane : m_planes) {
        bool passed = false;
        for (const D3DXVECTOR3& corner : corners) {
            if (PlaneValue(plane, corner.x, corner.y, corner.z) > 0.0f) {
                passed = true;
                break;
            }
        }
        if (!passed) return false;
    }
    return true;
}
