#pragma once

#include "physics/PVectorMath.h"

// A ray fixed to a rigid body (a car's wheel): start and direction in body
// space. Each step the simulator casts it and fills in how deep the ray's
// end lies behind the first surface it meets, with that surface's point and
// normal in world space.
class CPSensor {
public:
    CPSensor();

    void Set(const D3DXVECTOR3& start, const D3DXVECTOR3& direction);

    const D3DXVECTOR3& GetStart() const { return m_start; }
    const D3DXVECTOR3& GetDirection() const { return m_direction; }
    const D3DXVECTOR3& GetUnitDirection() const { return m_unitDirection; }
    float GetLength() const { return m_length; }
    // The ray's length minus the distance to the hit; 0 on a miss.
    float GetDetectedDepth() const { return m_depth; }
    const D3DXVECTOR3& GetContactNormal() const { return m_contactNormal; }
    const D3DXVECTOR3& GetContactPoint() const { return m_contactPoint; }

    void SetResult(float depth, const D3DXVECTOR3& point, const D3DXVECTOR3& normal);

    CPSensor* GetNext() const { return m_next; }
    void SetNext(CPSensor* next) { m_next = next; }

private:
    D3DXVECTOR3 m_start;
    D3DXVECTOR3 m_direction;
    D3DXVECTOR3 m_unitDirection;
    float m_length;
    float m_depth;
    D3DXVECTOR3 m_contactNormal;
    D3DXVECTOR3 m_contactPoint;
    CPSensor* m_next;
};
