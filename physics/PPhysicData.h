#pragma once

#include "core/PObject.h"
#include "physics/PKinematicBody.h"
#include "physics/PRigidBody.h"

class CPGameObject;

// What a game object carries when it takes part in physics: its body once
// the physics world has made one. Moving the object moves the body.
class CPPhysicData : public IPObject {
public:
    explicit CPPhysicData(CPGameObject* owner)
        : m_owner(owner), m_kinematicBody(nullptr), m_rigidBody(nullptr)
    {
    }

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPPhysicData"; }

    // A body that the program places takes the position before a simulated one.
    void SetPosition(float x, float y, float z)
    {
        if (m_kinematicBody) {
            m_kinematicBody->SetPosition(x, y, z);
        } else if (m_rigidBody) {
            m_rigidBody->SetPosition(x, y, z);
        }
    }

    void SetRotation(float x, float y, float z, float w)
    {
        if (m_rigidBody) m_rigidBody->SetRotation(x, y, z, w);
    }

    CPGameObject* GetOwner() const { return m_owner; }
    void SetKinematicBody(CPKinematicBody* body) { m_kinematicBody = body; }
    void SetRigidBody(CPRigidBody* body) { m_rigidBody = body; }

private:
    CPGameObject* m_owner;
    CPKinematicBody* m_kinematicBody;
    CPRigidBody* m_rigidBody;
};
