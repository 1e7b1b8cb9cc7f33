#include "Render/PSprite.h"

#include "Render/PCamera.h"
#include "core/PGameObject.h"

#include <algorithm>
#include <cmath>

namespace {

const int kQuadVertexCount = 4;
const int kQuadIndexCount = 6;
const uint16_t kQuadIndices[kQuadIndexCount] = {0, 2, 1, 0, 3, 2};
// Limits at or below this fix the grey level; between it and 0 the sprite
// hides.
const float kFixedGreyLimit = -0.1f;
// At the angle limit the colour has faded to 30 % of full.
const float kFadeAtLimit = 0.7f;
const float kFullChannel = 255.0f;
const D3DCOLOR kWhite = 0xFFFFFFFF;

// The level in all four bytes: alpha, red, green and blue alike.
D3DCOLOR GreyLevel(int level)
{
    DWORD byte = static_cast<DWORD>(level) & 0xFF;
    return D3DCOLOR_ARGB(byte, byte, byte, byte);
}

D3DXVECTOR3 WorldPosition(const CPGameObject& object)
{
    const D3DXMATRIX& world = object.GetWorldMatrix();
    return D3DXVECTOR3(world._41, world._42, world._43);
}

CPGameObject* TopmostAncestor(CPGameObject* object)
{
    for (RefPtr<CPGameObject> parent = object->GetParent(); parent; parent = parent->GetParent()) {
        object = parent.Get();
    }
    return object;
}

} // namespace

CPSprite::CPSprite(float size)
    : m_hasVertexEffects(false),
      m_owner(nullptr),
      m_size(size),
      m_roll(0.0f),
      m_colour(kWhite),
      m_textureRect{0.0f, 0.0f, 1.0f, 1.0f},
      m_facing(0.0f, 0.0f, 0.0f),
      m_angleLimit(0.0f),
      m_visible(true)
{
}

CPSprite::~CPSprite() = default;

bool CPSprite::CanBePlaced() const
{
    return m_owner && GetCurrentView();
}

int CPSprite::GetVertexCount()
{
    return CanBePlaced() && UpdateVisibility() ? kQuadVertexCount : 0;
}

int CPSprite::GetIndexCount()
{
    return CanBePlaced() && UpdateVisibility() ? kQuadIndexCount : 0;
}

bool CPSprite::UpdateVisibility()
{
    if (m_angleLimit < 0.0f) {
        m_visible = m_angleLimit <= kFixedGreyLimit;
        if (m_visible) m_colour = GreyLevel(static_cast<int>(-m_angleLimit * kFullChannel));
    } else if (m_angleLimit > 0.0f) {
        m_visible = UpdateFacingVisibility();
    } else {
        m_visible = true;
    }
    return m_visible;
}

bool CPSprite::UpdateFacingVisibility()
{
    if (!CanBePlaced()) return false;
    D3DXVECTOR3 toCamera = GetCurrentView()->GetEye() - WorldPosition(*m_owner);
    toCamera.z = 0.0f;
    D3DXVec3Normalize(&toCamera, &toCamera);

    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, TopmostAncestor(m_owner)->GetRotationRef());
    D3DXVECTOR3 facing;
    D3DXVec3TransformNormal(&facing, &m_facing, &rotation);
    D3DXVec3Normalize(&facing, &facing);

    float cosine = std::max(-1.0f, std::min(1.0f, D3DXVec3Dot(&facing, &toCamera)));
    float angle = std::fabs(std::acos(cosine));
    if (angle > m_angleLimit) return false;
    m_colour = GreyLevel(static_cast<int>((1.0f - (angle / m_angleLimit) * kFadeAtLimit) * kFullChannel));
    return true;
}

void CPSprite::WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                             bool)
{
    if (!CanBePlaced() || !UpdateVisibility()) return;

    // The camera's own axes, placed at the owner and turned by the roll.
    D3DXMATRIX placement = GetCurrentView()->GetInverseView();
    D3DXVECTOR3 position = WorldPosition(*m_owner);
    placement._41 = position.x;
    placement._42 = position.y;
    placement._43 = position.z;
    D3DXMATRIX roll;
    D3DXMatrixRotationZ(&roll, m_roll);
    D3DXMATRIX corners;
    D3DXMatrixMultiply(&corners, &roll, &placement);

    const float signs[kQuadVertexCount][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float u[kQuadVertexCount] = {m_textureRect[0], m_textureRect[2], m_textureRect[2],
                                       m_textureRect[0]};
    const float v[kQuadVertexCount] = {m_textureRect[1], m_textureRect[1], m_textureRect[3],
                                       m_textureRect[3]};
    Vertex48 quad[kQuadVertexCount] = {};
    for (int i = 0; i < kQuadVertexCount; ++i) {
        D3DXVECTOR3 corner(signs[i][0] * m_size, signs[i][1] * m_size, 0.0f);
        D3DXVec3TransformCoord(&quad[i].position, &corner, &corners);
        quad[i].diffuse = m_colour;
        quad[i].tex0 = D3DXVECTOR2(u[i], v[i]);
    }
    if (m_hasVertexEffects) {
        for (const std::unique_ptr<IPVertexEffect>& effect : m_vertexEffects) {
            effect->Apply(quad, quad, kQuadVertexCount);
        }
    }
    std::copy(quad, quad + kQuadVertexCount, destVertices);
    WriteIndices(destIndices, kQuadIndices, kQuadIndexCount, baseVertex);
}

void CPSprite::SetFacing(const D3DXVECTOR3& facing, float angleLimit)
{
    m_facing = facing;
    m_angleLimit = angleLimit;
}

void CPSprite::AddVertexEffect(std::unique_ptr<IPVertexEffect> effect)
{
    m_vertexEffects.push_back(std::move(effect));
    m_hasVertexEffects = true;
}

void CPSprite::CopyFrom(const CPSprite& source)
{
    m_material = source.m_material;
    m_roll = source.m_roll;
    m_facing = source.m_facing;
    m_angleLimit = source.m_angleLimit;
    m_hasVertexEffects = source.m_hasVertexEffects;
    m_vertexEffects = CloneVertexEffects(source.m_vertexEffects);
}
