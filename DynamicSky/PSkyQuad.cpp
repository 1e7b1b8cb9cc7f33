#include "DynamicSky/PSkyQuad.h"

#include "core/StringUtils.h"

#include <cmath>

namespace {

const float kPi = 3.1415927f;
const float kQuarterTurn = 1.5707964f;
const D3DCOLOR kQuadColour = 0xFF000014;
const D3DCOLOR kQuadBlue = 0x00000014;
const int kAlphaShift = 24;
// Below this the upright turn's axis is rounding noise: z' already lies
// along u or against it.
const float kDegenerateAxis = 1e-6f;
const D3DXVECTOR3 kUnitZ(0.0f, 0.0f, 1.0f);

const uint16_t kQuadIndices[] = {0, 1, 2, 0, 2, 3};

struct Corner {
    float x;
    float z;
    float u;
    float v;
};

const Corner kCorners[] = {
    {-1.0f, -1.0f, 0.0f, 0.0f},
    {1.0f, -1.0f, 1.0f, 0.0f},
    {1.0f, 1.0f, 1.0f, 1.0f},
    {-1.0f, 1.0f, 0.0f, 1.0f},
};

D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& point, const D3DXMATRIX& matrix)
{
    D3DXVECTOR3 result;
    D3DXVec3TransformCoord(&result, &point, &matrix);
    return result;
}

D3DXVECTOR3 Normalised(const D3DXVECTOR3& vector)
{
    D3DXVECTOR3 result;
    D3DXVec3Normalize(&result, &vector);
    return result;
}

D3DXMATRIX RotationAxis(const D3DXVECTOR3& axis, float angle)
{
    D3DXMATRIX result;
    D3DXMatrixRotationAxis(&result, &axis, angle);
    return result;
}

} // namespace

CPSkyQuad::CPSkyQuad()
    : m_direction(0.0f, 0.0f, 1.0f),
      m_position(0.0f, 0.0f, 0.0f),
      m_distance(0.0f),
      m_effectIndex(0),
      m_angle(0.0f),
      m_stateAngle(0.0f),
      m_scale(0.0f),
      m_textureIndex(0)
{
    D3DXMatrixIdentity(&m_orientation);
    m_colourFromTexture = true;
}

CPSkyQuad::~CPSkyQuad() {}

void CPSkyQuad::SetEffectNames(const std::string& first, const std::string& second)
{
    m_firstEffect = first;
    m_secondEffect = second;
}

void CPSkyQuad::AddTexture(const std::string& name)
{
    m_textures.push_back(name);
}

void CPSkyQuad::SetDirection(const D3DXVECTOR3& direction)
{
    m_direction = Normalised(direction);
    const D3DXVECTOR3 axis(-m_direction.y, m_direction.x, 0.0f); // (0, 0, 1) x direction
    m_orientation = RotationAxis(axis, ClampedAcos(D3DXVec3Dot(&kUnitZ, &m_direction)));
}

void CPSkyQuad::Build(float halfSize)
{
    std::vector<Vertex48> vertices;
    for (const Corner& corner : kCorners) {
        Vertex48 vertex = {};
        vertex.position = D3DXVECTOR3(corner.x * halfSize, 0.0f, corner.z * halfSize);
        vertex.normal = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
        vertex.diffuse = kQuadColour;
        vertex.tex0 = D3DXVECTOR2(corner.u, corner.v);
        vertices.push_back(vertex);
    }
    SetGeometry(vertices, std::vector<uint16_t>(std::begin(kQuadIndices), std::end(kQuadIndices)),
                false);
    if (!m_textures.empty()) LoadTexture(m_textures[m_textureIndex]);
    LoadEffect(m_secondEffect);
}

void CPSkyQuad::SelectEffect(int index)
{
    if (index != 0 && index != 1) return;
    m_effectIndex = index;
    LoadEffect(index == 0 ? m_firstEffect : m_secondEffect);
}

void CPSkyQuad::NextTexture()
{
    if (m_textures.empty()) return;
    m_textureIndex = (m_textureIndex + 1) % static_cast<int>(m_textures.size());
    LoadTexture(m_textures[m_textureIndex]);
}

void CPSkyQuad::SetAlpha(int alpha)
{
    const D3DCOLOR colour = (static_cast<D3DCOLOR>(alpha) << kAlphaShift) | kQuadBlue;
    for (Vertex48& vertex : m_workingVertices) vertex.diffuse = colour;
}

// Around the circle whose axis is the direction: the orientation carries
// z onto the direction, so (distance, 0, 0) lies at right angles to it.
void CPSkyQuad::PlaceOnCircle()
{
    const float turn = m_angle - m_stateAngle + kPi;
    D3DXMATRIX path;
    D3DXMATRIX around = RotationAxis(m_direction, turn);
    D3DXMatrixMultiply(&path, &m_orientation, &around);
    m_position = TransformPoint(D3DXVECTOR3(m_distance, 0.0f, 0.0f), path);
}

// The turn about the facing direction that carries the quad's z axis onto
// u, the tangent of its sphere pointing toward negative y. Where z' lies
// along u or against it the axis is lost: no turn, or the half turn.
D3DXMATRIX CPSkyQuad::UprightTurn(const D3DXMATRIX& facing) const
{
    const D3DXVECTOR3 toOrigin = -m_position;
    const D3DXVECTOR3 level = Normalised(D3DXVECTOR3(toOrigin.x, 0.0f, toOrigin.z));
    D3DXMATRIX quarterY;
    D3DXMatrixRotationY(&quarterY, kQuarterTurn);
    const D3DXVECTOR3 side = TransformPoint(level, quarterY);
    const D3DXVECTOR3 up = Normalised(TransformPoint(toOrigin, RotationAxis(side, kQuarterTurn)));
    const D3DXVECTOR3 quadZ = TransformPoint(kUnitZ, facing);
    D3DXVECTOR3 axis;
    D3DXVec3Cross(&axis, &quadZ, &up);
    const float cosine = D3DXVec3Dot(&quadZ, &up);
    if (D3DXVec3Length(&axis) < kDegenerateAxis) {
        D3DXMATRIX none;
        if (cosine >= 0.0f) return *D3DXMatrixIdentity(&none);
        return RotationAxis(Normalised(toOrigin), kPi);
    }
    return RotationAxis(axis, ClampedAcos(cosine));
}

void CPSkyQuad::Update(float step)
{
    PlaceOnCircle();
    const D3DXVECTOR3 facingDirection = Normalised(-m_position);
    const D3DXMATRIX facing = RotationAxis(D3DXVECTOR3(facingDirection.z, 0.0f, -facingDirection.x),
                                           ClampedAcos(facingDirection.y));
    D3DXMATRIX scaling;
    D3DXMatrixScaling(&scaling, m_scale, m_scale, m_scale);
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, m_position.x, m_position.y, m_position.z);
    m_world = scaling * facing * UprightTurn(facing) * translation;
    TransformVertices(m_world);
    SetGeometry(m_sourceVertices, m_indices, true);
    Draw(step);
}
