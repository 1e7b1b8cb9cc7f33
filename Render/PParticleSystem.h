#pragma once

#include "core/PProcess.h"

class CPGameObject;

// A particle effect attached to a game object (smoke, flames, sparks). It
// runs as a task that turns its emitters into particles at a fixed interval
// and hands them to the particle manager.
class CPParticleSystem : public IPProcess {
public:
    CPParticleSystem() : m_owner(nullptr) {}

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPParticleSystem"; }
    int GetTaskValue() override { return 1; }

    // The game object the system belongs to; not kept alive by the system.
    void SetOwner(CPGameObject* owner) { m_owner = owner; }
    CPGameObject* GetOwner() const { return m_owner; }

private:
    CPGameObject* m_owner;
};
