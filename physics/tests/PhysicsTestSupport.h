#pragma once

#include "physics/PSimulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace physics_test {

const float kPi = 3.14159265f;
const float kGravity = 9.8f;

// Road triangles the tests build; every body's triangle query answers all of them.
struct TestRoad {
    std::vector<D3DXVECTOR4> vertices;
    std::vector<RoadTriangle> triangles;
    std::vector<int> candidates;

    void AddTriangle(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c, int material = 0)
    {
        const int first = static_cast<int>(vertices.size());
        for (const D3DXVECTOR3* v : {&a, &b, &c}) vertices.push_back(D3DXVECTOR4(v->x, v->y, v->z, 1));
        candidates.push_back(static_cast<int>(triangles.size()));
        triangles.push_back(RoadTriangle{{first, first + 1, first + 2}, material, 0, 0});
    }

    // A square of two triangles around the centre, spanned by two half-size edge vectors.
    void AddSquare(const D3DXVECTOR3& centre, const D3DXVECTOR3& u, const D3DXVECTOR3& v)
    {
        AddTriangle(centre - u - v, centre + u - v, centre + u + v);
        AddTriangle(centre - u - v, centre + u + v, centre - u + v);
    }
};

inline TestRoad*& CurrentRoad()
{
    static TestRoad* road = nullptr;
    return road;
}

inline void QueryTestRoad(const D3DXVECTOR3&, const D3DXVECTOR3&, const int** candidates, int* candidateCount,
                          const RoadTriangle** triangles, int* triangleCount, const D3DXVECTOR4** vertices,
                          CPRigidBody*)
{
    TestRoad* road = CurrentRoad();
    *candidates = road->candidates.data();
    *candidateCount = static_cast<int>(road->candidates.size());
    *triangles = road->triangles.data();
    *triangleCount = static_cast<int>(road->triangles.size());
    *vertices = road->vertices.data();
}

struct SimulatorDeleter {
    void operator()(CPSimulator* simulator) const { DestroySimulator(simulator); }
};
using SimulatorPtr = std::unique_ptr<CPSimulator, SimulatorDeleter>;

// A world with a road of its own, materials 0 and 1 set as given.
class PhysicsWorld : public ::testing::Test {
protected:
    void SetUp() override { CurrentRoad() = &road; }
    void TearDown() override { CurrentRoad() = nullptr; }

    CPSimulator& World(const D3DXVECTOR3& gravity = D3DXVECTOR3(0, 0, -kGravity), float friction = 0.5f,
                       float restitution = 0.0f)
    {
        const float g[3] = {gravity.x, gravity.y, gravity.z};
        simulator.reset(CreateSimulator(SimulatorSizeInfo(), nullptr, g));
        simulator->SetTriangleQueryCallback(QueryTestRoad);
        simulator->SetMaterial(0, friction, restitution);
        simulator->SetMaterial(1, friction, restitution);
        return *simulator;
    }

    static D3DXQUATERNION AxisAngle(const D3DXVECTOR3& axis, float angle)
    {
        const D3DXVECTOR3 unit = Normalised(axis);
        const float s = std::sin(angle * 0.5f);
        return D3DXQUATERNION(unit.x * s, unit.y * s, unit.z * s, std::cos(angle * 0.5f));
    }

    // A box of full extents with the inertia of a solid box of that mass.
    CPRigidBody* Box(const D3DXVECTOR3& extents, float mass, const D3DXVECTOR3& position,
                     const D3DXQUATERNION& rotation = D3DXQUATERNION(0, 0, 0, 1))
    {
        CPRigidBody* body = simulator->CreateRigidBody();
        body->AddGeometry()->SetBoxSize(extents.x, extents.y, extents.z);
        const float k = mass / 12.0f;
        const D3DXVECTOR3 e2(extents.x * extents.x, extents.y * extents.y, extents.z * extents.z);
        body->SetMass(mass);
        body->SetInertiaTensor(D3DXVECTOR3(k * (e2.y + e2.z), k * (e2.x + e2.z), k * (e2.x + e2.y)));
        Place(body, position, rotation);
        return body;
    }

    CPRigidBody* Ball(float radius, float mass, const D3DXVECTOR3& position)
    {
        CPRigidBody* body = simulator->CreateRigidBody();
        body->AddGeometry()->SetSphere(radius);
        const float i = 0.4f * mass * radius * radius;
        body->SetMass(mass);
        body->SetInertiaTensor(D3DXVECTOR3(i, i, i));
        Place(body, position, D3DXQUATERNION(0, 0, 0, 1));
        return body;
    }

    static void Place(CPRigidBody* body, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation)
    {
        body->UpdateBoundingInfo();
        body->SetPosition(position.x, position.y, position.z);
        body->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    }

    void Run(float seconds)
    {
        const int steps = static_cast<int>(std::lround(seconds / CPSimulator::kTimeStep));
        for (int i = 0; i < steps; ++i) simulator->Step();
    }

    static float KineticEnergy(const CPRigidBody& body)
    {
        return 0.5f * body.GetMass() * LengthSquared(body.GetVelocity()) +
               0.5f * Dot(body.GetAngularMomentum(), body.GetAngularVelocity());
    }

    TestRoad road;
    SimulatorPtr simulator;
};

} // namespace physics_test
