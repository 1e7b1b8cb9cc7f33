#include "physics/PPhysicData.h"

#include "core/PGameObject.h"
#include "core/Settings.h"
#include "physics/PCarWorld.h"

CPPhysicData::CPPhysicData(CPGameObject* owner)
    : m_controller(nullptr), m_kinematicBody(nullptr), m_owner(owner), m_wantsController(false),
      m_storedAngularMomentum(0, 0, 0), m_storedVelocity(0, 0, 0), m_applyStoredMotion(false), m_bodyFlag(0),
      m_setupPending(true), m_candidates(), m_candidateCount(0), m_rigidBody(nullptr), m_bodyParams(),
      m_writingBack(false)
{
}

float CPPhysicData::MassOf(float massValue)
{
    // A negative divisor keeps its sign, so it still makes kinematic bodies.
    const float divisor = g_weight_div == 0 ? 1.0f : static_cast<float>(g_weight_div);
    return massValue / divisor;
}

void CPPhysicData::SetBodyParams(float sizeA, float sizeB, float sizeC, float massValue)
{
    m_bodyParams.bodyShapeType = kBoxShape;
    m_bodyParams.shapeValue = 0;
    m_bodyParams.sizeA = sizeA;
    m_bodyParams.sizeB = sizeB;
    m_bodyParams.sizeC = sizeC;
    m_bodyParams.mass = MassOf(massValue);
}

PhysicShape CPPhysicData::MakeShape(int type, const float position[3], const float orientation[4],
                                    float massValue) const
{
    PhysicShape shape = {};
    shape.type = type;
    shape.positionX = position[0];
    shape.positionY = position[1];
    shape.positionZ = position[2];
    shape.orientationX = orientation[0];
    shape.orientationY = orientation[1];
    shape.orientationZ = orientation[2];
    shape.orientationW = orientation[3];
    shape.mass = MassOf(massValue);
    return shape;
}

void CPPhysicData::AddBox(const float position[3], const float orientation[4], float x, float y, float z,
                          float massValue)
{
    PhysicShape shape = MakeShape(kBoxShape, position, orientation, massValue);
    shape.size1 = x;
    shape.size2 = y;
    shape.size3 = z;
    m_shapes.push_back(shape);
}

void CPPhysicData::AddShapeType1(const float position[3], const float orientation[4], float diameter, float height,
                                 float massValue)
{
    // The first and third sizes of a cylinder record are fixed fillers.
    const float filler = 5.0f;
    PhysicShape shape = MakeShape(kCylinderShape, position, orientation, massValue);
    shape.size1 = filler;
    shape.size2 = height;
    shape.size3 = filler;
    shape.size4 = diameter;
    m_shapes.push_back(shape);
}

void CPPhysicData::SetupRigidBody()
{
    if (!m_rigidBody) return;
    m_setupPending = false;
    const PhysicBodyParams& p = m_bodyParams;
    if (p.mass > 0.0f) {
        const D3DXVECTOR3 inertia = p.bodyShapeType == kCylinderShape
                                        ? ComputeCylinderInertia(p.cylinderDiameter, p.sizeA, p.mass)
                                        : ComputeInertia(D3DXVECTOR3(p.sizeB, p.sizeC, p.sizeA), p.mass);
        m_rigidBody->SetInertiaTensor(inertia);
    }
    m_rigidBody->SetMass(p.mass);
    if (m_owner) {
        const D3DXVECTOR3& position = *m_owner->GetPositionRef();
        const D3DXQUATERNION& rotation = *m_owner->GetRotationRef();
        m_rigidBody->SetPosition(position.x, position.y, position.z);
        m_rigidBody->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    }
    if (m_wantsController && !m_controller) m_controller = m_rigidBody->AddController(this, 1);
    m_rigidBody->UpdateBoundingInfo();
}

void CPPhysicData::CopyDescriptionFrom(const CPPhysicData& source)
{
    m_bodyParams = source.m_bodyParams;
    m_shapes = source.m_shapes;
    for (PhysicShape& shape : m_shapes) shape.geometry = nullptr;
}

void CPPhysicData::SetPosition(float x, float y, float z)
{
    if (m_writingBack) return;
    if (m_kinematicBody) m_kinematicBody->SetPosition(x, y, z);
    else if (m_rigidBody) m_rigidBody->SetPosition(x, y, z);
}

void CPPhysicData::SetRotation(float x, float y, float z, float w)
{
    if (m_writingBack) return;
    if (m_rigidBody) m_rigidBody->SetRotation(x, y, z, w);
}

void CPPhysicData::SetStoredMotion(const D3DXVECTOR3& angularMomentum, const D3DXVECTOR3& velocity, bool apply)
{
    m_storedAngularMomentum = angularMomentum;
    m_storedVelocity = velocity;
    m_applyStoredMotion = apply;
}

void CPPhysicData::OnControllerStep(CPController*, float)
{
    if (!m_applyStoredMotion || !m_rigidBody) return;
    m_rigidBody->SetAngularMomentum(m_storedAngularMomentum);
    m_rigidBody->SetVelocity(m_storedVelocity);
}

void CPPhysicData::RemoveFromWorld()
{
    if (!m_rigidBody && !m_kinematicBody) return;
    if (CPCarWorld* world = GetCarWorld()) world->RemovePhysicData(this);
}

void CPPhysicData::ForgetBodies()
{
    m_rigidBody = nullptr;
    m_kinematicBody = nullptr;
    m_controller = nullptr;
    for (PhysicShape& shape : m_shapes) shape.geometry = nullptr;
}
