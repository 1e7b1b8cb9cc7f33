#pragma once

#include <d3dx9math.h>

class CPBody;
class CPGeometry;

// A road triangle as the triangle query hands it over: three indices into
// the vertex table, a material index, a flag word and a user word.
struct RoadTriangle {
    int vertex[3];
    int material;
    int flags;
    int user;
};

// What the collision callback learns of one contact. Against the road the
// body is A and B is null; a rigid body is A against a kinematic one; of two
// rigid bodies A has the higher material index. The normal points from B to
// A; the relative velocity is A's minus B's at the contact.
struct CollisionInfo {
    enum BodyType { kRigidBody = 0, kKinematicBody = 1, kRoad = 2 };

    CPBody* bodyA;
    CPBody* bodyB;
    int typeA;
    int typeB;
    CPGeometry* geometryA;
    CPGeometry* geometryB;
    int materialA;
    int materialB;
    D3DXVECTOR4 bodyContactA;
    D3DXVECTOR4 bodyContactB;
    D3DXVECTOR4 worldContactA;
    D3DXVECTOR4 worldContactB;
    D3DXVECTOR4 relativeVelocity;
    D3DXVECTOR4 normal;
};

// The surface values of one material index.
struct PhysicMaterial {
    float friction;
    float restitution;
    float unused;
};

// How a pair of collision classes responds: 0 no contact, 3 contact and the
// collision callback, any other value contact alone.
class CPCollisionTable {
public:
    static const int kClassCount = 64;
    static const int kNoContact = 0;
    static const int kRespond = 1;
    static const int kRespondAndReport = 3;

    CPCollisionTable();

    // (a, b) and (b, a); with one of them −1 the other's road entry; both −1
    // change nothing.
    void Set(int a, int b, int response);
    // A class outside the table (a removed car's −1) touches nothing.
    int Get(int a, int b) const { return IsClass(a) && IsClass(b) ? m_pairs[a][b] : kNoContact; }
    int GetRoad(int a) const { return IsClass(a) ? m_road[a] : kNoContact; }
    static bool IsClass(int value) { return value >= 0 && value < kClassCount; }

private:
    int m_pairs[kClassCount][kClassCount];
    int m_road[kClassCount];
};
