#include "Render/PLight.h"

#include "core/PGameObject.h"

CPLight::CPLight() : m_light(), m_owner(nullptr) {}

D3DLIGHT9* CPLight::GetLight()
{
    if (m_owner) {
        const D3DXMATRIX& world = m_owner->GetWorldMatrix();
        m_light.Position.x = world._41;
        m_light.Position.y = world._42;
        m_light.Position.z = world._43;
    }
    return &m_light;
}
