#include "physics/PSensor.h"

CPSensor::CPSensor()
    : m_start(0, 0, 0), m_direction(0, 0, 0), m_unitDirection(0, 0, 0), m_length(0), m_depth(0),
      m_contactNormal(0, 0, 0), m_contactPoint(0, 0, 0), m_next(nullptr)
{
}

void CPSensor::Set(const D3DXVECTOR3& start, const D3DXVECTOR3& direction)
{
    m_start = start;
    m_direction = direction;
    m_length = Length(direction);
    m_unitDirection = Normalised(direction);
}

void CPSensor::SetResult(float depth, const D3DXVECTOR3& point, const D3DXVECTOR3& normal)
{
    m_depth = depth;
    m_contactPoint = point;
    m_contactNormal = normal;
}
