#include "core/BoxExtent.h"

#include <algorithm>

namespace {

// One box axis's share of one world coordinate, from the box's low and high
// side: the smaller into least, the larger into greatest.
void AxisTerms(float low, float high, float factor, float& least, float& greatest)
{
    const float fromLow = low * factor;
    const float fromHigh = high * factor;
    least = std::min(fromLow, fromHigh);
    greatest = std::max(fromLow, fromHigh);
}

// The same order of sums as the library's transform of one point:
// x * _1n + y * _2n + z * _3n + _4n.
void ColumnExtent(const D3DXVECTOR3& low, const D3DXVECTOR3& high, float along1, float along2, float along3,
                  float offset, float& least, float& greatest)
{
    float least1, greatest1, least2, greatest2, least3, greatest3;
    AxisTerms(low.x, high.x, along1, least1, greatest1);
    AxisTerms(low.y, high.y, along2, least2, greatest2);
    AxisTerms(low.z, high.z, along3, least3, greatest3);
    least = least1 + least2 + least3 + offset;
    greatest = greatest1 + greatest2 + greatest3 + offset;
}

} // namespace

D3DXVECTOR3 AffinePoint(const D3DXVECTOR3& p, const D3DXMATRIX& m)
{
    return D3DXVECTOR3(p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
                       p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43);
}

bool IsAffine(const D3DXMATRIX& matrix)
{
    return matrix._14 == 0.0f && matrix._24 == 0.0f && matrix._34 == 0.0f && matrix._44 == 1.0f;
}

void AffineBoxExtent(const D3DXVECTOR3& low, const D3DXVECTOR3& high, const D3DXMATRIX& m, D3DXVECTOR3& least,
                     D3DXVECTOR3& greatest)
{
    // Worked out whole before either answer is written, which may be one of
    // the box's own corners.
    D3DXVECTOR3 leastCorner, greatestCorner;
    ColumnExtent(low, high, m._11, m._21, m._31, m._41, leastCorner.x, greatestCorner.x);
    ColumnExtent(low, high, m._12, m._22, m._32, m._42, leastCorner.y, greatestCorner.y);
    ColumnExtent(low, high, m._13, m._23, m._33, m._43, leastCorner.z, greatestCorner.z);
    least = leastCorner;
    greatest = greatestCorner;
}
