#pragma once

#include "physics/PBody.h"

// One contact between two shapes A and B: a world point midway between the
// two surfaces, the normal pointing from B to A, and the depth (positive
// when the surfaces overlap, negative for the gap of a contact that has not
// closed yet). Feature contacts are those found on a face of a road triangle.
struct PContact {
    D3DXVECTOR3 point;
    D3DXVECTOR3 normal;
    float depth;
    bool triangleFace;
};

// A shape placed in the world.
struct PWorldShape {
    const CPGeometry* geometry;
    D3DXVECTOR3 centre;
    PMatrix3 axes;
};

PWorldShape PlaceShape(const CPGeometry& geometry, const PMatrix3& rotation, const D3DXVECTOR3& position);

const int kMaxShapeContacts = 4;

// Contacts between two shapes, normals from B to A, up to kMaxShapeContacts;
// shapes farther apart than the margin give none. Answers the count.
int CollideShapes(const PWorldShape& a, const PWorldShape& b, float margin, PContact* contacts);

// Contacts of shape A with a two-sided triangle; A is kept on the side that
// its body's centre was on at the start of the step (sideProbe).
int CollideShapeWithTriangle(const PWorldShape& a, const D3DXVECTOR3 triangle[3], const D3DXVECTOR3& sideProbe,
                             float margin, PContact* contacts);

// The first hit of a ray (start, unit direction, length) on a shape: false
// on a miss, else the distance along the ray and the surface normal there.
bool RayCastShape(const PWorldShape& shape, const D3DXVECTOR3& start, const D3DXVECTOR3& direction, float length,
                  float& distance, D3DXVECTOR3& normal);

// The same for a two-sided triangle; the normal faces the ray's start.
bool RayCastTriangle(const D3DXVECTOR3 triangle[3], const D3DXVECTOR3& start, const D3DXVECTOR3& direction,
                     float length, float& distance, D3DXVECTOR3& normal);
