#pragma once

#include <d3dx9.h>

#include <vector>

class CPBoundingBox;

// A world-space box: minimum and maximum corners with the half extents and
// centre derived from them. Game objects keep two to bound their subtree;
// picking, the static-scene quadtree and the race rules test against them.
//
// A new box is the empty box: its minimum lies above its maximum, so merging
// it into another box changes nothing, and its negative half extents keep
// every point, segment and sphere test false.
struct AxisAlignedBox {
    AxisAlignedBox();

    // The box around every part's minimum and maximum. With no parts the
    // corners become the empty box's and half extents and centre are kept.
    void FromParts(const std::vector<CPBoundingBox>& parts);
    void FromBox(const CPBoundingBox& box);
    void Merge(const AxisAlignedBox& other);

    // Centre and half extents from the corners.
    void Recompute();

    // Grows the corners to include the box's shadow, cast through the level's
    // shadow matrix; the caller recomputes centre and half extents.
    void WidenForShadow();

    // Separating-axis test of the segment from start along the unit direction
    // over length; a segment that only touches the box counts.
    bool IntersectSegment(const D3DXVECTOR3& start, const D3DXVECTOR3& direction,
                          float length) const;
    // Strictly inside on every axis: a point on a face is outside.
    bool ContainsPoint(const D3DXVECTOR3& point) const;
    // The sphere reaches the box (distance not greater than the radius).
    bool OverlapsSphere(const D3DXVECTOR3& sphereCentre, float radius) const;

    D3DXVECTOR3 minimum;
    D3DXVECTOR3 maximum;
    D3DXVECTOR3 halfExtents;
    D3DXVECTOR3 centre;
};
