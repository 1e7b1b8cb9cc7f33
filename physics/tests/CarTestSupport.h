#pragma once

#include "core/FrameClock.h"
#include "core/PGameObject.h"
#include "physics/PCar.h"
#include "physics/PCarWorld.h"
#include "physics/PPhysicData.h"
#include "physics/PSimulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace car_test {

const float kFrame = 1.0f / 60.0f;
const float kGravity = 9.8f;

// A road mesh in world space: vertices and 16-bit indices.
struct RoadMesh {
    std::vector<D3DXVECTOR3> vertices;
    std::vector<uint16_t> indices;

    void AddQuad(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c, const D3DXVECTOR3& d)
    {
        const uint16_t first = static_cast<uint16_t>(vertices.size());
        for (const D3DXVECTOR3* v : {&a, &b, &c, &d}) vertices.push_back(*v);
        for (int i : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<uint16_t>(first + i));
    }

    // A flat square of side 2 * half around the origin, tilted about the x
    // axis by slope radians, cut into tiles.
    static RoadMesh Plane(float half, float tile = 10.0f, float slope = 0.0f)
    {
        RoadMesh mesh;
        auto at = [slope](float x, float y) { return D3DXVECTOR3(x, y * std::cos(slope), y * std::sin(slope)); };
        for (float x = -half; x < half; x += tile) {
            for (float y = -half; y < half; y += tile) {
                mesh.AddQuad(at(x, y), at(x + tile, y), at(x + tile, y + tile), at(x, y + tile));
            }
        }
        return mesh;
    }
};

// The values of a test car's description.
struct CarSetup {
    float mass = 40.0f;
    float spring = 400.0f;
    float damping = 40.0f;
    float wheelLength = 1.0f;
    float wheelY = 0.0f;
    float accelFront = 100.0f;
    float accelBack = 100.0f;
    float frictionFront = 150.0f;
    float frictionBack = 240.0f;
    float halfTrack = 0.9f;
    float halfBase = 1.5f;
};

inline std::string Description(const CarSetup& setup)
{
    char text[1024];
    snprintf(text, sizeof(text),
             "<car><physics><geometry><wheels count=\"4\" x=\"0\" y=\"%g\" length=\"%g\" radius=\"0.4\" "
             "front_min_radius=\"1\" back_min_radius=\"1\"/></geometry>"
             "<params><wheels spring1=\"%g\" spring2=\"%g\" damping=\"%g\"/>"
             "<speed max_front_speed=\"25\" max_rear_speed=\"10\"/>"
             "<friction front=\"%g\" back=\"%g\" slide=\"0.9\"/>"
             "<acceleration front=\"%g\" back=\"%g\" brake=\"50\"/></params></physics></car>",
             setup.wheelY, setup.wheelLength, setup.spring, setup.spring, setup.damping, setup.frictionFront,
             setup.frictionBack, setup.accelFront, setup.accelBack);
    return text;
}

// Makes the object a car: wheels "w0" to "w3", lights, "glass", a box
// shape and its description, placed at the position and turned by yaw about z.
inline RefPtr<CPGameObject> MakeCarObject(const CarSetup& setup, const D3DXVECTOR3& position, float yaw,
                                          RefPtr<CPGameObject> car)
{
    car->GetDescriptionDocument().Parse(Description(setup).c_str());
    const float wheels[4][2] = {{setup.halfTrack, -setup.halfBase},
                                {-setup.halfTrack, -setup.halfBase},
                                {setup.halfTrack, setup.halfBase},
                                {-setup.halfTrack, setup.halfBase}};
    for (int i = 0; i < 4; ++i) {
        RefPtr<CPGameObject> wheel(new CPGameObject("w" + std::to_string(i)));
        wheel->SetPosition(wheels[i][0], wheels[i][1], 0.0f);
        car->AddChild(wheel);
    }
    for (const char* name : {"stoplights", "stoplights2", "backlights", "backlights2", "glass"}) {
        car->AddChild(RefPtr<CPGameObject>(new CPGameObject(name)));
    }
    RefPtr<CPPhysicData> data(new CPPhysicData(car.Get()));
    const float origin[3] = {0, 0, 0};
    const float identity[4] = {0, 0, 0, 1};
    data->SetBodyParams(0.6f, 2.0f, 4.0f, setup.mass);
    data->AddBox(origin, identity, 2.0f, 0.6f, 4.0f, setup.mass);
    car->SetPhysicData(data);
    car->SetPosition(position.x, position.y, position.z);
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXQUATERNION rotation;
    D3DXQuaternionRotationAxis(&rotation, &up, yaw);
    car->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    return car;
}

inline RefPtr<CPGameObject> MakeCarObject(const CarSetup& setup, const D3DXVECTOR3& position, float yaw = 0.0f)
{
    return MakeCarObject(setup, position, yaw, RefPtr<CPGameObject>(new CPGameObject("car")));
}

// A published car world with a simulator and a road, and cars on it.
class CarWorldFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = g_pCarWorld;
        g_pCarWorld = &world;
        FrameDeltaTime = kFrame;
        world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
    }
    void TearDown() override
    {
        world.Reset();
        g_pCarWorld = m_previous;
    }

    void BuildRoad(const RoadMesh& road) { world.BuildRoadTables(road.vertices, road.indices); }

    RefPtr<CPGameObject> AddCar(const CarSetup& setup, const D3DXVECTOR3& position, float yaw = 0.0f,
                                bool withSounds = false)
    {
        return AddCar(MakeCarObject(setup, position, yaw), withSounds);
    }

    // Puts a car object made by MakeCarObject into the world.
    RefPtr<CPGameObject> AddCar(RefPtr<CPGameObject> car, bool withSounds = false)
    {
        world.AddObject(car, 0, 1);
        world.CreateCar(car, withSounds);
        world.RegisterCar(car.Get());
        return car;
    }

    // A car on a wide flat road, settled on its springs for two seconds.
    RefPtr<CPGameObject> SettledCar(const CarSetup& setup, float yaw = 0.0f, bool withSounds = false)
    {
        BuildRoad(RoadMesh::Plane(300.0f, 20.0f));
        RefPtr<CPGameObject> car = AddCar(setup, D3DXVECTOR3(0, 0, 1.0f), yaw, withSounds);
        RunFrames(120);
        return car;
    }

    void RunFrames(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            ++FrameNumber;
            world.Execute();
        }
    }

    // Full throttle until the car is faster than speed along its nose;
    // false when it was not within mostFrames.
    bool AccelerateTo(CPGameObject& car, float speed, int mostFrames = 600)
    {
        for (int i = 0; i < mostFrames && ForwardSpeed(car) < speed; ++i) {
            world.SetCarControls(&car, 1.0f, 0.0f);
            RunFrames(1);
        }
        return ForwardSpeed(car) >= speed;
    }

    static CPRigidBody& BodyOf(CPGameObject& car) { return *car.GetPhysicData()->GetRigidBody(); }
    // The speed along the nose (local -y).
    static float ForwardSpeed(CPGameObject& car)
    {
        CPRigidBody& body = BodyOf(car);
        return -Dot(body.GetVelocity(), body.GetRotation().column[1]);
    }

    CPCarWorld world;

private:
    CPCarWorld* m_previous = nullptr;
};

}  // namespace car_test
