#include "Render/PSprite.h"

CPSprite::CPSprite(float size)
    : m_hasVertexEffects(false),
      m_owner(nullptr),
      m_size(size),
      m_roll(0.0f),
      m_facing(0.0f, 0.0f, 0.0f),
      m_angleLimit(0.0f)
{
}

CPSprite::~CPSprite() = default;

void CPSprite::WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                             bool flag)
{
    (void)destVertices;
    (void)destIndices;
    (void)baseVertex;
    (void)flag;
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
