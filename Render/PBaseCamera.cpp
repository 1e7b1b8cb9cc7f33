#include "Render/PBaseCamera.h"

CPBaseCamera::CPBaseCamera()
{
    D3DXMatrixIdentity(&m_view);
    D3DXMatrixIdentity(&m_projection);
    D3DXMatrixIdentity(&m_farLimitedProjection);
    D3DXMatrixIdentity(&m_rotationView);
    D3DXMatrixIdentity(&m_inverseRotationView);
}

int CPBaseCamera::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPBaseCamera::GetTypeName()
{
    return "CPBaseCamera";
}
