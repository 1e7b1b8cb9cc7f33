#include "core/AxisAlignedBox.h"

#include "core/BoxExtent.h"
#include "core/PBoundingBox.h"
#include "core/ShadowMatrix.h"

#include <cmath>

namespace {

// The corners of a box that holds nothing: any real box merged with it wins.
const float kEmptyBoxCorner = 1000000.0f;
const int kBoxCornerCount = 8;

float DistanceBeyond(float value, float low, float high)
{
    if (value < low) return low - value;
    if (value > high) return value - high;
    return 0.0f;
}

} // namespace

AxisAlignedBox::AxisAlignedBox()
    : minimum(kEmptyBoxCorner, kEmptyBoxCorner, kEmptyBoxCorner),
      maximum(-kEmptyBoxCorner, -kEmptyBoxCorner, -kEmptyBoxCorner)
{
    Recompute();
}

void AxisAlignedBox::FromParts(const std::vector<CPBoundingBox>& parts)
{
    if (parts.empty()) {
        minimum = D3DXVECTOR3(kEmptyBoxCorner, kEmptyBoxCorner, kEmptyBoxCorner);
        maximum = D3DXVECTOR3(-kEmptyBoxCorner, -kEmptyBoxCorner, -kEmptyBoxCorner);
        return;
    }
    minimum = parts[0].GetMinimum();
    maximum = parts[0].GetMaximum();
    for (const CPBoundingBox& part : parts) {
        D3DXVec3Minimize(&minimum, &minimum, &part.GetMinimum());
        D3DXVec3Maximize(&maximum, &maximum, &part.GetMaximum());
    }
    Recompute();
}

void AxisAlignedBox::FromBox(const CPBoundingBox& box)
{
    minimum = box.GetMinimum();
    maximum = box.GetMaximum();
    halfExtents = (maximum - minimum) / 2.0f;
    centre = minimum + halfExtents;
}

void AxisAlignedBox::Merge(const AxisAlignedBox& other)
{
    D3DXVec3Minimize(&minimum, &minimum, &other.minimum);
    D3DXVec3Maximize(&maximum, &maximum, &other.maximum);
    Recompute();
}

void AxisAlignedBox::Recompute()
{
    centre = (maximum + minimum) / 2.0f;
    halfExtents = (maximum - minimum) / 2.0f;
}

// Every moved object that casts a shadow widens its box every frame. A sun's
// shadow matrix is affine, and then the shadow's extent comes straight from
// the box's; a lamp's needs each corner's shadow.
void AxisAlignedBox::WidenForShadow()
{
    if (IsAffine(g_shadowMatrix)) {
        D3DXVECTOR3 least, greatest;
        AffineBoxExtent(minimum, maximum, g_shadowMatrix, least, greatest);
        D3DXVec3Minimize(&minimum, &minimum, &least);
        D3DXVec3Maximize(&maximum, &maximum, &greatest);
        return;
    }
    D3DXVECTOR3 corners[kBoxCornerCount];
    for (int corner = 0; corner < kBoxCornerCount; ++corner) {
        corners[corner] = D3DXVECTOR3((corner & 1) ? maximum.x : minimum.x, (corner & 2) ? maximum.y : minimum.y,
                                      (corner & 4) ? maximum.z : minimum.z);
    }
    D3DXVECTOR3 shadows[kBoxCornerCount];
    D3DXVec3TransformCoordArray(shadows, sizeof(D3DXVECTOR3), corners, sizeof(D3DXVECTOR3), &g_shadowMatrix,
                                kBoxCornerCount);
    for (const D3DXVECTOR3& shadow : shadows) {
        D3DXVec3Minimize(&minimum, &minimum, &shadow);
        D3DXVec3Maximize(&maximum, &maximum, &shadow);
    }
}

bool AxisAlignedBox::IntersectSegment(const D3DXVECTOR3& start, const D3DXVECTOR3& direction,
                                      float length) const
{
    const float k = length / 2.0f;
    const D3DXVECTOR3 middle = start + k * direction;
    const D3DXVECTOR3 t = centre - middle;
    const D3DXVECTOR3& h = halfExtents;
    const float ax = std::fabs(direction.x);
    const float ay = std::fabs(direction.y);
    const float az = std::fabs(direction.z);

    if (std::fabs(t.x) > h.x + k * ax) return false;
    if (std::fabs(t.y) > h.y + k * ay) return false;
    if (std::fabs(t.z) > h.z + k * az) return false;
    if (std::fabs(t.y * direction.z - t.z * direction.y) > h.y * az + h.z * ay) return false;
    if (std::fabs(t.z * direction.x - t.x * direction.z) > h.x * az + h.z * ax) return false;
    if (std::fabs(t.x * direction.y - t.y * direction.x) > h.x * ay + h.y * ax) return false;
    return true;
}

bool AxisAlignedBox::ContainsPoint(const D3DXVECTOR3& point) const
{
    return std::fabs(centre.x - point.x) < halfExtents.x &&
           std::fabs(centre.y - point.y) < halfExtents.y &&
           std::fabs(centre.z - point.z) < halfExtents.z;
}

bool AxisAlignedBox::OverlapsSphere(const D3DXVECTOR3& sphereCentre, float radius) const
{
    const float dx = DistanceBeyond(sphereCentre.x, minimum.x, maximum.x);
    const float dy = DistanceBeyond(sphereCentre.y, minimum.y, maximum.y);
    const float dz = DistanceBeyond(sphereCentre.z, minimum.z, maximum.z);
    return dx * dx + dy * dy + dz * dz <= radius * radius;
}
